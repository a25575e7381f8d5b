#pragma once
// The find dialog of the document window: non-modal, with the search text,
// the whole-word, match-case and direction choices the user expects, all
// handed on with the text.

#include "engine/viewer/PageFind.h"

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
    // choices.
    std::function<void(const std::string& text, const TFindOptions& options)> OnFind;
    // The dialog was shown, or its text or choices changed while it shows.
    std::function<void()> OnChange;
    std::function<void()> OnClose;

    // The text (Windows-1252) and the choices.
    std::string Text() const;
    TFindOptions Options() const;

    QLineEdit* TextBox() const { return textBox_; }
    QCheckBox* MatchCaseBox() const { return matchCaseBox_; }
    QCheckBox* WholeWordBox() const { return wholeWordBox_; }
    QRadioButton* UpButton() const { return upButton_; }
    QRadioButton* DownButton() const { return downButton_; }
    QPushButton* FindButton() const { return findButton_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FindNext();
    void Changed();

    QLineEdit* textBox_;
    QCheckBox* wholeWordBox_;
    QCheckBox* matchCaseBox_;
    QRadioButton* upButton_;
    QRadioButton* downButton_;
    QPushButton* findButton_;
};
