#pragma once
// Pixel comparison of decoded pictures with reference images.

#include <QImage>
#include <string>

// The picture as 8-bit RGBA, fully transparent where the 1-bit mask is white.
QImage WithMask(const QImage& picture, const QImage& mask);

enum class TCompareArea { SameSize, ExpectedArea };

// Empty when every pixel of `expected` matches `actual` within `tolerance` a
// channel (pixels transparent in both count as equal); otherwise a short
// description of the difference. ExpectedArea compares only the top-left part
// of `actual` that `expected` covers.
std::string CompareImages(const QImage& actual, const QImage& expected, int tolerance = 0,
                          TCompareArea area = TCompareArea::SameSize);
