#pragma once
// The engine's only way to the screen, images and printers: a canvas with
// device-context semantics over QPainter (current font, text colour,
// background mode and colour, text alignment, pen, brush), and the measuring
// of text with the same whole-pixel advances that drawing uses. A canvas
// without a device measures only; its drawing calls do nothing.

#include "engine/base/Colors.h"
#include "engine/canvas/Fonts.h"
#include "engine/base/Rect.h"

#include <QColor>
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QTransform>
#include <memory>
#include <string_view>
#include <vector>

class QPainter;
class QPaintDevice;

// The colour a TColor stands for: system colours through the application
// palette (active group), the palette-relative flag ignored, clNone transparent.
QColor ToQColor(TColor color);

// The same rectangle in Qt's terms (width and height) and back.
inline QRect ToQRect(const TRect& rect) { return {rect.Left, rect.Top, rect.Width(), rect.Height()}; }
inline TRect ToTRect(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

enum class TBackgroundMode { Transparent, Opaque };
enum class TTextAlign { TopLeft, Baseline };
enum class TPenStyle { Solid, Dash, Dot, Clear };
enum class TBrushStyle { Solid, Clear };
enum class TExtTextOptions { Clipped, ClippedOpaque };
enum class TRegionOp { Union, Difference, Intersection };

// Regions as the device context builds them: rectangles and ellipses in their
// bounding box (right and bottom outside), polygons filled with the winding rule.
QRegion RectRegion(const TRect& rect);
QRegion EllipseRegion(const TRect& box);
QRegion PolygonRegion(const QPolygon& points);
QRegion CombineRegions(const QRegion& first, const QRegion& second, TRegionOp op);

class TAnimationNotes;

class TCanvas {
public:
    // A measuring-only canvas: text extents and metrics, no drawing.
    TCanvas();
    // Draws on the device (a widget, an image, a printer) through a painter of
    // its own, scaled to 96 logical DPI on printers.
    explicit TCanvas(QPaintDevice* device);
    // Draws through a painter the caller owns and keeps active.
    explicit TCanvas(QPainter* painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    bool HasDevice() const { return painter_ != nullptr; }

    // Where a view's painting notes the animated pictures it draws (the
    // images layer's notes); null on canvases that animate nothing.
    TAnimationNotes* AnimationNotes = nullptr;
    // Set on a printout's canvas: form controls are drawn into it rather
    // than placed on the view's surface.
    bool DrawsControls = false;

    // Font and text state. The text colour is the font's colour. As on the
    // design's canvas, the text background colour is the brush colour (both
    // setters set the same colour), and a clear brush makes text transparent,
    // a solid one opaque; SetBackgroundMode changes the mode alone.
    const TMyFont& Font() const { return font_; }
    TMyFont& Font() { return font_; }
    // Resolves the given font's face first, so that it and the canvas share it
    // instead of each copy resolving its own.
    void SetFont(const TMyFont& font)
    {
        font.Face();
        font_ = font;
    }
    TColor FontColor() const { return font_.Color(); }
    void SetFontColor(TColor color) { font_.SetColor(color); }
    TBackgroundMode BackgroundMode() const { return backgroundMode_; }
    void SetBackgroundMode(TBackgroundMode mode) { backgroundMode_ = mode; }
    TColor BackgroundColor() const { return brushColor_; }
    void SetBackgroundColor(TColor color) { brushColor_ = color; }
    TTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TTextAlign align) { textAlign_ = align; }

    // Pen: outlines and lines. Brush: fills.
    TColor PenColor() const { return penColor_; }
    int PenWidth() const { return penWidth_; }
    TPenStyle PenStyle() const { return penStyle_; }
    void SetPen(TColor color, int width = 1, TPenStyle style = TPenStyle::Solid);
    void SetPenColor(TColor color) { penColor_ = color; }
    TColor BrushColor() const { return brushColor_; }
    TBrushStyle BrushStyle() const { return brushStyle_; }
    void SetBrush(TColor color, TBrushStyle style = TBrushStyle::Solid);
    void SetBrushColor(TColor color) { brushColor_ = color; }
    void SetBrushStyle(TBrushStyle style);

    // Measuring in the current font. The text is the engine's: Windows-1252
    // bytes and wide sequences (Cp1252.h).
    QSize TextExtent(std::string_view text) const;
    int TextWidth(std::string_view text) const;
    const TTextMetrics& TextMetrics() const { return font_.Metrics(); }

    // Text at (x, y): y is the top of the text cell or its baseline, as the
    // text alignment says. An opaque background fills the text cell first.
    void TextOut(int x, int y, std::string_view text);
    // Text clipped to the rectangle; ClippedOpaque also fills the rectangle
    // with the background colour first.
    void ExtTextOut(int x, int y, const TRect& clip, std::string_view text,
                    TExtTextOptions options = TExtTextOptions::Clipped);

    // Shapes. Right and bottom edges are outside, as are the ends of lines.
    void FillRect(const TRect& rect);              // the brush, no outline
    // Tints what is drawn in the rectangle with the colour (multiplied), so
    // that text stays as readable as on the page's own background.
    void Tint(const TRect& rect, TColor color);
    void FrameRect(const TRect& rect);             // 1-pixel frame in the brush colour
    void Rectangle(const TRect& rect);             // pen outline, brush inside
    void Ellipse(const TRect& box);                // pen outline, brush inside
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FillRegion(const QRegion& region, TColor color);
    void FillRegion(const QRegion& region);  // the brush

    // Pictures. Copies are 1:1, stretches use the nearest pixel.
    void Draw(int x, int y, const QImage& picture);
    void StretchDraw(const TRect& target, const QImage& picture);
    void StretchDraw(const TRect& target, const QImage& picture, const TRect& source);
    // Draws the picture stretched to the target, leaving the target untouched
    // where the 1-bit mask is white (1). A mask of another size than the
    // picture's is stretched to it.
    void DrawMasked(const TRect& target, const QImage& picture, const QImage& mask);

    // Clipping and origin of the drawing. ClipRect is the bounding rectangle
    // of what may be drawn: the clip, else the area a widget is repainting,
    // else the device's rectangle.
    TRect ClipRect() const;
    void SetClipRect(const TRect& rect);
    void SetClipRegion(const QRegion& region);
    void ClearClip();
    // Logical (x, y) is drawn at the device's (0, 0) from now on.
    void SetWindowOrigin(int x, int y);
    // Logical lengths are drawn this many times larger from now on (a zoomed
    // view, a page laid out for paper); the window origin stays in device
    // pixels. Text keeps its logical advances, its glyphs drawn at the size
    // the scale makes them.
    void SetScale(double scale);

    // The display is true colour: selecting and realising palettes does nothing.
    void SelectPalette() {}
    void RealizePalette() {}

    // The painter behind the canvas, for the few owners that must hand it on
    // (widgets painting themselves); null when measuring only.
    QPainter* Painter() const { return painter_; }

private:
    void DrawGlyphs(int x, int baselineY, std::string_view text);
    // Engine text: its Windows-1252 stretches as glyphs, its wide ones
    // through Qt's text drawing.
    void DrawEngineText(int x, int baselineY, std::string_view text);
    void DrawWide(int x, int baselineY, const QString& text, const std::vector<int>& clusterAdvances);
    void DrawTextDecorations(int x, int baselineY, int width);
    int BaselineOf(int y) const;
    void DrawPenLine(int x1, int y1, int x2, int y2);
    void ApplyTransform();

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    TMyFont font_;
    TBackgroundMode backgroundMode_ = TBackgroundMode::Opaque;
    TTextAlign textAlign_ = TTextAlign::TopLeft;
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
    TPenStyle penStyle_ = TPenStyle::Solid;
    TColor brushColor_ = clWhite;
    TBrushStyle brushStyle_ = TBrushStyle::Solid;
    int penX_ = 0;
    int penY_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    double scale_ = 1.0;
    QTransform baseTransform_;  // the device's own, before any window origin
};
