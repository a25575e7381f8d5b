#include "app/files/WholeFile.h"

#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace {

// Windows-1252, like every text of the interface.
constexpr const char* kCannotWrite = "Impossible d'\xE9" "crire le fichier ";

// Qt's own error text is English, or "Unknown error" where Qt itself refused
// (a folder in the way): the cause comes from the system's error number,
// which must be read right after the failing call.
std::string FailureMessage(const std::string& fileName, int errorNumber)
{
    return kCannotWrite + FileNameForMessage(fileName) + " : " + WriteProblem(fileName, errorNumber);
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& fileName, std::uint64_t maxBytes)
{
    return ReadRegularFile(fileName, maxBytes);
}

std::optional<std::string> WriteFileAtomically(const std::string& fileName, std::string_view bytes)
{
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(fileName)));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return FailureMessage(fileName, errno);
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const int errorNumber = errno;
        file.cancelWriting();
        return FailureMessage(fileName, errorNumber);
    }
    if (!file.commit())
        return FailureMessage(fileName, errno);
    return std::nullopt;
}

std::vector<std::string> SplitTextLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}
