#include "LayoutFakes.h"

#include "engine/layout/BlockItems.h"
#include "engine/images/AnimationNotes.h"
#include "engine/images/GifDecoder.h"
#include "engine/layout/SectionList.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SectionListTest : public testing::Test {
protected:
    TRecordingErrorBox errors;
    TFakeDocumentHost host;
    TSectionList document{&host, errors};
    TCanvas canvas;

    int LayOut(int width = 400)
    {
        int position = 0;
        int maxWidth = 0;
        return document.Layout(canvas, 0, width, position, maxWidth);
    }
};

TEST_F(SectionListTest, AnEmptyDocumentHasNoHeightAndAnswersNothing)
{
    EXPECT_EQ(LayOut(), 0);
    EXPECT_EQ(document.Paint(canvas, {0, 0, 400, 300}, 8, 8, 2000), 8);

    TImageFormControlObj* control = nullptr;
    TUrlTarget target;
    EXPECT_FALSE(document.LinkAt(canvas, 0, 10, 10, control, target));
    int xInImage = 0;
    int yInImage = 0;
    TImageObj* image = nullptr;
    EXPECT_FALSE(document.ImageAt(0, 10, 10, yInImage, xInImage, image));
    bool inside = true;
    int lineHeight = 0;
    int lineTop = 0;
    int cursorX = 0;
    TCell* cell = nullptr;
    EXPECT_EQ(document.PositionAt(canvas, 0, 10, 0, inside, lineHeight, lineTop, cursorX, cell), -1);
    EXPECT_EQ(document.Search(0, "abc", false), -1);
    int x = 0;
    int y = 0;
    EXPECT_FALSE(document.PositionToPoint(canvas, 0, 0, y, x));
    char ch = 0;
    TSectionBase* item = nullptr;
    EXPECT_FALSE(document.CharAt(0, ch, item));
    EXPECT_EQ(document.ItemTop(3), 0);
    document.SelectionEnd = 10;
    EXPECT_EQ(document.SelectionLength(), 0);
}

TEST_F(SectionListTest, ItemTopStopsAtTheLastItem)
{
    AddFake(document, 10);
    EXPECT_EQ(document.ItemTop(1), 0); // fewer than two items
    AddFake(document, 20);
    AddFake(document, 30);
    LayOut();
    EXPECT_EQ(document.ItemTop(-1), 0);
    EXPECT_EQ(document.ItemTop(0), 0);
    EXPECT_EQ(document.ItemTop(1), 10);
    EXPECT_EQ(document.ItemTop(2), 30);
    EXPECT_EQ(document.ItemTop(3), 30); // the last item's top, not the document height
    EXPECT_EQ(document.ItemTop(50), 30);
}

TEST_F(SectionListTest, OnlyAChangedOffsetMarksTheControlsForPlacing)
{
    document.SetYOffset(0);
    EXPECT_FALSE(document.ControlsNeedPlacing);
    document.SetYOffset(120);
    EXPECT_TRUE(document.ControlsNeedPlacing);
    EXPECT_EQ(document.YOffset, 120);

    document.Paint(canvas, {0, 0, 400, 300}, 0, 0, 2000);
    EXPECT_FALSE(document.ControlsNeedPlacing);
    document.SetYOffset(120);
    EXPECT_FALSE(document.ControlsNeedPlacing);
}

TEST_F(SectionListTest, SetFontsCutsNamesAndResizesTheItems)
{
    document.Add(std::make_unique<TParagraphSpace>());
    int changes = 0;
    document.OnBackgroundChange = [&](TSectionList& changed) {
        EXPECT_EQ(&changed, &document);
        ++changes;
    };
    const std::string longName(40, 'N');
    document.SetFonts(longName, "Courier New", clYellow, clRed, clGreen, 24);

    EXPECT_EQ(document.FontName, std::string(33, 'N'));
    EXPECT_EQ(document.FixedFontName, "Courier New");
    EXPECT_EQ(document.Background, clYellow);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(document.Items[0]->SectionHeight, 28);

    const TFontDefaults defaults = document.FontDefaults();
    EXPECT_EQ(defaults.BaseFontSize, 24);
    EXPECT_EQ(defaults.LinkColor, clRed);
    EXPECT_EQ(defaults.FontColor, clGreen);
    EXPECT_EQ(defaults.Faces, document.FaceCache);
}

TEST_F(SectionListTest, SetBackgroundWorksWithoutAHandler)
{
    document.SetBackground(clAqua);
    EXPECT_EQ(document.Background, clAqua);
}

TEST_F(SectionListTest, WhiteBackgroundRule)
{
    document.Background = clWhite | kPaletteRelative;
    EXPECT_TRUE(document.BackgroundIsWhite());
    document.Background = clSilver;
    EXPECT_FALSE(document.BackgroundIsWhite());
    document.Background = clWindow;
    EXPECT_EQ(document.BackgroundIsWhite(), ToQColor(clWindow) == QColor(Qt::white));
}

TEST_F(SectionListTest, SelectionLengthCountsTextAndBreaksWithoutMarks)
{
    AddFake(document, 10, "ab\4cd");
    document.Add(std::make_unique<TParagraphSpace>());
    AddFake(document, 10, "efg");
    AddFake(document, 10, "hij");
    LayOut();

    document.SelectionBegin = 1;
    document.SelectionEnd = 7;
    // The fakes copy their whole text: "ab", "cd" (no image mark), CR LF, "efg".
    EXPECT_EQ(document.SelectionLength(), 2 + 2 + 2 + 3);

    document.SelectionBegin = 7;
    EXPECT_EQ(document.SelectionLength(), 0);
}

TEST_F(SectionListTest, CopyToClipboardPutsTheSelectionThere)
{
    AddFake(document, 10, "Bonjour");
    document.Add(std::make_unique<THeadingSpace>(2));
    AddFake(document, 10, "Monde");
    LayOut();

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    document.CopyToClipboard(); // empty selection: nothing happens
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    document.SelectionBegin = 0;
    document.SelectionEnd = 12;
    document.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Bonjour\r\nMonde"));
}

TEST_F(SectionListTest, ClearEmptiesTheDocument)
{
    AddFake(document, 10, "abc");
    document.SelectionBegin = 1;
    document.SelectionEnd = 2;
    document.SetBackgroundImage("fond.gif");
    document.MissingImages.push_back({"FOND.GIF", nullptr});
    document.Clear();
    EXPECT_TRUE(document.Items.empty());
    EXPECT_EQ(document.SelectionBegin, 0);
    EXPECT_EQ(document.SelectionEnd, 0);
    EXPECT_TRUE(document.BackgroundImageName.empty());
    EXPECT_TRUE(document.MissingImages.empty());
    EXPECT_EQ(LayOut(), 0);
}

TEST_F(SectionListTest, TheAnimationClockRunsOnlyForAnimatedImages)
{
    AddFake(document, 10);
    LayOut();
    EXPECT_EQ(host.ClockInterval, 0);
    document.Paint(canvas, {0, 0, 400, 300}, 0, 0, 2000);
    EXPECT_EQ(host.ClockInterval, 0);
}

TEST_F(SectionListTest, AnimatedImagesRestartAtEachLayoutAndRunTheClock)
{
    TGIFImage gif;
    document.AnimatedImages.push_back(&gif);
    AddFake(document, 10);

    LayOut();
    EXPECT_TRUE(gif.Animate());
    EXPECT_EQ(host.ClockInterval, TSectionList::kAnimationInterval);

    document.Paint(canvas, {0, 0, 400, 300}, 0, 0, 2000);
    EXPECT_EQ(host.ClockInterval, TSectionList::kAnimationInterval);
    // A picture no painting drew is not moved on, and nothing is repainted.
    document.AnimationTick(TAnimationNotes());
    EXPECT_TRUE(host.Repainted.empty());

    document.Clear();
    EXPECT_TRUE(document.AnimatedImages.empty());
    host.StopAnimationClock();
    LayOut();
    EXPECT_EQ(host.ClockInterval, 0);
}

class BackgroundTest : public SectionListTest {
protected:
    QTemporaryDir folder;
    TImageCache cache;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QImage tile(8, 6, QImage::Format_RGB32);
        tile.fill(Qt::green);
        ASSERT_TRUE(tile.save(folder.filePath("fond.bmp"), "BMP"));
        document.ImageCache = &cache;
    }

    int Users(const std::string& reference)
    {
        const TBitmapItem* item = cache.Cache().Find(ImageCacheKey(reference));
        return item ? item->Users : -1;
    }
};

TEST_F(BackgroundTest, TheBackgroundIsFetchedOnceThroughTheExpandedName)
{
    const std::string full = folder.filePath("fond.bmp").toStdString();
    std::vector<std::string> expanded;
    document.ExpandLinkName = [&](const std::string& reference) {
        expanded.push_back(reference);
        return full;
    };
    document.SetBackgroundImage("fond.bmp");
    EXPECT_EQ(document.BackgroundBitmap().size(), QSize(8, 6));
    EXPECT_EQ(document.BackgroundImageName, full);
    EXPECT_TRUE(document.BackgroundRequested);
    EXPECT_EQ(document.BackgroundBitmap().size(), QSize(8, 6));
    EXPECT_EQ(expanded, std::vector<std::string>{"fond.bmp"});
    EXPECT_EQ(Users(full), 1);

    document.Clear();
    EXPECT_TRUE(document.BackgroundBitmap().isNull());
    EXPECT_EQ(Users(full), 0); // the entry stays for the next page, unused
}

TEST_F(BackgroundTest, NothingIsFetchedWhileImagesAreOff)
{
    document.ShowImages = false;
    document.SetBackgroundImage(folder.filePath("fond.bmp").toStdString());
    EXPECT_TRUE(document.BackgroundBitmap().isNull());
    EXPECT_FALSE(document.BackgroundRequested);
    EXPECT_EQ(cache.Cache().Count(), 0);
}

TEST_F(BackgroundTest, AMissingFileLeavesNoBackgroundAndIsNotAskedAgain)
{
    document.SetBackgroundImage(folder.filePath("absent.bmp").toStdString());
    EXPECT_TRUE(document.BackgroundBitmap().isNull());
    EXPECT_TRUE(document.BackgroundRequested);
    EXPECT_TRUE(document.MissingImages.empty());
    document.Clear();
}

TEST_F(BackgroundTest, DataThatComesLaterIsRecordedAsMissing)
{
    std::vector<std::string> asked;
    document.OnImageRequest = [&](const std::string& source) {
        asked.push_back(source);
        return cache.WaitStream();
    };
    document.ExpandLinkName = [](const std::string&) -> std::string {
        ADD_FAILURE() << "a request handler gets the reference unexpanded";
        return {};
    };
    document.SetBackgroundImage("images/fond.gif");
    EXPECT_TRUE(document.BackgroundBitmap().isNull());
    EXPECT_EQ(asked, std::vector<std::string>{"images/fond.gif"});
    ASSERT_EQ(document.MissingImages.size(), 1u);
    EXPECT_EQ(document.MissingImages[0].Name, "IMAGES/FOND.GIF"); // recorded under its cache key
    EXPECT_EQ(document.MissingImages[0].Image, nullptr);
}

} // namespace
