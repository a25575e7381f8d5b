#include "engine/canvas/Canvas.h"

#include "engine/base/Cp1252.h"

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QTextBoundaryFinder>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// The palette role each system colour index stands for.
constexpr std::array<QPalette::ColorRole, 25> kSystemColorRoles = {
    QPalette::Button,          // 0 scroll bar
    QPalette::Window,          // 1 desktop
    QPalette::Highlight,       // 2 active caption
    QPalette::Mid,             // 3 inactive caption
    QPalette::Window,          // 4 menu
    QPalette::Base,            // 5 window
    QPalette::Shadow,          // 6 window frame
    QPalette::WindowText,      // 7 menu text
    QPalette::Text,            // 8 window text
    QPalette::HighlightedText, // 9 caption text
    QPalette::Button,          // 10 active border
    QPalette::Button,          // 11 inactive border
    QPalette::Dark,            // 12 application workspace
    QPalette::Highlight,       // 13 highlight
    QPalette::HighlightedText, // 14 highlighted text
    QPalette::Button,          // 15 button face
    QPalette::Dark,            // 16 button shadow
    QPalette::PlaceholderText, // 17 grey text
    QPalette::ButtonText,      // 18 button text
    QPalette::WindowText,      // 19 inactive caption text
    QPalette::Light,           // 20 button highlight
    QPalette::Shadow,          // 21 3-D dark shadow
    QPalette::Midlight,        // 22 3-D light
    QPalette::ToolTipText,     // 23 tool tip text
    QPalette::ToolTipBase,     // 24 tool tip background
};

Qt::PenStyle ToQtPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::Solid: return Qt::SolidLine;
    case TPenStyle::Dash: return Qt::DashLine;
    case TPenStyle::Dot: return Qt::DotLine;
    case TPenStyle::Clear: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

// The pixels of a line from (x1, y1) towards (x2, y2), the end left out as
// the device context leaves it out.
QPolygon LinePixels(int x1, int y1, int x2, int y2)
{
    QPolygon pixels;
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1;
    const int stepY = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        pixels.append(QPoint(x, y));
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
    return pixels;
}

// Which index of a 1-bit mask is white, the transparent value.
int WhiteIndexOf(const QImage& mask)
{
    const QList<QRgb> table = mask.colorTable();
    if (table.size() < 2)
        return 1;
    return qGray(table[1]) >= qGray(table[0]) ? 1 : 0;
}

// The picture with its pixels made fully transparent where the mask is white.
QImage ApplyMask(const QImage& picture, const QImage& mask)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (mask.format() == QImage::Format_Mono || mask.format() == QImage::Format_MonoLSB) {
        const bool leastSignificantFirst = mask.format() == QImage::Format_MonoLSB;
        const int whiteIndex = WhiteIndexOf(mask);
        for (int y = 0; y < result.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
            const uchar* bits = mask.constScanLine(y);
            for (int x = 0; x < result.width(); ++x) {
                const int shift = leastSignificantFirst ? (x & 7) : 7 - (x & 7);
                if (((bits[x >> 3] >> shift) & 1) == whiteIndex)
                    row[x] = 0;
            }
        }
        return result;
    }
    const QImage gray = mask.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < result.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        const uchar* grayRow = gray.constScanLine(y);
        for (int x = 0; x < result.width(); ++x)
            if (grayRow[x] >= 128)
                row[x] = 0;
    }
    return result;
}

}  // namespace

QColor ToQColor(TColor color)
{
    if (color == clNone)
        return Qt::transparent;
    if (color == clDefault)
        return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
    color &= ~kPaletteRelative;
    if (IsSystemColor(color)) {
        const unsigned index = color & 0xFF;
        if (index >= kSystemColorRoles.size())
            return Qt::black;
        return QGuiApplication::palette().color(QPalette::Active, kSystemColorRoles[index]);
    }
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QRegion RectRegion(const TRect& rect)
{
    return rect.IsEmpty() ? QRegion() : QRegion(ToQRect(rect));
}

QRegion EllipseRegion(const TRect& box)
{
    return box.IsEmpty() ? QRegion() : QRegion(ToQRect(box), QRegion::Ellipse);
}

QRegion PolygonRegion(const QPolygon& points)
{
    return QRegion(points, Qt::WindingFill);
}

QRegion CombineRegions(const QRegion& first, const QRegion& second, TRegionOp op)
{
    switch (op) {
    case TRegionOp::Union: return first.united(second);
    case TRegionOp::Difference: return first.subtracted(second);
    case TRegionOp::Intersection: return first.intersected(second);
    }
    return first;
}

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QPaintDevice* device) : ownPainter_(std::make_unique<QPainter>())
{
    if (device == nullptr || !ownPainter_->begin(device))
        return;
    painter_ = ownPainter_.get();
    // Printers count many dots per inch; the engine draws at 96.
    if (dynamic_cast<QPagedPaintDevice*>(device) != nullptr)
        painter_->scale(device->logicalDpiX() / double(kLogicalDpi), device->logicalDpiY() / double(kLogicalDpi));
    baseTransform_ = painter_->transform();
}

TCanvas::TCanvas(QPainter* painter)
    : painter_(painter != nullptr && painter->isActive() ? painter : nullptr)
{
    if (painter_ != nullptr)
        baseTransform_ = painter_->transform();
}

TCanvas::~TCanvas()
{
    if (ownPainter_ && ownPainter_->isActive())
        ownPainter_->end();
}

void TCanvas::SetPen(TColor color, int width, TPenStyle style)
{
    penColor_ = color;
    penWidth_ = std::max(1, width);
    penStyle_ = style;
}

void TCanvas::SetBrush(TColor color, TBrushStyle style)
{
    brushColor_ = color;
    SetBrushStyle(style);
}

void TCanvas::SetBrushStyle(TBrushStyle style)
{
    brushStyle_ = style;
    backgroundMode_ = style == TBrushStyle::Clear ? TBackgroundMode::Transparent : TBackgroundMode::Opaque;
}

int TCanvas::TextWidth(std::string_view text) const
{
    if (text.find(kWideLead) == std::string_view::npos)
        return font_.TextWidth(text);
    return font_.Face().EngineTextWidth(text);
}

QSize TCanvas::TextExtent(std::string_view text) const
{
    return {TextWidth(text), TextMetrics().Height};
}

int TCanvas::BaselineOf(int y) const
{
    return textAlign_ == TTextAlign::Baseline ? y : y + TextMetrics().Ascent;
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    if (painter_ == nullptr || text.empty())
        return;
    const TTextMetrics& metrics = TextMetrics();
    const int width = TextWidth(text);
    const int baseline = BaselineOf(y);
    if (backgroundMode_ == TBackgroundMode::Opaque)
        painter_->fillRect(QRect(x, baseline - metrics.Ascent, width, metrics.Height), ToQColor(brushColor_));
    DrawEngineText(x, baseline, text);
    DrawTextDecorations(x, baseline, width);
}

void TCanvas::ExtTextOut(int x, int y, const TRect& clip, std::string_view text, TExtTextOptions options)
{
    if (painter_ == nullptr)
        return;
    painter_->save();
    painter_->setClipRect(ToQRect(clip), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (options == TExtTextOptions::ClippedOpaque && !clip.IsEmpty())
        painter_->fillRect(ToQRect(clip), ToQColor(brushColor_));
    TextOut(x, y, text);
    painter_->restore();
}

void TCanvas::DrawGlyphs(int x, int baselineY, std::string_view text)
{
    const TFontFace& face = font_.Face();
    if (!face.RawFont().isValid())
        return;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(static_cast<qsizetype>(text.size()));
    positions.reserve(static_cast<qsizetype>(text.size()));
    int penX = 0;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        glyphs.append(face.Glyph(byte));
        positions.append(QPointF(penX, 0));
        penX += face.Advance(byte);
    }
    QGlyphRun run;
    run.setRawFont(face.RawFont());
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_->setPen(ToQColor(font_.Color()));
    painter_->drawGlyphRun(QPointF(x, baselineY), run);
}

namespace {

// Right-to-left letters: their words are shaped and drawn as Qt lays them out.
bool IsRightToLeft(char32_t character)
{
    const QChar::Direction direction = QChar::direction(character);
    return direction == QChar::DirR || direction == QChar::DirAL;
}

} // namespace

void TCanvas::DrawEngineText(int x, int baselineY, std::string_view text)
{
    if (text.find(kWideLead) == std::string_view::npos) {
        DrawGlyphs(x, baselineY, text);
        return;
    }
    const TFontFace& face = font_.Face();
    std::size_t index = 0;
    while (index < text.size()) {
        std::size_t plainEnd = index;
        while (plainEnd < text.size() && !WideCharacterAt(text, plainEnd))
            ++plainEnd;
        if (plainEnd > index) {
            const std::string_view plain = text.substr(index, plainEnd - index);
            DrawGlyphs(x, baselineY, plain);
            x += face.Width(plain);
            index = plainEnd;
            continue;
        }
        // A stretch of wide characters; a combining mark that starts it
        // belongs with the letter before it, drawn again under it.
        QString wide;
        std::vector<int> advances;
        int left = x;
        if (const std::optional<char32_t> first = WideCharacterAt(text, index); index > 0 && QChar::isMark(*first)) {
            const auto base = static_cast<unsigned char>(text[index - 1]);
            wide.append(QChar(Cp1252ToUnicode(base)));
            advances.push_back(face.Advance(base));
            left -= face.Advance(base);
        }
        while (const std::optional<char32_t> character = WideCharacterAt(text, index)) {
            wide.append(QString::fromUcs4(&*character, 1));
            advances.push_back(face.WideAdvance(*character));
            x += face.WideAdvance(*character);
            index += kWideLength;
        }
        DrawWide(left, baselineY, wide, advances);
    }
}

// Each grapheme cluster is drawn at the advances the layout measured, so that
// what is drawn stands where selection and the caret put it; a stretch that
// holds right-to-left letters is drawn whole, shaped and ordered by Qt.
void TCanvas::DrawWide(int x, int baselineY, const QString& text, const std::vector<int>& characterAdvances)
{
    painter_->setFont(font_.Face().WideFont());
    painter_->setPen(ToQColor(font_.Color()));
    const QList<uint> characters = text.toUcs4();
    if (std::any_of(characters.begin(), characters.end(), [](uint c) { return IsRightToLeft(c); })) {
        painter_->drawText(QPointF(x, baselineY), text);
        return;
    }
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    std::size_t character = 0;
    while (start < text.size()) {
        const qsizetype end = clusters.toNextBoundary();
        if (end <= start)
            break;
        int advance = 0;
        for (qsizetype unit = start; unit < end; ++unit)
            if (!text[unit].isLowSurrogate() && character < characterAdvances.size())
                advance += characterAdvances[character++];
        painter_->drawText(QPointF(x, baselineY), text.mid(start, end - start));
        x += advance;
        start = end;
    }
}

void TCanvas::DrawTextDecorations(int x, int baselineY, int width)
{
    const TFontStyles style = font_.Style();
    if (!style.Has(TFontStyle::Underline) && !style.Has(TFontStyle::StrikeOut))
        return;
    const TFontFace& face = font_.Face();
    const QColor color = ToQColor(font_.Color());
    if (style.Has(TFontStyle::Underline))
        painter_->fillRect(QRect(x, baselineY + face.UnderlineOffset(), width, face.LineThickness()), color);
    if (style.Has(TFontStyle::StrikeOut))
        painter_->fillRect(QRect(x, baselineY + face.StrikeOutOffset(), width, face.LineThickness()), color);
}

void TCanvas::FillRect(const TRect& rect)
{
    if (painter_ == nullptr || brushStyle_ == TBrushStyle::Clear || rect.IsEmpty())
        return;
    painter_->fillRect(ToQRect(rect), ToQColor(brushColor_));
}

void TCanvas::Tint(const TRect& rect, TColor color)
{
    if (painter_ == nullptr || rect.IsEmpty())
        return;
    const QPainter::CompositionMode mode = painter_->compositionMode();
    painter_->setCompositionMode(QPainter::CompositionMode_Multiply);
    painter_->fillRect(ToQRect(rect), ToQColor(color));
    painter_->setCompositionMode(mode);
}

void TCanvas::FrameRect(const TRect& rect)
{
    if (painter_ == nullptr || brushStyle_ == TBrushStyle::Clear || rect.IsEmpty())
        return;
    const QColor color = ToQColor(brushColor_);
    painter_->fillRect(QRect(rect.Left, rect.Top, rect.Width(), 1), color);
    painter_->fillRect(QRect(rect.Left, rect.Bottom - 1, rect.Width(), 1), color);
    painter_->fillRect(QRect(rect.Left, rect.Top, 1, rect.Height()), color);
    painter_->fillRect(QRect(rect.Right - 1, rect.Top, 1, rect.Height()), color);
}

void TCanvas::Rectangle(const TRect& rect)
{
    if (painter_ == nullptr || rect.IsEmpty())
        return;
    FillRect(rect);
    if (penStyle_ == TPenStyle::Clear)
        return;
    if (penStyle_ != TPenStyle::Solid) {
        painter_->setPen(QPen(ToQColor(penColor_), 1, ToQtPenStyle(penStyle_)));
        painter_->setBrush(Qt::NoBrush);
        painter_->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
        return;
    }
    // A solid pen frames the rectangle from its edges inwards.
    const QColor color = ToQColor(penColor_);
    const int thickness = std::min({penWidth_, (rect.Width() + 1) / 2, (rect.Height() + 1) / 2});
    painter_->fillRect(QRect(rect.Left, rect.Top, rect.Width(), thickness), color);
    painter_->fillRect(QRect(rect.Left, rect.Bottom - thickness, rect.Width(), thickness), color);
    painter_->fillRect(QRect(rect.Left, rect.Top, thickness, rect.Height()), color);
    painter_->fillRect(QRect(rect.Right - thickness, rect.Top, thickness, rect.Height()), color);
}

void TCanvas::Ellipse(const TRect& box)
{
    if (painter_ == nullptr || box.IsEmpty())
        return;
    painter_->setPen(penStyle_ == TPenStyle::Clear
                         ? QPen(Qt::NoPen)
                         : QPen(ToQColor(penColor_), penWidth_, ToQtPenStyle(penStyle_)));
    painter_->setBrush(brushStyle_ == TBrushStyle::Clear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brushColor_)));
    // Qt's outline covers the rectangle's right and bottom coordinates too.
    painter_->drawEllipse(QRect(box.Left, box.Top, box.Width() - 1, box.Height() - 1));
}

void TCanvas::MoveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
}

void TCanvas::LineTo(int x, int y)
{
    DrawPenLine(penX_, penY_, x, y);
    MoveTo(x, y);
}

void TCanvas::DrawPenLine(int x1, int y1, int x2, int y2)
{
    if (painter_ == nullptr || penStyle_ == TPenStyle::Clear || (x1 == x2 && y1 == y2))
        return;
    const QColor color = ToQColor(penColor_);
    if (penStyle_ == TPenStyle::Solid && penWidth_ == 1) {
        if (y1 == y2) {
            const int left = x1 < x2 ? x1 : x2 + 1;
            painter_->fillRect(QRect(left, y1, std::abs(x2 - x1), 1), color);
        } else if (x1 == x2) {
            const int top = y1 < y2 ? y1 : y2 + 1;
            painter_->fillRect(QRect(x1, top, 1, std::abs(y2 - y1)), color);
        } else {
            painter_->setPen(QPen(color, 1));
            painter_->drawPoints(LinePixels(x1, y1, x2, y2));
        }
        return;
    }
    painter_->setPen(QPen(color, penWidth_, ToQtPenStyle(penStyle_), Qt::FlatCap));
    painter_->drawLine(x1, y1, x2, y2);
}

void TCanvas::FillRegion(const QRegion& region, TColor color)
{
    if (painter_ == nullptr)
        return;
    const QColor fill = ToQColor(color);
    for (const QRect& rect : region)
        painter_->fillRect(rect, fill);
}

void TCanvas::FillRegion(const QRegion& region)
{
    if (brushStyle_ != TBrushStyle::Clear)
        FillRegion(region, brushColor_);
}

void TCanvas::Draw(int x, int y, const QImage& picture)
{
    if (painter_ == nullptr || picture.isNull())
        return;
    painter_->drawImage(QPoint(x, y), picture);
}

void TCanvas::StretchDraw(const TRect& target, const QImage& picture)
{
    if (picture.isNull())
        return;
    StretchDraw(target, picture, TRect{0, 0, picture.width(), picture.height()});
}

void TCanvas::StretchDraw(const TRect& target, const QImage& picture, const TRect& source)
{
    if (painter_ == nullptr || picture.isNull() || target.IsEmpty() || source.IsEmpty())
        return;
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->drawImage(ToQRect(target), picture, ToQRect(source));
}

void TCanvas::DrawMasked(const TRect& target, const QImage& picture, const QImage& mask)
{
    if (painter_ == nullptr || picture.isNull() || target.IsEmpty())
        return;
    if (mask.isNull()) {
        StretchDraw(target, picture);
        return;
    }
    const QImage fitted = mask.size() == picture.size() ? mask : mask.scaled(picture.size());
    StretchDraw(target, ApplyMask(picture, fitted));
}

TRect TCanvas::ClipRect() const
{
    if (painter_ == nullptr)
        return {};
    if (painter_->hasClipping())
        return ToTRect(painter_->clipBoundingRect().toAlignedRect());
    // During a widget's paint event the system clip is the damaged area.
    const QPaintEngine* engine = painter_->paintEngine();
    const QRegion damaged = engine != nullptr ? engine->systemClip() : QRegion();
    const QPaintDevice* device = painter_->device();
    const QRect deviceRect = damaged.isEmpty() ? QRect(0, 0, device->width(), device->height())
                                               : damaged.boundingRect();
    return ToTRect(painter_->deviceTransform().inverted().mapRect(deviceRect));
}

void TCanvas::SetClipRect(const TRect& rect)
{
    if (painter_ != nullptr)
        painter_->setClipRect(ToQRect(rect));
}

void TCanvas::SetClipRegion(const QRegion& region)
{
    if (painter_ != nullptr)
        painter_->setClipRegion(region);
}

void TCanvas::ClearClip()
{
    if (painter_ != nullptr)
        painter_->setClipping(false);
}

void TCanvas::SetWindowOrigin(int x, int y)
{
    originX_ = x;
    originY_ = y;
    ApplyTransform();
}

void TCanvas::SetScale(double scale)
{
    scale_ = scale;
    ApplyTransform();
}

void TCanvas::ApplyTransform()
{
    if (painter_ == nullptr)
        return;
    // Scaled first, then moved by the origin in device pixels, then the
    // device's own transform (a printer's dots per inch).
    painter_->setTransform(QTransform::fromScale(scale_, scale_) * QTransform::fromTranslate(-originX_, -originY_) *
                           baseTransform_);
}
