// Fuzz target for the raster reader: each input is a picture of any format, decoded and
// traced. Refusing it (ImportError, PictureRefused) is fine; any other exception, a crash, or
// a traced point outside the picture or not finite aborts the run.
#include "raster.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "raster_fuzz: %s\n", what);
        std::abort();
    }
}

// Contours run through pixel centres and the crossings between them, a pixel beyond the
// edge at most; curves fitted to them stay near.
void checkPoint(const Point& p, double width, double height) {
    check(std::isfinite(p.x) && std::isfinite(p.y), "a point is not finite");
    check(p.x > -8 && p.y > -8 && p.x < width + 8 && p.y < height + 8,
          "a point far outside the picture");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!isPicture(bytes)) {
        return 0;
    }
    try {
        Drawing drawing = readPicture(bytes, {}, {});
        check(!drawing.notes.empty(), "no line saying the picture was traced");
        // The largest picture the reader takes bounds every side.
        double side = 64e6;
        for (const Shape& shape : drawing.shapes) {
            for (const Subpath& path : shape.subpaths) {
                checkPoint(path.start, side, side);
                for (const Segment& segment : path.segments) {
                    checkPoint(segment.end, side, side);
                }
            }
        }
    } catch (const ImportError&) {
    } catch (const PictureRefused&) {
    }
    return 0;
}
