#pragma once
// A client-side image map: the areas of a MAP, each a region of the picture
// with the link it leads to.

#include "engine/lexer/Symbols.h"
#include "engine/base/Rect.h"
#include "engine/base/UrlTarget.h"

#include <QPolygon>
#include <string>
#include <vector>

enum class TAreaShape { Rectangle, Circle, Polygon };

// One area in picture coordinates: a rectangle, the ellipse inscribed in a
// box, or a polygon filled with the winding rule. Shapes are tested directly
// rather than turned into regions, which cost a rectangle a row (a page can
// ask for a circle of any radius).
struct TMapArea {
    std::string Link; // empty for an area without link (NOHREF)
    TAreaShape Shape = TAreaShape::Rectangle;
    TRect Box;        // the rectangle, or the circle's bounding box
    QPolygon Polygon;
    std::string Target;

    bool Contains(int x, int y) const;
};

class TMapItem {
public:
    std::string MapName;
    std::vector<TMapArea> Areas;

    // Adds the area an AREA tag describes, unless its COORDS give too few
    // numbers for its SHAPE.
    void AddArea(const TAttributeList& attributes);
    // The link of the first area holding the point; false when that area has
    // no link or no area holds the point.
    bool LinkAt(int x, int y, TUrlTarget& urlTarget) const;
};
