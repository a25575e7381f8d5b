#include "app/CommandLine.h"

const char* const kHelpText =
    "Zef Web - explorateur de pages Web\n"
    "\n"
    "Usage: zefweb [OPTION] [FICHIER]\n"
    "\n"
    "  --help            affiche cette aide\n"
    "  --version         affiche la version\n";

namespace {

constexpr const char* kVersionText = "Zef Web 1.0\n";

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
    err << "zefweb: option inconnue : " << arguments[0] << "\n\n" << kHelpText;
    return 2;
}
