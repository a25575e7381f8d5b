#include "app/DumpCommand.h"

#include "engine/Cp1252.h"
#include "engine/HtmlBuilder.h"
#include "engine/LayoutDump.h"

#include <QApplication>
#include <QStyleFactory>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace {

class EDumpUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fonts and form controls need an application object: the running one, else
// one of our own on the offscreen platform (unless a platform is chosen).
class TDumpApplication {
public:
    TDumpApplication()
    {
        if (QApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setStyle(QStyleFactory::create("Fusion"));
    }

private:
    int argc_ = 1;
    char programName_[7] = "zefweb";
    char* argv_[2] = {programName_, nullptr};
    std::unique_ptr<QApplication> application_;
};

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size()
        && std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

// --as, else the extension: ".txt" is text, a picture extension an image.
TDumpSource SourceOf(const std::optional<std::string>& as, const std::string& file)
{
    if (as) {
        if (*as == "html")
            return TDumpSource::Html;
        if (*as == "text")
            return TDumpSource::Text;
        if (*as == "image")
            return TDumpSource::Image;
        throw EDumpUsage("--as attend html, text ou image");
    }
    if (EndsWithIgnoringCase(file, ".txt"))
        return TDumpSource::Text;
    for (const std::string_view extension : {".gif", ".jpg", ".jpeg", ".bmp", ".png"})
        if (EndsWithIgnoringCase(file, extension))
            return TDumpSource::Image;
    return TDumpSource::Html;
}

int ParseWidth(const std::string& text)
{
    int width = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (error != std::errc() || end != text.data() + text.size() || width < 1)
        throw EDumpUsage("--width attend un nombre positif");
    return width;
}

struct TDumpArguments {
    std::string File;
    TDumpOptions Options;
};

TDumpArguments ParseDumpArguments(const std::vector<std::string>& arguments)
{
    TDumpArguments parsed;
    std::optional<std::string> as;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--width" || argument == "--as") {
            if (index + 1 >= arguments.size())
                throw EDumpUsage(argument + " attend une valeur");
            const std::string& value = arguments[++index];
            if (argument == "--width")
                parsed.Options.Width = ParseWidth(value);
            else
                as = value;
        } else if (parsed.File.empty() && !argument.starts_with("--")) {
            parsed.File = argument;
        } else {
            throw EDumpUsage("argument inattendu : " + argument);
        }
    }
    if (parsed.File.empty())
        throw EDumpUsage("--dump attend un nom de fichier");
    parsed.Options.As = SourceOf(as, parsed.File);
    return parsed;
}

} // namespace

int DumpCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    TDumpArguments parsed;
    try {
        parsed = ParseDumpArguments(arguments);
    } catch (const EDumpUsage& usage) {
        err << "zefweb: " << usage.what() << '\n';
        return 2;
    }
    try {
        const TDumpApplication application;
        DumpPageFile(parsed.File, parsed.Options, out);
    } catch (const std::exception& error) {
        err << "zefweb: " << Cp1252ToQString(error.what()).toStdString() << '\n';
        return 1;
    }
    return 0;
}
