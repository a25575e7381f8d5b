#include "LayoutFakes.h"

#include "engine/forms/FormControlObj.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A control with a plain edit box on the panel.
class TEditControl : public TFormControlObj {
public:
    TEditControl(TSectionList& document, QWidget& panel) : TFormControlObj(&document, nullptr, 0)
    {
        Widget = new QLineEdit(&panel);
        Widget->move(30, 40);
        Widget->show();
        document.FormControlList.push_back(this);
    }

    int SizeCount = 0;
    void SizeFromCanvas(TCanvas&) override { ++SizeCount; }
};

class ControlPlacementTest : public testing::Test {
protected:
    QWidget panel;
    TFakeDocumentHost host{&panel};
    TRecordingErrorBox errors;
    TSectionList document{&host, errors};
    TEditControl first{document, panel};
    TEditControl second{document, panel};
    TCanvas canvas;

    void SetUp() override
    {
        panel.resize(400, 300);
        panel.show();
    }
};

TEST_F(ControlPlacementTest, LayoutSizesEveryControl)
{
    int position = 0;
    int maxWidth = 0;
    document.Layout(canvas, 0, 400, position, maxWidth);
    EXPECT_EQ(first.SizeCount, 1);
    EXPECT_EQ(second.SizeCount, 1);
}

TEST_F(ControlPlacementTest, ScrollingForgetsWherePaintingPlacedTheControls)
{
    first.Shown = true;
    document.SetYOffset(0);
    EXPECT_TRUE(first.Shown);
    document.SetYOffset(50);
    EXPECT_FALSE(first.Shown);
}

TEST_F(ControlPlacementTest, UnplacedControlsAreHiddenWithoutTheFocus)
{
    first.Shown = true;
    document.HideUnplacedControls();
    EXPECT_TRUE(first.Widget->isVisible());
    EXPECT_FALSE(second.Widget->isVisible());
}

TEST_F(ControlPlacementTest, AFocusedPageKeepsItsUnplacedControlsVisibleOutOfSight)
{
    QApplication::setActiveWindow(&panel);
    second.Widget->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != second.Widget)
        GTEST_SKIP() << "the platform gives no keyboard focus";

    document.SetYOffset(500); // both scrolled out of the painted band
    document.Paint(canvas, {0, 0, 400, 300}, 0, 0, 2000);
    EXPECT_TRUE(second.Widget->isVisible());
    EXPECT_EQ(second.Widget->x(), -4000);
    EXPECT_EQ(second.Widget->y(), 40);
    EXPECT_TRUE(first.Widget->isVisible());
    EXPECT_EQ(first.Widget->x(), -4000);
}

} // namespace
