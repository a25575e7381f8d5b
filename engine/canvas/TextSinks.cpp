#include "engine/canvas/TextSinks.h"

#include "engine/base/Cp1252.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <climits>

void TTextSink::AddTextCR(const char* text, int count)
{
    AddText(text, count);
    AddText("\r\n", 2);
}

// A wide sequence counts as the one character it is.
void SelTextCount::AddText(const char* text, int count)
{
    const std::string_view view(text, static_cast<std::size_t>(count));
    for (std::size_t index = 0; index < view.size();) {
        const bool wide = WideCharacterAt(view, index).has_value();
        if (wide || !IsMark(view[index]))
            ++count_;
        index += wide ? kWideLength : 1;
    }
}

SelTextBuf::SelTextBuf(char* buffer, int length) : buffer_(buffer), length_(buffer != nullptr ? length : 0) {}

void SelTextBuf::AddText(const char* text, int count)
{
    for (int index = 0; index < count && count_ < length_ - 1; ++index)
        if (!IsMark(text[index]))
            buffer_[count_++] = text[index];
}

void SelTextBuf::Terminate()
{
    // A buffer of no bytes has no room even for the terminating zero.
    if (length_ > 0)
        buffer_[count_] = '\0';
}

int SelTextBuf::Finish()
{
    Terminate();
    return count_ + 1;
}

void ClipBuffer::AddText(const char* text, int count)
{
    const std::size_t before = text_.size();
    for (int index = 0; index < count; ++index)
        if (!IsMark(text[index]))
            text_ += text[index];
    const std::size_t added = EngineTextLength(std::string_view(text_).substr(before));
    count_ = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count_) + added, INT_MAX - 1));
}

int ClipBuffer::Finish()
{
    PutOnClipboard(Cp1252ToQString(text_));
    return count_ + 1;
}

void ClipBuffer::PutOnClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
