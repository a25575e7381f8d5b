#pragma once
// The viewer's side of a shown document: it repaints the bands the document
// names on the drawing surface, parents the page's form widgets to that
// surface, and runs the animation clock of the page's pictures.

#include "engine/forms/ControlSurface.h"
#include "engine/layout/DocumentHost.h"

#include "engine/viewer/Zoom.h"

#include <QTimer>

class QWidget;
class TAnimationNotes;
class TSectionList;

class TPageHost final : public TDocumentHost, public TControlSurface {
public:
    explicit TPageHost(QWidget& surface);

    // The document the clock's ticks go to, with the notes of the view's
    // last painting.
    void Serve(TSectionList& document, const TAnimationNotes& drawn)
    {
        document_ = &document;
        drawn_ = &drawn;
    }

    // The view's zoom: bands and widgets are in page pixels, the surface shows
    // them that much larger.
    void ShowAt(const TZoom& zoom) { zoom_ = &zoom; }

    void RepaintBand(const TRect& band) override;
    TControlSurface* ControlSurface() override { return this; }
    QWidget& ControlParent() override { return surface_; }
    double ControlScale() const override { return zoom_ ? zoom_->Scale() : 1.0; }
    void StartAnimationClock(int intervalMs) override;
    void StopAnimationClock() override;

private:
    QWidget& surface_;
    TSectionList* document_ = nullptr;
    const TAnimationNotes* drawn_ = nullptr;
    const TZoom* zoom_ = nullptr;
    QTimer animationClock_;
};
