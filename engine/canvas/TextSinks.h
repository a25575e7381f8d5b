#pragma once
// Sinks for the selected text the document's copy walk emits: a counter, a
// buffer of fixed size, and the clipboard buffer. The control mark (2) and the
// image mark (4) the sections keep in their text never reach a sink's output.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// What the copy walk writes into.
class TTextSink {
public:
    virtual ~TTextSink() = default;
    // One run of Windows-1252 characters.
    virtual void AddText(const char* text, int count) = 0;
    // Ends the copy; what it returns depends on the sink.
    virtual int Finish() = 0;

    void AddText(std::string_view text) { AddText(text.data(), static_cast<int>(text.size())); }
    // The run followed by carriage return and line feed.
    void AddTextCR(const char* text, int count);
    void AddTextCR(std::string_view text) { AddTextCR(text.data(), static_cast<int>(text.size())); }
};

// Counts the characters of the selection, without limit.
class SelTextCount : public TTextSink {
public:
    static constexpr char kControlMark = 2;
    static constexpr char kImageMark = 4;

    void AddText(const char* text, int count) override;
    // The count.
    int Finish() override { return count_; }
    int Count() const { return count_; }

    using TTextSink::AddText;

protected:
    static bool IsMark(char character) { return character == kControlMark || character == kImageMark; }
    int count_ = 0;
};

// Copies the selection into a caller's buffer of the given length; what does
// not fit before the terminating zero is dropped.
class SelTextBuf : public SelTextCount {
public:
    SelTextBuf(char* buffer, int length);

    void AddText(const char* text, int count) override;
    // Stores the terminating zero; returns the count + 1.
    int Finish() override;
    std::string_view Text() const { return {buffer_, static_cast<std::size_t>(count_)}; }

    using TTextSink::AddText;

protected:
    void Terminate();

private:
    char* buffer_;
    int length_;
};

// Collects the whole selection, however long; finishing puts it on the
// clipboard, converted from Windows-1252.
class ClipBuffer : public SelTextCount {
public:
    void AddText(const char* text, int count) override;
    // The count + 1, as for a buffer with its terminating zero.
    int Finish() override;
    std::string_view Text() const { return text_; }

    using TTextSink::AddText;

protected:
    // The one place the clipboard is written: the application's clipboard.
    virtual void PutOnClipboard(const QString& text);

private:
    std::string text_;
};
