// THtmlPane: loading pages, the history, following links, META refresh and
// the deferred delivery of form submissions.

#include "engine/viewer/HtmlPane.h"

#include "engine/base/RegularFile.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PaintPanel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <exception>
#include <filesystem>

namespace {

// Form submissions wait in a posted event until the click that caused them
// has finished.
const QEvent::Type kFormSubmitEvent = static_cast<QEvent::Type>(QEvent::User + 1124);

class TFormSubmitPosted : public QEvent {
public:
    TFormSubmitPosted(std::string action, std::string target, std::string encType, std::string method,
                      std::vector<std::string> results)
        : QEvent(kFormSubmitEvent),
          Action(std::move(action)),
          Target(std::move(target)),
          EncType(std::move(encType)),
          Method(std::move(method)),
          Results(std::move(results))
    {
    }
    std::string Action;
    std::string Target;
    std::string EncType;
    std::string Method;
    std::vector<std::string> Results;
};

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

// ---- Loading ----------------------------------------------------------------

void THtmlPane::LoadHtmlFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Html);
}

void THtmlPane::LoadTextFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Text);
}

void THtmlPane::LoadImageFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Image);
}

void THtmlPane::LoadFileWithHistory(const std::string& fileName, TViewedFileType type)
{
    if (LoadFileRecorded(fileName, type))
        RaiseRefresh();
}

bool THtmlPane::LoadFileRecorded(const std::string& fileName, TViewedFileType type)
{
    if (processing_ || fileName.empty())
        return false;
    const std::string oldFile = currentFile_;
    const std::string oldTitle = documentTitle_;
    const int oldPosition = Position();
    const TViewedFileType oldType = fileType_;
    LoadFile(fileName, type);
    if (currentFile_ != oldFile || fileType_ != oldType)
        BumpHistory(oldFile, oldTitle, oldType, oldPosition);
    return true;
}

void THtmlPane::PrepareDocument()
{
    NewPage();
    document_->Clear();
    imageCache_.Cache().Age();
    fileNameCase_.Forget();
    document_->SetFonts(defFontName_, defPreFontName_, defBackground_, defHotSpotColor_, defFontColor_,
                        defFontSize_);
    document_->Charset = charSet_;
    nameList_.Clear();
    caretPos_ = 0;
    selectionAnchor_ = -1;
}

THtmlHandlers THtmlPane::PageHandlers()
{
    THtmlHandlers handlers;
    handlers.OnMeta = [this](THtmlPane*, const std::string& httpEq, const std::string& name,
                             const std::string& content) { MetaReceiver(httpEq, name, content); };
    handlers.OnSound = OnSoundRequest;
    handlers.OnInclude = OnInclude;
    handlers.Sender = this;
    return handlers;
}

void THtmlPane::Build(TViewedFileType type, const std::string& fileName)
{
    switch (type) {
    case TViewedFileType::Html:
        // The previous page's background sound stops.
        if (OnSoundRequest)
            OnSoundRequest(this, {}, 0, true);
        builder_.ParseHtmlFile(*document_, nameList_, fileName, PageHandlers());
        break;
    case TViewedFileType::Text:
        builder_.ParseTextFile(*document_, nameList_, fileName);
        break;
    case TViewedFileType::Image: {
        // A page of one image tag, not cut to any length, so that long names
        // and names with double quotes show their picture too. The full name
        // keeps it independent of the page being left.
        THtmlHandlers handlers;
        handlers.OnInclude = OnInclude;
        builder_.ParseHtmlText(*document_, nameList_, THtmlBuilder::ImagePageText(FullPath(fileName)), handlers);
        break;
    }
    }
}

void THtmlPane::LoadFile(const std::string& name, TViewedFileType type)
{
    std::exception_ptr failure;
    {
        const TWaitCursor wait;
        const std::size_t hash = name.find('#');
        const std::string fileName = name.substr(0, hash);
        const std::string anchor = hash == std::string::npos ? std::string() : name.substr(hash + 1);
        refreshDelay_ = 0;
        const TProcessingScope busy(*this);

        const std::string existing = ResolveFileNameCase(fileName);
        // A picture too large to read shows the error picture on its page.
        const std::uint64_t maxBytes = type == TViewedFileType::Image ? UINT64_MAX : kMaxPageBytes;
        if (const TFileRefusal refusal = RegularFileRefusal(existing, maxBytes); refusal != TFileRefusal::None)
            throw EFileError(fileName, refusal);

        const std::string oldFile = currentFile_;
        PrepareDocument();
        try {
            Build(type, existing);
        } catch (...) {
            // What was built so far is shown; the error goes to the caller.
            failure = std::current_exception();
        }
        currentFile_ = FullPath(existing);
        fileType_ = type;
        FinishLoad();
        if (!anchor.empty()) {
            ScrollToAnchor(anchor);
        } else if (currentFile_ != oldFile) {
            ScrollTo(0);
            horizontalBar_->setValue(0);
        }
        panel_->update();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void THtmlPane::FinishLoad()
{
    documentTitle_ = builder_.Title();
    base_ = builder_.Base();
    baseTarget_ = builder_.BaseTarget();
    const TSuppressDrawing suppressed(*this);
    document_->BackgroundBitmap();
    DoLayout();
}

// Raised once the page is recorded in the history, so that a handler that
// loads the refresh target at once finds the history in order.
void THtmlPane::RaiseRefresh()
{
    if (refreshDelay_ > 0 && OnMetaRefresh)
        OnMetaRefresh(*this, refreshDelay_, refreshUrl_);
}

void THtmlPane::NewPage()
{
    ++pageSerial_;
    // A press on the page being left is no click on the new one.
    clickCandidate_ = false;
    selecting_ = false;
    StopAutoScroll();
}

void THtmlPane::LoadFromBuffer(std::string_view text)
{
    if (processing_)
        return;
    std::exception_ptr failure;
    {
        const TProcessingScope busy(*this);
        refreshDelay_ = 0;
        PrepareDocument();
        if (OnSoundRequest)
            OnSoundRequest(this, {}, 0, true);
        try {
            // The text reaches the builder in full: nothing is cut.
            builder_.ParseHtmlText(*document_, nameList_, std::string(text), PageHandlers());
        } catch (...) {
            failure = std::current_exception();
        }
        FinishLoad();
        ScrollTo(0);
        horizontalBar_->setValue(0);
        panel_->update();
        currentFile_.clear();
    }
    if (failure)
        std::rethrow_exception(failure);
    RaiseRefresh();
}

void THtmlPane::Reload()
{
    if (currentFile_.empty())
        return;
    const int position = Position();
    const std::string file = currentFile_;
    if (!LoadFileRecorded(file, fileType_))
        return;
    SetPosition(position);
    RaiseRefresh();
}

void THtmlPane::Clear()
{
    if (processing_)
        return;
    NewPage();
    document_->Clear();
    document_->SetFonts(defFontName_, defPreFontName_, defBackground_, defHotSpotColor_, defFontColor_,
                        defFontSize_);
    nameList_.Clear();
    base_.clear();
    baseTarget_.clear();
    documentTitle_.clear();
    docHeight_ = 0;
    scrollWidth_ = 0;
    movingBar_ = true;
    verticalBar_->setRange(0, 0);
    horizontalBar_->setRange(0, 0);
    movingBar_ = false;
    document_->SetYOffset(0);
    verticalBar_->hide();
    horizontalBar_->hide();
    const int frame = borderStyle_ == THTMLBorderStyle::None ? 0 : 1;
    panel_->setGeometry(frame, frame, std::max(0, width() - 2 * frame), std::max(0, height() - 2 * frame));
    verticalBar_->resize(verticalBar_->width(), PanelHeight());
    caretPos_ = 0;
    selectionAnchor_ = -1;
    if (OnSoundRequest)
        OnSoundRequest(this, {}, 0, true);
    update();
    panel_->update();
}

bool THtmlPane::ScrollToAnchor(std::string_view name)
{
    if (!name.empty() && name.front() == '#')
        name.remove_prefix(1);
    if (name.empty())
        return false;
    const TSectionBase* item = nameList_.Find(Upper(name));
    if (!item)
        return false;
    ScrollTo(item->Y);
    horizontalBar_->setValue(0);
    return true;
}

std::string THtmlPane::ExpandLinkName(const std::string& name) const
{
    return ExpandLinkToFile(name, serverRoot_, base_, currentFile_, fileNameCase_);
}

// ---- History ----------------------------------------------------------------

std::vector<std::string> THtmlPane::History() const
{
    std::vector<std::string> files;
    for (const THistoryEntry& entry : history_)
        files.push_back(entry.File);
    return files;
}

std::vector<std::string> THtmlPane::TitleHistory() const
{
    std::vector<std::string> titles;
    for (const THistoryEntry& entry : history_)
        titles.push_back(entry.Title);
    return titles;
}

void THtmlPane::BumpHistory(const std::string& oldFile, const std::string& oldTitle, TViewedFileType oldType,
                            int oldPosition)
{
    if (historyMaxCount_ < 1 || currentFile_.empty() ||
        (oldFile == currentFile_ && oldType == fileType_ && oldPosition == Position()))
        return;
    if (!history_.empty() && !oldFile.empty()) {
        // The page being left is remembered where it was; the pages ahead of it go.
        history_[static_cast<std::size_t>(historyIndex_)] = {oldFile, oldTitle, oldPosition, oldType};
        history_.erase(history_.begin(), history_.begin() + historyIndex_);
    }
    historyIndex_ = 0;
    history_.insert(history_.begin(), {currentFile_, documentTitle_, Position(), fileType_});
    if (static_cast<int>(history_.size()) > historyMaxCount_)
        history_.erase(history_.begin() + historyMaxCount_);
    if (OnHistoryChange)
        OnHistoryChange(*this);
}

void THtmlPane::StoreCurrentEntry()
{
    if (!currentFile_.empty())
        history_[static_cast<std::size_t>(historyIndex_)] = {currentFile_, documentTitle_, Position(), fileType_};
}

void THtmlPane::SetHistoryIndex(int index)
{
    if (index == historyIndex_ || index < 0 || index >= static_cast<int>(history_.size()) || processing_)
        return;
    StoreCurrentEntry();
    const THistoryEntry entry = history_[static_cast<std::size_t>(index)];
    const bool load = entry.File != currentFile_ || entry.FileType != fileType_;
    if (load)
        LoadFile(entry.File, entry.FileType);
    SetPosition(entry.Position);
    historyIndex_ = index;
    const std::uint64_t page = pageSerial_;
    if (OnHistoryChange)
        OnHistoryChange(*this);
    if (load && pageSerial_ == page)
        RaiseRefresh();
}

void THtmlPane::ClearHistory()
{
    const bool hadEntries = !history_.empty();
    history_.clear();
    historyIndex_ = 0;
    if (hadEntries && OnHistoryChange)
        OnHistoryChange(*this);
}

// ---- Links ------------------------------------------------------------------

bool THtmlPane::HotSpotClickHandled()
{
    bool handled = false;
    if (OnHotSpotClick)
        OnHotSpotClick(*this, hotSpotUrl_, handled);
    return handled;
}

void THtmlPane::HotSpotClickAction()
{
    // A handler that showed another page has followed the link its own way:
    // the link's name means nothing relative to that page.
    const std::uint64_t shown = pageSerial_;
    if (HotSpotClickHandled() || pageSerial_ != shown)
        return;
    const int position = Position();
    std::string url = hotSpotUrl_;
    const std::size_t hash = url.find('#');
    if (hash == 0) {
        if (ScrollToAnchor(url))
            BumpHistory(currentFile_, documentTitle_, fileType_, position);
        return;
    }
    std::string anchor;
    if (hash != std::string::npos) {
        anchor = url.substr(hash);
        url.resize(hash);
    }
    url = ExpandLinkName(url);
    const std::string extension = LinkExtension(url);
    const bool page = extension == ".HTM" || extension == ".HTML";
    // A NUL would open a shorter name than the one whose extension was
    // tested: such links name no file.
    if ((page || IsImageExtension(extension)) && HasControlCharacter(url))
        throw EFileError(url);
    if (page) {
        if (url != currentFile_)
            LoadHtmlFile(url + anchor);
        else if (ScrollToAnchor(anchor))
            BumpHistory(currentFile_, documentTitle_, TViewedFileType::Html, position);
    } else if (IsImageExtension(extension)) {
        LoadImageFile(url);
    }
    // Every other link is the OnHotSpotClick handler's.
}

// ---- META and forms ---------------------------------------------------------

void THtmlPane::MetaReceiver(const std::string& httpEq, const std::string& name, const std::string& content)
{
    if (OnMeta)
        OnMeta(this, httpEq, name, content);
    if (!OnMetaRefresh || Lower(httpEq) != "refresh")
        return;
    const std::size_t semicolon = content.find(';');
    const int delay = semicolon == std::string::npos ? -1 : DelayOf(std::string_view(content).substr(0, semicolon));
    const std::size_t url = Lower(content).find("url=");
    if (delay > 0 && url != std::string::npos) {
        refreshUrl_ = content.substr(url + 4);
        refreshDelay_ = delay;
    }
}

void THtmlPane::SubmissionReceiver(const std::string& action, const std::string& target,
                                   const std::string& encType, const std::string& method,
                                   std::vector<std::string> results)
{
    if (onFormSubmit_)
        QCoreApplication::postEvent(this, new TFormSubmitPosted(action, target, encType, method, std::move(results)));
}

bool THtmlPane::event(QEvent* event)
{
    if (event->type() == kFormSubmitEvent) {
        auto& submission = static_cast<TFormSubmitPosted&>(*event);
        if (onFormSubmit_)
            onFormSubmit_(*this, submission.Action, submission.Target, submission.EncType, submission.Method,
                          std::move(submission.Results));
        return true;
    }
    return QWidget::event(event);
}
