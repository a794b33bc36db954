// What the raster reader's parts share: a decoded picture laid over white, and the bounds
// a picture is held to before its pixels are decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Past this many pixels a picture is refused from its declared size, before decoding: a logo
// needs far fewer, and the decoded pixels alone would take 256 MB and more.
constexpr double largestPicturePixels = 64e6;

enum class PictureFormat { none, png, jpeg, gif, webp, bmp };

// The format the bytes start like; none for anything else (an SVG, say).
PictureFormat pictureFormat(const std::string& bytes);
const char* formatName(PictureFormat format);

// Rows top to bottom, three bytes a pixel (red, green, blue), alpha already laid over white.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::vector<std::string> notes; // what the decoder left out: later frames, say
};

// Decodes a picture of any of the formats above, orientation applied. Throws ImportError with
// the decoder's reason on a truncated or corrupt file, and PictureRefused on one too large.
Picture decodePicture(const std::string& bytes);
