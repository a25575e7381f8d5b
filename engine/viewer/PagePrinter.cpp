#include "engine/viewer/PagePrinter.h"

#include "engine/base/Rect.h"
#include "engine/canvas/Canvas.h"
#include "engine/layout/SectionList.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPainter>

#include <algorithm>
#include <string>

namespace {

// Fine enough that pictures and rules land where the page puts them.
constexpr int kPdfResolution = 600;

// Whether the device can take a painter at all (a printer without a queue,
// a PDF writer over a file that cannot be written).
bool Paintable(QPagedPaintDevice& device)
{
    return device.width() > 0 && device.height() > 0 && device.logicalDpiX() > 0 && device.logicalDpiY() > 0;
}

// A device length in the engine's 96 dots per inch.
int LogicalLength(int deviceLength, int deviceDpi)
{
    return static_cast<int>(static_cast<long long>(deviceLength) * kLogicalDpi / deviceDpi);
}

// Keeps the selection out of the printout and gives it back afterwards.
class TSelectionAside {
public:
    explicit TSelectionAside(TSectionList& document)
        : document_(document), begin_(document.SelectionBegin), end_(document.SelectionEnd)
    {
        document_.SelectionBegin = document_.SelectionEnd = 0;
    }
    ~TSelectionAside()
    {
        document_.SelectionBegin = begin_;
        document_.SelectionEnd = end_;
    }
    TSelectionAside(const TSelectionAside&) = delete;
    TSelectionAside& operator=(const TSelectionAside&) = delete;

private:
    TSectionList& document_;
    int begin_;
    int end_;
};

}  // namespace

std::optional<QPageSize> PaperSizeNamed(std::string_view name)
{
    const QString paper = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower();
    if (paper == u"a4")
        return QPageSize(QPageSize::A4);
    if (paper == u"letter")
        return QPageSize(QPageSize::Letter);
    return std::nullopt;
}

void SetUpPdfWriter(QPdfWriter& writer, const QPageSize& paper, const QString& title)
{
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setResolution(kPdfResolution);
    writer.setCreator(QStringLiteral("Zef Web"));
    writer.setTitle(title);
}

TPagePrinter::TPagePrinter(TSectionList& document, TCanvas& measure, const TPrintOptions& options)
    : document_(document), measure_(measure), options_(options)
{
}

int TPagePrinter::LayOut(int width, int& widest)
{
    int position = 0;
    widest = 0;
    return document_.Layout(measure_, 0, width, position, widest);
}

std::optional<QString> TPagePrinter::Print(QPagedPaintDevice& device)
{
    if (!Paintable(device))
        return QStringLiteral("l'imprimante ne donne pas de page où dessiner");
    const int paperWidth = LogicalLength(device.width(), device.logicalDpiX());
    const int paperHeight = LogicalLength(device.height(), device.logicalDpiY());
    if (paperWidth < 2 * kFooterHeight || paperHeight < 4 * kFooterHeight)
        return QStringLiteral("la page de l'imprimante est trop petite");

    // At the screen's size, unless the page asks for more width than the
    // paper has: then smaller, so that nothing is cut at the right.
    scale_ = 1.0;
    int widest = 0;
    documentHeight_ = LayOut(paperWidth, widest);
    if (widest > paperWidth) {
        scale_ = std::max(kMinScale, static_cast<double>(paperWidth) / widest);
        documentHeight_ = LayOut(static_cast<int>(paperWidth / scale_), widest);
    }
    const int width = static_cast<int>(paperWidth / scale_);
    const int sheetHeight = static_cast<int>((paperHeight - kFooterHeight) / scale_);
    CutIntoSheets(documentHeight_, sheetHeight);

    const TSelectionAside selectionAside(document_);
    const int yOffset = document_.YOffset;
    TCanvas canvas(&device);
    if (!canvas.HasDevice())
        return QStringLiteral("l'imprimante refuse le travail");
    canvas.DrawsControls = true;
    for (std::size_t sheet = 0; sheet < sheetTops_.size(); ++sheet) {
        if (sheet > 0 && !device.newPage()) {
            document_.SetYOffset(yOffset);
            return QStringLiteral("l'imprimante n'a pas pris la page %1").arg(sheet + 1);
        }
        PaintSheet(canvas, static_cast<int>(sheet), width, sheetHeight);
        PaintFooter(canvas, static_cast<int>(sheet), paperWidth, paperHeight);
    }
    document_.SetYOffset(yOffset);
    if (!canvas.Painter()->end())
        return QStringLiteral("le travail n'a pas pu être terminé");
    return std::nullopt;
}

void TPagePrinter::CutIntoSheets(int documentHeight, int sheetHeight)
{
    sheetTops_.assign(1, 0);
    int top = 0;
    while (documentHeight - top > sheetHeight) {
        int end = document_.PageBreakAbove(top + sheetHeight);
        // A line, a row or a picture taller than a sheet is cut where the sheet ends.
        if (end <= top)
            end = top + sheetHeight;
        sheetTops_.push_back(end);
        top = end;
    }
}

void TPagePrinter::PaintSheet(TCanvas& canvas, int sheet, int width, int sheetHeight)
{
    const auto index = static_cast<std::size_t>(sheet);
    const int top = sheetTops_[index];
    const int bottom = index + 1 < sheetTops_.size() ? sheetTops_[index + 1] : std::min(documentHeight_, top + sheetHeight);
    canvas.SetScale(scale_);
    // The background covers the whole sheet, the last one too.
    if (options_.Background)
        PaintBackground(canvas, {0, 0, width, sheetHeight}, top);
    // Window Y is document Y less the sheet's top, as a view scrolled there.
    const TRect clip{0, 0, width, bottom - top};
    canvas.SetClipRect(clip);
    document_.SetYOffset(top);
    document_.Paint(canvas, clip, 0, 0, width);
    canvas.ClearClip();
}

void TPagePrinter::PaintBackground(TCanvas& canvas, const TRect& area, int top)
{
    canvas.SetBrush(document_.Background);
    canvas.FillRect(area);
    const QImage& tile = document_.ShowImages ? document_.BackgroundBitmap() : QImage();
    if (tile.isNull())
        return;
    // Tiles are anchored to the document, as on the screen.
    const int firstY = -(top % tile.height());
    for (int y = firstY; y < area.Bottom; y += tile.height())
        for (int x = 0; x < area.Right; x += tile.width())
            canvas.Draw(x, y, tile);
}

void TPagePrinter::PaintFooter(TCanvas& canvas, int sheet, int paperWidth, int paperHeight)
{
    canvas.SetScale(1.0);
    const std::string number = std::to_string(sheet + 1) + " / " + std::to_string(sheetTops_.size());
    canvas.SetFont(TMyFont("Arial", 9, {}, clBlack));
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.SetTextAlign(TTextAlign::TopLeft);
    const QSize extent = canvas.TextExtent(number);
    canvas.TextOut((paperWidth - extent.width()) / 2, paperHeight - (kFooterHeight + extent.height()) / 2, number);
}
