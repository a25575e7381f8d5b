#include "app/window/Settings.h"

#include "accessories/Blocnotes.h"
#include "engine/viewer/Zoom.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr const char* kOrganisation = "ZefWeb";
constexpr const char* kApplication = "zefweb";
constexpr const char* kPngPicturesKey = "Options/ImagesPNG";
constexpr const char* kZoomKey = "Options/Zoom";

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
