// The raster reader on pictures made here: one logo stored upright and stored turned with an
// EXIF orientation (PNG's eXIf chunk, WebP's EXIF chunk) must trace to the same shapes.
#include "png_picture.h"
#include "raster.h"

#include <gtest/gtest.h>
#include <webp/encode.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int uprightWidth = 96, uprightHeight = 64;

// Not symmetric under any turn or mirror: a red disc to the upper left, a dark bar along the
// bottom right. Three bytes a pixel, anti-aliased.
std::vector<uint8_t> drawUpright() {
    std::vector<uint8_t> rgb(uprightWidth * uprightHeight * 3);
    for (int y = 0; y < uprightHeight; ++y) {
        for (int x = 0; x < uprightWidth; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double red = std::clamp(17.5 - std::hypot(px - 28, py - 24) + 0.5, 0.0, 1.0);
            double bar = std::clamp(std::min(px - 50.3, 90.6 - px) + 0.5, 0.0, 1.0) *
                         std::clamp(std::min(py - 44.2, 57.7 - py) + 0.5, 0.0, 1.0);
            double white = 1 - red - bar;
            uint8_t* p = &rgb[3 * (y * uprightWidth + x)];
            p[0] = static_cast<uint8_t>(std::lround(255 * white + 210 * red + 20 * bar));
            p[1] = static_cast<uint8_t>(std::lround(255 * white + 20 * red + 30 * bar));
            p[2] = static_cast<uint8_t>(std::lround(255 * white + 40 * red + 50 * bar));
        }
    }
    return rgb;
}

// The pixels as a camera turned by the orientation stores them, so that turning them as the
// orientation says gives the upright picture back. Sets the stored size.
std::vector<uint8_t> stored(const std::vector<uint8_t>& upright, int orientation, int* w, int* h) {
    bool swap = orientation >= 5;
    *w = swap ? uprightHeight : uprightWidth;
    *h = swap ? uprightWidth : uprightHeight;
    std::vector<uint8_t> out(upright.size());
    for (int y = 0; y < uprightHeight; ++y) {
        for (int x = 0; x < uprightWidth; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 3:
                sx = *w - 1 - x;
                sy = *h - 1 - y;
                break;
            case 6:
                sx = y;
                sy = *h - 1 - x;
                break;
            case 8:
                sx = *w - 1 - y;
                sy = x;
                break;
            }
            std::copy_n(&upright[3 * (y * uprightWidth + x)], 3, &out[3 * (sy * *w + sx)]);
        }
    }
    return out;
}

// A big-endian TIFF block with only the orientation, with JPEG's "Exif\0\0" before it or not.
std::string exifBlock(int orientation, bool prefixed) {
    std::string tiff("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    tiff[19] = static_cast<char>(orientation);
    return prefixed ? std::string("Exif\0\0", 6) + tiff : tiff;
}

std::string bigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16 & 255), char(value >> 8 & 255), char(value & 255)};
}

std::string littleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += char(value >> 8 * i & 255);
    }
    return out;
}

// A PNG of the pixels, with an eXIf chunk after its header when exif is not empty.
std::string png(const std::vector<uint8_t>& rgb, int w, int h, const std::string& exif) {
    std::string out = encodePng(rgb, w, h);
    if (!exif.empty()) {
        std::string chunk = "eXIf" + exif;
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), chunk.size());
        out.insert(33, bigEndian(exif.size()) + chunk + bigEndian(crc));
    }
    return out;
}

// A lossless WebP of the pixels in the extended layout, its EXIF chunk after the pixels.
std::string webp(const std::vector<uint8_t>& rgb, int w, int h, const std::string& exif) {
    uint8_t* encoded = nullptr;
    size_t size = WebPEncodeLosslessRGB(rgb.data(), w, h, w * 3, &encoded);
    std::string simple(reinterpret_cast<char*>(encoded), size);
    WebPFree(encoded);
    std::string pixels = simple.substr(12); // the VP8L chunk
    std::string body = "WEBP" + std::string("VP8X") + littleEndian(10, 4) + char(0x08) +
                       std::string(3, '\0') + littleEndian(w - 1, 3) + littleEndian(h - 1, 3) +
                       pixels + "EXIF" + littleEndian(exif.size(), 4) + exif +
                       std::string(exif.size() % 2, '\0');
    return "RIFF" + littleEndian(body.size(), 4) + body;
}

struct Extent {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9, area = 0;
};

// The box of a shape's on-curve points and the area they enclose (even-odd rings add up with
// their signs, holes running the other way).
Extent extent(const Shape& shape) {
    Extent e;
    for (const Subpath& subpath : shape.subpaths) {
        Point previous = subpath.start;
        for (const Segment& segment : subpath.segments) {
            Point p = segment.end;
            e.left = std::min(e.left, p.x);
            e.right = std::max(e.right, p.x);
            e.top = std::min(e.top, p.y);
            e.bottom = std::max(e.bottom, p.y);
            e.area += (previous.x * p.y - p.x * previous.y) / 2;
            previous = p;
        }
    }
    e.area = std::fabs(e.area);
    return e;
}

void expectSameLogo(const Drawing& upright, const Drawing& turned, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(upright.shapes.size(), turned.shapes.size());
    ASSERT_FALSE(upright.shapes.empty());
    for (size_t i = 0; i < upright.shapes.size(); ++i) {
        const Shape &a = upright.shapes[i], &b = turned.shapes[i];
        EXPECT_EQ(a.fill.colour.r, b.fill.colour.r);
        EXPECT_EQ(a.fill.colour.g, b.fill.colour.g);
        Extent ea = extent(a), eb = extent(b);
        EXPECT_NEAR(ea.left, eb.left, 0.3);
        EXPECT_NEAR(ea.top, eb.top, 0.3);
        EXPECT_NEAR(ea.right, eb.right, 0.3);
        EXPECT_NEAR(ea.bottom, eb.bottom, 0.3);
        EXPECT_NEAR(ea.area, eb.area, 0.01 * ea.area);
    }
}

TEST(Raster, ExifOrientationTurnsPngAndWebpUpright) {
    std::vector<uint8_t> upright = drawUpright();
    Drawing reference = readPicture(png(upright, uprightWidth, uprightHeight, ""), {}, {});
    ASSERT_EQ(reference.shapes.size(), 2u);
    int w, h;
    for (int orientation : {3, 6, 8}) {
        std::vector<uint8_t> pixels = stored(upright, orientation, &w, &h);
        std::string name = "orientation " + std::to_string(orientation);
        // PNG's eXIf holds the TIFF block alone; WebP writers put it with or without the prefix.
        expectSameLogo(reference,
                       readPicture(png(pixels, w, h, exifBlock(orientation, false)), {}, {}),
                       ("PNG, " + name).c_str());
        expectSameLogo(
            reference,
            readPicture(webp(pixels, w, h, exifBlock(orientation, orientation == 8)), {}, {}),
            ("WebP, " + name).c_str());
    }
}

} // namespace
