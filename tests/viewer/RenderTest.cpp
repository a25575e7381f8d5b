// What the viewer paints, read back pixel by pixel: from zefweb --render and
// from the control itself; and the text zefweb --text prints.

#include "tests/viewer/ViewerFixture.h"

#include "app/batch/BatchViewer.h"
#include "tests/images/GifBuilder.h"

#include <QImage>
#include <QTest>
#include <sstream>

namespace {

class TRenderTest : public TViewerTest {
protected:
    // Runs zefweb --render; returns the picture it saved.
    QImage Render(const std::string& page, std::vector<std::string> options = {})
    {
        const std::string output = Folder() + "/out.png";
        std::vector<std::string> arguments = {"--render", page, "--output", output, "--width", "400",
                                              "--height", "300"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RenderCommand(arguments, out, err), 0) << err.str();
        return QImage(QString::fromStdString(output));
    }
};

bool IsDark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// Whether each row holds a dark (text) pixel between the columns.
std::vector<bool> DarkRows(const QImage& image, int left, int right)
{
    std::vector<bool> rows(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = left; x < right && !rows[static_cast<std::size_t>(y)]; ++x)
            rows[static_cast<std::size_t>(y)] = IsDark(image.pixel(x, y));
    return rows;
}

// The bounding box of the pixels of exactly that colour.
QRect BoxOf(const QImage& image, QRgb color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(TRenderTest, BackgroundTextAndImage)
{
    const QImage image = Render(FixturePage("render.htm"));
    ASSERT_EQ(image.size(), QSize(400, 300));
    EXPECT_EQ(image.pixel(200, 250) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFFFF00u);
    // The first line of text lies below the top margin (panel at 1, margin 5).
    const std::vector<bool> dark = DarkRows(image, 11, 300);
    EXPECT_FALSE(dark[4]);
    EXPECT_TRUE(std::find(dark.begin() + 6, dark.begin() + 26, true) != dark.begin() + 26);
    // The picture, 40 x 40, starts at the left margin below the text.
    const QRect red = BoxOf(image, qRgb(255, 0, 0));
    EXPECT_EQ(red.size(), QSize(40, 40));
    EXPECT_EQ(red.left(), 11);
    EXPECT_GT(red.top(), 26);
}

// An animated picture on the page moves on by itself in the window: the
// view's clock advances what its last painting drew and repaints it there.
TEST_F(TRenderTest, AnAnimatedPictureMovesOnInTheWindow)
{
    const std::vector<std::uint8_t> gif = TGifBuilder(20, 20)
                                              .Loop(0)
                                              .Control(1, 10)
                                              .Frame(0, 0, 20, 20, std::vector<std::uint8_t>(400, 1))
                                              .Control(1, 10)
                                              .Frame(0, 0, 20, 20, std::vector<std::uint8_t>(400, 2))
                                              .Finish();
    WriteFile("spin.gif", std::string(gif.begin(), gif.end()));
    Pane().SetViewImages(true);
    Pane().LoadHtmlFile(WriteFile("spin.htm", "<P>Tourne : <IMG SRC=\"spin.gif\">"));
    const QRect red = BoxOf(Paint(), qRgb(255, 0, 0));
    ASSERT_EQ(red.size(), QSize(20, 20));

    // Each painting starts the clock again: the window is left alone a while
    // between two looks.
    QElapsedTimer waited;
    waited.start();
    QImage shown;
    do {
        QTest::qWait(150);
        shown = Paint();
    } while (shown.pixel(red.center()) != qRgb(0, 255, 0) && waited.elapsed() < 5000);
    EXPECT_EQ(BoxOf(shown, qRgb(0, 255, 0)), red);
}

TEST_F(TRenderTest, WithoutImagesThePictureIsNotDrawn)
{
    const QImage image = Render(FixturePage("render.htm"), {"--no-images"});
    EXPECT_TRUE(BoxOf(image, qRgb(255, 0, 0)).isEmpty());
}

TEST_F(TRenderTest, ScrolledViewMovesTheText)
{
    const QImage top = Render(FixturePage("long.htm"));
    const QImage scrolled = Render(FixturePage("long.htm"), {"--scroll", "100"});
    const std::vector<bool> topRows = DarkRows(top, 11, 300);
    const std::vector<bool> scrolledRows = DarkRows(scrolled, 11, 300);
    int textRows = 0;
    for (int y = 2; y < 180; ++y) {
        EXPECT_EQ(scrolledRows[static_cast<std::size_t>(y)], topRows[static_cast<std::size_t>(y + 100)]) << y;
        textRows += scrolledRows[static_cast<std::size_t>(y)];
    }
    EXPECT_GT(textRows, 20);
}

TEST_F(TRenderTest, FullPageHoldsTheWholeDocument)
{
    Pane().LoadHtmlFile(FixturePage("long.htm"));
    const QImage image = Render(FixturePage("long.htm"), {"--full"});
    EXPECT_EQ(image.size(), QSize(400, Pane().DocHeight() + 3));
    const std::vector<bool> dark = DarkRows(image, 11, 300);
    EXPECT_TRUE(std::find(dark.end() - 40, dark.end(), true) != dark.end());
}

TEST_F(TRenderTest, MissingFileIsReported)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RenderCommand({"--render", Folder() + "/none.htm", "--output", Folder() + "/x.png"}, out, err), 1);
    EXPECT_EQ(err.str(), "zefweb: impossible d'ouvrir " + Folder() + "/none.htm : fichier introuvable\n");
    EXPECT_EQ(RenderCommand({"--render", FixturePage("long.htm")}, out, err), 2);
}

// A picture is held whole and drawn with 16-bit coordinates: a page taller
// than that, or a size asked beyond it, is refused with the limits named.
TEST_F(TRenderTest, PicturesBeyondThePictureLimitsAreRefused)
{
    const std::string page = WriteLongPage("haute.htm", 2000);
    const std::string output = Folder() + "/haute.png";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RenderCommand({"--render", page, "--output", output, "--full"}, out, err), 1);
    EXPECT_NE(err.str().find("--full : la page fait "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("32767 pixels de côté"), std::string::npos) << err.str();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));

    for (const auto& [width, height] : {std::pair{"32768", "10"}, std::pair{"10", "32768"}, std::pair{"9000", "9000"}})
        EXPECT_EQ(RenderCommand({"--render", page, "--output", output, "--width", width, "--height", height}, out, err), 2)
            << width << " x " << height;
    EXPECT_EQ(RenderCommand({"--render", page, "--output", output, "--width", "32767", "--height", "100"}, out, err), 0)
        << err.str();
}

// Share of the rectangle's pixels that have exactly the colour.
double ShareOf(const QImage& image, const QRect& rect, QRgb color)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return static_cast<double>(count) / (rect.width() * rect.height());
}

TEST_F(TRenderTest, SelectionIsPaintedInverted)
{
    // Selected text takes the text colour as background and the page
    // background as text colour: black on yellow becomes yellow on black.
    Pane().LoadHtmlFile(FixturePage("render.htm"));
    const QImage plain = Paint();
    const QRect firstLine(QPoint(12, PointOfText("Texte").y() - 2) + Pane().PaintPanel().pos(), QSize(100, 8));
    EXPECT_LT(ShareOf(plain, firstLine, qRgb(0, 0, 0)), 0.3);
    Pane().SelectAll();
    const QImage selected = Paint();
    EXPECT_GT(ShareOf(selected, firstLine, qRgb(0, 0, 0)), 0.5);
    EXPECT_GT(ShareOf(selected, firstLine, qRgb(255, 255, 0)), 0.01);
    // Below the text, the page stays yellow.
    EXPECT_EQ(selected.pixel(200, 250) & 0xFFFFFF, 0xFFFF00u);
}

TEST_F(TRenderTest, TiledBackgroundScrollsWithThePage)
{
    std::string page = "<BODY BACKGROUND=\"" + FixturePage("red.bmp") + "\">";
    for (int i = 0; i < 60; ++i)
        page += "<P>Ligne " + std::to_string(i);
    Pane().SetViewImages(true);
    Pane().LoadHtmlFile(WriteFile("tiled.htm", page));
    const QImage image = Paint();
    // Red everywhere the text is not: between two paragraphs, at the right edge.
    EXPECT_EQ(image.pixel(Pane().PaintPanel().x() + Pane().PaintPanel().width() - 3, 150) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(TRenderTest, RuleInANarrowCellStaysInsideIt)
{
    // A cell too narrow for the rule's insets, and one with no room at all.
    const QImage image = Render(WriteFile(
        "rules.htm", "<table border=1><tr><td width=12><hr color=red size=4></td><td bgcolor=blue>x</td></tr></table>"
                     "<table border=1><tr><td><hr color=lime></td><td bgcolor=yellow>x</td></tr></table>"));
    const QRect red = BoxOf(image, qRgb(255, 0, 0));
    const QRect blue = BoxOf(image, qRgb(0, 0, 255));
    ASSERT_FALSE(red.isEmpty());
    EXPECT_GE(red.left(), 11 + 4);
    EXPECT_LT(red.right(), blue.left() - 1);
    EXPECT_TRUE(BoxOf(image, qRgb(0, 255, 0)).isEmpty());
}

TEST_F(TRenderTest, LargeListNumbersPushTheTextInsteadOfLeavingTheWindow)
{
    const QImage image = Render(WriteFile("numbers.htm", "<OL START=100000><LI>first<LI>second</OL>"));
    const std::vector<bool> margin = DarkRows(image, 0, 11);
    EXPECT_EQ(std::find(margin.begin(), margin.end(), true), margin.end());
    const std::vector<bool> numbers = DarkRows(image, 11, 30);
    EXPECT_NE(std::find(numbers.begin(), numbers.begin() + 45, true), numbers.begin() + 45);
}

TEST_F(TRenderTest, TextCommandPrintsTheSelectAllCopy)
{
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(TextCommand({"--text", FixturePage("words.htm")}, out, err), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("Le chat dort."), std::string::npos) << text;
    EXPECT_NE(text.find("\xC3\xA9tat_civil"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n"), std::string::npos);
}

// A page of someone else's documentation with PNG pictures: with --png the
// picture's alpha is blended onto the yellow page, its fully transparent
// pixels show the page, a PNG background is drawn under the text, and a PNG
// opened alone is shown; without it each is the error picture.
TEST_F(TRenderTest, PngPicturesWithAlphaOnlyWithTheOption)
{
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 20; ++x)
            picture.setPixel(x, y, qRgba(255, 0, 0, 128));
    const std::string png = Folder() + "/half.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(png), "PNG"));
    const std::string page = WriteFile("png.htm", "<BODY BGCOLOR=#FFFF00><P>Texte<P><IMG SRC=\"half.png\">");

    // Half red over yellow.
    const QRgb orange = qRgb(255, 127, 0);
    const QImage shown = Render(page, {"--png"});
    const QRect blended = BoxOf(shown, orange);
    EXPECT_EQ(blended.size(), QSize(20, 40));
    EXPECT_EQ(shown.pixel(blended.right() + 10, blended.center().y()) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_TRUE(BoxOf(Render(page), orange).isEmpty());

    // Half-transparent blue tiles over the page's white.
    QImage tile(8, 8, QImage::Format_ARGB32);
    tile.fill(qRgba(0, 0, 255, 128));
    ASSERT_TRUE(tile.save(QString::fromStdString(Folder() + "/tile.png"), "PNG"));
    const std::string tiled = WriteFile("tiled.htm", "<BODY BGCOLOR=#FFFFFF BACKGROUND=\"tile.png\"><P>Texte");
    const QRgb lightBlue = qRgb(127, 127, 255);
    EXPECT_EQ(Render(tiled, {"--png"}).pixel(300, 250) & 0xFFFFFF, lightBlue & 0xFFFFFF);
    EXPECT_EQ(Render(tiled).pixel(300, 250) & 0xFFFFFF, 0xFFFFFFu);

    // Alone, on the window's own background.
    const auto reddish = [](const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qRed(image.pixel(x, y)) > qGreen(image.pixel(x, y)) + 60)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    EXPECT_EQ(reddish(Render(png, {"--png"})).size(), QSize(20, 40));
    EXPECT_NE(reddish(Render(png)).size(), QSize(20, 40));
}

} // namespace
