// Forms and their controls with real widgets on an off-screen drawing surface:
// page fragments are read by the builder, and submissions go to a recording
// receiver.

#include "engine/builder/HtmlBuilder.h"
#include "engine/canvas/Canvas.h"
#include "engine/forms/FormControlFactory.h"
#include "engine/forms/FormControls.h"
#include "engine/forms/HtmlForm.h"
#include "engine/images/ImageCache.h"
#include "engine/lexer/Lexer.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"
#include "tests/EngineFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <gmock/gmock.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

struct TSubmission {
    std::string Action;
    std::string Target;
    std::string EncType;
    std::string Method;
    std::vector<std::string> Results;
};

class FormsTest : public testing::Test {
protected:
    FormsTest()
    {
        Document.ImageCache = &Cache;
        Document.SubmitHandler = [this](const std::string& action, const std::string& target,
                                        const std::string& encType, const std::string& method,
                                        std::vector<std::string> results) {
            Submissions.push_back({action, target, encType, method, std::move(results)});
        };
    }

    // Reads the page fragment into the document with the builder; returns
    // the controls it made, in order.
    std::vector<TFormControlObj*> Read(const std::string& html)
    {
        const auto before = static_cast<std::ptrdiff_t>(Document.FormControlList.size());
        Builder.ParseHtmlText({Document, Forms, Anchors}, html);
        return {Document.FormControlList.begin() + before, Document.FormControlList.end()};
    }

    // The document's first text section.
    const TSection& FirstSection() const { return dynamic_cast<const TSection&>(*Document.Items.front()); }

    template <typename TControl>
    TControl& One(const std::string& html)
    {
        const std::vector<TFormControlObj*> made = Read(html);
        EXPECT_EQ(made.size(), 1u);
        auto* control = dynamic_cast<TControl*>(made.at(0));
        EXPECT_NE(control, nullptr) << html;
        return *control;
    }

    std::vector<std::string> LastResults() const
    {
        return Submissions.empty() ? std::vector<std::string>{} : Submissions.back().Results;
    }

    static void PressEnter(QWidget* widget)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(widget, &press);
    }

    static void SetChecked(TFormControlObj* control, bool checked)
    {
        if (auto* box = dynamic_cast<TCheckBoxFormControlObj*>(control))
            box->CheckBox()->setChecked(checked);
        else
            dynamic_cast<TRadioButtonFormControlObj&>(*control).SetChecked(checked);
    }

    static int AWidth(const std::string& fontName, int points)
    {
        return TMyFont(fontName, points).TextWidth("A");
    }
    static int AHeight(const std::string& fontName, int points)
    {
        return TMyFont(fontName, points).Metrics().Height;
    }

    QWidget Panel;
    TRecordingErrorBox Errors;
    // Before the document, which lets go of its pictures when it is freed.
    TImageCache Cache;
    TFakeDocumentHost Host{&Panel};
    TFormList Forms;
    TSectionList Document{&Host, Errors};
    THtmlBuilder Builder;
    TAnchorList Anchors;
    THtmlLexer Lexer;
    TBuilderStyle Style;
    TSection Section{0, TParaAlign::Left, nullptr, TMyFont("Times New Roman", 12), Style};
    TCanvas Measure;
    std::vector<TSubmission> Submissions;
};

TEST_F(FormsTest, EnterSubmitsOnlyAFormWhoseOnlyVisibleControlIsTheBox)
{
    const auto lone = Read("<form action=a><input name=q value=cats><input type=hidden name=h value=1></form>");
    PressEnter(lone[0]->EnsureWidget());
    ASSERT_EQ(Submissions.size(), 1u);
    EXPECT_THAT(LastResults(), ElementsAre("q=cats", "h=1"));

    const auto withButton = Read("<form><input name=q><input type=submit></form>");
    PressEnter(withButton[0]->EnsureWidget());
    EXPECT_EQ(Submissions.size(), 1u);

    const auto area = Read("<form><textarea name=t></textarea></form>");
    PressEnter(area[0]->EnsureWidget());
    EXPECT_EQ(Submissions.size(), 1u);
}

TEST_F(FormsTest, ControlsOutsideAnyFormShareAnImplicitFormUntilTheNextFormTag)
{
    const auto made = Read("<input name=a><input name=b>"
                           "<form action=x><input name=c></form>"
                           "<input name=d><input name=e>"
                           "<form action=y><input name=f>");
    ASSERT_EQ(made.size(), 6u);
    EXPECT_EQ(Forms.size(), 4u);
    EXPECT_EQ(made[0]->Form, made[1]->Form);
    EXPECT_NE(made[1]->Form, made[2]->Form);
    EXPECT_EQ(made[2]->Form->Action, "x");
    EXPECT_NE(made[2]->Form, made[3]->Form);
    EXPECT_EQ(made[3]->Form, made[4]->Form);
    EXPECT_TRUE(made[3]->Form->Action.empty());
    EXPECT_EQ(made[5]->Form->Action, "y");
    EXPECT_EQ(Document.FormControlList.size(), 6u);
    EXPECT_EQ(made[0]->Form->Controls().size(), 2u);
}

TEST_F(FormsTest, RadioGroupsGoByNameWithoutCaseWithinOneForm)
{
    const auto one = Read("<form><input type=radio name=A value=1 checked><input type=radio name=a value=2>"
                          "<input type=radio name=b value=3 checked></form>");
    auto& first = dynamic_cast<TRadioButtonFormControlObj&>(*one[0]);
    auto& second = dynamic_cast<TRadioButtonFormControlObj&>(*one[1]);
    auto& other = dynamic_cast<TRadioButtonFormControlObj&>(*one[2]);
    second.RadioButton()->click();
    EXPECT_FALSE(first.IsChecked());
    EXPECT_TRUE(second.IsChecked());
    EXPECT_TRUE(other.IsChecked());
    // A click on the checked button keeps it checked.
    second.RadioButton()->click();
    EXPECT_TRUE(second.IsChecked());

    const auto split = Read("<form><input type=radio name=A checked></form><form><input type=radio name=a></form>");
    dynamic_cast<TRadioButtonFormControlObj&>(*split[1]).RadioButton()->click();
    EXPECT_TRUE(dynamic_cast<TRadioButtonFormControlObj&>(*split[0]).IsChecked());

    // Unnamed buttons form no group.
    const auto unnamed = Read("<form><input type=radio checked><input type=radio></form>");
    dynamic_cast<TRadioButtonFormControlObj&>(*unnamed[1]).RadioButton()->click();
    EXPECT_TRUE(dynamic_cast<TRadioButtonFormControlObj&>(*unnamed[0]).IsChecked());
}

TEST_F(FormsTest, SubmissionGathersPairsInControlOrderAndTheButtonPairLast)
{
    const auto made = Read("<form action=\"/find\" target=_top enctype=text/plain method=post>"
                           "<input type=submit name=go value=Search>"
                           "<input name=q value=\"a b&amp;c\">"
                           "<input type=checkbox name=on checked><input type=checkbox name=off>"
                           "<input type=radio name=r><input type=radio name=r checked>"
                           "<input type=password name=p value=pw>"
                           "<input type=hidden name=q value=again>"
                           "<input type=submit></form>");
    dynamic_cast<TButtonFormControlObj&>(*made[0]).Button()->click();
    ASSERT_EQ(Submissions.size(), 1u);
    const TSubmission& sent = Submissions.back();
    EXPECT_EQ(sent.Action, "/find");
    EXPECT_EQ(sent.Target, "_top");
    EXPECT_EQ(sent.EncType, "text/plain");
    EXPECT_EQ(sent.Method, "post");
    EXPECT_THAT(sent.Results, ElementsAre("q=a b&c", "on=On", "r=", "p=pw", "q=again", "go=Search"));

    // The unnamed submit button adds no pair; unchecked boxes none either.
    SetChecked(made[2], false);
    dynamic_cast<TButtonFormControlObj&>(*made.back()).Button()->click();
    EXPECT_THAT(LastResults(), ElementsAre("q=a b&c", "r=", "p=pw", "q=again"));
}

TEST_F(FormsTest, MethodIsCutToFourCharactersAndDefaultsToGet)
{
    Read("<form method=POST><form method=Delete><form>");
    ASSERT_EQ(Forms.size(), 3u);
    EXPECT_EQ(Forms[0]->Method, "POST");
    EXPECT_EQ(Forms[1]->Method, "Dele");
    EXPECT_EQ(Forms[2]->Method, "Get");
}

TEST_F(FormsTest, WithoutReceiverSubmittingDoesNothing)
{
    Document.SubmitHandler = nullptr;
    const auto made = Read("<input name=q>");
    PressEnter(made[0]->EnsureWidget());
    EXPECT_THAT(Submissions, IsEmpty());
}

TEST_F(FormsTest, InputTypeChoosesTheControl)
{
    const auto made = Read("<input type=foo><input type=TEXT><input type=PassWord><input type=Reset>"
                           "<input type=button><input type=checkbox><input type=radio><input type=hidden>"
                           "<input type=image name=map src=map.gif><input>");
    ASSERT_EQ(made.size(), 10u);
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(made[0]), nullptr);
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(made[1]), nullptr);
    auto* password = dynamic_cast<TEditFormControlObj*>(made[2]);
    ASSERT_NE(password, nullptr);
    password->Edit()->setText("abc");
    EXPECT_EQ(password->Edit()->displayText(), "***");
    EXPECT_EQ(dynamic_cast<TButtonFormControlObj&>(*made[3]).Kind, TButtonKind::Reset);
    EXPECT_EQ(dynamic_cast<TButtonFormControlObj&>(*made[4]).Kind, TButtonKind::Plain);
    EXPECT_NE(dynamic_cast<TCheckBoxFormControlObj*>(made[5]), nullptr);
    EXPECT_NE(dynamic_cast<TRadioButtonFormControlObj*>(made[6]), nullptr);
    EXPECT_NE(dynamic_cast<THiddenFormControlObj*>(made[7]), nullptr);
    EXPECT_NE(dynamic_cast<TImageFormControlObj*>(made[8]), nullptr);
    EXPECT_NE(dynamic_cast<TEditFormControlObj*>(made[9]), nullptr);
    // One form, nine visible controls: the hidden field does not count.
    EXPECT_EQ(made[0]->Form->NonHiddenCount, 9);

    // Every control but the hidden field and the image stands as a control
    // mark; the image control stands as the section's picture.
    const TSection& section = FirstSection();
    EXPECT_EQ(std::count(section.Text().begin(), section.Text().end(), TSection::kControlMark), 8);
    EXPECT_EQ(section.FormControls().Count(), 8);
    ASSERT_EQ(section.Images().Count(), 1);
    EXPECT_EQ(section.Images()[0].ImageControl, made[8]);
    EXPECT_EQ(made[7]->Widget, nullptr);
}

TEST_F(FormsTest, ImageClickSubmitsTheClickPointAfterTheOtherPairsOnce)
{
    const auto made = Read("<form><input type=image name=map src=map.gif><input name=q value=z>"
                           "<input type=image src=plain.gif></form>");
    ThtmlForm& form = *made[0]->Form;
    form.ImageClicked(dynamic_cast<TImageFormControlObj&>(*made[0]), 12, 34);
    EXPECT_THAT(LastResults(), ElementsAre("map.x=12", "map.y=34", "q=z"));
    form.Submit();
    EXPECT_THAT(LastResults(), ElementsAre("q=z"));
    form.ImageClicked(dynamic_cast<TImageFormControlObj&>(*made[2]), 0, 7);
    EXPECT_THAT(LastResults(), ElementsAre("q=z", "x=0", "y=7"));
}

TEST_F(FormsTest, SelectKindAndRows)
{
    const auto made = Read("<select name=a></select><select size=1></select><select size=2></select><select multiple></select>"
                           "<select size=x multiple></select>");
    ASSERT_EQ(made.size(), 5u);
    EXPECT_NE(dynamic_cast<TComboFormControlObj*>(made[0]), nullptr);
    EXPECT_NE(dynamic_cast<TComboFormControlObj*>(made[1]), nullptr);
    auto* twoRows = dynamic_cast<TListBoxFormControlObj*>(made[2]);
    ASSERT_NE(twoRows, nullptr);
    EXPECT_EQ(dynamic_cast<TComboFormControlObj*>(made[2]), nullptr);
    EXPECT_EQ(twoRows->VisibleRows(), 2);
    EXPECT_FALSE(twoRows->Multiple);

    auto& automatic = dynamic_cast<TListBoxFormControlObj&>(*made[3]);
    EXPECT_TRUE(automatic.Multiple);
    EXPECT_EQ(automatic.VisibleRows(), 1);
    automatic.SizeFromCanvas(Measure);
    const int oneRowHeight = automatic.Height();
    for (int index = 0; index < 12; ++index)
        automatic.AddOption("", false, "option " + std::to_string(index));
    EXPECT_EQ(automatic.VisibleRows(), 8);
    automatic.SizeFromCanvas(Measure);
    EXPECT_EQ(automatic.Height() - oneRowHeight, 7 * AHeight(Document.FixedFontName, 10));
    // "option 10" is the longest text: 9 characters.
    EXPECT_EQ(automatic.WidthInChars, 9);

    // A SIZE that is no number leaves the rows to the options.
    EXPECT_EQ(dynamic_cast<TListBoxFormControlObj&>(*made[4]).VisibleRows(), 1);
}

TEST_F(FormsTest, ListBoxesShowTheRowsAskedForAndTheirWholeOptions)
{
    const auto made = Read("<form><select name=m size=4></select><select name=n multiple></select></form>");
    auto& months = dynamic_cast<TListBoxFormControlObj&>(*made[0]);
    for (const char* month : {"Janvier", "Fevrier", "Mars", "Avril", "Mai", "Juin"})
        months.AddOption("", false, month);
    auto& many = dynamic_cast<TListBoxFormControlObj&>(*made[1]);
    for (int index = 1; index <= 10; ++index)
        many.AddOption("", false, "option " + std::to_string(index));
    Panel.show();
    const int margin = QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    for (auto [list, rows, longest] : {std::tuple{&months, 4, "Janvier"}, std::tuple{&many, 8, "option 10"}}) {
        list->ResetToValue();
        list->SizeFromCanvas(Measure);
        list->Place(0, 0, clWhite);
        QListWidget* widget = list->ListWidget();
        QApplication::processEvents();
        EXPECT_FALSE(widget->horizontalScrollBar()->isVisible()) << longest;
        const QRect view = widget->viewport()->rect();
        EXPECT_TRUE(view.contains(widget->visualItemRect(widget->item(rows - 1)))) << longest;
        EXPECT_GE(view.width(), widget->fontMetrics().horizontalAdvance(QString::fromLatin1(longest)) + 2 * margin)
            << longest;
    }
}

TEST_F(FormsTest, OptionsSubmitTheirValueOrTheirText)
{
    const auto made = Read("<form><select name=single size=3></select><select name=many multiple></select>"
                           "<select name=drop></select></form>");
    auto& single = dynamic_cast<TListBoxFormControlObj&>(*made[0]);
    auto& many = dynamic_cast<TListBoxFormControlObj&>(*made[1]);
    auto& drop = dynamic_cast<TComboFormControlObj&>(*made[2]);
    for (TListBoxFormControlObj* list : {&single, &many, static_cast<TListBoxFormControlObj*>(&drop)}) {
        list->AddOption("v1", true, "One");
        list->AddOption("", false, "");
        list->AddOption("", true, "Two");
        list->AddOption("v3", false, "Three");
        list->ResetToValue();
    }
    EXPECT_EQ(single.Options().size(), 3u);
    EXPECT_EQ(single.ListWidget()->count(), 3);
    EXPECT_EQ(drop.ComboBox()->count(), 3);
    made[0]->Form->Submit();
    // Single selections take the last selected option; the multiple one all.
    EXPECT_THAT(LastResults(), ElementsAre("single=Two", "many=v1", "many=Two", "drop=Two"));

    single.ListWidget()->setCurrentRow(2);
    drop.ComboBox()->setCurrentIndex(0);
    many.ListWidget()->clearSelection();
    made[0]->Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("single=v3", "drop=v1"));
}

TEST_F(FormsTest, DropDownListShowsInTheBoxFont)
{
    const auto made = Read("<select name=d></select>");
    auto& drop = dynamic_cast<TComboFormControlObj&>(*made[0]);
    drop.AddOption("", true, "One");
    drop.ResetToValue();
    QComboBox* combo = drop.ComboBox();
    ASSERT_NE(combo->font(), QApplication::font());
    combo->showPopup();
    EXPECT_EQ(combo->view()->font(), combo->font());
    combo->hidePopup();
}

TEST_F(FormsTest, ListsWithoutSelectedOptionsStartOnTheFirst)
{
    const auto made = Read("<select name=s size=4></select><select name=d></select>");
    for (TFormControlObj* control : made) {
        auto& list = dynamic_cast<TListBoxFormControlObj&>(*control);
        list.AddOption("", false, "First");
        list.AddOption("", false, "Second");
        list.ResetToValue();
    }
    made[0]->Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("s=First", "d=First"));
}

TEST_F(FormsTest, TextAreaBodyKeepsLinesAndTagsAsText)
{
    const auto made = Read("<textarea name=t>\r\none <b>two</b> &amp;\r\nlast</textarea ><input name=after>");
    ASSERT_EQ(made.size(), 2u);
    auto& area = dynamic_cast<TTextAreaFormControlObj&>(*made[0]);
    EXPECT_THAT(area.InitialLines, ElementsAre("", "one <b>two</b> &", "last"));
    EXPECT_EQ(area.TextEdit()->toPlainText(), "\none <b>two</b> &\nlast");
    // The reading went on after the end tag.
    EXPECT_EQ(made[1]->Name, "after");
}

TEST_F(FormsTest, TextAreaSubmitsOnePairPerLine)
{
    const auto made = Read("<form><textarea name=t>first\nsecond\n</textarea><textarea name=empty></textarea></form>");
    made[0]->Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("t=first", "t=second"));

    // Non-breaking spaces typed into the box stay what they are.
    auto& area = dynamic_cast<TTextAreaFormControlObj&>(*made[0]);
    area.TextEdit()->setPlainText(QString::fromUtf8("a\u00A0b\n\nc"));
    made[0]->Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("t=a\xA0"
                                           "b",
                                           "t=", "t=c"));
}

TEST_F(FormsTest, TextAreaBodyEndingWithTheInput)
{
    auto& area = One<TTextAreaFormControlObj>("<textarea rows=2 cols=4 wrap=SOFT>open text");
    EXPECT_THAT(area.InitialLines, ElementsAre("open text"));
    EXPECT_EQ(area.Rows, 2);
    EXPECT_EQ(area.Columns, 4);
    EXPECT_TRUE(area.Wrap);
    EXPECT_EQ(area.TextEdit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

TEST_F(FormsTest, ResetBringsBackTheDocumentsState)
{
    const auto made = Read("<form><input name=q value=start><input type=checkbox name=c checked>"
                           "<input type=radio name=r value=1 checked><input type=radio name=r value=2>"
                           "<textarea name=t>line</textarea><select name=s></select><input type=reset onclick=\"go()\"></form>");
    auto& list = dynamic_cast<TComboFormControlObj&>(*made[5]);
    list.AddOption("", false, "a");
    list.AddOption("", true, "b");
    list.ResetToValue();

    dynamic_cast<TEditFormControlObj&>(*made[0]).Edit()->setText("typed");
    SetChecked(made[1], false);
    dynamic_cast<TRadioButtonFormControlObj&>(*made[3]).RadioButton()->click();
    dynamic_cast<TTextAreaFormControlObj&>(*made[4]).TextEdit()->setPlainText("other");
    list.ComboBox()->setCurrentIndex(0);

    std::vector<std::string> clicks;
    Document.OnObjectClick = [&clicks](TFormControlObj&, const std::string& onClick) { clicks.push_back(onClick); };
    dynamic_cast<TButtonFormControlObj&>(*made[6]).Button()->click();
    EXPECT_THAT(clicks, ElementsAre("go()"));
    EXPECT_THAT(Submissions, IsEmpty());

    made[0]->Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("q=start", "c=On", "r=1", "t=line", "s=b"));
}

TEST_F(FormsTest, ClickHandlersHearCheckBoxesAndRadioButtons)
{
    const auto made = Read("<input type=checkbox onclick=box><input type=radio name=r onclick=radio>");
    std::vector<std::pair<TFormControlObj*, std::string>> clicks;
    Document.OnObjectClick = [&clicks](TFormControlObj& control, const std::string& onClick) {
        clicks.emplace_back(&control, onClick);
    };
    dynamic_cast<TCheckBoxFormControlObj&>(*made[0]).CheckBox()->click();
    dynamic_cast<TRadioButtonFormControlObj&>(*made[1]).RadioButton()->click();
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], std::make_pair(made[0], std::string("box")));
    EXPECT_EQ(clicks[1], std::make_pair(made[1], std::string("radio")));
}

TEST_F(FormsTest, AClickHandlerThatClearsThePageEndsTheClick)
{
    const auto made = Read("<form><input type=submit name=go onclick=leave></form>");
    // As the viewer clears a page: the document, then its forms.
    Document.OnObjectClick = [this](TFormControlObj&, const std::string&) {
        Document.Clear();
        Forms.clear();
    };
    dynamic_cast<TButtonFormControlObj&>(*made[0]).Button()->click();
    EXPECT_THAT(Submissions, IsEmpty());
    EXPECT_TRUE(Forms.empty());
}

TEST_F(FormsTest, EditWidthInCharacters)
{
    const auto made = Read("<input size=\"40,1\"><input size=30><input size=\"x,1\"><input size=\",5\">"
                           "<input size=\"-3 4\"><input maxlength=3 value=abcdef>");
    ASSERT_EQ(made.size(), 6u);
    const std::vector<int> expected = {40, 30, 20, 20, 20, 20};
    for (std::size_t index = 0; index < expected.size(); ++index)
        EXPECT_EQ(dynamic_cast<TEditFormControlObj&>(*made[index]).WidthInChars, expected[index]) << index;

    auto& edit = dynamic_cast<TEditFormControlObj&>(*made[0]);
    EXPECT_EQ(edit.Width(), TEditFormControlObj::kStartWidth);
    EXPECT_EQ(edit.Height(), TEditFormControlObj::kStartHeight);
    edit.SizeFromCanvas(Measure);
    EXPECT_EQ(edit.Width(), AWidth(Document.FixedFontName, 10) * 40 + 5);
    EXPECT_EQ(dynamic_cast<TEditFormControlObj&>(*made[5]).Edit()->maxLength(), 3);
}

TEST_F(FormsTest, EditBoxWithALongValueShowsItsStart)
{
    auto& edit = One<TEditFormControlObj>("<form><input name=e size=5 value=12345678></form>");
    EXPECT_EQ(edit.Edit()->cursorPosition(), 0);
    edit.Edit()->setText("typed");
    edit.Form->Reset();
    EXPECT_EQ(edit.Edit()->text(), "12345678");
    EXPECT_EQ(edit.Edit()->cursorPosition(), 0);
    edit.Form->Submit();
    EXPECT_THAT(LastResults(), ElementsAre("e=12345678"));
}

TEST_F(FormsTest, ButtonsCaptionAndSize)
{
    const auto made = Read("<input type=submit><input type=reset><input type=button><input type=submit value=\"R&D\">");
    std::vector<std::string> captions;
    for (TFormControlObj* control : made)
        captions.push_back(dynamic_cast<TButtonFormControlObj&>(*control).Caption());
    EXPECT_THAT(captions, ElementsAre("Submit", "Reset", "Button", "R&D"));
    auto& button = dynamic_cast<TButtonFormControlObj&>(*made[3]);
    EXPECT_EQ(button.Button()->text(), "R&&D");
    button.SizeFromCanvas(Measure);
    const TMyFont screen("System", QApplication::font().pointSize());
    EXPECT_EQ(button.Height(), screen.Metrics().Height + 8);
    EXPECT_EQ(button.Width(), screen.TextWidth("R&D") + 20);
    made[0]->SizeFromCanvas(Measure);
    EXPECT_EQ(made[0]->Width(), screen.TextWidth("Submit") + 20);
}

TEST_F(FormsTest, SmallControlsAndWhereWidgetsWait)
{
    const auto made = Read("<input type=checkbox name=c><input type=radio name=r>");
    auto& box = dynamic_cast<TCheckBoxFormControlObj&>(*made[0]);
    auto& radio = dynamic_cast<TRadioButtonFormControlObj&>(*made[1]);
    EXPECT_EQ(box.Width(), 13);
    EXPECT_EQ(radio.Height(), 14);
    box.EnsureWidget();
    radio.EnsureWidget();
    EXPECT_EQ(box.Widget->size(), QSize(13, 13));
    EXPECT_EQ(radio.Widget->size(), QSize(13, 14));
    EXPECT_EQ(radio.FocusWidget(), radio.RadioButton());
    EXPECT_EQ(radio.RadioButton()->parentWidget(), radio.Widget);
    EXPECT_TRUE(box.SitsOnBaseline && radio.SitsOnBaseline && radio.PanelTakesBackground);
    EXPECT_EQ(box.Widget->parentWidget(), &Panel);
    EXPECT_EQ(box.Widget->y(), TFormControlObj::kUnplacedTop);
}

TEST_F(FormsTest, FocusTellsTheViewerAndKeepsUnplacedWidgetsReachable)
{
    const auto made = Read("<input name=a><input name=b>");
    std::vector<TFormControlObj*> focused;
    Document.FormFocusHandler = [&focused](TFormControlObj& control) { focused.push_back(&control); };
    made[0]->Place(10, 20, clWhite);
    made[1]->EnsureWidget();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(made[0]->FocusWidget(), &focusIn);
    EXPECT_THAT(focused, ElementsAre(made[0]));
    EXPECT_EQ(made[0]->Widget->pos(), QPoint(10, 20));
    EXPECT_EQ(made[1]->Widget->x(), TSectionList::kOutOfSightLeft);
    EXPECT_FALSE(made[1]->Widget->isHidden());
}

TEST_F(FormsTest, LayoutSizesTheControlsOfTheDocument)
{
    TRecordingErrorBox errors;
    TFormList forms;
    TSectionList document(&Host, errors);
    TFormControlFactory factory(document, forms);
    auto section = std::make_unique<TSection>(0, TParaAlign::Left, nullptr, TMyFont("Times New Roman", 12), Style);
    Lexer.StartMemory("<textarea rows=3 cols=7></textarea>");
    Lexer.NextSymbol();
    auto& area = factory.CreateTextArea(*section, Lexer.Attributes());
    document.Add(std::move(section));
    int position = 0;
    int maxWidth = 0;
    document.Layout(Measure, 0, 600, position, maxWidth);
    const int frame = 2 * area.TextEdit()->frameWidth();
    const int bar = area.TextEdit()->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area.TextEdit());
    EXPECT_EQ(area.Width(), AWidth(document.FixedFontName, 10) * 7 + 5 + frame + bar);
    EXPECT_EQ(area.Height(), AHeight(document.FixedFontName, 10) * 3 + 5 + frame + bar);
}

// A page may hold thousands of controls: reading it makes no widget, and a
// control without its widget answers for the state the document gave.
TEST_F(FormsTest, ControlsWithoutWidgetsSubmitAndResetAsTheirWidgetsWould)
{
    const auto read = [this] {
        const auto made = Read("<form><input name=q value=abcdef maxlength=4><input type=checkbox name=c checked>"
                               "<input type=radio name=r value=1 checked><input type=radio name=r value=2>"
                               "<select name=s></select><select name=m multiple></select>"
                               "<textarea name=t>one\n\ntwo\n\n</textarea><input type=submit></form>");
        // The options, as the builder gives them.
        auto& drop = dynamic_cast<TListBoxFormControlObj&>(*made[4]);
        drop.AddOption("", false, "a");
        drop.AddOption("", true, "b");
        auto& many = dynamic_cast<TListBoxFormControlObj&>(*made[5]);
        many.AddOption("", true, "x");
        many.AddOption("", false, "y");
        many.AddOption("v", true, "z");
        return made;
    };
    const auto lazy = read();
    EXPECT_TRUE(std::none_of(lazy.begin(), lazy.end(), [](TFormControlObj* control) { return control->Widget; }));
    lazy[0]->Form->Submit();
    const std::vector<std::string> withoutWidgets = LastResults();
    EXPECT_THAT(withoutWidgets, ElementsAre("q=abcd", "c=On", "r=1", "s=b", "m=x", "m=v", "t=one", "t=", "t=two"));

    const auto eager = read();
    for (TFormControlObj* control : eager)
        control->EnsureWidget();
    eager[0]->Form->Submit();
    EXPECT_EQ(LastResults(), withoutWidgets);

    // The group unchecks a button whose widget is not made; the widget made
    // later shows it so, and a reset brings the document's state back.
    auto& second = dynamic_cast<TRadioButtonFormControlObj&>(*lazy[3]);
    second.RadioButton()->click();
    auto& first = dynamic_cast<TRadioButtonFormControlObj&>(*lazy[2]);
    EXPECT_EQ(first.Widget, nullptr);
    EXPECT_FALSE(first.IsChecked());
    EXPECT_FALSE(first.RadioButton()->isChecked());
    lazy[0]->Form->Reset();
    EXPECT_TRUE(first.RadioButton()->isChecked());
    EXPECT_FALSE(second.IsChecked());
}

// Sizes come from the style before the widgets exist; made widgets keep them.
TEST_F(FormsTest, SizesWithoutWidgetsAreTheSizesOfTheWidgets)
{
    const auto made = Read("<select name=d><option>one</select><select name=l size=3><option>a</select>"
                           "<textarea rows=2 cols=9></textarea><input size=7><input type=submit value=Go>");
    for (TFormControlObj* control : made)
        control->SizeFromCanvas(Measure);
    std::vector<QSize> planned;
    for (TFormControlObj* control : made)
        planned.emplace_back(control->Width(), control->Height());
    for (TFormControlObj* control : made)
        control->EnsureWidget();
    for (std::size_t index = 0; index < made.size(); ++index)
        EXPECT_EQ(made[index]->Widget->size(), planned[index]) << index;

    auto& drop = dynamic_cast<TComboFormControlObj&>(*made[0]);
    EXPECT_EQ(drop.Height(), drop.ComboBox()->sizeHint().height());
    auto& list = dynamic_cast<TListBoxFormControlObj&>(*made[1]);
    EXPECT_EQ(list.Height(), AHeight(Document.FixedFontName, 10) * 3 + 2 * list.ListWidget()->frameWidth());
}

// Widgets made in any order stand in the focus chain in the page's order.
TEST_F(FormsTest, WidgetsMadeOutOfOrderKeepThePagesTabOrder)
{
    const auto made = Read("<input name=a><input name=b><input type=checkbox name=c><select name=d></select>");
    for (int index : {2, 0, 3, 1})
        made[static_cast<std::size_t>(index)]->EnsureWidget();
    std::vector<QWidget*> chain;
    for (QWidget* widget = made[0]->FocusWidget()->nextInFocusChain(); widget != made[0]->FocusWidget();
         widget = widget->nextInFocusChain()) {
        const auto control = std::find_if(made.begin(), made.end(),
                                          [widget](TFormControlObj* c) { return c->FocusWidget() == widget; });
        if (control != made.end())
            chain.push_back(widget);
    }
    EXPECT_THAT(chain, ElementsAre(made[1]->FocusWidget(), made[2]->FocusWidget(), made[3]->FocusWidget()));
}

TEST_F(FormsTest, ADocumentWithoutDrawingSurfaceMakesNoWindows)
{
    TRecordingErrorBox errors;
    TFormList forms;
    TSectionList document(nullptr, errors);
    TFormControlFactory factory(document, forms);
    Lexer.StartMemory("<input name=q value=v>");
    Lexer.NextSymbol();
    TFormControlObj& control = factory.CreateInput(Section, nullptr, Lexer.Attributes());
    control.Place(0, 0, clWhite);
    EXPECT_EQ(control.Widget, nullptr);
    std::string pair;
    EXPECT_TRUE(control.SubmissionItem(0, pair));
    EXPECT_EQ(pair, "q=v");
}

}  // namespace
