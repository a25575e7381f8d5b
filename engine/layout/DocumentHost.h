#pragma once
// What a document asks of the view that shows it. The document is the model
// alone: it holds no widget, timer or viewer, so that a printer or a second
// view can paint it too. The viewer control implements the host, tests use a
// fake, and a document without one (the layout dump, a batch measure) makes
// no widgets and animates nothing.

struct TRect;
class TControlSurface;

class TDocumentHost {
public:
    // Paints the band (window coordinates) again: an animation moved on there.
    virtual void RepaintBand(const TRect& band) = 0;
    // Where the page's form controls put their widgets; null where the page
    // shows none. The forms layer knows what it is.
    virtual TControlSurface* ControlSurface() = 0;
    // Calls the document's AnimationTick every interval until stopped.
    virtual void StartAnimationClock(int intervalMs) = 0;
    virtual void StopAnimationClock() = 0;

protected:
    ~TDocumentHost() = default;
};
