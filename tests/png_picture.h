// Pictures made in code for the picture reader's test and benchmark: RGB pixels, three
// bytes each, encoded as PNG by libpng.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

inline std::string encodePng(const std::vector<uint8_t>& rgb, int width, int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t length = 0;
    png_image_write_to_memory(&image, nullptr, &length, 0, rgb.data(), 0, nullptr);
    std::string png(length, '\0');
    png_image_write_to_memory(&image, &png[0], &length, 0, rgb.data(), 0, nullptr);
    png.resize(length);
    return png;
}
