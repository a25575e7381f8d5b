#pragma once
// Still pictures: the image kind from the first bytes, the BMP, JPEG and
// (when asked for) PNG loaders, transparency masks from the lower-left pixel,
// and transparent drawing through a mask.

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

class TCanvas;

enum class TImageKind { None = 0, Bmp = 1, Gif87 = 2, Gif89 = 3, Png = 4, Jpeg = 5 };

// How a picture's transparency is known: not at all, from the colour of its
// lower-left pixel, or from the GIF's transparent index.
enum class TTransparency : std::uint8_t { None = 0, LowerLeft = 1, Gif = 2 };

// PNG pictures are recognised, and decoded only when the user asks for them
// ("Afficher les images PNG"); otherwise they give the error picture.
enum class TPngPictures : std::uint8_t { Refused, Decoded };

// A BMP, JPEG or PNG header can claim gigapixels with a few bytes of data; such
// pictures are refused before anything is allocated. 64 megapixels (8192 x
// 8192) is far above any page image.
constexpr std::int64_t kMaxStillPixels = 64LL * 1024 * 1024;
// A progressive JPEG may hold any number of scans, each a pass over the whole
// picture; real files have about ten.
constexpr int kMaxJpegScans = 500;

// The bytes of a picture file; `ok` is false when it cannot be read, is no
// regular file or holds more than kMaxPictureBytes.
std::vector<std::uint8_t> ReadFileData(const std::filesystem::path& fileName, bool& ok);

TImageKind ImageKindOf(std::span<const std::uint8_t> firstBytes);
// From the first 11 bytes of the file; None when it cannot be read.
TImageKind ImageKindOfFile(const std::filesystem::path& fileName);

// BMP, JPEG or (when decoded) PNG data as a picture (RGB32, or premultiplied
// ARGB32 for a picture with alpha); a null image for anything else or on
// failure. A damaged JPEG gives the rows decoded before the damage when there
// are any.
QImage DecodeStillImage(std::span<const std::uint8_t> data, std::int64_t maxPixels = kMaxStillPixels,
                        TPngPictures png = TPngPictures::Refused);

// The still loaders. The file ones decide by content; the one with
// transparency makes the mask from the lower-left pixel when asked for, and
// gives nothing when no mask can be made. The stream one needs at least 20
// bytes; a JPEG from a stream is never transparent.
QImage LoadStillImage(const std::filesystem::path& fileName, TPngPictures png = TPngPictures::Refused);
QImage LoadStillImage(const std::filesystem::path& fileName, TTransparency& transparency, QImage& mask,
                      TPngPictures png = TPngPictures::Refused);
QImage LoadStillImage(std::span<const std::uint8_t> data, TTransparency& transparency, QImage& mask,
                      std::int64_t maxPixels = kMaxStillPixels, TPngPictures png = TPngPictures::Refused);

// A 1-bit mask of the picture: white (1) where a pixel has the colour of the
// lower-left pixel, black elsewhere. Null for a null picture.
QImage MakeMask(const QImage& picture);

// Draws the picture stretched to the rectangle, keeping the target's pixels
// where the mask is white.
void DrawTransparent(TCanvas& canvas, const QImage& picture, const QImage& mask, int x, int y, int width,
                     int height);
