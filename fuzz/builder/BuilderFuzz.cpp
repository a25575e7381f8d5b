// Any bytes as an HTML page in memory: built (with a script handler when the
// first byte is odd), laid out at a narrow and a wide width, its top painted
// (which makes the widgets of the form controls shown there) and asked what
// lies under points of the painted band. A page that ends inside a comment is
// a normal outcome.
// fontconfig's caches outlive the run: fuzz with
// LSAN_OPTIONS=suppressions=fuzz/lsan.supp.

#include "engine/canvas/Canvas.h"
#include "engine/base/ErrorBox.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/viewer/PageHost.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

namespace {

class TSilentErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string&) override {}
};

// Fonts and the form controls' widgets need an application object; the
// harness makes one for the whole run, on the offscreen platform.
void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_builder";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

void LayOut(TSectionList& document, int width)
{
    TCanvas canvas;
    int position = 0;
    int maxWidth = 0;
    document.Layout(canvas, 5, width, position, maxWidth);
}

void PaintTop(TSectionList& document, int width)
{
    constexpr int kHeight = 300;
    QImage image(width, kHeight, QImage::Format_RGB32);
    TCanvas canvas(&image);
    document.Paint(canvas, {0, 0, width, kHeight}, 5, 5, width);
}

// The point queries of the mouse, over a grid of the painted band.
void AskPoints(TSectionList& document, int width)
{
    constexpr int kStep = 37;
    constexpr int kHeight = 300;
    TCanvas canvas;
    for (int y = 0; y < kHeight; y += kStep) {
        for (int x = 0; x < width; x += kStep) {
            TImageFormControlObj* control = nullptr;
            TUrlTarget target;
            document.LinkAt(canvas, 0, x, y, control, target);
            int yInImage = 0;
            int xInImage = 0;
            TImageObj* image = nullptr;
            document.ImageAt(0, x, y, yInImage, xInImage, image);
            bool insideText = false;
            int lineHeight = 0;
            int lineTop = 0;
            int cursorX = 0;
            TCell* cell = nullptr;
            document.PositionAt(canvas, 0, x, y, insideText, lineHeight, lineTop, cursorX, cell);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EnsureApplication();
    TSilentErrorBox errors;
    TImageCache cache;
    QWidget panel;
    TPageHost host(panel);
    TFormList forms;
    TSectionList document(&host, errors);
    document.ImageCache = &cache;
    document.SetFonts("Times New Roman", "Courier New", kSystemColorFlag | 0x0F, 0x00FF0000,
                      kSystemColorFlag | 0x12, 12);
    if (size > 0 && (data[0] & 1) != 0)
        document.OnScript = [](const std::string&, const std::string&) {};
    TAnchorList anchors;
    THtmlBuilder builder;
    try {
        builder.ParseHtmlText({document, forms, anchors}, std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EParseError&) {
        // The page ended inside a comment: what was built is laid out.
    }
    LayOut(document, 120);
    LayOut(document, 780);
    PaintTop(document, 780);
    AskPoints(document, 780);
    return 0;
}
