// The canvas read back pixel by pixel from off-screen images.

#include "engine/canvas/Canvas.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

QImage Blank(int width, int height, QRgb color = kWhite)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

// The bounding box of every pixel that differs from the background; empty when none does.
QRect InkBox(const QImage& image, QRgb background = kWhite)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Pixel(image, x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

TMyFont Serif(int points = 12, TFontStyles style = {})
{
    return TMyFont("Times New Roman", points, style, clBlack);
}

// Text drawn in black on white, transparent background, top-left alignment.
QImage DrawText(int x, int y, std::string_view text, const TMyFont& font = Serif())
{
    QImage image = Blank(400, 60);
    TCanvas canvas(&image);
    canvas.SetFont(font);
    canvas.SetBackgroundMode(TBackgroundMode::Transparent);
    canvas.TextOut(x, y, text);
    return image;
}

}  // namespace

TEST(CanvasText, ExtentIsTheSumOfTheAdvances)
{
    TCanvas canvas;
    canvas.SetFont(Serif());
    const std::string text = "Windows-1252: \xC0 la caf\xE9, 10 \x80";
    int sum = 0;
    for (const char byte : text)
        sum += canvas.Font().Face().Advance(static_cast<unsigned char>(byte));
    EXPECT_EQ(canvas.TextWidth(text), sum);
    EXPECT_EQ(canvas.TextExtent(text), QSize(sum, canvas.TextMetrics().Height));
    EXPECT_EQ(canvas.TextWidth(""), 0);
    EXPECT_GT(canvas.TextWidth("W"), canvas.TextWidth("i"));
    // A larger font measures wider: the table follows the font.
    canvas.Font().SetSize(24);
    EXPECT_GT(canvas.TextWidth(text), sum);
}

TEST(CanvasText, PaintedInkStaysInTheMeasuredBox)
{
    for (const TFontStyles style : {TFontStyles(), TFontStyles(TFontStyle::Bold)}) {
        const std::string text = "Hello, World! gjpqy \xC0\xC9\xC7 |[]";
        const TMyFont font = Serif(12, style);
        const QImage image = DrawText(10, 10, text, font);
        const QRect ink = InkBox(image);
        ASSERT_FALSE(ink.isEmpty());
        const QRect cell(10, 10, font.TextWidth(text), font.Metrics().Height);
        EXPECT_TRUE(cell.contains(ink)) << "ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x"
                                        << ink.height();
        // The ink reaches close to both ends of the measure.
        EXPECT_LE(ink.left(), 12);
        EXPECT_GE(ink.right(), cell.right() - 3);
    }
}

TEST(CanvasText, PiecesPaintLikeTheWhole)
{
    // Drawing is placed at the measured advances, so a line drawn in chunks
    // (as sections draw runs) gives exactly the pixels of one call.
    const TMyFont font = Serif();
    const QImage whole = DrawText(5, 5, "Measured text agrees");
    QImage pieces = Blank(400, 60);
    {
        TCanvas canvas(&pieces);
        canvas.SetFont(font);
        canvas.SetBackgroundMode(TBackgroundMode::Transparent);
        int x = 5;
        for (const std::string_view piece : {"Meas", "ured te", "xt agrees"}) {
            canvas.TextOut(x, 5, piece);
            x += canvas.TextWidth(piece);
        }
    }
    EXPECT_EQ(whole, pieces);
}

TEST(CanvasText, BaselineAlignmentDrawsAtTheBaseline)
{
    const TMyFont font = Serif();
    const QImage topLeft = DrawText(5, 10, "Baseline gy");
    QImage baseline = Blank(400, 60);
    {
        TCanvas canvas(&baseline);
        canvas.SetFont(font);
        canvas.SetBackgroundMode(TBackgroundMode::Transparent);
        canvas.SetTextAlign(TTextAlign::Baseline);
        canvas.TextOut(5, 10 + font.Metrics().Ascent, "Baseline gy");
    }
    EXPECT_EQ(topLeft, baseline);
}

TEST(CanvasText, OpaqueBackgroundFillsTheTextCellOnly)
{
    const TMyFont font = Serif();
    const std::string spaces = "    ";
    QImage opaque = Blank(100, 50);
    QImage transparent = Blank(100, 50);
    QImage clearBrush = Blank(100, 50);
    {
        TCanvas canvas(&opaque);
        canvas.SetFont(font);
        canvas.SetBackgroundMode(TBackgroundMode::Opaque);
        canvas.SetBackgroundColor(clRed);
        canvas.TextOut(10, 5, spaces);
        TCanvas second(&transparent);
        second.SetFont(font);
        second.SetBackgroundColor(clRed);
        second.SetBackgroundMode(TBackgroundMode::Transparent);
        second.TextOut(10, 5, spaces);
        // A clear brush makes text transparent, as on the design's canvas.
        TCanvas third(&clearBrush);
        third.SetFont(font);
        third.SetBrush(clRed, TBrushStyle::Clear);
        third.TextOut(10, 5, spaces);
    }
    EXPECT_EQ(InkBox(opaque), QRect(10, 5, font.TextWidth(spaces), font.Metrics().Height));
    EXPECT_EQ(Pixel(opaque, 10, 5), kRed);
    EXPECT_TRUE(InkBox(transparent).isEmpty());
    EXPECT_TRUE(InkBox(clearBrush).isEmpty());
}

TEST(CanvasText, InverseVideoDrawsTheTextInTheBackgroundColour)
{
    QImage image = Blank(200, 40);
    TCanvas canvas(&image);
    canvas.SetFont(Serif());
    canvas.SetBrush(clBlack);
    canvas.SetFontColor(clWhite);
    canvas.TextOut(0, 0, "Selected");
    const int width = canvas.TextWidth("Selected");
    const int height = canvas.TextMetrics().Height;
    int light = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            light += qGray(Pixel(image, x, y)) > 128;
    EXPECT_GT(light, 20);                        // the letters are light
    EXPECT_EQ(Pixel(image, 0, height - 1), kBlack);  // on a black cell
    EXPECT_EQ(Pixel(image, width, 0), kWhite);       // which ends at the measure
}

TEST(CanvasText, ExtTextOutClipsToItsRectangle)
{
    const std::string text = "WWWWWWWWWW";
    const TMyFont font = Serif();
    const int height = font.Metrics().Height;
    QImage clipped = Blank(300, 40);
    QImage opaque = Blank(300, 40);
    const TRect clip{30, 0, 60, height};
    {
        TCanvas canvas(&clipped);
        canvas.SetFont(font);
        canvas.SetBackgroundMode(TBackgroundMode::Transparent);
        canvas.ExtTextOut(10, 0, clip, text);
        TCanvas second(&opaque);
        second.SetFont(font);
        second.SetBrush(clLime);
        second.SetBackgroundMode(TBackgroundMode::Transparent);
        second.ExtTextOut(10, 0, TRect{30, 0, 60, height + 5}, text, TExtTextOptions::ClippedOpaque);
        // The clip ends with the call.
        second.TextOut(200, 0, "W");
    }
    const QRect ink = InkBox(clipped);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(ToQRect(clip).contains(ink));
    EXPECT_EQ(InkBox(opaque.copy(0, 0, 150, 40)), QRect(30, 0, 30, height + 5));
    EXPECT_EQ(Pixel(opaque, 30, height + 4), kGreen);
    EXPECT_FALSE(InkBox(opaque.copy(150, 0, 150, 40)).isEmpty());
}

TEST(CanvasColors, SystemColoursComeFromTheApplicationPalette)
{
    const QPalette palette = QGuiApplication::palette();
    const auto role = [&](QPalette::ColorRole r) { return palette.color(QPalette::Active, r); };
    EXPECT_EQ(ToQColor(clBtnFace), role(QPalette::Button));
    EXPECT_EQ(ToQColor(clWindow), role(QPalette::Base));
    EXPECT_EQ(ToQColor(clWindowText), role(QPalette::Text));
    EXPECT_EQ(ToQColor(clHighlight), role(QPalette::Highlight));
    EXPECT_EQ(ToQColor(clBtnShadow), role(QPalette::Dark));
    EXPECT_EQ(ToQColor(clBtnHighlight), role(QPalette::Light));
    EXPECT_EQ(ToQColor(clInfoBk), role(QPalette::ToolTipBase));
    EXPECT_EQ(ToQColor(kSystemColorFlag | 0x12), role(QPalette::ButtonText));
    // The palette-relative flag is ignored, on plain and on system colours.
    EXPECT_EQ(ToQColor(clBtnFace | kPaletteRelative), role(QPalette::Button));
    EXPECT_EQ(ToQColor(RGB(255, 128, 0) | kPaletteRelative), QColor(255, 128, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(ToQColor(kSystemColorFlag | 99), QColor(Qt::black));
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
}

TEST(CanvasShapes, RectanglesExcludeTheirRightAndBottomEdges)
{
    QImage image = Blank(40, 40);
    {
        TCanvas canvas(&image);
        canvas.SetBrush(clRed);
        canvas.FillRect({2, 3, 6, 8});
        canvas.SetPen(clBlue);
        canvas.SetBrush(clLime);
        canvas.Rectangle({10, 10, 20, 16});
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.Rectangle({25, 25, 30, 30});
        canvas.FillRect({0, 30, 10, 40});  // a clear brush fills nothing
        canvas.SetBrush(clRed);
        canvas.FrameRect({30, 0, 36, 4});
    }
    EXPECT_EQ(InkBox(image.copy(0, 0, 8, 9)), QRect(2, 3, 4, 5));
    // Pen outline on the rectangle's own pixels, brush inside.
    EXPECT_EQ(Pixel(image, 10, 10), kBlue);
    EXPECT_EQ(Pixel(image, 19, 15), kBlue);
    EXPECT_EQ(Pixel(image, 20, 15), kWhite);
    EXPECT_EQ(Pixel(image, 19, 16), kWhite);
    EXPECT_EQ(Pixel(image, 11, 11), kGreen);
    EXPECT_EQ(Pixel(image, 18, 14), kGreen);
    EXPECT_EQ(Pixel(image, 25, 25), kBlue);
    EXPECT_EQ(Pixel(image, 27, 27), kWhite);
    EXPECT_TRUE(InkBox(image.copy(0, 30, 10, 10)).isEmpty());
    EXPECT_EQ(Pixel(image, 30, 0), kRed);
    EXPECT_EQ(Pixel(image, 35, 3), kRed);
    EXPECT_EQ(Pixel(image, 32, 2), kWhite);
}

TEST(CanvasShapes, LinesLeaveOutTheirLastPixel)
{
    QImage image = Blank(30, 30);
    {
        TCanvas canvas(&image);
        canvas.SetPen(clBlack);
        canvas.MoveTo(2, 2);
        canvas.LineTo(10, 2);   // across
        canvas.LineTo(10, 10);  // down, from where the last line ended
        canvas.MoveTo(20, 20);
        canvas.LineTo(15, 15);  // diagonal, up and left
        canvas.SetPen(clRed, 1, TPenStyle::Clear);
        canvas.MoveTo(0, 28);
        canvas.LineTo(29, 28);
    }
    EXPECT_EQ(Pixel(image, 2, 2), kBlack);
    EXPECT_EQ(Pixel(image, 9, 2), kBlack);
    EXPECT_EQ(Pixel(image, 10, 2), kBlack);   // the start of the second line
    EXPECT_EQ(Pixel(image, 10, 9), kBlack);
    EXPECT_EQ(Pixel(image, 10, 10), kWhite);
    EXPECT_EQ(Pixel(image, 20, 20), kBlack);
    EXPECT_EQ(Pixel(image, 16, 16), kBlack);
    EXPECT_EQ(Pixel(image, 15, 15), kWhite);
    EXPECT_EQ(InkBox(image.copy(0, 25, 30, 5)), QRect());
}

TEST(CanvasShapes, EllipsesStayInTheirBox)
{
    QImage image = Blank(30, 30);
    {
        TCanvas canvas(&image);
        canvas.SetPen(clRed);
        canvas.SetBrush(clRed);
        canvas.Ellipse({5, 5, 10, 10});  // the five-pixel disc of a list bullet
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.Ellipse({12, 12, 28, 28});
    }
    EXPECT_EQ(InkBox(image.copy(0, 0, 11, 11)), QRect(5, 5, 5, 5));
    EXPECT_EQ(Pixel(image, 7, 7), kRed);
    EXPECT_EQ(InkBox(image.copy(11, 11, 19, 19)), QRect(1, 1, 16, 16));
    EXPECT_EQ(Pixel(image, 20, 20), kWhite);  // hollow
}

TEST(CanvasShapes, RegionsCombineAndFill)
{
    QImage image = Blank(40, 40);
    // A cell grid's spacing: the band less the cell boxes.
    const QRegion band = RectRegion({0, 0, 20, 10});
    const QRegion spacing = CombineRegions(band, RectRegion({2, 2, 18, 8}), TRegionOp::Difference);
    // A self-crossing star: the winding rule fills its centre too.
    const QPolygon star({QPoint(30, 10), QPoint(36, 38), QPoint(20, 20), QPoint(40, 20), QPoint(24, 38)});
    {
        TCanvas canvas(&image);
        canvas.FillRegion(spacing, clBlue);
        canvas.FillRegion(PolygonRegion(star), clRed);
    }
    EXPECT_EQ(Pixel(image, 0, 0), kBlue);
    EXPECT_EQ(Pixel(image, 19, 9), kBlue);
    EXPECT_EQ(Pixel(image, 1, 5), kBlue);
    EXPECT_EQ(Pixel(image, 10, 5), kWhite);
    EXPECT_EQ(Pixel(image, 20, 10), kWhite);
    EXPECT_EQ(Pixel(image, 30, 24), kRed);  // the centre of the star
    EXPECT_TRUE(EllipseRegion({0, 0, 11, 11}).contains(QPoint(5, 5)));
    EXPECT_FALSE(EllipseRegion({0, 0, 11, 11}).contains(QPoint(0, 0)));
    EXPECT_TRUE(CombineRegions(band, RectRegion({30, 30, 31, 31}), TRegionOp::Union).contains(QPoint(30, 30)));
}

TEST(CanvasPictures, CopiesAndStretchesTakeTheNearestPixel)
{
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, kRed);
    picture.setPixel(1, 0, kGreen);
    QImage image = Blank(20, 10);
    {
        TCanvas canvas(&image);
        canvas.Draw(1, 1, picture);
        canvas.StretchDraw({0, 5, 8, 6}, picture);
    }
    EXPECT_EQ(Pixel(image, 1, 1), kRed);
    EXPECT_EQ(Pixel(image, 2, 1), kGreen);
    EXPECT_EQ(Pixel(image, 3, 1), kWhite);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Pixel(image, x, 5), x < 4 ? kRed : kGreen) << x;
    EXPECT_EQ(Pixel(image, 8, 5), kWhite);
}

TEST(CanvasPictures, MaskedDrawingLeavesTransparentPixelsAlone)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(kRed);
    // White (1) where transparent: the left half.
    QImage mask(4, 4, QImage::Format_Mono);
    mask.setColorTable({kBlack, kWhite});
    mask.fill(0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            mask.setPixel(x, y, 1);
    QImage image = Blank(20, 20, kBlue);
    {
        TCanvas canvas(&image);
        canvas.DrawMasked({0, 0, 4, 4}, picture, mask);
        canvas.DrawMasked({10, 10, 18, 18}, picture, mask);  // stretched twice
    }
    EXPECT_EQ(Pixel(image, 0, 0), kBlue);
    EXPECT_EQ(Pixel(image, 1, 3), kBlue);
    EXPECT_EQ(Pixel(image, 2, 0), kRed);
    EXPECT_EQ(Pixel(image, 3, 3), kRed);
    EXPECT_EQ(Pixel(image, 13, 17), kBlue);
    EXPECT_EQ(Pixel(image, 14, 10), kRed);
    EXPECT_EQ(Pixel(image, 17, 17), kRed);
    EXPECT_EQ(Pixel(image, 18, 17), kBlue);
    // The same mask with the opposite colour table still means white = transparent.
    QImage inverted = mask;
    inverted.setColorTable({kWhite, kBlack});
    QImage second = Blank(4, 4, kBlue);
    {
        TCanvas canvas(&second);
        canvas.DrawMasked({0, 0, 4, 4}, picture, inverted);
    }
    EXPECT_EQ(Pixel(second, 0, 0), kRed);
    EXPECT_EQ(Pixel(second, 3, 0), kBlue);
}

TEST(CanvasDevices, MeasuringCanvasDrawsNothingAndStillMeasures)
{
    TCanvas canvas;
    EXPECT_FALSE(canvas.HasDevice());
    canvas.SetFont(Serif());
    canvas.TextOut(0, 0, "text");
    canvas.FillRect({0, 0, 10, 10});
    canvas.LineTo(5, 5);
    canvas.DrawMasked({0, 0, 2, 2}, QImage(2, 2, QImage::Format_RGB32), QImage());
    EXPECT_EQ(canvas.TextMetrics().Height, 19);
    EXPECT_EQ(canvas.ClipRect(), TRect());
}

TEST(CanvasDevices, WindowOriginAndClipUseLogicalCoordinates)
{
    QImage image = Blank(50, 40);
    TCanvas canvas(&image);
    EXPECT_EQ(canvas.ClipRect(), (TRect{0, 0, 50, 40}));
    canvas.SetWindowOrigin(100, 200);
    EXPECT_EQ(canvas.ClipRect(), (TRect{100, 200, 150, 240}));
    canvas.SetClipRect({110, 210, 120, 220});
    EXPECT_EQ(canvas.ClipRect(), (TRect{110, 210, 120, 220}));
    canvas.SetBrush(clRed);
    canvas.FillRect({100, 200, 150, 240});
    canvas.ClearClip();
    canvas.SetWindowOrigin(0, 0);
    canvas.SetBrush(clBlue);
    canvas.FillRect({0, 0, 1, 1});
    EXPECT_EQ(InkBox(image), QRect(0, 0, 20, 20));
    EXPECT_EQ(Pixel(image, 10, 10), kRed);
    EXPECT_EQ(Pixel(image, 0, 0), kBlue);
}

TEST(CanvasDevices, PrintersDrawAtNinetySixDotsPerInch)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QPdfWriter writer(folder.filePath("page.pdf"));
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    TCanvas canvas(&writer);
    ASSERT_TRUE(canvas.HasDevice());
    // A4 is 210 mm wide: 210 / 25.4 × 96 = 793.7 logical pixels.
    const TRect page = canvas.ClipRect();
    EXPECT_NEAR(page.Width(), 794, 1);
    EXPECT_NEAR(page.Height(), 1123, 1);
    // Fonts measure the same as on screen.
    canvas.SetFont(Serif());
    EXPECT_EQ(canvas.TextMetrics().Height, 19);
}

namespace {

// A widget that paints through a canvas and remembers what it was given.
class TCanvasWidget : public QWidget {
public:
    TRect PaintedClip;

protected:
    void paintEvent(QPaintEvent*) override
    {
        TCanvas canvas(this);
        PaintedClip = canvas.ClipRect();
        canvas.SetBrush(clRed);
        canvas.FillRect(PaintedClip);
    }
};

}  // namespace

TEST(CanvasDevices, WidgetsClipToTheAreaBeingRepainted)
{
    TCanvasWidget widget;
    widget.resize(60, 40);
    QImage image = Blank(60, 40);
    widget.render(&image, QPoint(), QRegion(10, 5, 20, 15), QWidget::RenderFlags());
    EXPECT_EQ(widget.PaintedClip, (TRect{10, 5, 30, 20}));
    // The repainted area lands at the image's origin.
    EXPECT_EQ(InkBox(image), QRect(0, 0, 20, 15));
}
