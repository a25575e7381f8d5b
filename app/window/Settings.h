#pragma once
// The options the program remembers from one run to the next, kept with
// QSettings: in the user's configuration folder
// (~/.config/ZefWeb/zefweb.conf), or in a file given by name (tests keep
// theirs in a temporary folder and never touch the user's).

#include "app/window/ShellDialogs.h"
#include "engine/base/Colors.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSettings;

// What the "Police" dialog chooses for the pages.
struct TPageLook {
    std::string FontName; // Windows-1252
    int FontSize = 0;
    TColor FontColor = 0;
    TColor LinkColor = 0;
    TColor Background = 0;
    bool operator==(const TPageLook&) const = default;
};

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

    // The pages' fonts and colours; nothing until the user chose them.
    std::optional<TPageLook> PageLook() const;
    void SetPageLook(const TPageLook& look);

    // The main window's size and position (QWidget::saveGeometry); empty
    // until the window was first closed.
    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    // The folder the open dialog showed last; empty at first.
    QString OpenFolder() const;
    void SetOpenFolder(const QString& folder);

    // The pages opened last, the newest first.
    static constexpr int kRecentFiles = 8;
    std::vector<TOpenChoice> RecentFiles() const;
    void SetRecentFiles(const std::vector<TOpenChoice>& files);

private:
    std::unique_ptr<QSettings> Store;
    QString NotesFileName;
};
