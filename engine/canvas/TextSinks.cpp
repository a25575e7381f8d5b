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

void SelTextCount::AddText(const char* text, int count)
{
    for (int index = 0; index < count; ++index)
        if (!IsMark(text[index]))
            ++count_;
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
    for (int index = 0; index < count; ++index)
        if (!IsMark(text[index]))
            text_ += text[index];
    count_ = static_cast<int>(std::min<std::size_t>(text_.size(), INT_MAX - 1));
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
