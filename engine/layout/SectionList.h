#pragma once
// The document: the cell that holds the page body, with everything the page
// shares (default fonts and colours, background, selection, forms, image maps,
// animated images) and the host that shows it.

#include "engine/layout/Cell.h"
#include "engine/layout/DocumentHost.h"
#include "engine/layout/LineList.h"
#include "engine/base/Colors.h"
#include "engine/canvas/Fonts.h"
#include "engine/images/GifDecoder.h"
#include "engine/images/ImageCache.h"
#include "engine/images/ImageMap.h"
#include "engine/base/Rect.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAnimationNotes;
class TErrorBox;
class TFormControlObj;
class TGIFImage;
class ThtmlForm;

// An image whose data the request handler will deliver later.
struct TMissingImage {
    std::string Name; // the reference's image cache key
    // The inline image that waits for it; null when the document's background
    // image waits.
    TImageObj* Image = nullptr;
};

// What an item type remembers of the item added last, to share with the
// next one what both hold (the type belongs to the items' layer).
class TItemMemory {
public:
    virtual ~TItemMemory() = default;
};

// What layout, painting and scrolling need done to the page's form controls.
// Their widgets belong to the text layer above, which hands the document its
// implementation when the first control joins the page.
class TControlPlacement {
public:
    // Sets every control's size from the font metrics of the canvas.
    virtual void SizeFromCanvas(TSectionList& document, TCanvas& canvas) const = 0;
    // Forgets where the last painting placed the controls (the page scrolled).
    virtual void MarkUnplaced(TSectionList& document) const = 0;
    virtual void HideUnplaced(TSectionList& document) const = 0;
    virtual void ParkUnplaced(TSectionList& document) const = 0;

protected:
    ~TControlPlacement() = default;
};

class TSectionList : public TCell {
public:
    // Font names are kept to this many characters.
    static constexpr std::size_t kMaxFontNameLength = 33;
    static constexpr int kAnimationInterval = 50; // milliseconds
    // Unplaced form controls wait here while one of them has the focus.
    static constexpr int kOutOfSightLeft = -4000;

    // The host is the view that shows the document, null where none does
    // (tests, the layout dump, page export). Layout errors are reported
    // through the error box.
    TSectionList(TDocumentHost* host, TErrorBox& errorBox);
    ~TSectionList();

    TDocumentHost* Host;
    TErrorBox& ErrorBox;
    // Set by the first form control of the page; null while there is none.
    const TControlPlacement* ControlPlacement = nullptr;

    // The process's image cache; null where pictures are not fetched.
    TImageCache* ImageCache = nullptr;

    // Handlers of the viewer; each may be empty, and then its step is skipped.
    TImageRequest OnImageRequest;
    std::function<void(const std::string& language, const std::string& script)> OnScript;
    std::function<void(TFormControlObj& control, const std::string& onClick)> OnObjectClick;
    std::function<void(const std::string& action, const std::string& target, const std::string& encType,
                       const std::string& method, std::vector<std::string> results)>
        SubmitHandler;
    std::function<void(TFormControlObj& control)> FormFocusHandler;
    std::function<void(TSectionList& document)> OnBackgroundChange;
    // Told of an item a cell drops because its layout failed, just before the
    // item and everything in it is freed, so that who points into it can let go.
    std::function<void(const TSectionBase& item)> OnItemDropped;
    // The viewer's expansion of a page reference to a full file name.
    std::function<std::string(const std::string& reference)> ExpandLinkName;

    bool ShowImages = true;
    int YOffset = 0;
    bool ControlsNeedPlacing = false;
    // The selection is empty when begin >= end.
    int SelectionBegin = 0;
    int SelectionEnd = 0;
    // Size in points that spacing scales from.
    int BaseFontSize = 0;
    // The defaults fonts take; they start as TFontDefaults has them.
    std::string FontName;
    std::string FixedFontName;
    TColor FontColor;
    TColor LinkColor;
    int Charset;
    // The faces the page's fonts resolve through, made once each.
    std::shared_ptr<TFontFaceCache> FaceCache = std::make_shared<TFontFaceCache>();
    // The looks of the page's font runs, each kept once.
    TFontLooks FontLooks;
    // The font runs and the content of the text item added last and the
    // lines of the one laid out last: the next one that has the same
    // (a page of line breaks, a table of numbers) shares them.
    TFontList LastRuns;
    std::unique_ptr<TItemMemory> LastTextContent;
    TLineList LastLines;
    // The page background (the TCell background fields belong to table cells).
    TColor Background = clWindow;
    QImage BackgroundImage;          // null when there is none
    std::string BackgroundImageName; // empty when there is none
    bool BackgroundRequested = false;
    // Animated images in the document; their inline images own them.
    std::vector<TGIFImage*> AnimatedImages;
    // Client-side image maps.
    std::vector<std::unique_ptr<TMapItem>> MapList;
    // Every form control of the page, each registered once; their forms own them.
    std::vector<TFormControlObj*> FormControlList;
    std::vector<TMissingImage> MissingImages;
    // Table cells keep their content's width range from one layout to the
    // next, since it does not depend on the width: a layout for another width
    // or zoom only spreads the columns again. A change of what the ranges
    // come from (content, fonts, pictures) moves the generation on, and the
    // tables measure their cells anew.
    unsigned WidthRangeGeneration = 0;
    void ForgetWidthRanges() { ++WidthRangeGeneration; }

    // The defaults that font runs take (names, charset, colours, base size,
    // face cache).
    TFontDefaults FontDefaults() const;

    // Empties the document for the next page. The items go while the
    // document is still whole, since images release their cache entries.
    void Clear();
    int Layout(TCanvas& canvas, int y, int width, int& position, int& maxWidth);
    int Paint(TCanvas& canvas, const TRect& clip, int y, int x, int clipWidth);
    // Advances the animated images that the view's last painting drew, and
    // has the host repaint where it drew those that changed.
    void AnimationTick(const TAnimationNotes& drawn);
    void SetYOffset(int offset);
    // Moves the form controls the last painting did not place out of sight.
    void HideUnplacedControls();
    // While a form widget has the focus, the widgets the last painting did
    // not place wait far left, shown instead of hidden, so that tabbing
    // through them keeps working.
    void ParkUnplacedControls();
    void SetFonts(const std::string& fontName, const std::string& fixedFontName, TColor background,
                  TColor linkColor, TColor fontColor, int baseFontSize);
    void SetBackground(TColor color);
    void SetBackgroundImage(const std::string& name);
    // Whether the page background counts as white for two-tone edges: its low
    // 24 bits all ones, or the system window colour when that is white.
    bool BackgroundIsWhite() const;
    // The background picture, fetched on first request while images are
    // shown; null when none.
    const QImage& BackgroundBitmap();
    void CopyToClipboard();
    // Characters a copy of the selection would produce.
    int SelectionLength();
    // Sum of the section heights before the item (the index limited to the
    // last item); 0 for an index of 0 or below and for fewer than two items.
    int ItemTop(int index) const;

private:
    bool HasAnimatedImages() const { return !AnimatedImages.empty(); }
    // The host's clock ticks while the page has animations.
    void StartAnimationClock();
    void StopAnimationClock();
    void ReleaseBackground();

    // The document holds a user of the background's cache entry.
    bool backgroundCacheHeld_ = false;
};
