#pragma once
// The widget that the page's form controls are children of: the viewer's
// drawing surface, which the document's host hands out.

#include "engine/layout/DocumentHost.h"
#include "engine/layout/SectionList.h"

class QWidget;

class TControlSurface {
public:
    virtual QWidget& ControlParent() = 0;
    // Surface pixels per page pixel: the widgets of a zoomed view are placed,
    // sized and lettered that much larger.
    virtual double ControlScale() const = 0;

protected:
    ~TControlSurface() = default;
};

// The parent of the document's control widgets; null where the document
// shows no widgets (no host, or a host without a surface).
inline QWidget* ControlParentOf(const TSectionList& document)
{
    TControlSurface* surface = document.Host ? document.Host->ControlSurface() : nullptr;
    return surface ? &surface->ControlParent() : nullptr;
}

inline double ControlScaleOf(const TSectionList& document)
{
    TControlSurface* surface = document.Host ? document.Host->ControlSurface() : nullptr;
    return surface ? surface->ControlScale() : 1.0;
}
