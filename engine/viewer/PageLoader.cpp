#include "engine/viewer/PageLoader.h"

#include "engine/base/BlockPool.h"
#include "engine/base/RegularFile.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/viewer/BusyFlag.h"
#include "engine/viewer/PageView.h"
#include "engine/viewer/PaintPanel.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <exception>
#include <filesystem>

namespace {

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return result;
}

std::string Lower(std::string_view text)
{
    std::string result(text);
    for (char& ch : result)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return result;
}

// The whole text as a decimal integer (blanks around it allowed), or -1.
int DelayOf(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return -1;
    return value;
}

std::string FullPath(const std::string& fileName)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(fileName, error);
    return error ? fileName : absolute.lexically_normal().string();
}

// The extension from the last ".", upper case, cut to 5 characters.
std::string LinkExtension(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return Upper(fileName.substr(dot, 5));
}

bool IsImageExtension(std::string_view extension)
{
    constexpr std::string_view kImageExtensions[] = {".BMP", ".GIF", ".JPG", ".JPEG", ".PNG"};
    return std::find(std::begin(kImageExtensions), std::end(kImageExtensions), extension) !=
           std::end(kImageExtensions);
}

} // namespace

TPageLoader::TPageLoader(TShownPage& page, TImageCache& imageCache, TPageView& view,
                         TBusyFlag& busy, TPageLoadSteps& steps)
    : page_(page), document_(page.Document()), imageCache_(imageCache), view_(view), busy_(busy), steps_(steps)
{
}

void TPageLoader::SetServerRoot(std::string_view root)
{
    serverRoot_ = TrimName(root);
    if (!serverRoot_.empty() && (serverRoot_.back() == '/' || serverRoot_.back() == '\\'))
        serverRoot_.pop_back();
}

std::string TPageLoader::ExpandLinkName(const std::string& name) const
{
    return ExpandLinkToFile(name, serverRoot_, base_, currentFile_, fileNameCase_);
}

TLinkedFile TPageLoader::LinkedFileKind(const std::string& fileName)
{
    const std::string extension = LinkExtension(fileName);
    if (extension == ".HTM" || extension == ".HTML")
        return TLinkedFile::Page;
    return IsImageExtension(extension) ? TLinkedFile::Image : TLinkedFile::Other;
}

std::string TPageLoader::ReadableFile(const std::string& fileName, TViewedFileType type) const
{
    const std::string existing = ResolveFileNameCase(fileName);
    // A picture too large to read shows the error picture on its page.
    const std::uint64_t maxBytes = type == TViewedFileType::Image ? UINT64_MAX : kMaxPageBytes;
    if (const TFileRefusal refusal = RegularFileRefusal(existing, maxBytes); refusal != TFileRefusal::None)
        throw EFileError(fileName, refusal);
    return existing;
}

void TPageLoader::StartPage()
{
    steps_.LeavePage();
    page_.Clear();
    imageCache_.Cache().Age();
    fileNameCase_.Forget();
    // What the page before held, once it is all gone.
    BlockPool::ReleaseFreedMemory();
    steps_.PageCleared();
}

void TPageLoader::LoadFile(const std::string& name, TViewedFileType type)
{
    std::exception_ptr failure;
    {
        const TWaitCursor wait;
        const std::size_t hash = name.find('#');
        const std::string fileName = name.substr(0, hash);
        const std::string anchor = hash == std::string::npos ? std::string() : name.substr(hash + 1);
        refreshDelay_ = 0;
        const TBusyScope busy(busy_);
        const std::string existing = ReadableFile(fileName, type);
        try {
            ShowFile(existing, type, anchor);
        } catch (...) {
            // The error goes to the caller once the control is no longer busy.
            failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TPageLoader::ShowFile(const std::string& fileName, TViewedFileType type, const std::string& anchor)
{
    const std::string oldFile = currentFile_;
    StartPage();
    std::exception_ptr failure;
    try {
        Build(type, fileName);
    } catch (...) {
        // What was built so far is shown.
        failure = std::current_exception();
    }
    currentFile_ = FullPath(fileName);
    fileType_ = type;
    FinishLoad();
    if (!anchor.empty())
        ScrollToAnchor(anchor);
    else if (currentFile_ != oldFile)
        view_.ScrollToLeftAt(0);
    view_.Panel().update();
    if (failure)
        std::rethrow_exception(failure);
}

void TPageLoader::Build(TViewedFileType type, const std::string& fileName)
{
    switch (type) {
    case TViewedFileType::Html:
        // The previous page's background sound stops.
        steps_.StopBackgroundSound();
        builder_.ParseHtmlFile(page_.Parts(), fileName, steps_.PageHandlers());
        break;
    case TViewedFileType::Text:
        builder_.ParseTextFile(page_.Parts(), fileName);
        break;
    case TViewedFileType::Image: {
        // A page of one image tag, not cut to any length, so that long names
        // and names with double quotes show their picture too. The full name
        // keeps it independent of the page being left.
        THtmlHandlers handlers;
        handlers.OnInclude = steps_.PageHandlers().OnInclude;
        builder_.ParseHtmlText(page_.Parts(), THtmlBuilder::ImagePageText(FullPath(fileName)), handlers);
        break;
    }
    }
}

void TPageLoader::LoadFromText(std::string_view text)
{
    std::exception_ptr failure;
    {
        const TBusyScope busy(busy_);
        refreshDelay_ = 0;
        StartPage();
        steps_.StopBackgroundSound();
        try {
            // The text reaches the builder in full: nothing is cut.
            builder_.ParseHtmlText(page_.Parts(), std::string(text), steps_.PageHandlers());
        } catch (...) {
            failure = std::current_exception();
        }
        FinishLoad();
        view_.ScrollToLeftAt(0);
        view_.Panel().update();
        currentFile_.clear();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TPageLoader::FinishLoad()
{
    title_ = builder_.Title();
    base_ = builder_.Base();
    baseTarget_ = builder_.BaseTarget();
    const TSuppressDrawing suppressed(view_.Panel());
    document_.BackgroundBitmap();
    view_.DoLayout();
}

bool TPageLoader::ScrollToAnchor(std::string_view name)
{
    if (!name.empty() && name.front() == '#')
        name.remove_prefix(1);
    if (name.empty())
        return false;
    const TSectionBase* item = page_.Anchors().Find(Upper(name));
    if (!item)
        return false;
    view_.ScrollToLeftAt(item->Y);
    return true;
}

void TPageLoader::ForgetPage()
{
    base_.clear();
    baseTarget_.clear();
    title_.clear();
}

void TPageLoader::NoteMeta(const std::string& httpEq, const std::string& content)
{
    if (Lower(httpEq) != "refresh")
        return;
    const std::size_t semicolon = content.find(';');
    const int delay = semicolon == std::string::npos ? -1 : DelayOf(std::string_view(content).substr(0, semicolon));
    const std::size_t url = Lower(content).find("url=");
    if (delay > 0 && url != std::string::npos) {
        refreshUrl_ = content.substr(url + 4);
        refreshDelay_ = delay;
    }
}
