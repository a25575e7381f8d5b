#include "engine/canvas/TextSinks.h"

#include "engine/base/Cp1252.h"

#include <QClipboard>
#include <QGuiApplication>

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

ClipBuffer::ClipBuffer() : SelTextBuf(Bytes.data(), kBufferSize) {}

int ClipBuffer::Finish()
{
    Terminate();
    PutOnClipboard(Cp1252ToQString(Text()));
    return count_ + 1;
}

void ClipBuffer::PutOnClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
