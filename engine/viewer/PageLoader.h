#pragma once
// TPageLoader, the loading of a page: it checks that the file can be read,
// empties the document, runs the builder on an HTML page, a plain-text file,
// a lone picture or text in memory, has the view lay the page out and shows
// it at its anchor or top, and keeps what the builder and the file tell of
// the page (file name and type, title, base, the timed refresh a META asked
// for). It also turns the page's references into file names. The history
// and the user's events stay with the control, which does its own steps of a
// load when asked through TPageLoadSteps.

#include "engine/base/ViewedFileType.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/ShownPage.h"

#include <cstdint>
#include <string>
#include <string_view>

class TAnchorList;
class TBusyFlag;
class TImageCache;
class TPageView;
class TSectionList;

// The steps of a load that are the control's own.
class TPageLoadSteps {
public:
    // Another page is about to replace the one shown: what points into the
    // document is stale.
    virtual void LeavePage() = 0;
    // The emptied document takes the control's default fonts and colours;
    // the selection starts over.
    virtual void PageCleared() = 0;
    // The handlers the builder raises for an HTML page (META, sounds, includes).
    virtual THtmlHandlers PageHandlers() = 0;
    virtual void StopBackgroundSound() = 0;

protected:
    ~TPageLoadSteps() = default;
};

// What the file a link names is, by its extension.
enum class TLinkedFile : std::uint8_t { Page, Image, Other };

class TPageLoader {
public:
    TPageLoader(TShownPage& page, TImageCache& imageCache, TPageView& view,
                TBusyFlag& busy, TPageLoadSteps& steps);

    const std::string& CurrentFile() const { return currentFile_; }
    TViewedFileType FileType() const { return fileType_; }
    const std::string& Title() const { return title_; }
    const std::string& Base() const { return base_; }
    const std::string& BaseTarget() const { return baseTarget_; }
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(std::string_view root);
    // The full file name a link or image reference of the page names.
    std::string ExpandLinkName(const std::string& name) const;
    static TLinkedFile LinkedFileKind(const std::string& fileName);

    // Busy, shows the file (a name may end in '#' and an anchor name); a file
    // that cannot be read throws EFileError and nothing changes; an error in
    // the page shows what was built before it, then passes on.
    void LoadFile(const std::string& name, TViewedFileType type);
    // Busy, shows HTML text at its top; the page has no file.
    void LoadFromText(std::string_view text);
    // Scrolls to the item of the anchor name (a leading '#' is dropped).
    bool ScrollToAnchor(std::string_view name);
    // An empty page: no title, no base.
    void ForgetPage();

    // A META of the page being built; remembers a refresh with a delay and an address.
    void NoteMeta(const std::string& httpEq, const std::string& content);
    int RefreshDelay() const { return refreshDelay_; }
    const std::string& RefreshUrl() const { return refreshUrl_; }
    void ForgetRefresh() { refreshDelay_ = 0; }

private:
    // The file on disk for the name (letter-case fallback); EFileError when
    // it cannot be read as a page of the type.
    std::string ReadableFile(const std::string& fileName, TViewedFileType type) const;
    // Empties the document and its anchors for a new page; the cache ages.
    void StartPage();
    // Builds the file into the emptied document and shows it at the anchor,
    // or at the top when it is another file than the one shown.
    void ShowFile(const std::string& fileName, TViewedFileType type, const std::string& anchor);
    // Runs the builder on the file; HTML pages raise the handlers.
    void Build(TViewedFileType type, const std::string& fileName);
    // Takes the title and base the builder found and lays the page out.
    void FinishLoad();

    TShownPage& page_;
    TSectionList& document_;
    TImageCache& imageCache_;
    TPageView& view_;
    TBusyFlag& busy_;
    TPageLoadSteps& steps_;
    THtmlBuilder builder_;
    std::string currentFile_;
    TViewedFileType fileType_ = TViewedFileType::Html;
    std::string title_;
    std::string base_;
    std::string baseTarget_;
    std::string serverRoot_;
    std::string refreshUrl_;
    int refreshDelay_ = 0;
    // Folder listings for the names of the page shown that differ in letter
    // case from their files; dropped at each load.
    mutable TFileNameCase fileNameCase_;
};
