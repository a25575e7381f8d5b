#include "app/window/QtFrench.h"

#include <QCoreApplication>
#include <QLibraryInfo>

TQtFrench::TQtFrench()
{
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    // "qtbase" holds the texts of the widgets and dialogs the program uses.
    loaded_ = translator_.load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
              QCoreApplication::installTranslator(&translator_);
}

TQtFrench::~TQtFrench()
{
    QCoreApplication::removeTranslator(&translator_);
    QLocale::setDefault(savedLocale_);
}
