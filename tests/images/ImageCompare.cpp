#include "tests/images/ImageCompare.h"

#include <cstdlib>
#include <sstream>

QImage WithMask(const QImage& picture, const QImage& mask)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    if (mask.isNull())
        return result;
    for (int y = 0; y < result.height() && y < mask.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width() && x < mask.width(); ++x)
            if (mask.pixelIndex(x, y) == 1)
                line[x] = 0;
    }
    return result;
}

namespace {

bool SamePixel(QRgb actual, QRgb expected, int tolerance)
{
    if (qAlpha(actual) == 0 && qAlpha(expected) == 0)
        return true;
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance
        && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance
        && std::abs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
}

} // namespace

std::string CompareImages(const QImage& actualImage, const QImage& expectedImage, int tolerance, TCompareArea area)
{
    if (actualImage.isNull())
        return "no picture";
    const QImage actual = actualImage.convertToFormat(QImage::Format_ARGB32);
    const QImage expected = expectedImage.convertToFormat(QImage::Format_ARGB32);
    std::ostringstream out;
    const bool sizeOk = area == TCompareArea::SameSize
        ? actual.size() == expected.size()
        : actual.width() >= expected.width() && actual.height() >= expected.height();
    if (!sizeOk) {
        out << "size " << actual.width() << "x" << actual.height() << ", expected " << expected.width() << "x"
            << expected.height();
        return out.str();
    }
    int differences = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            if (SamePixel(a, e, tolerance))
                continue;
            if (differences++ == 0)
                out << "first difference at (" << x << "," << y << "): got " << std::hex << a << ", expected " << e
                    << std::dec;
        }
    if (differences > 0)
        out << "; " << differences << " pixels differ";
    return out.str();
}
