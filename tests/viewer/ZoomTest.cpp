// The zoomed view: Ctrl and the wheel, the layout for the width the page then
// has, the pixels twice as many at 200 %, hit tests and form widgets.

#include "tests/viewer/ViewerFixture.h"

#include "engine/forms/FormControlObj.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpontaneKeyEvent>
#include <QStyle>
#include <QWheelEvent>

#include <cstdlib>

namespace {

using TZoomTest = TViewerTest;

void CtrlWheel(QWidget& widget, int notches)
{
    const QPointF at(widget.width() / 2, widget.height() / 2);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(&widget, &event);
}

int BarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// The box around the dark pixels of the picture.
QRect InkBox(const QImage& picture)
{
    QRect box;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(picture.pixel(x, y)) < 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage PanelPicture(THtmlPane& pane)
{
    QImage picture(pane.PaintPanel().size(), QImage::Format_RGB32);
    pane.PaintPanelInto(picture, picture.rect());
    return picture;
}

TEST_F(TZoomTest, CtrlWheelZoomsKeepingTheParagraphAtTheTop)
{
    Pane().LoadHtmlFile(WriteLongPage("long.htm", 200));
    std::vector<int> told;
    Pane().OnZoomChange = [&told](THtmlPane&, int percent) { told.push_back(percent); };
    Pane().SetPosition(60 << 16);
    const int item = Pane().Position() >> 16;
    const int heightBefore = Pane().DocHeight();

    CtrlWheel(Pane().PaintPanel(), 2);
    EXPECT_EQ(Pane().ZoomPercent(), 125);
    EXPECT_EQ(told, (std::vector<int>{110, 125}));
    EXPECT_EQ(Pane().Position() >> 16, item);
    // Laid out narrower in page pixels, the page is at least as tall there,
    // and taller on the screen.
    EXPECT_GE(Pane().DocHeight(), heightBefore);
    EXPECT_GT(Pane().Zoom().ToScreen(Pane().DocHeight()), heightBefore * 5 / 4 - 1);

    CtrlWheel(Pane().PaintPanel(), -3);
    EXPECT_EQ(Pane().ZoomPercent(), 90);
    EXPECT_EQ(Pane().Position() >> 16, item);

    // The steps end at 50 and 300 %.
    Pane().SetZoomPercent(1000);
    EXPECT_EQ(Pane().ZoomPercent(), 300);
    Pane().ZoomIn();
    EXPECT_EQ(Pane().ZoomPercent(), 300);
    Pane().SetZoomPercent(50);
    Pane().ZoomOut();
    EXPECT_EQ(Pane().ZoomPercent(), 50);
    EXPECT_EQ(Pane().Position() >> 16, item);
    EXPECT_EQ(told.back(), 50);
}

TEST_F(TZoomTest, TwiceTheZoomDrawsTheLinesOfHalfTheWidthWithTwiceThePixels)
{
    const std::string page = WriteFile(
        "page.htm", "<HTML><BODY BGCOLOR=WHITE TEXT=BLACK><H2>Un titre</H2>"
                    "<P>Un paragraphe assez long pour se couper en plusieurs lignes dans une page étroite, "
                    "avec <B>du gras</B> et <I>de l'italique</I>.<HR>"
                    "<TABLE BORDER=1><TR><TD>case un<TD>case deux</TABLE>"
                    "<P><IMG SRC=\"red.bmp\" WIDTH=40 HEIGHT=30> et du texte après l'image.</BODY></HTML>");
    std::filesystem::copy_file(FixturePage("red.bmp"), Folder() + "/red.bmp");
    Pane().SetViewImages(true);
    Pane().LoadHtmlFile(page);
    QImage normal = PanelPicture(Pane());

    // The layout width is the control's less the bar and the border: twice
    // as wide a control less those once gives twice the layout width.
    THtmlPane zoomed(cache_, errors_);
    zoomed.resize(2 * kWidth - BarWidth() - 3, kHeight);
    zoomed.show();
    zoomed.SetViewImages(true);
    zoomed.SetZoomPercent(200);
    zoomed.LoadHtmlFile(page);
    QApplication::processEvents();
    EXPECT_EQ(zoomed.DocHeight(), Pane().DocHeight());
    TCanvas measure;
    for (const std::string text : {"plusieurs", "italique", "case deux", "texte"}) {
        const int position = Document().Search(0, text, true);
        int normalY = 0, normalX = 0, zoomedY = 0, zoomedX = 0;
        ASSERT_TRUE(Document().PositionToPoint(measure, 10, position, normalY, normalX));
        ASSERT_TRUE(zoomed.Document().PositionToPoint(measure, 10, position, zoomedY, zoomedX));
        EXPECT_EQ(zoomedY, normalY) << text;
        EXPECT_EQ(zoomedX, normalX) << text;
    }

    // Every pixel of the plain view is a 2 x 2 block of the zoomed one, but
    // for the edges of letters.
    const QImage large = PanelPicture(zoomed);
    const int width = std::min(normal.width(), large.width() / 2);
    const int height = std::min(normal.height(), large.height() / 2);
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int block = (qGray(large.pixel(2 * x, 2 * y)) + qGray(large.pixel(2 * x + 1, 2 * y)) +
                               qGray(large.pixel(2 * x, 2 * y + 1)) + qGray(large.pixel(2 * x + 1, 2 * y + 1))) / 4;
            if (std::abs(block - qGray(normal.pixel(x, y))) > 96)
                ++differing;
        }
    EXPECT_LT(differing, width * height / 100) << differing << " of " << width * height;
    const QRect inkNormal = InkBox(normal);
    const QRect inkLarge = InkBox(large);
    EXPECT_NEAR(inkLarge.top(), 2 * inkNormal.top(), 2);
    EXPECT_NEAR(inkLarge.left(), 2 * inkNormal.left(), 2);
}

TEST_F(TZoomTest, ClicksAndFormWidgetsFollowTheZoom)
{
    const std::string other = WriteFile("other.htm", "<P>Autre page");
    Pane().LoadHtmlFile(WriteFile("links.htm", "<P>Du texte puis <A HREF=\"other.htm\">le lien</A>."
                                               "<P><INPUT NAME=champ SIZE=10 VALUE=abc>"
                                               "<P><SELECT NAME=choix><OPTION>un<OPTION>deux<OPTION>trois</SELECT>"));
    Paint();
    auto* edit = Pane().PaintPanel().findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    const QSize normalSize = edit->size();
    const QPoint normalPlace = edit->pos();
    const int normalFont = edit->font().pixelSize();

    Pane().SetZoomPercent(200);
    Paint();
    EXPECT_NEAR(edit->width(), 2 * normalSize.width(), 1);
    EXPECT_NEAR(edit->height(), 2 * normalSize.height(), 1);
    if (normalFont > 0) {
        EXPECT_EQ(edit->font().pixelSize(), 2 * normalFont);
    }
    // The page keeps the control's own size.
    EXPECT_EQ(Document().FormControlList.front()->Width(), normalSize.width());
    EXPECT_NEAR(edit->x(), 2 * normalPlace.x(), 2);
    EXPECT_NEAR(edit->y(), 2 * normalPlace.y(), 2);

    // Ctrl and the wheel over a drop-down zoom the page and leave the choice.
    auto* choice = Pane().PaintPanel().findChild<QComboBox*>();
    ASSERT_NE(choice, nullptr);
    CtrlWheel(*choice, -1);
    EXPECT_EQ(Pane().ZoomPercent(), 175);
    EXPECT_EQ(choice->currentIndex(), 0);
    Pane().SetZoomPercent(200);

    const QPoint link = PointOfText("le lien");
    Click(link * 2);
    EXPECT_EQ(Pane().CurrentFile(), other);
}

} // namespace

namespace {

// Where each word shows in the pane's page, with its height and width.
std::vector<int> WordPlaces(THtmlPane& pane, const std::vector<std::string>& words)
{
    std::vector<int> places{pane.DocHeight(), pane.ScrollWidth()};
    TCanvas measure;
    for (const std::string& word : words) {
        int y = 0;
        int x = 0;
        const int position = pane.Document().Search(0, word, true);
        EXPECT_GE(position, 0) << word;
        EXPECT_TRUE(pane.Document().PositionToPoint(measure, 10, position, y, x)) << word;
        places.insert(places.end(), {y, x});
    }
    return places;
}

// Tables keep their cells' width ranges from one layout to the next: a page
// resized and zoomed back and forth lays out as a page opened at the final
// size, and other fonts still measure the cells anew.
TEST_F(TZoomTest, TablesResizedZoomedOrInOtherFontsLayOutAsWhenOpenedSo)
{
    const std::string page = WriteFile(
        "tables.htm",
        "<HTML><BODY><TABLE BORDER=1 WIDTH=90%><CAPTION>Une légende assez longue pour la grille</CAPTION>"
        "<TR><TH COLSPAN=2>titre sur deux colonnes<TD ROWSPAN=2>à droite sur deux lignes"
        "<TR><TD WIDTH=30%>une cellule de texte qui se coupe<TD>"
        "<TABLE BORDER=1><TR><TD>imbriquée un<TD>imbriquée deux et encore des mots</TABLE>"
        "<TR><TD>court<TD WIDTH=120>largeur fixe donnée<TD>fin du tableau</TABLE>"
        "<P>Un paragraphe après le tableau.</BODY></HTML>");
    const std::vector<std::string> words{"longue", "colonnes", "droite", "coupe", "deux et", "encore",
                                         "fixe", "fin", "paragraphe"};
    Pane().LoadHtmlFile(page);
    Pane().resize(700, kHeight);
    Pane().SetZoomPercent(150);
    Pane().resize(250, kHeight);
    Pane().SetZoomPercent(100);
    Pane().resize(550, kHeight);
    QApplication::processEvents();

    THtmlPane fresh(cache_, errors_);
    fresh.resize(550, kHeight);
    fresh.show();
    fresh.LoadHtmlFile(page);
    QApplication::processEvents();
    EXPECT_EQ(WordPlaces(Pane(), words), WordPlaces(fresh, words));

    Pane().SetDefFontSize(18);
    fresh.SetDefFontSize(18);
    THtmlPane large(cache_, errors_);
    large.SetDefFontSize(18);
    large.resize(550, kHeight);
    large.show();
    large.LoadHtmlFile(page);
    QApplication::processEvents();
    EXPECT_EQ(WordPlaces(Pane(), words), WordPlaces(large, words));
    EXPECT_EQ(WordPlaces(fresh, words), WordPlaces(large, words));
}

} // namespace
