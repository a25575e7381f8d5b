#pragma once
// The form results window: what a page's form would send, as its action, its
// method and one "name=value" line per field.

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

class TSubmitForm : public QDialog {
    Q_OBJECT

public:
    explicit TSubmitForm(QWidget* parent = nullptr);

    // Texts are Windows-1252.
    void SetResults(const std::string& action, const std::string& method, const std::vector<std::string>& results);

private:
    QLineEdit* ActionBox;
    QLineEdit* MethodBox;
    QListWidget* ResultList;
};
