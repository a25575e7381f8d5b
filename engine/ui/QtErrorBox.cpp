#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

void TQtErrorBox::ShowError(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}
