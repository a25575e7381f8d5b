#include "app/window/PagePrinting.h"

#include "app/files/FileNameText.h"
#include "app/files/WholeFile.h"
#include "app/window/SaveDialog.h"
#include "app/window/ShellDialogs.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/viewer/HtmlPane.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>

namespace {

constexpr TCp1252Text kPrintFailed("L'impression a échoué : ");
constexpr TCp1252Text kPdfFailed("L'export en PDF a échoué : ");
constexpr TCp1252Text kExportCaption("Exporter en PDF");
constexpr TCp1252Text kPdfFilter("Document PDF (*.pdf)");
constexpr const char* kPdfExtension = ".pdf";

std::string PdfFileName(const std::string& chosen)
{
    return QFileInfo(FileNameForDisplay(chosen)).suffix().isEmpty() ? chosen + kPdfExtension : chosen;
}

// The page's title, else its file's name: what the print queue and the PDF show.
QString JobTitle(const THtmlPane& pane)
{
    if (!pane.DocumentTitle().empty())
        return Cp1252ToQString(pane.DocumentTitle());
    return QFileInfo(FileNameForDisplay(pane.CurrentFile())).fileName();
}

} // namespace

void TPagePrinting::Print() const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(JobTitle(Pane));
    if (!Dialogs.AskPrinter(Parent, printer))
        return;
    if (const std::optional<QString> failure = Pane.Print(printer, Options))
        ErrorBox.ShowError(std::string(kPrintFailed) + QStringToEngineText(*failure));
}

void TPagePrinting::Preview() const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(JobTitle(Pane));
    Dialogs.ShowPrintPreview(Parent, printer, [this](QPrinter& shown) {
        if (const std::optional<QString> failure = Pane.Print(shown, Options))
            ErrorBox.ShowError(std::string(kPrintFailed) + QStringToEngineText(*failure));
    });
}

void TPagePrinting::ExportPdf() const
{
    const QString proposed = QFileInfo(FileNameForDisplay(Pane.CurrentFile())).completeBaseName() + kPdfExtension;
    const TSaveRequest request{Cp1252ToQString(kExportCaption), {Cp1252ToQString(kPdfFilter)}, QString(), proposed};
    const std::optional<TSaveChoice> choice =
        AskSaveTarget(Dialogs, Parent, request, [](const TSaveChoice& chosen) { return PdfFileName(chosen.FileName); });
    if (!choice)
        return;
    // Written whole or not at all, like every other file the program saves.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    std::optional<QString> failure;
    {
        QPdfWriter writer(&buffer);
        SetUpPdfWriter(writer, QPageSize(QPageSize::A4), JobTitle(Pane));
        failure = Pane.Print(writer, Options);
    }
    if (failure) {
        ErrorBox.ShowError(std::string(kPdfFailed) + QStringToEngineText(*failure));
        return;
    }
    if (const std::optional<std::string> written =
            WriteFileAtomically(choice->FileName, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))))
        ErrorBox.ShowError(*written);
}
