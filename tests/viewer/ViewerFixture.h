#pragma once
// A viewer control of a fixed size on the offscreen platform, with pages
// written into a temporary folder or read from tests/viewer/pages, and
// synthetic mouse and key input.

#include "engine/viewer/HtmlPane.h"
#include "engine/images/ImageCache.h"
#include "engine/viewer/PaintPanel.h"
#include "tests/EngineFakes.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TViewerTest : public testing::Test {
protected:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        pane_ = std::make_unique<THtmlPane>(cache_, errors_);
        pane_->resize(kWidth, kHeight);
        pane_->show();
        QApplication::processEvents();
    }

    THtmlPane& Pane() { return *pane_; }
    TSectionList& Document() { return pane_->Document(); }

    static std::string FixturePage(const std::string& name)
    {
        return (TestsDir() / "viewer" / "pages" / name).string();
    }

    std::string Folder() const { return folder_.path().toStdString(); }

    // Writes a file into the temporary folder; returns its full name.
    std::string WriteFile(const std::string& name, const std::string& content) const
    {
        const std::string path = Folder() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // A page of numbered paragraphs, tall enough to scroll.
    std::string WriteLongPage(const std::string& name, int paragraphs = 40) const
    {
        std::string page = "<HTML><BODY>";
        for (int i = 1; i <= paragraphs; ++i)
            page += "<P>Paragraphe " + std::to_string(i) + " du texte.\n";
        return WriteFile(name, page + "</BODY></HTML>");
    }

    // Paints the control as the screen would, so that the document records
    // where its lines are (hit tests compare with the last painting).
    QImage Paint()
    {
        QApplication::processEvents();
        return pane_->grab().toImage();
    }

    // A panel point on the character at the position.
    QPoint PointOf(int position)
    {
        TCanvas measure;
        int y = 0;
        int x = 0;
        const int left = Pane().MarginWidth() - Pane().HScrollPos();
        EXPECT_TRUE(Document().PositionToPoint(measure, left, position, y, x)) << "position " << position;
        return {x + 2, y - Pane().VScrollPos() + 6};
    }

    // A panel point on the first occurrence of the text.
    QPoint PointOfText(const std::string& text, int offset = 0)
    {
        const int found = Document().Search(0, text, true);
        EXPECT_GE(found, 0) << text;
        return PointOf(found + offset);
    }

    void SendMouse(QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        TPaintPanel& panel = Pane().PaintPanel();
        QMouseEvent event(type, QPointF(point), QPointF(panel.mapToGlobal(point)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&panel, &event);
    }
    void Press(QPoint point, Qt::MouseButton button = Qt::LeftButton)
    {
        SendMouse(QEvent::MouseButtonPress, point, button, button);
    }
    void Move(QPoint point, Qt::MouseButtons buttons = Qt::NoButton)
    {
        SendMouse(QEvent::MouseMove, point, Qt::NoButton, buttons);
    }
    void Release(QPoint point, Qt::MouseButton button = Qt::LeftButton)
    {
        SendMouse(QEvent::MouseButtonRelease, point, button, Qt::NoButton);
    }
    void Click(QPoint point)
    {
        Press(point);
        Release(point);
    }
    void ClickText(const std::string& text)
    {
        Paint();
        Click(PointOfText(text));
    }
    void Key(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&Pane(), &event);
    }

    // Runs the event loop until the condition holds or the time is up.
    static bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 3000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > milliseconds)
                return false;
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }

    static std::string Selected(TSectionList& document)
    {
        std::string text;
        for (int position = document.SelectionBegin; position < document.SelectionEnd; ++position) {
            char ch = 0;
            TSectionBase* item = nullptr;
            if (document.CharAt(position, ch, item))
                text.push_back(ch);
        }
        return text;
    }

    TImageCache cache_;
    TRecordingErrorBox errors_;
    QTemporaryDir folder_;
    std::unique_ptr<THtmlPane> pane_;
};
