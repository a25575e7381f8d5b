#pragma once
// The page properties window: the type, address and size of a file.

#include <QDialog>

#include <string>

class QLineEdit;

class TPropriete : public QDialog {
    Q_OBJECT

public:
    explicit TPropriete(QWidget* parent = nullptr);

    // Fills the three boxes for the file of that name (UTF-8).
    void Init(const std::string& fileName);

private:
    QLineEdit* TypeBox;
    QLineEdit* AddressBox;
    QLineEdit* SizeBox;
};
