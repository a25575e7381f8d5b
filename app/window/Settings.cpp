#include "app/window/Settings.h"

#include <QSettings>

namespace {

constexpr const char* kOrganisation = "ZefWeb";
constexpr const char* kApplication = "zefweb";
constexpr const char* kPngPicturesKey = "Options/ImagesPNG";

} // namespace

TSettings::TSettings()
    : Store(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication))
{
}

TSettings::TSettings(const QString& fileName) : Store(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
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
