// Any bytes as an HTML page in memory: built, laid out at a narrow and a wide
// width, and its top painted (which makes the widgets of the form controls
// shown there). A page that ends inside a comment is a normal outcome.
// fontconfig's caches outlive the run: fuzz with
// LSAN_OPTIONS=suppressions=fuzz/lsan.supp.

#include "engine/canvas/Canvas.h"
#include "engine/base/ErrorBox.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    EnsureApplication();
    TSilentErrorBox errors;
    TImageCache cache;
    QWidget panel;
    TSectionList document(nullptr, &panel, errors);
    document.ImageCache = &cache;
    document.SetFonts("Times New Roman", "Courier New", kSystemColorFlag | 0x0F, 0x00FF0000,
                      kSystemColorFlag | 0x12, 12);
    TAnchorList anchors;
    THtmlBuilder builder;
    try {
        builder.ParseHtmlText(document, anchors, std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EParseError&) {
        // The page ended inside a comment: what was built is laid out.
    }
    LayOut(document, 120);
    LayOut(document, 780);
    PaintTop(document, 780);
    return 0;
}
