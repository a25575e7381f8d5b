#pragma once
// Prints a laid-out document on a paged device (a printer, a PDF writer):
// the page is laid out for the paper's width, cut into sheets between lines,
// table rows and pictures, and painted sheet by sheet through a canvas over
// the device, the sheet's number at its foot. The view lays the document out
// again for itself afterwards.

#include <QPageSize>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

class QPagedPaintDevice;
class QPdfWriter;
class TCanvas;
class TSectionList;
struct TRect;

struct TPrintOptions {
    // The page's background colour and picture; white paper without it.
    bool Background = false;
};

// "A4" or "Letter" (letter case aside); nothing for any other name.
std::optional<QPageSize> PaperSizeNamed(std::string_view name);
// A PDF of that paper, with the margins a printout has, titled, its text
// kept as text.
void SetUpPdfWriter(QPdfWriter& writer, const QPageSize& paper, const QString& title);

class TPagePrinter {
public:
    // Room kept below each sheet's content for its number, in page pixels.
    static constexpr int kFooterHeight = 28;
    // A page wider than the paper is drawn smaller, down to this scale.
    static constexpr double kMinScale = 0.5;

    TPagePrinter(TSectionList& document, TCanvas& measure, const TPrintOptions& options);

    // Lays the document out for the device's page and prints it; the reason,
    // in French, when the device cannot be drawn on.
    std::optional<QString> Print(QPagedPaintDevice& device);

    // What the last Print decided: the scale and the document Y of each sheet's top.
    double Scale() const { return scale_; }
    const std::vector<int>& SheetTops() const { return sheetTops_; }

private:
    // Lays the document out for the width in page pixels; its height.
    int LayOut(int width, int& widest);
    // The tops of the sheets, each ending where PageBreakAbove allows.
    void CutIntoSheets(int documentHeight, int sheetHeight);
    void PaintSheet(TCanvas& canvas, int sheet, int width, int sheetHeight);
    void PaintBackground(TCanvas& canvas, const TRect& area, int top);
    void PaintFooter(TCanvas& canvas, int sheet, int width, int sheetHeight);

    TSectionList& document_;
    TCanvas& measure_;
    TPrintOptions options_;
    double scale_ = 1.0;
    std::vector<int> sheetTops_;
    int documentHeight_ = 0;
};
