// The pictures of the sample site are written by our own encoders
// (samples/make_pictures.py); Qt's readers, which share no code with them,
// must read back the sizes, frames and colours that the script drew.

#include "tests/TestSupport.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdlib>

namespace {

QString SamplePicture(const char* name)
{
    return QString::fromStdString((TestsDir() / ".." / "samples" / "images" / name).string());
}

QImage ReadPicture(const char* name)
{
    QImageReader reader(SamplePicture(name));
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
    return image;
}

// JPEG is lossy: a colour is right when each channel is within the tolerance.
void ExpectNearColour(const QImage& image, int x, int y, QColor expected, int tolerance)
{
    const QColor actual = image.pixelColor(x, y);
    EXPECT_LE(std::abs(actual.red() - expected.red()), tolerance) << "at " << x << "," << y;
    EXPECT_LE(std::abs(actual.green() - expected.green()), tolerance) << "at " << x << "," << y;
    EXPECT_LE(std::abs(actual.blue() - expected.blue()), tolerance) << "at " << x << "," << y;
}

} // namespace

TEST(SamplePictures, StillGifIsTransparentAroundItsDisc)
{
    const QImage logo = ReadPicture("logo.gif");
    ASSERT_EQ(logo.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(logo.pixel(0, 0)), 0);
    EXPECT_EQ(logo.pixelColor(32, 8), QColor(31, 95, 168));
    EXPECT_EQ(logo.pixelColor(32, 18), QColor(255, 204, 0));
}

TEST(SamplePictures, AnimatedGifLoopsThroughNineFramesWithDelays)
{
    QImageReader reader(SamplePicture("anime.gif"));
    ASSERT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.imageCount(), 9);
    EXPECT_EQ(reader.loopCount(), -1); // -1: for ever
    int frames = 0;
    int totalDelay = 0;
    QImage frame;
    while (reader.read(&frame)) {
        ++frames;
        totalDelay += reader.nextImageDelay();
        EXPECT_EQ(frame.size(), QSize(120, 32));
    }
    EXPECT_EQ(frames, 9);
    EXPECT_EQ(totalDelay, 100 + 7 * 120 + 500);
    // The last frame shows the ball near the right end; the ground stays see-through.
    EXPECT_EQ(frame.pixelColor(4 + 7 * 14 + 7, 13 + 7 + 5), QColor(200, 30, 30));
    EXPECT_EQ(qAlpha(frame.pixel(10, 5)), 0);
    EXPECT_EQ(frame.pixelColor(50, 29), QColor(90, 90, 90));
}

TEST(SamplePictures, JpegKeepsTheColoursOfTheLandscape)
{
    const QImage photo = ReadPicture("paysage.jpg");
    ASSERT_EQ(photo.size(), QSize(96, 64));
    ExpectNearColour(photo, 72, 14, QColor(255, 214, 60), 12);   // sun
    ExpectNearColour(photo, 5, 5, QColor(79, 137, 235), 12);     // sky
    ExpectNearColour(photo, 40, 50, QColor(60, 110, 50), 30);    // hill
}

TEST(SamplePictures, BitmapHasExactColoursTopDown)
{
    const QImage flag = ReadPicture("drapeau.bmp");
    ASSERT_EQ(flag.size(), QSize(48, 32));
    EXPECT_EQ(flag.pixelColor(0, 31), QColor(255, 0, 255));
    EXPECT_EQ(flag.pixelColor(4, 4), QColor(0, 35, 149));
    EXPECT_EQ(flag.pixelColor(24, 27), QColor(255, 255, 255));
    EXPECT_EQ(flag.pixelColor(43, 10), QColor(237, 41, 57));
    EXPECT_EQ(flag.pixelColor(44, 10), QColor(255, 0, 255));
}

TEST(SamplePictures, MapPictureAndBackgroundTileAndPng)
{
    const QImage map = ReadPicture("carte.gif");
    ASSERT_EQ(map.size(), QSize(200, 100));
    EXPECT_EQ(map.pixelColor(40, 50), QColor(204, 0, 0));
    EXPECT_EQ(map.pixelColor(105, 50), QColor(0, 150, 0));
    EXPECT_EQ(map.pixelColor(165, 60), QColor(0, 60, 200));

    EXPECT_EQ(ReadPicture("fond.gif").size(), QSize(32, 32));

    const QImage png = ReadPicture("rond.png");
    ASSERT_EQ(png.size(), QSize(16, 16));
    EXPECT_EQ(png.pixelColor(8, 8), QColor(0, 128, 0));
    EXPECT_EQ(png.pixelColor(0, 0), QColor(255, 255, 255));
}
