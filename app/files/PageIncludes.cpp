#include "app/files/PageIncludes.h"

#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"
#include "engine/base/RegularFile.h"
#include "engine/lexer/LinkNames.h"

#include <algorithm>

namespace {

constexpr const char* kShortDateFormat = "dd/MM/yyyy";
constexpr const char* kLongTimeFormat = "HH:mm:ss";
constexpr std::string_view kFileParameter = "FILE=\"";

} // namespace

// The name of FILE="name" when it is the first parameter, else nothing.
std::optional<std::string> IncludedFileName(const std::vector<std::string>& params)
{
    if (params.empty() || !params.front().starts_with(kFileParameter))
        return std::nullopt;
    std::string name = params.front().substr(kFileParameter.size(), TPageIncludes::kMaxNameLength);
    name.resize(std::min(name.size(), name.find('"')));
    return Cp1252ToUtf8IfNeeded(name);
}

std::optional<QDateTime> ParseFixedMoment(std::string_view text)
{
    const QDateTime moment = QDateTime::fromString(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed(),
        QString::fromLatin1(kFixedMomentFormat));
    return moment.isValid() ? std::optional<QDateTime>(moment) : std::nullopt;
}

TPageIncludes::TPageIncludes(std::optional<QDateTime> fixedMoment)
    : fixedMoment_(std::move(fixedMoment))
{
}

std::string TPageIncludes::Answer(const std::string& command, const std::vector<std::string>& params,
                                  const std::string& pageFile)
{
    const QDateTime now = fixedMoment_.value_or(QDateTime::currentDateTime());
    if (EqualsIgnoringCase(command, "DATE"))
        return now.toString(QString::fromLatin1(kShortDateFormat)).toStdString();
    if (EqualsIgnoringCase(command, "TIME"))
        return now.toString(QString::fromLatin1(kLongTimeFormat)).toStdString();
    const std::optional<std::string> name = EqualsIgnoringCase(command, "INCLUDE") ? IncludedFileName(params) : std::nullopt;
    if (!name)
        return {};
    return IncludedFile(LocateFileNamedByPage(*name, pageFile));
}

// An included file's bytes enter the page here, as long as the page's budget
// holds them; the budget is checked before anything is read.
std::string TPageIncludes::IncludedFile(const std::string& fileName)
{
    const TFileRefusal refused = RegularFileRefusal(fileName, kMaxIncludeBytes);
    if (refused == TFileRefusal::PseudoFile)
        return kPseudoFileNote;
    if (refused != TFileRefusal::None)
        return {};
    TFileRefusal refusal = TFileRefusal::None;
    const std::uint64_t left = kPageIncludeBudget - std::min(includedBytes_, kPageIncludeBudget);
    std::optional<std::string> bytes = ReadRegularFile(fileName, left, &refusal);
    if (!bytes)
        return refusal == TFileRefusal::TooLarge ? std::string(kBudgetNote) : std::string();
    includedBytes_ += bytes->size();
    return std::move(*bytes);
}

TIncludeType TPageIncludes::Handler()
{
    return [this](const std::string& command, std::vector<std::string> params, const std::string& pageFile) {
        return Answer(command, params, pageFile);
    };
}
