#pragma once
// A document with text sections laid out through a measuring canvas and
// painted into an off-screen image, in black Liberation fonts on white.

#include "engine/canvas/Canvas.h"
#include "engine/images/ImageCache.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"
#include "tests/EngineFakes.h"

#include <QImage>
#include <memory>
#include <string>

class TTextDocument {
public:
    TTextDocument()
    {
        Document.SetFonts("Times New Roman", "Courier New", clWhite, clBlue, clBlack, 12);
        Document.ImageCache = &Cache;
    }

    TRecordingErrorBox Errors;
    TImageCache Cache;
    TSectionList Document{nullptr, Errors};
    TCanvas Measure;
    TBuilderStyle Style;

    static TMyFont BodyFont() { return TMyFont("Times New Roman", 12, {}, clBlack); }

    // A section of the given class, not yet added to the document.
    template <typename TItem = TSection, typename... TArgs>
    std::unique_ptr<TItem> Make(TArgs&&... args)
    {
        return std::make_unique<TItem>(std::forward<TArgs>(args)...);
    }
    std::unique_ptr<TSection> MakeSection(TParaAlign align = TParaAlign::Left, int listLevel = 0)
    {
        return std::make_unique<TSection>(listLevel, align, nullptr, BodyFont(), Style);
    }

    // Adds the item and applies the document's fonts; returns it.
    template <typename TItem>
    TItem& Add(std::unique_ptr<TItem> item)
    {
        TItem& added = *item;
        Document.Add(std::move(item));
        added.ApplyDefaultFonts();
        return added;
    }

    int Layout(int width)
    {
        int position = 0;
        int maxWidth = 0;
        Width = width;
        return Document.Layout(Measure, 0, width, position, maxWidth);
    }

    // Paints the whole document (or the clip) into a white image of the
    // layout width, with the document's left edge at x.
    QImage Paint(int height, int x = 0, TRect clip = {})
    {
        QImage image(Width + 2 * x, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        TCanvas canvas(&image);
        if (clip.IsEmpty())
            clip = {0, 0, image.width(), height};
        Document.Paint(canvas, clip, 0, x, Width);
        return image;
    }

    // The run font of a section, for expected widths.
    static int WidthOf(const TSection& section, std::string_view text)
    {
        return section.Fonts()[0].Font().TextWidth(text);
    }

    int Width = 0;
};

inline TAttributeList Attributes(std::initializer_list<TAttribute> attributes)
{
    TAttributeList list;
    for (const TAttribute& attribute : attributes)
        list.Add(attribute);
    return list;
}

inline bool IsDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}
