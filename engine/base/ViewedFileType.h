#pragma once
// How a file is shown: as an HTML page, as plain text, or as one picture.

#include <cstdint>

enum class TViewedFileType : std::uint8_t { Html, Text, Image };
