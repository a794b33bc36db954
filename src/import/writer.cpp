// The writer: logo.txt in the reader's fixed columns, the report of what was written against
// the drawing, and the failures with the command's name in one place.
#include "writer.h"

#include "layout.h"
#include "outline.h"
#include "polygons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>
#include <sstream>

namespace {

std::string decimal(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

// At the program's largest zoom, scale 2, its 500-pixel window spans one logo unit over 500
// pixels; capitals shorter than smallestCapitals pixels there are too small to read.
constexpr double largestZoomPixels = 500;
constexpr double smallestCapitals = 10;

void writeSection(const char* header, const Piece& piece, std::ostream& out) {
    out << header << "\n";
    for (const ClipperLib::IntPoint& p : piece.points) {
        char x[outlineFieldBuffer], y[outlineFieldBuffer], line[outlinePointLineBuffer];
        fieldText(static_cast<double>(p.X) * gridUnit, x);
        fieldText(static_cast<double>(p.Y) * gridUnit, y);
        writePointLine(x, y, line);
        out << line;
    }
}

// A line for each set name whose capitals stay too small to read, however near it comes.
void tellSmallLetters(const std::vector<Part>& parts, const Placement& placement,
                      std::ostream& err) {
    for (const Part& part : parts) {
        double pixels = part.drawing.capitals * placement.scale * gridUnit * largestZoomPixels;
        if (part.drawing.capitals > 0 && pixels < smallestCapitals) {
            err << part.name << ": capitals " << decimal(pixels, 1)
                << " pixels high at the largest zoom, under the " << smallestCapitals
                << " that can be read: break the name into lines (\\n or more --text)\n";
        }
    }
}

// What was left out of the drawing, each note once.
void tellNotes(const std::vector<std::string>& notes, std::ostream& err) {
    std::set<std::string> said;
    for (const std::string& note : notes) {
        if (said.insert(note).second) {
            err << note << "\n";
        }
    }
}

// A line for each part: the flattening, its points in each table and its pieces.
void tellParts(const std::vector<Part>& parts, const Attempt& chosen, std::ostream& err) {
    std::string flattening = "curves within " + decimal(chosen.flattening.tolerance * gridUnit, 5) +
                             (chosen.flattening.thinned ? ", straight runs thinned to it" : "");
    const Layout& layout = chosen.layout;
    for (size_t part = 0; part < parts.size(); ++part) {
        int p = 0, tp = 0, red = 0, dark = 0;
        auto count = [&](const std::vector<Piece>& pieces, int* points, int* pieceCount) {
            for (const Piece& piece : pieces) {
                if (piece.part == static_cast<int>(part)) {
                    *points += static_cast<int>(piece.points.size());
                    ++*pieceCount;
                }
            }
        };
        count(layout.red, &p, &red);
        count(layout.pDark, &p, &dark);
        count(layout.tpDark, &tp, &dark);
        err << parts[part].name << ": " << flattening << "; P " << p << " points, TP " << tp
            << " points; " << red << " red and " << dark << " dark pieces\n";
    }
}

// The tables, the red share, the area drawn against the drawing's and each part's fidelity.
void tellTotals(const std::vector<Part>& parts, const LogoBuild& build, std::ostream& err) {
    const Layout& layout = build.chosen.layout;
    err << "tables: P " << pTablePoints(layout) << " of " << tablePoints << " points, TP "
        << tpTablePoints(layout) << " of " << tablePoints
        << (layout.reserved > 0 ? "; " + std::to_string(layout.reserved) +
                                      " empty P sections keep the red ids from dark pieces"
                                : std::string())
        << "\n";
    if (layout.redArea > 0) {
        err << "red: " << decimal(100 * layout.redKept / layout.redArea, 1)
            << "% of the red area stays red"
            << (layout.redKept < layout.redArea ? " (only three pieces can be red)" : "") << "\n";
    }
    double visibleArea = 0, drawn = 0;
    for (const Region& region : build.drawing) {
        visibleArea += pathsArea(region.paths);
    }
    forEachPiece(layout, [&](const Piece& piece) { drawn += piece.area; });
    double unit = gridUnit * gridUnit;
    err << "area: " << decimal(drawn * unit, 4) << " against " << decimal(visibleArea * unit, 4)
        << " of the visible drawing ("
        << decimal(visibleArea > 0 ? 100 * drawn / visibleArea : 100, 1) << "%)\n";
    err << "fidelity:";
    for (size_t part = 0; part < parts.size(); ++part) {
        err << (part > 0 ? ", " : " ") << parts[part].name << " "
            << decimal(build.fidelity.parts[part], 4);
    }
    err << " (overlap over union with the drawing)\n";
}

// Below the floor: how far, and what helps.
std::string belowFloor(const std::vector<Part>& parts, const Fidelity& fidelity, double floor) {
    const std::string& name = parts[fidelity.worst].name;
    double worst = fidelity.parts[fidelity.worst];
    return "the " + name + " would be written at fidelity " + decimal(worst, 4) +
           " (overlap over union with the drawing), below " + decimal(floor, 4) + ": " +
           (name == "name" ? "give a shorter name, or set it on more lines (a --text each)"
                           : "simplify the drawing (fewer, plainer shapes)") +
           ", or lower the floor with --min-fidelity " + decimal(std::floor(worst * 100) / 100, 2);
}

std::string nothingVisible(int broken) {
    std::string what = "nothing visible to import";
    if (broken > 0) {
        what += " (" + std::to_string(broken) + (broken == 1 ? " shape" : " shapes") +
                " left out for coordinates out of range)";
    }
    return what;
}

std::string noFit(const Attempt& chosen) {
    int pieces = static_cast<int>(chosen.pieces.pieces.size());
    return "cannot fit the tables: even with curves within " +
           decimal(chosen.flattening.tolerance * gridUnit, 4) + " and straight runs thinned, " +
           (pieces > 0 ? std::to_string(pieces) + " convex pieces need " +
                             std::to_string(pointCount(chosen.pieces.pieces)) + " points"
                       : std::string("the outlines need too many points")) +
           " (two tables of " + std::to_string(tablePoints) + ")";
}

} // namespace

void writeLogo(const Layout& layout, std::ostream& out) {
    for (const Piece& piece : layout.red) {
        writeSection("P", piece, out);
    }
    for (int i = 0; i < layout.reserved; ++i) {
        out << reservedHeader << "\n";
    }
    for (const Piece& piece : layout.pDark) {
        writeSection("P", piece, out);
    }
    for (const Piece& piece : layout.tpDark) {
        writeSection("TP", piece, out);
    }
}

void writeReport(const std::vector<Part>& parts, const LogoBuild& build, std::ostream& err) {
    tellNotes(build.chosen.notes, err);
    tellParts(parts, build.chosen, err);
    tellTotals(parts, build, err);
    tellSmallLetters(parts, build.placement, err);
}

ImportFailure refusalOf(const std::vector<Part>& parts, const LogoBuild& build) {
    ImportFailure failure;
    failure.status = exitRefused;
    switch (build.refusal) {
    case Refusal::nothingVisible:
        failure.what = nothingVisible(build.broken);
        break;
    case Refusal::noFit:
        failure.what = noFit(build.chosen);
        break;
    case Refusal::belowFloor:
        failure.what = belowFloor(parts, build.fidelity, build.minFidelity);
        break;
    case Refusal::outsideView:
        failure.what = "the logo does not stay within the view";
        break;
    case Refusal::none:
        failure.status = exitDone;
        break;
    }
    return failure;
}

std::string failureLine(const std::string& what) {
    return "logotipo-outline import: " + what;
}

std::string failureLine(const ImportFailure& failure) {
    if (failure.file.empty()) {
        return failureLine(failure.what);
    }
    return failure.file + (failure.line > 0 ? ":" + std::to_string(failure.line) : std::string()) +
           ": " + failure.what;
}
