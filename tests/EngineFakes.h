#pragma once
// Stand-ins the engine tests share: an error box and a text sink that record
// what they were given, a document host, and the text half of the fake
// document items.

#include "engine/base/ErrorBox.h"
#include "engine/base/Rect.h"
#include "engine/forms/ControlSurface.h"
#include "engine/layout/SectionBase.h"
#include "engine/layout/SectionList.h"
#include "engine/canvas/TextSinks.h"

#include <string>
#include <utility>
#include <vector>

class TRecordingErrorBox : public TErrorBox {
public:
    void ShowError(const std::string& message) override { Messages.push_back(message); }
    std::vector<std::string> Messages;
};

// Records the repaints and the animation clock a document asks for; with a
// panel, the page's form widgets become its children.
class TFakeDocumentHost final : public TDocumentHost, public TControlSurface {
public:
    explicit TFakeDocumentHost(QWidget* panel = nullptr) : panel_(panel) {}

    void RepaintBand(const TRect& band) override { Repainted.push_back(band); }
    TControlSurface* ControlSurface() override { return panel_ ? this : nullptr; }
    QWidget& ControlParent() override { return *panel_; }
    double ControlScale() const override { return 1.0; }
    void StartAnimationClock(int intervalMs) override { ClockInterval = intervalMs; }
    void StopAnimationClock() override { ClockInterval = 0; }

    std::vector<TRect> Repainted;
    int ClockInterval = 0; // 0 while the clock is stopped

private:
    QWidget* panel_;
};

class TRecordingSink : public TTextSink {
public:
    void AddText(const char* text, int count) override { Text.append(text, static_cast<std::size_t>(count)); }
    int Finish() override { return static_cast<int>(Text.size()); }
    using TTextSink::AddText;
    std::string Text;
};

// A fake item that owns one position per character of its text from its
// StartPosition on (its layout sets that): it answers CharAt from the text
// and copies the whole text.
class TFakeTextItem : public TSectionBase {
public:
    explicit TFakeTextItem(std::string text) : Text(std::move(text)) {}

    std::string Text;

    bool CharAt(int position, char& ch, TSectionBase*& item) override
    {
        if (position < StartPosition || position >= StartPosition + Length)
            return false;
        ch = Text[static_cast<std::size_t>(position - StartPosition)];
        item = this;
        return true;
    }

    void CopySelection(TTextSink& sink) override { sink.AddText(Text); }
};
