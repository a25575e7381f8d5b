#pragma once
// Qt's own texts in French for as long as the object lives: the stock file
// and print dialogs, the text boxes' context menus, the names of keys beside
// menu items. The interface is French whatever the user's locale, so the
// default locale becomes French as well.

#include <QLocale>
#include <QTranslator>

class TQtFrench {
public:
    TQtFrench();
    ~TQtFrench();
    TQtFrench(const TQtFrench&) = delete;
    TQtFrench& operator=(const TQtFrench&) = delete;

    // False when Qt's French translations are not installed (Debian package
    // qt6-translations-l10n): Qt's texts then stay English.
    bool Loaded() const { return loaded_; }

private:
    QTranslator translator_;
    QLocale savedLocale_;
    bool loaded_ = false;
};
