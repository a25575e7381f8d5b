#include "tests/window/ShellFixture.h"

#include "app/window/FontForm.h"
#include "engine/base/Cp1252.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

QStringList Entries(const QListWidget& list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.item(row)->text();
    return entries;
}

QString Selected(const QListWidget& list)
{
    const QListWidgetItem* item = list.currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

} // namespace

class FontFormTest : public testing::Test {
protected:
    TImageCache ImageCache;
    TRecordingErrorBox Errors;
    TFontForm Form{ImageCache, Errors};
};

TEST_F(FontFormTest, StartsWithTheSamplePageAndTheStandardLists)
{
    EXPECT_EQ(Form.windowTitle(), Cp1252ToQString("Police et couleurs par d\xE9" "faut"));
    EXPECT_TRUE(Form.Sample().CurrentFile().empty());
    EXPECT_GT(Form.Sample().Document().Items.size(), 0u);
    EXPECT_FALSE(Form.Sample().ViewImages());
    EXPECT_EQ(Form.Sample().BorderStyle(), THTMLBorderStyle::Single);
    EXPECT_EQ(Form.Sample().ScrollBars(), TScrollStyle::Vertical);
    EXPECT_EQ(Form.Sample().HistoryMaxCount(), 0);

    EXPECT_EQ(Entries(Form.BackgroundList()),
              QStringList({"clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray",
                           "clSilver", "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite",
                           "clNone"}));
    const QStringList fonts = Entries(Form.FontList());
    EXPECT_TRUE(fonts.contains("System"));
    // The Windows names of the metric-compatible fonts are offered too.
    for (const char* name : {"Times New Roman", "Arial", "Courier New"})
        EXPECT_TRUE(fonts.contains(name)) << name;
    EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }));
    EXPECT_EQ(Form.SizeBox().minimum(), 6);
    EXPECT_EQ(Form.SizeBox().maximum(), 24);
    EXPECT_EQ(Form.SizeBox().value(), 12);
    EXPECT_EQ(Form.TextColorGrid().buttons().size(), 16);
}

TEST_F(FontFormTest, FontNameFallsBackToSystemWhileTheSampleKeepsTheName)
{
    const QString installed = Entries(Form.FontList()).front();
    Form.SetFontName(QStringToCp1252(installed.toUpper()));
    EXPECT_EQ(Selected(Form.FontList()), installed);
    EXPECT_EQ(Form.FontName(), QStringToCp1252(installed));

    Form.SetFontName("Police Absente");
    EXPECT_EQ(Selected(Form.FontList()), "System");
    EXPECT_EQ(Form.FontName(), "System");
    EXPECT_EQ(Form.Sample().DefFontName(), "Police Absente");

    Form.FontList().clearSelection();
    EXPECT_EQ(Form.FontName(), "System");
}

TEST_F(FontFormTest, BackgroundNamesAreAddedWhenMissing)
{
    Form.SetBackgroundColor(clBtnFace);
    EXPECT_EQ(Entries(Form.BackgroundList()).back(), "clBtnFace");
    EXPECT_EQ(Selected(Form.BackgroundList()), "clBtnFace");
    EXPECT_EQ(Form.BackgroundColor(), clBtnFace);
    EXPECT_EQ(Form.Sample().DefBackground(), clBtnFace);

    // A colour without a name is written in hexadecimal, and added once.
    const int count = Form.BackgroundList().count();
    Form.SetBackgroundColor(0x00123456);
    Form.SetBackgroundColor(0x00123456);
    EXPECT_EQ(Form.BackgroundList().count(), count + 1);
    EXPECT_EQ(Selected(Form.BackgroundList()), "$00123456");
    EXPECT_EQ(Form.BackgroundColor(), 0x00123456u);

    Form.SetBackgroundColor(clTeal);
    EXPECT_EQ(Form.BackgroundList().count(), count + 1);
    EXPECT_EQ(Form.BackgroundColor(), clTeal);

    // Nothing selected: the button face.
    Form.BackgroundList().clearSelection();
    EXPECT_EQ(Form.BackgroundColor(), clBtnFace);
}

TEST_F(FontFormTest, ColourNamesConvertBothWays)
{
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clInfoBk), "clInfoBk");
    EXPECT_EQ(ColorToString(clNone), "clNone");
    EXPECT_EQ(ColorToString(0x02ABCDEF), "$02ABCDEF");
    EXPECT_EQ(StringToColor("clred"), clRed);
    EXPECT_EQ(StringToColor("$02ABCDEF"), 0x02ABCDEFu);
    EXPECT_EQ(StringToColor("$"), std::nullopt);
    EXPECT_EQ(StringToColor("$12G"), std::nullopt);
    EXPECT_EQ(StringToColor("rouge"), std::nullopt);
}

TEST_F(FontFormTest, GridsMarkWhatTheUserClicksOnly)
{
    Form.TextColorGrid().button(9)->click();
    EXPECT_EQ(Form.FontColor(), clRed);
    EXPECT_EQ(Form.Sample().DefFontColor(), clRed);
    EXPECT_EQ(Form.TextColorGrid().checkedId(), 9);
    Form.SetFontColor(clBlue);
    EXPECT_EQ(Form.TextColorGrid().checkedId(), -1);
    EXPECT_EQ(Form.FontColor(), clBlue);

    Form.LinkColorGrid().button(10)->click();
    EXPECT_EQ(Form.LinkColor(), clLime);
    EXPECT_EQ(Form.Sample().DefHotSpotColor(), clLime);
    EXPECT_EQ(Form.LinkColorGrid().checkedId(), 10);
    EXPECT_EQ(Form.TextColorGrid().checkedId(), -1);
}

TEST_F(FontFormTest, SizeBoxAndListsChangeTheSampleAtOnce)
{
    Form.SizeBox().setValue(18);
    EXPECT_EQ(Form.FontSize(), 18);
    EXPECT_EQ(Form.Sample().DefFontSize(), 18);
    Form.SetFontSize(9);
    EXPECT_EQ(Form.SizeBox().value(), 9);

    QListWidget& backgrounds = Form.BackgroundList();
    const QList<QListWidgetItem*> yellow = backgrounds.findItems("clYellow", Qt::MatchExactly);
    backgrounds.setCurrentItem(yellow.front());
    EXPECT_EQ(Form.Sample().DefBackground(), clYellow);
    EXPECT_EQ(Form.BackgroundColor(), clYellow);

    QListWidget& fonts = Form.FontList();
    QListWidgetItem* font = fonts.item(1);
    fonts.setCurrentItem(font);
    EXPECT_EQ(Form.Sample().DefFontName(), QStringToCp1252(font->text()));
    EXPECT_EQ(Form.FontName(), QStringToCp1252(font->text()));
}

TEST_F(FontFormTest, ResetGoesBackToWhatTheDialogShowedFirst)
{
    Form.SetFontName("Police Absente");
    Form.SetFontSize(14);
    Form.SetFontColor(clMaroon);
    Form.SetLinkColor(clNavy);
    Form.SetBackgroundColor(clWhite);
    Form.show();
    Form.SetFontSize(20);
    Form.TextColorGrid().button(2)->click();
    Form.SetLinkColor(clRed);
    Form.SetBackgroundColor(clBlack);
    Form.SetFontName(QStringToCp1252(Entries(Form.FontList()).front()));

    Form.ResetButton().click();
    // The snapshot holds the selected entry, "System" for a missing font.
    EXPECT_EQ(Form.FontName(), "System");
    EXPECT_EQ(Form.FontSize(), 14);
    EXPECT_EQ(Form.FontColor(), clMaroon);
    EXPECT_EQ(Form.LinkColor(), clNavy);
    EXPECT_EQ(Form.BackgroundColor(), clWhite);
    EXPECT_EQ(Form.TextColorGrid().checkedId(), -1);
    Form.hide();
}

using PolicesTest = ShellTest;

TEST_F(PolicesTest, OkAppliesTheChoicesAndReloadsThePage)
{
    Start();
    const std::string page = Write("page.htm", "<title>Avant</title>texte");
    OpenThroughDialog(page);
    THtmlPane& pane = Pane();
    pane.SetDefBackground(clBtnFace);
    Dialogs.OnShowModal = [this, page](QDialog& dialog) {
        auto& form = static_cast<TFontForm&>(dialog);
        // What the dialog was filled with.
        EXPECT_EQ(form.FontName(), "Times New Roman");
        EXPECT_EQ(form.FontSize(), 12);
        EXPECT_EQ(form.BackgroundColor(), clBtnFace);
        EXPECT_EQ(Cp1252ToQString(ColorToString(form.BackgroundColor())), "clBtnFace");
        form.SetFontSize(16);
        form.SetFontColor(clGreen);
        form.SetLinkColor(clPurple);
        form.SetBackgroundColor(clSilver);
        Write("page.htm", "<title>Apres</title>texte");
        return int(QDialog::Accepted);
    };
    Commands().Font->trigger();
    EXPECT_EQ(Dialogs.ShownWindows, std::vector<std::string>({"TFontForm"}));
    EXPECT_EQ(pane.DefFontSize(), 16);
    EXPECT_EQ(pane.DefFontColor(), clGreen);
    EXPECT_EQ(pane.DefHotSpotColor(), clPurple);
    EXPECT_EQ(pane.DefBackground(), clSilver);
    EXPECT_EQ(pane.DefFontName(), "Times New Roman");
    EXPECT_EQ(pane.DocumentTitle(), "Apres");
}

TEST_F(PolicesTest, OneClickOnABackgroundNameShowsItAtOnceAndOkKeepsIt)
{
    Start();
    OpenThroughDialog(Write("page.htm", "texte"));
    Dialogs.OnShowModal = [](QDialog& dialog) {
        auto& form = static_cast<TFontForm&>(dialog);
        form.show();
        QListWidget& list = form.BackgroundList();
        QListWidgetItem* yellow = list.findItems("clYellow", Qt::MatchExactly).front();
        list.scrollToItem(yellow);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(yellow).center());
        EXPECT_EQ(form.Sample().DefBackground(), clYellow);
        EXPECT_EQ(Selected(list), "clYellow");
        form.findChild<QPushButton*>("okButton")->click();
        return form.result();
    };
    Commands().Font->trigger();
    EXPECT_EQ(Pane().DefBackground(), clYellow);
}

TEST_F(PolicesTest, CancelLeavesThePageAsItWas)
{
    Start();
    const std::string page = Write("page.htm", "<title>Avant</title>texte");
    OpenThroughDialog(page);
    Dialogs.OnShowModal = [this](QDialog& dialog) {
        static_cast<TFontForm&>(dialog).SetFontSize(20);
        Write("page.htm", "<title>Apres</title>texte");
        return int(QDialog::Rejected);
    };
    Commands().Font->trigger();
    EXPECT_EQ(Pane().DefFontSize(), 12);
    EXPECT_EQ(Pane().DocumentTitle(), "Avant");
}
