#include "app/CommandLine.h"

#include "app/PageExport.h"
#include "engine/Cp1252.h"
#include "engine/TokenDump.h"

#include <stdexcept>

const char* const kHelpText =
    "Zef Web - explorateur de pages Web\n"
    "\n"
    "Usage: zefweb [OPTION] [FICHIER]\n"
    "\n"
    "  --help            affiche cette aide\n"
    "  --version         affiche la version\n"
    "  --tokens FICHIER  affiche les symboles lus dans la page, un par ligne\n"
    "  --export-text PAGE SORTIE\n"
    "                    enregistre PAGE en texte brut dans SORTIE\n";

namespace {

constexpr const char* kVersionText = "Zef Web 1.0\n";

int ExportText(const std::vector<std::string>& arguments, std::ostream& err)
{
    if (arguments.size() != 3) {
        err << "zefweb: --export-text attend une page et un fichier de sortie\n";
        return 2;
    }
    if (const std::optional<std::string> failure =
            ExportPageFile(arguments[1], arguments[2], TExportFormat::PlainText)) {
        err << "zefweb: " << Cp1252ToQString(*failure).toStdString() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        out << kHelpText;
        return 0;
    }
    if (arguments[0] == "--version") {
        out << kVersionText;
        return 0;
    }
    if (arguments[0] == "--tokens") {
        if (arguments.size() < 2) {
            err << "zefweb: --tokens attend un nom de fichier\n";
            return 2;
        }
        try {
            WriteTokenDumpOfFile(arguments[1], out);
        } catch (const std::runtime_error& error) {
            err << "zefweb: " << error.what() << '\n';
            return 1;
        }
        return 0;
    }
    if (arguments[0] == "--export-text")
        return ExportText(arguments, err);
    err << "zefweb: option inconnue : " << arguments[0] << "\n\n" << kHelpText;
    return 2;
}
