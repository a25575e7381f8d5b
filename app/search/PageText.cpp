#include "app/search/PageText.h"

#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/builder/LayoutDump.h"
#include "engine/canvas/Canvas.h"
#include "engine/canvas/TextSinks.h"
#include "engine/layout/SectionList.h"

#include <QString>

#include <algorithm>

namespace {

// The width of the viewer's page area that the text is laid out for, as
// `zefweb --text` lays it out by default.
constexpr int kTextWidth = 800;

// Layout messages of a page nobody sees are dropped.
class TSilentErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string&) override {}
};

// The copied characters, their control and picture marks left out, in UTF-8.
class TUtf8Sink final : public TTextSink {
public:
    explicit TUtf8Sink(const std::function<void(std::string_view)>& addText) : addText_(addText) {}
    void AddText(const char* text, int count) override
    {
        std::string kept(text, static_cast<std::size_t>(std::max(0, count)));
        std::erase_if(kept, [](char c) { return c == SelTextCount::kControlMark || c == SelTextCount::kImageMark; });
        if (kept.empty())
            return;
        const QByteArray utf8 = Cp1252ToQString(kept).toUtf8();
        addText_(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    }
    int Finish() override { return 0; }

private:
    const std::function<void(std::string_view)>& addText_;
};

} // namespace

bool IsPlainTextPage(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos)
        return false;
    return QString::fromUtf8(fileName.substr(dot).data(), static_cast<qsizetype>(fileName.size() - dot))
               .compare(QStringLiteral(".txt"), Qt::CaseInsensitive) == 0;
}

namespace {

// A page built as the viewer builds it, into a document with no view.
struct TQuietPage {
    explicit TQuietPage(const std::string& fileName) : document(nullptr, errors)
    {
        document.OnItemDropped = [this](const TSectionBase& item) { anchors.Forget(item); };
        SetViewerDefaults(document);
        document.ShowImages = false;
        const TPageParts page{document, forms, anchors};
        try {
            if (IsPlainTextPage(fileName))
                builder.ParseTextFile(page, fileName);
            else
                builder.ParseHtmlFile(page, fileName);
        } catch (const EParseError&) {
            // What was built before the open comment is the page the viewer shows.
        }
    }
    TSilentErrorBox errors;
    TFormList forms;
    TAnchorList anchors;
    TSectionList document;
    THtmlBuilder builder;
};

} // namespace

std::string ReadPageText(const std::string& fileName, const std::function<void(std::string_view utf8)>& addText)
{
    TQuietPage page(fileName);
    TSectionList& document = page.document;
    // A copy goes line by line: the page is laid out as the viewer's
    // default window lays it out.
    TCanvas canvas;
    int position = 0;
    int maxWidth = 0;
    document.Layout(canvas, kDumpMarginHeight, kTextWidth - 2 * kDumpMarginWidth, position, maxWidth);
    if (!document.Items.empty()) {
        const TSectionBase& last = *document.Items.back();
        document.SelectionBegin = 0;
        document.SelectionEnd = last.StartPosition + last.Length;
        TUtf8Sink sink(addText);
        document.CopySelection(sink);
    }
    return Cp1252ToQString(page.builder.Title()).toStdString();
}

std::set<std::string, std::less<>> ReadPageAnchorNames(const std::string& fileName)
{
    TQuietPage page(fileName);
    std::set<std::string, std::less<>> names;
    for (const auto& entry : page.anchors)
        names.insert(entry.first);
    return names;
}
