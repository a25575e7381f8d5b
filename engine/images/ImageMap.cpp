#include "engine/images/ImageMap.h"

#include <QPolygon>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

// A polygon needs 3 points; COORDS beyond 201 numbers are not read.
constexpr std::size_t kMaxCoordinates = 201;
constexpr std::size_t kMaxNumberLength = 20;

TAreaShape ShapeOf(std::string_view value)
{
    const std::string prefix = LowerCasePrefix(value, 4);
    if (prefix == "circ")
        return TAreaShape::Circle;
    if (prefix == "poly")
        return TAreaShape::Polygon;
    return TAreaShape::Rectangle;
}

// One number of COORDS: blanks around it are allowed; anything else, or a
// value out of the 32-bit range, reads as 0.
int CoordinateOf(std::string_view piece)
{
    piece = piece.substr(0, kMaxNumberLength);
    while (!piece.empty() && piece.back() == ' ')
        piece.remove_suffix(1);
    while (!piece.empty() && piece.front() == ' ')
        piece.remove_prefix(1);
    if (!piece.empty() && piece.front() == '+')
        piece.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    return error == std::errc() && end == piece.data() + piece.size() && !piece.empty() ? value : 0;
}

std::vector<int> CoordinatesOf(std::string_view text)
{
    std::vector<int> numbers;
    while (numbers.size() < kMaxCoordinates) {
        const std::size_t comma = text.find(',');
        numbers.push_back(CoordinateOf(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return numbers;
}

// Edges are computed without overflow; pictures are far smaller than this
// bound (the image loaders refuse more than 8192 x 8192 pixels).
constexpr std::int64_t kMaxCoordinate = 1 << 20;

int Clamped(std::int64_t value)
{
    return static_cast<int>(std::clamp(value, -kMaxCoordinate, kMaxCoordinate));
}

} // namespace

// A pixel belongs to the ellipse when its centre lies inside it.
bool TMapArea::Contains(int x, int y) const
{
    switch (Shape) {
    case TAreaShape::Rectangle: return Box.Contains(x, y);
    case TAreaShape::Polygon: return Polygon.containsPoint(QPoint(x, y), Qt::WindingFill);
    case TAreaShape::Circle: break;
    }
    if (!Box.Contains(x, y))
        return false;
    const double width = Box.Width();
    const double height = Box.Height();
    const double dx = (2.0 * x + 1 - (static_cast<double>(Box.Left) + Box.Right)) / width;
    const double dy = (2.0 * y + 1 - (static_cast<double>(Box.Top) + Box.Bottom)) / height;
    return dx * dx + dy * dy <= 1.0;
}

void TMapItem::AddArea(const TAttributeList& attributes)
{
    TMapArea area;
    std::vector<int> numbers;
    for (const TAttribute& attribute : attributes) {
        switch (attribute.Symbol) {
        case TSymbol::Href: area.Link = attribute.Text; break;
        case TSymbol::NoHref: area.Link.clear(); break;
        case TSymbol::Target: area.Target = attribute.Text; break;
        case TSymbol::Shape: area.Shape = ShapeOf(attribute.Text); break;
        case TSymbol::Coords: numbers = CoordinatesOf(attribute.Text); break;
        default: break;
        }
    }
    const auto at = [&](std::size_t index) { return std::int64_t{numbers[index]}; };
    switch (area.Shape) {
    case TAreaShape::Rectangle:
        if (numbers.size() < 4)
            return;
        area.Box = {Clamped(at(0)), Clamped(at(1)), Clamped(at(2) + 1), Clamped(at(3) + 1)};
        break;
    case TAreaShape::Circle:
        if (numbers.size() < 3)
            return;
        area.Box = {Clamped(at(0) - at(2)), Clamped(at(1) - at(2)), Clamped(at(0) + at(2) + 1),
                    Clamped(at(1) + at(2) + 1)};
        break;
    case TAreaShape::Polygon: {
        if (numbers.size() < 6)
            return;
        QPolygon points;
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2)
            points << QPoint(Clamped(at(i)), Clamped(at(i + 1)));
        area.Polygon = points;
        break;
    }
    }
    Areas.push_back(std::move(area));
}

bool TMapItem::LinkAt(int x, int y, TUrlTarget& urlTarget) const
{
    for (const TMapArea& area : Areas) {
        if (!area.Contains(x, y))
            continue;
        if (area.Link.empty())
            return false;
        urlTarget.Url = area.Link;
        urlTarget.Target = area.Target;
        return true;
    }
    return false;
}
