// Decoding pictures with their formats' own libraries: libpng, libjpeg-turbo (with libexif for
// the orientation), giflib, libwebp and stb_image for BMP. Each checks the declared size first.
#include "picture.h"
#include "raster.h"

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <png.h>
#include <stb/stb_image.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>

namespace {

bool startsWith(const std::string& bytes, const char* magic, size_t offset = 0) {
    size_t length = std::strlen(magic);
    return bytes.size() >= offset + length && bytes.compare(offset, length, magic) == 0;
}

void checkSize(double width, double height) {
    if (!(width >= 1 && height >= 1)) {
        throw ImportError(0, "the picture declares no pixels");
    }
    if (width * height > largestPicturePixels) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "a picture of %.0f x %.0f pixels, over the 64 megapixels a logo could need: "
                      "scale it down, or give the SVG",
                      width, height);
        throw PictureRefused(text);
    }
}

// RGBA pixels laid over white, as the program's background shows them, into three bytes a
// pixel; rgb may be rgba itself, each pixel written no later than it is read.
void layOverWhite(const uint8_t* rgba, size_t count, uint8_t* rgb) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = rgba + 4 * i;
        int alpha = p[3];
        for (int c = 0; c < 3; ++c) {
            rgb[3 * i + c] =
                alpha == 255
                    ? p[c]
                    : static_cast<uint8_t>((p[c] * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
}

Picture overWhite(int width, int height, const uint8_t* rgba) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    size_t count = static_cast<size_t>(width) * height;
    picture.rgb.resize(count * 3);
    layOverWhite(rgba, count, picture.rgb.data());
    return picture;
}

// ---- JPEG ---------------------------------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegFail(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings pass, but for the end of the data: libjpeg would show the missing rows grey.
void jpegMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        jpegFail(info);
    }
}

// The orientation (1 to 8, else 1) an EXIF block gives: a TIFF header and its directories,
// with or without the "Exif\0\0" that JPEG's APP1 puts before them (libexif needs it).
int exifOrientation(const uint8_t* data, size_t size) {
    static const uint8_t header[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::vector<uint8_t> block;
    if (size < 6 || std::memcmp(data, header, 6) != 0) {
        block.assign(header, header + 6);
    }
    block.insert(block.end(), data, data + size);
    int orientation = 1;
    ExifData* exif = exif_data_new_from_data(block.data(), static_cast<unsigned>(block.size()));
    if (exif == nullptr) {
        return 1;
    }
    ExifEntry* entry = exif_data_get_entry(exif, EXIF_TAG_ORIENTATION);
    if (entry != nullptr && entry->format == EXIF_FORMAT_SHORT && entry->components == 1) {
        orientation = exif_get_short(entry->data, exif_data_get_byte_order(exif));
    }
    exif_data_unref(exif);
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

// The EXIF orientation from the APP1 markers saved while reading a JPEG's header.
int exifOrientation(jpeg_decompress_struct* info) {
    int orientation = 1;
    for (jpeg_saved_marker_ptr marker = info->marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            orientation = exifOrientation(marker->data, marker->data_length);
        }
    }
    return orientation;
}

// Turns and mirrors the pixels so that the picture stands as its EXIF orientation says.
void orient(Picture* picture, int orientation) {
    if (orientation == 1) {
        return;
    }
    int w = picture->width, h = picture->height;
    bool swap = orientation >= 5;
    bool mirrorX = orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
    bool mirrorY = orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
    int outW = swap ? h : w, outH = swap ? w : h;
    std::vector<uint8_t> out(picture->rgb.size());
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            // (x, y) in the upright picture comes from (sx, sy) in the stored one: 5 to 8
            // swap the axes, then 2, 3, 7 and 8 mirror across and 3, 4, 6 and 7 upside down.
            int u = swap ? y : x, v = swap ? x : y;
            int sx = mirrorX ? w - 1 - u : u, sy = mirrorY ? h - 1 - v : v;
            std::memcpy(&out[3 * (static_cast<size_t>(y) * outW + x)],
                        &picture->rgb[3 * (static_cast<size_t>(sy) * w + sx)], 3);
        }
    }
    picture->rgb.swap(out);
    picture->width = outW;
    picture->height = outH;
}

// CMYK (and YCCK, which libjpeg turns to CMYK) as Adobe writes it, inverted, to RGB.
void cmykToRgb(const std::vector<uint8_t>& cmyk, bool inverted, Picture* picture) {
    size_t count = cmyk.size() / 4;
    picture->rgb.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
        int k = inverted ? cmyk[4 * i + 3] : 255 - cmyk[4 * i + 3];
        for (int c = 0; c < 3; ++c) {
            int ink = inverted ? cmyk[4 * i + c] : 255 - cmyk[4 * i + c];
            picture->rgb[3 * i + c] = static_cast<uint8_t>((ink * k + 127) / 255);
        }
    }
}

// The pixels land in *picture and *cmyk, outside the frame that setjmp returns to. Returns the
// EXIF orientation.
int decodeJpeg(const std::string& bytes, Picture* picture, std::vector<uint8_t>* cmyk) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFail;
    errors.manager.emit_message = jpegMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw ImportError(0, std::string("JPEG: ") + errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&info, TRUE);
    checkSize(info.image_width, info.image_height);
    bool fourChannels = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = fourChannels ? JCS_CMYK : JCS_RGB;
    int orientation = exifOrientation(&info);
    jpeg_start_decompress(&info);
    int channels = info.output_components;
    picture->width = static_cast<int>(info.output_width);
    picture->height = static_cast<int>(info.output_height);
    std::vector<uint8_t>& pixels = fourChannels ? *cmyk : picture->rgb;
    pixels.resize(static_cast<size_t>(picture->width) * picture->height * channels);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            &pixels[static_cast<size_t>(info.output_scanline) * picture->width * channels];
        jpeg_read_scanlines(&info, &row, 1);
    }
    bool inverted = info.saw_Adobe_marker;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (fourChannels) {
        cmykToRgb(*cmyk, inverted, picture);
    }
    return orientation;
}

Picture readJpeg(const std::string& bytes) {
    Picture picture;
    std::vector<uint8_t> cmyk;
    orient(&picture, decodeJpeg(bytes, &picture, &cmyk));
    return picture;
}

// ---- PNG ----------------------------------------------------------------------------------

uint32_t big(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
}

// The EXIF orientation of a PNG's eXIf chunk, before or after its pixels; the chunks are
// walked by their lengths, within the file.
int pngOrientation(const std::string& bytes) {
    for (size_t at = 8; at + 12 <= bytes.size();) {
        uint32_t length = big(bytes, at);
        if (length > bytes.size() - at - 12 || bytes.compare(at + 4, 4, "IEND") == 0) {
            break;
        }
        if (bytes.compare(at + 4, 4, "eXIf") == 0) {
            return exifOrientation(reinterpret_cast<const uint8_t*>(bytes.data()) + at + 8, length);
        }
        at += 12 + static_cast<size_t>(length);
    }
    return 1;
}

Picture readPng(const std::string& bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        throw ImportError(0, std::string("PNG: ") + image.message);
    }
    std::unique_ptr<png_image, void (*)(png_image*)> owner(&image, png_image_free);
    checkSize(image.width, image.height);
    // 16-bit, palettes with transparency, grey and interlaced pictures all arrive as 8-bit
    // sRGB with alpha; libpng applies the file's gamma.
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        throw ImportError(0, std::string("PNG: ") + image.message);
    }
    // Laid over white where it was read: a large picture's pixels are not held twice.
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    layOverWhite(rgba.data(), count, rgba.data());
    rgba.resize(count * 3);
    picture.rgb = std::move(rgba);
    orient(&picture, pngOrientation(bytes));
    return picture;
}

// ---- GIF ----------------------------------------------------------------------------------

struct GifSource {
    const std::string* bytes;
    size_t at;
};

int gifRead(GifFileType* gif, GifByteType* into, int wanted) {
    GifSource* source = static_cast<GifSource*>(gif->UserData);
    size_t n = std::min(static_cast<size_t>(wanted), source->bytes->size() - source->at);
    std::memcpy(into, source->bytes->data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

[[noreturn]] void gifFail(int error) {
    const char* reason = GifErrorString(error);
    throw ImportError(0, std::string("GIF: ") + (reason ? reason : "cannot be read"));
}

using GifFile = std::unique_ptr<GifFileType, void (*)(GifFileType*)>;

// An extension record read through; a graphics control block before the first frame gives
// the transparent index.
void readGifExtension(GifFileType* gif, int frames, int* transparent) {
    int code;
    GifByteType* block;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        gifFail(gif->Error);
    }
    GraphicsControlBlock control;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && frames == 0 &&
        DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
        *transparent = control.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            gifFail(gif->Error);
        }
    }
}

// A frame after the first, skipped through its compressed blocks only.
void skipGifFrame(GifFileType* gif) {
    int size;
    GifByteType* block;
    if (DGifGetCode(gif, &size, &block) == GIF_ERROR) {
        gifFail(gif->Error);
    }
    while (block) {
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR) {
            gifFail(gif->Error);
        }
    }
}

// The rows of a frame in the order they are stored: four passes when interlaced.
std::vector<int> gifRows(const GifImageDesc& frame) {
    std::vector<int> rows(std::max(frame.Height, 0));
    for (int y = 0; y < frame.Height; ++y) {
        rows[y] = y;
    }
    if (frame.Interlace) {
        int at = 0;
        for (int pass = 0; pass < 4; ++pass) {
            static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
            for (int y = start[pass]; y < frame.Height; y += step[pass]) {
                rows[at++] = y;
            }
        }
    }
    return rows;
}

// The first frame drawn on the canvas of width by height in rgba, its transparent index left
// as it was.
void drawGifFrame(GifFileType* gif, int transparent, int width, int height,
                  std::vector<uint8_t>* rgba) {
    const GifImageDesc& frame = gif->Image;
    checkSize(frame.Width, frame.Height);
    ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (map == nullptr) {
        throw ImportError(0, "GIF: no colour map");
    }
    std::vector<GifByteType> line(std::max(frame.Width, 1));
    for (int y : gifRows(frame)) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) {
            gifFail(gif->Error);
        }
        int cy = frame.Top + y;
        for (int x = 0; x < frame.Width && cy >= 0 && cy < height; ++x) {
            int cx = frame.Left + x, index = line[x];
            if (cx < 0 || cx >= width || index == transparent || index >= map->ColorCount) {
                continue;
            }
            uint8_t* pixel = &(*rgba)[4 * (static_cast<size_t>(cy) * width + cx)];
            pixel[0] = map->Colors[index].Red;
            pixel[1] = map->Colors[index].Green;
            pixel[2] = map->Colors[index].Blue;
            pixel[3] = 255;
        }
    }
}

// The first frame on the canvas, its transparent index (from the control block before it)
// showing white; the frames after it are counted, not decoded.
Picture readGif(const std::string& bytes) {
    GifSource source{&bytes, 0};
    int error = 0;
    GifFile gif(DGifOpen(&source, gifRead, &error), [](GifFileType* g) {
        int closing;
        DGifCloseFile(g, &closing);
    });
    if (!gif) {
        gifFail(error);
    }
    checkSize(gif->SWidth, gif->SHeight);
    int width = gif->SWidth, height = gif->SHeight;
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4, 0);
    int transparent = -1, frames = 0;
    GifRecordType record;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            gifFail(gif->Error);
        }
        if (record == EXTENSION_RECORD_TYPE) {
            readGifExtension(gif.get(), frames, &transparent);
        } else if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
                gifFail(gif->Error);
            }
            if (++frames > 1) {
                skipGifFrame(gif.get());
            } else {
                drawGifFrame(gif.get(), transparent, width, height, &rgba);
            }
        }
    } while (record != TERMINATE_RECORD_TYPE);
    if (frames == 0) {
        throw ImportError(0, "GIF: no picture in the file");
    }
    Picture picture = overWhite(width, height, rgba.data());
    if (frames > 1) {
        picture.notes.push_back("an animation of " + std::to_string(frames) +
                                " frames: the first is traced");
    }
    return picture;
}

// ---- WebP and BMP -------------------------------------------------------------------------

const char* webpReason(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "truncated";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "corrupt data";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "a feature libwebp does not read";
    default:
        return "cannot be decoded";
    }
}

// The EXIF orientation of a WebP's EXIF chunk (an extended file's), found by libwebp's demuxer.
int webpOrientation(const std::string& bytes) {
    WebPData whole{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    std::unique_ptr<WebPDemuxer, void (*)(WebPDemuxer*)> demux(WebPDemux(&whole), WebPDemuxDelete);
    if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG)) {
        return 1;
    }
    WebPChunkIterator chunk;
    int orientation = 1;
    if (WebPDemuxGetChunk(demux.get(), "EXIF", 1, &chunk)) {
        orientation = exifOrientation(chunk.chunk.bytes, chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return orientation;
}

Picture decodeWebp(const std::string& bytes) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    WebPBitstreamFeatures features;
    VP8StatusCode status = WebPGetFeatures(data, bytes.size(), &features);
    if (status != VP8_STATUS_OK) {
        throw ImportError(0, std::string("WebP: ") + webpReason(status));
    }
    checkSize(features.width, features.height);
    if (!features.has_animation) {
        int width = 0, height = 0;
        std::unique_ptr<uint8_t, void (*)(void*)> rgba(
            WebPDecodeRGBA(data, bytes.size(), &width, &height), WebPFree);
        if (!rgba) {
            WebPDecoderConfig config;
            WebPInitDecoderConfig(&config);
            status = WebPDecode(data, bytes.size(), &config);
            WebPFreeDecBuffer(&config.output);
            throw ImportError(0, std::string("WebP: ") + webpReason(status));
        }
        return overWhite(width, height, rgba.get());
    }
    WebPData whole{data, bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> animation(
        WebPAnimDecoderNew(&whole, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!animation || !WebPAnimDecoderGetInfo(animation.get(), &info) ||
        !WebPAnimDecoderGetNext(animation.get(), &frame, &timestamp)) {
        throw ImportError(0, "WebP: the animation cannot be decoded");
    }
    checkSize(info.canvas_width, info.canvas_height);
    Picture picture =
        overWhite(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), frame);
    picture.notes.push_back("an animation of " + std::to_string(info.frame_count) +
                            " frames: the first is traced");
    return picture;
}

Picture readWebp(const std::string& bytes) {
    Picture picture = decodeWebp(bytes);
    orient(&picture, webpOrientation(bytes));
    return picture;
}

uint32_t little(const std::string& bytes, size_t at, int length) {
    uint32_t value = 0;
    for (int i = length - 1; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// stb_image reads past the end of a BMP's pixels as zeros; an uncompressed one shorter than
// its rows is refused here instead.
void checkBmpLength(const std::string& bytes) {
    if (bytes.size() < 34 || little(bytes, 14, 4) < 40) {
        return;
    }
    uint32_t offset = little(bytes, 10, 4), compression = little(bytes, 30, 4);
    double width = static_cast<int32_t>(little(bytes, 18, 4));
    double height = std::abs(static_cast<double>(static_cast<int32_t>(little(bytes, 22, 4))));
    double bits = little(bytes, 28, 2);
    double stride = std::floor((width * bits + 31) / 32) * 4;
    if ((compression == 0 || compression == 3) && width > 0 &&
        offset + stride * height > static_cast<double>(bytes.size())) {
        throw ImportError(0, "BMP: truncated: its rows end past the end of the file");
    }
}

Picture readBmp(const std::string& bytes) {
    const stbi_uc* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    int size = static_cast<int>(std::min<size_t>(bytes.size(), 1u << 30));
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &width, &height, &channels)) {
        throw ImportError(0, std::string("BMP: ") + stbi_failure_reason());
    }
    checkSize(width, height);
    checkBmpLength(bytes);
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(data, size, &width, &height, &channels, 4), stbi_image_free);
    if (!rgba) {
        throw ImportError(0, std::string("BMP: ") + stbi_failure_reason());
    }
    return overWhite(width, height, rgba.get());
}

} // namespace

PictureFormat pictureFormat(const std::string& bytes) {
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n")) {
        return PictureFormat::png;
    }
    if (startsWith(bytes, "\xff\xd8\xff")) {
        return PictureFormat::jpeg;
    }
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) {
        return PictureFormat::gif;
    }
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8)) {
        return PictureFormat::webp;
    }
    if (startsWith(bytes, "BM") && bytes.size() >= 18) {
        return PictureFormat::bmp;
    }
    return PictureFormat::none;
}

const char* formatName(PictureFormat format) {
    static const char* const names[] = {"", "PNG", "JPEG", "GIF", "WebP", "BMP"};
    return names[static_cast<int>(format)];
}

Picture decodePicture(const std::string& bytes) {
    switch (pictureFormat(bytes)) {
    case PictureFormat::png:
        return readPng(bytes);
    case PictureFormat::jpeg:
        return readJpeg(bytes);
    case PictureFormat::gif:
        return readGif(bytes);
    case PictureFormat::webp:
        return readWebp(bytes);
    case PictureFormat::bmp:
        return readBmp(bytes);
    case PictureFormat::none:
        break;
    }
    throw ImportError(0, "not a picture this reader takes");
}
