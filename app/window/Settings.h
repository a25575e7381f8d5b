#pragma once
// The options the program remembers from one run to the next, kept with
// QSettings: in the user's configuration folder
// (~/.config/ZefWeb/zefweb.conf), or in a file given by name (tests keep
// theirs in a temporary folder and never touch the user's).

#include <QString>

#include <memory>

class QSettings;

class TSettings {
public:
    // The user's own settings.
    TSettings();
    // Settings kept in the given INI file.
    explicit TSettings(const QString& fileName);
    ~TSettings();
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    // Where the notepad keeps its text: the user's data folder, or beside
    // the INI file given by name.
    const QString& NotesFile() const { return NotesFileName; }

    // "Afficher les images PNG": off until the user turns it on.
    bool PngPictures() const;
    void SetPngPictures(bool shown);
    // The page's zoom in percent: 100 until changed, kept within the zoom's limits.
    int ZoomPercent() const;
    void SetZoomPercent(int percent);

private:
    std::unique_ptr<QSettings> Store;
    QString NotesFileName;
};
