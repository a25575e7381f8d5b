#include "app/batch/CommandLine.h"

#include "app/batch/BatchOptions.h"
#include "app/batch/BatchViewer.h"
#include "app/batch/DumpCommand.h"
#include "app/batch/SearchCommands.h"
#include "app/files/PageExport.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/TokenDump.h"

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
    "                    enregistre PAGE en texte brut dans SORTIE\n"
    "  --render FICHIER --output IMAGE.png [--width L] [--height H] [--full]\n"
    "           [--as html|text|image] [--no-images] [--png] [--scroll Y]\n"
    "           [--zoom POURCENT]\n"
    "                    dessine la page comme la fenêtre l'affiche, en PNG\n"
    "  --pdf FICHIER --output SORTIE.pdf [--paper A4|Letter] [--background]\n"
    "                    imprime la page dans un PDF (avec --background, les couleurs\n"
    "                    et images de fond de la page)\n"
    "  --text FICHIER [--as html|text|image] [--width L] [--png]\n"
    "                    affiche le texte que « Tout sélectionner » puis « Copier » donnerait\n"
    "  --bench FICHIER [--width L] [--repeat N] [--as html|text|image] [--find MOT] [--png]\n"
    "           [--zoom POURCENT]\n"
    "                    mesure les phases d'affichage d'une page (ms, médiane)\n"
    "  --dump FICHIER [--width L] [--as html|text|image] [--png] [--zoom POURCENT]\n"
    "                    affiche le modèle de la page mise en forme, un élément par ligne\n"
    "  --date \"jj/mm/aaaa hh:mm:ss\"\n"
    "                    avec --render, --text, --bench, --dump ou --pdf : la date et l'heure\n"
    "                    que donnent les commentaires DATE et TIME (sinon ZEF_DATE,\n"
    "                    sinon l'horloge)\n"
    "  --zoom POURCENT   avec --render, --bench et --dump : la page agrandie ou réduite\n"
    "                    (de 50 à 300), mise en forme pour la largeur qu'elle a alors\n"
    "  --png             avec --render, --text, --bench, --dump et --pdf : les images PNG\n"
    "                    sont affichées (sans elle, elles donnent l'image d'erreur)\n"
    "  --index DOSSIER   met à jour l'index des pages du dossier (et de ses sous-dossiers)\n"
    "  --search DOSSIER MOTS... [--limit N]\n"
    "                    cherche les mots dans les pages du dossier : rang, chemin, titre,\n"
    "                    extrait (code de sortie 1 quand rien n'est trouvé)\n"
    "  --check-links DOSSIER\n"
    "                    liste les liens, images, fonds, inclusions et ancres introuvables\n"
    "                    (code de sortie 1 quand il y en a)\n";

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

bool IsBatchCommand(const std::vector<std::string>& arguments)
{
    return !arguments.empty() && arguments.front().starts_with('-');
}

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
        return ReportErrors(
            [&] {
                RequireReadableFile(arguments[1]);
                WriteTokenDumpOfFile(arguments[1], out);
                return 0;
            },
            err);
    }
    if (arguments[0] == "--export-text")
        return ExportText(arguments, err);
    if (arguments[0] == "--render")
        return RenderCommand(arguments, out, err);
    if (arguments[0] == "--pdf")
        return PdfCommand(arguments, out, err);
    if (arguments[0] == "--text")
        return TextCommand(arguments, out, err);
    if (arguments[0] == "--bench")
        return BenchCommand(arguments, out, err);
    if (arguments[0] == "--dump")
        return DumpCommand(arguments, out, err);
    if (arguments[0] == "--index")
        return IndexCommand(arguments, out, err);
    if (arguments[0] == "--search")
        return SearchCommand(arguments, out, err);
    if (arguments[0] == "--check-links")
        return CheckLinksCommand(arguments, out, err);
    err << "zefweb: option inconnue : " << arguments[0] << "\n\n" << kHelpText;
    return 2;
}
