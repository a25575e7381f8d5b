#include "app/batch/BatchOptions.h"

#include "engine/viewer/Zoom.h"

#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"
#include "app/files/PageIncludes.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/LinkNames.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <string_view>

namespace {

constexpr const char* kCannotOpen = "impossible d'ouvrir ";

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool EndsWithIgnoringCase(const std::string& text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    // The suffix is given in lower case.
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

} // namespace

bool TBatchOptions::Has(const std::string& flag) const
{
    return Contains(Flags, flag);
}

std::optional<std::string> TBatchOptions::Value(const std::string& name) const
{
    const auto found = Values.find(name);
    return found == Values.end() ? std::nullopt : std::optional<std::string>(found->second);
}

int TBatchOptions::Number(const std::string& name, int fallback, int minimum) const
{
    const std::optional<std::string> text = Value(name);
    if (!text)
        return fallback;
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    const bool whole = end == text->data() + text->size();
    // A number too large to hold is not "below the minimum": say which it is.
    if (error == std::errc::result_out_of_range && whole && text->front() != '-')
        throw EUsage(name + " : " + *text + " est hors limites, au plus " +
                     std::to_string(std::numeric_limits<int>::max()));
    if (error != std::errc() || !whole || value < minimum)
        throw EUsage(name + " attend un nombre entier d'au moins " + std::to_string(minimum));
    return value;
}

int ZoomPercentOf(const TBatchOptions& options)
{
    const int percent = options.Number("--zoom", TZoom::kNormalPercent, 1);
    if (percent < TZoom::kMinPercent || percent > TZoom::kMaxPercent)
        throw EUsage("--zoom attend un pourcentage de " + std::to_string(TZoom::kMinPercent) + " à " +
                     std::to_string(TZoom::kMaxPercent));
    return percent;
}

TBatchOptions ParseBatchOptions(const std::vector<std::string>& arguments, const std::vector<std::string>& valued,
                                const std::vector<std::string>& flags)
{
    TBatchOptions options;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (Contains(flags, argument)) {
            options.Flags.push_back(argument);
        } else if (Contains(valued, argument)) {
            if (index + 1 >= arguments.size())
                throw EUsage(argument + " attend une valeur");
            options.Values[argument] = arguments[++index];
        } else if (options.File.empty() && !argument.starts_with("--")) {
            options.File = argument;
        } else {
            throw EUsage("argument inattendu : " + argument);
        }
    }
    if (options.File.empty())
        throw EUsage((arguments.empty() ? std::string("zefweb") : arguments[0]) + " attend un nom de fichier");
    return options;
}

void RequireReadableFile(const std::string& fileName)
{
    if (const std::optional<std::string> problem = ReadProblem(ResolveFileNameCase(fileName)))
        throw std::runtime_error(kCannotOpen + FileNameForMessage(fileName) + " : " + *problem);
}

TViewedFileType FileTypeOf(const TBatchOptions& options)
{
    if (const std::optional<std::string> as = options.Value("--as")) {
        if (*as == "html")
            return TViewedFileType::Html;
        if (*as == "text")
            return TViewedFileType::Text;
        if (*as == "image")
            return TViewedFileType::Image;
        throw EUsage("--as attend html, text ou image");
    }
    if (EndsWithIgnoringCase(options.File, ".txt"))
        return TViewedFileType::Text;
    for (const std::string_view extension : {".gif", ".jpg", ".jpeg", ".bmp", ".png"})
        if (EndsWithIgnoringCase(options.File, extension))
            return TViewedFileType::Image;
    return TViewedFileType::Html;
}

std::optional<QDateTime> FixedMomentOf(const TBatchOptions& options)
{
    const auto read = [](const std::string& text, const std::string& source) {
        const std::optional<QDateTime> moment = ParseFixedMoment(text);
        if (!moment)
            throw EUsage(source + " attend « jj/mm/aaaa hh:mm:ss »");
        return moment;
    };
    if (const std::optional<std::string> date = options.Value("--date"))
        return read(*date, "--date");
    if (qEnvironmentVariableIsSet(kFixedMomentVariable))
        return read(qEnvironmentVariable(kFixedMomentVariable).toStdString(), kFixedMomentVariable);
    return std::nullopt;
}

TBatchApplication::TBatchApplication()
{
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

TBatchApplication::~TBatchApplication() = default;

int ReportErrors(const std::function<int()>& command, std::ostream& err)
{
    try {
        return command();
    } catch (const EUsage& usage) {
        err << "zefweb: " << usage.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        err << "zefweb: " << Cp1252ToQString(error.what()).toStdString() << '\n';
        return 1;
    }
}

TPngPictures PngPicturesOf(const TBatchOptions& options)
{
    return options.Has("--png") ? TPngPictures::Decoded : TPngPictures::Refused;
}
