#include "app/window/Settings.h"

#include "accessories/Blocnotes.h"
#include "engine/base/Cp1252.h"
#include "engine/viewer/Zoom.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

constexpr const char* kOrganisation = "ZefWeb";
constexpr const char* kApplication = "zefweb";
constexpr const char* kPngPicturesKey = "Options/ImagesPNG";
constexpr const char* kZoomKey = "Options/Zoom";
constexpr const char* kFontNameKey = "Police/Nom";
constexpr const char* kFontSizeKey = "Police/Taille";
constexpr const char* kFontColorKey = "Police/Couleur";
constexpr const char* kLinkColorKey = "Police/Liens";
constexpr const char* kBackgroundKey = "Police/Fond";
constexpr const char* kGeometryKey = "Fenetre/Geometrie";
constexpr const char* kOpenFolderKey = "Ouvrir/Dossier";
constexpr const char* kRecentArray = "Recents";
constexpr const char* kRecentFileKey = "Fichier";
constexpr const char* kRecentFilterKey = "Filtre";

} // namespace

TSettings::TSettings()
    : Store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication))
    , NotesFileName(DefaultNotesFile())
{
}

TSettings::TSettings(const QString& fileName)
    : Store(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
    , NotesFileName(QFileInfo(fileName).absoluteDir().filePath(QStringLiteral("blocnotes.txt")))
{
}

TSettings::~TSettings() = default;

bool TSettings::PngPictures() const
{
    return Store->value(kPngPicturesKey, false).toBool();
}

// Written at once, so that a run that ends abruptly keeps the choice.
void TSettings::SetPngPictures(bool shown)
{
    Store->setValue(kPngPicturesKey, shown);
    Store->sync();
}

int TSettings::ZoomPercent() const
{
    bool number = false;
    const int percent = Store->value(kZoomKey, TZoom::kNormalPercent).toInt(&number);
    return number ? TZoom::Clamped(percent) : TZoom::kNormalPercent;
}

void TSettings::SetZoomPercent(int percent)
{
    Store->setValue(kZoomKey, TZoom::Clamped(percent));
    Store->sync();
}

std::optional<TPageLook> TSettings::PageLook() const
{
    if (!Store->contains(kFontNameKey))
        return std::nullopt;
    TPageLook look;
    look.FontName = QStringToCp1252(Store->value(kFontNameKey).toString());
    look.FontSize = Store->value(kFontSizeKey).toInt();
    look.FontColor = Store->value(kFontColorKey).toUInt();
    look.LinkColor = Store->value(kLinkColorKey).toUInt();
    look.Background = Store->value(kBackgroundKey).toUInt();
    return look;
}

void TSettings::SetPageLook(const TPageLook& look)
{
    Store->setValue(kFontNameKey, Cp1252ToQString(look.FontName));
    Store->setValue(kFontSizeKey, look.FontSize);
    Store->setValue(kFontColorKey, look.FontColor);
    Store->setValue(kLinkColorKey, look.LinkColor);
    Store->setValue(kBackgroundKey, look.Background);
    Store->sync();
}

QByteArray TSettings::WindowGeometry() const
{
    return Store->value(kGeometryKey).toByteArray();
}

void TSettings::SetWindowGeometry(const QByteArray& geometry)
{
    Store->setValue(kGeometryKey, geometry);
    Store->sync();
}

QString TSettings::OpenFolder() const
{
    return Store->value(kOpenFolderKey).toString();
}

void TSettings::SetOpenFolder(const QString& folder)
{
    Store->setValue(kOpenFolderKey, folder);
    Store->sync();
}

// File names are kept as the system spells them, whatever their bytes.
std::vector<TOpenChoice> TSettings::RecentFiles() const
{
    std::vector<TOpenChoice> files;
    const int count = std::min(Store->beginReadArray(kRecentArray), kRecentFiles);
    for (int index = 0; index < count; ++index) {
        Store->setArrayIndex(index);
        const QString name = Store->value(kRecentFileKey).toString();
        if (!name.isEmpty())
            files.push_back({QFile::encodeName(name).toStdString(), Store->value(kRecentFilterKey, 1).toInt()});
    }
    Store->endArray();
    return files;
}

void TSettings::SetRecentFiles(const std::vector<TOpenChoice>& files)
{
    Store->remove(kRecentArray);
    Store->beginWriteArray(kRecentArray, static_cast<int>(std::min<std::size_t>(files.size(), kRecentFiles)));
    for (std::size_t index = 0; index < files.size() && index < kRecentFiles; ++index) {
        Store->setArrayIndex(static_cast<int>(index));
        Store->setValue(kRecentFileKey, QFile::decodeName(QByteArray::fromStdString(files[index].FileName)));
        Store->setValue(kRecentFilterKey, files[index].FilterIndex);
    }
    Store->endArray();
    Store->sync();
}
