// Fuzz target for import: each input is an SVG document, read and then built into a logo.
// Refusing it with an ImportError is fine; any other exception, a crash, a drawing with
// numbers that are not finite or paint out of range, or a build that ends in neither a
// written logo nor "nothing to write" aborts the run.
#include "convert.h"
#include "import.h"
#include "pipeline.h"
#include "svg.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "import_fuzz: %s\n", what);
        std::abort();
    }
}

void checkPoint(const Point& p) {
    check(std::isfinite(p.x) && std::isfinite(p.y), "a point is not finite");
}

void checkPaint(const Paint& paint) {
    check(paint.opacity >= 0 && paint.opacity <= 1, "opacity out of 0 to 1");
    for (int channel : {paint.colour.r, paint.colour.g, paint.colour.b}) {
        check(channel >= 0 && channel <= 255, "colour channel out of 0 to 255");
    }
}

void checkShape(const Shape& shape) {
    const Matrix& m = shape.transform;
    for (double v : {m.a, m.b, m.c, m.d, m.e, m.f, shape.strokeWidth, shape.miterLimit}) {
        check(std::isfinite(v), "a transform or stroke number is not finite");
    }
    check(shape.fill.set || shape.stroke.set, "a shape that paints nothing");
    checkPaint(shape.fill);
    checkPaint(shape.stroke);
    check(!shape.subpaths.empty(), "a shape without subpaths");
    for (const Subpath& subpath : shape.subpaths) {
        checkPoint(subpath.start);
        check(!subpath.segments.empty(), "an empty subpath");
        for (const Segment& segment : subpath.segments) {
            checkPoint(segment.control1);
            checkPoint(segment.control2);
            checkPoint(segment.end);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // PDF and EPS are converted by other programs, a process per file, too slow to fuzz: only
    // the parts of their path that read bytes here are run.
    PdfFacts facts = readPdfInfo(text);
    check(facts.pages >= 0, "a negative page count");
    try {
        if (fileKind(text) == FileKind::dosEps) {
            check(dosEpsPostScript(text).size() < size, "a PostScript section past the file");
        }
    } catch (const ImportError&) {
    }
    try {
        Drawing drawing = readSvg(text);
        for (const Shape& shape : drawing.shapes) {
            checkShape(shape);
        }
        if (drawing.clipped) {
            const Box& box = drawing.clip;
            check(std::isfinite(box.x0) && std::isfinite(box.x1) && box.x0 <= box.x1 &&
                      std::isfinite(box.y0) && std::isfinite(box.y1) && box.y0 <= box.y1,
                  "a clip box that is not finite or inverted");
        }
        // Thousands of shapes (a <use> fan-out) build correctly but slowly: they would only
        // time the run out.
        if (drawing.shapes.size() <= 500) {
            std::ostringstream out, report;
            int status = importParts({{"mark", drawing}}, {}, {}, out, report);
            check(status == exitDone || status == exitRefused, "an unknown status");
            check((status == exitDone) == !out.str().empty(), "output and status disagree");
        }
    } catch (const ImportError& error) {
        check(error.what()[0] != '\0', "an ImportError without a message");
    }
    return 0;
}
