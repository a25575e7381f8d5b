#include "app/files/FileNameText.h"

#include "engine/base/Cp1252.h"

QString FileNameForDisplay(std::string_view fileName)
{
    if (IsValidUtf8(fileName))
        return QString::fromUtf8(fileName.data(), static_cast<qsizetype>(fileName.size()));
    return Cp1252ToQString(fileName);
}

std::string FileNameForMessage(std::string_view fileName)
{
    return QStringToCp1252(FileNameForDisplay(fileName));
}
