#pragma once
// The find dialog of the document window: non-modal, with the search text,
// the whole-word, match-case and direction choices the user expects. Only the
// text and the match-case choice are handed on; searches always run forward.

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent = nullptr);

    // Called by the "Suivant" button with the text (Windows-1252) and the
    // match-case choice.
    std::function<void(const std::string& text, bool matchCase)> OnFind;

    QLineEdit* TextBox() const { return textBox_; }
    QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
    QPushButton* FindButton() const { return findButton_; }

private:
    void FindNext();

    QLineEdit* textBox_;
    QCheckBox* wholeWordBox_;
    QCheckBox* matchCaseBox_;
    QRadioButton* upButton_;
    QRadioButton* downButton_;
    QPushButton* findButton_;
};
