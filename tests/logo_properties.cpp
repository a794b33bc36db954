// The properties every written logo must have, shared by the importer's tests.
#include "logo_properties.h"

#include "outline.h"
#include "outlinetool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

double areaOf(const std::vector<ClipperLib::IntPoint>& points) {
    return std::fabs(ClipperLib::Area(points)) * 1e-8;
}

double areaOf(const ClipperLib::Paths& a, const ClipperLib::Paths& b, ClipperLib::ClipType type) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(a, ClipperLib::ptSubject, true);
    clipper.AddPaths(b, ClipperLib::ptClip, true);
    ClipperLib::Paths result;
    clipper.Execute(type, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    double area = 0;
    for (const ClipperLib::Path& path : result) {
        area += ClipperLib::Area(path);
    }
    return area;
}

double areaApartWithin(const ClipperLib::Paths& shown, const ClipperLib::Path& where,
                       const ClipperLib::Paths& expected) {
    ClipperLib::Paths within;
    ClipperLib::Clipper clipper;
    clipper.AddPaths(shown, ClipperLib::ptSubject, true);
    clipper.AddPath(where, ClipperLib::ptClip, true);
    clipper.Execute(ClipperLib::ctIntersection, within, ClipperLib::pftNonZero);
    return areaOf(within, expected, ClipperLib::ctXor);
}

Logo importAndExamine(const ImportOptions& options) {
    std::ostringstream out, err;
    Logo logo;
    logo.status = importLogo(options, out, err);
    logo.text = out.str();
    logo.report = err.str();
    if (logo.status == exitDone) {
        examineLogo(logo);
    }
    return logo;
}

namespace {

std::vector<Section> readBack(const std::string& text) {
    loadOutlineText(text.data(), text.size());
    std::vector<Section> sections;
    for (bool tp : {false, true}) {
        const OutlinePoint* table = tp ? tpTable : pTable;
        for (int slot = 1; slot < outlineSlots && table[slot].polygonId != 0; ++slot) {
            if (sections.empty() || sections.back().tp != tp ||
                sections.back().id != table[slot].polygonId) {
                sections.push_back({tp, table[slot].polygonId, {}});
            }
            // Written with four decimals: the grid point is exact.
            sections.back().points.push_back(
                {std::llround(table[slot].x * 1e4), std::llround(table[slot].y * 1e4)});
        }
    }
    return sections;
}

bool convex(const std::vector<ClipperLib::IntPoint>& p) {
    size_t n = p.size();
    for (size_t i = 0; i < n; ++i) {
        const auto &a = p[i], &b = p[(i + 1) % n], &c = p[(i + 2) % n];
        long long turn = (b.X - a.X) * (c.Y - b.Y) - (b.Y - a.Y) * (c.X - b.X);
        long long along = (b.X - a.X) * (c.X - b.X) + (b.Y - a.Y) * (c.Y - b.Y);
        if (turn < 0 || (turn == 0 && along <= 0)) {
            return false;
        }
    }
    return n >= 3;
}

// Whether a side of convex a (counter-clockwise) has all of b on its outer side or on it:
// then the two do not overlap. Exact on the grid, where Clipper's own intersection rounds.
bool apart(const std::vector<ClipperLib::IntPoint>& a, const std::vector<ClipperLib::IntPoint>& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        const auto &p = a[i], &q = a[(i + 1) % a.size()];
        bool outside = true;
        for (const auto& v : b) {
            outside = outside && (q.X - p.X) * (v.Y - p.Y) - (q.Y - p.Y) * (v.X - p.X) <= 0;
        }
        if (outside) {
            return true;
        }
    }
    return false;
}

// Whether a corner of one section lies inside an edge of another that does not hold it: a
// crack the renderer may show.
bool tJunction(const std::vector<Section>& sections) {
    for (const Section& s : sections) {
        for (size_t i = 0; i < s.points.size(); ++i) {
            const auto &a = s.points[i], &b = s.points[(i + 1) % s.points.size()];
            for (const Section& other : sections) {
                for (const auto& v : other.points) {
                    long long cross = (b.X - a.X) * (v.Y - a.Y) - (b.Y - a.Y) * (v.X - a.X);
                    long long along = (b.X - a.X) * (v.X - a.X) + (b.Y - a.Y) * (v.Y - a.Y);
                    long long length = (b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y);
                    if (cross == 0 && along > 0 && along < length) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

} // namespace

// check finds nothing to warn about, both tables within their slots, every section convex
// with area, no two overlapping, no corner on another's edge, every point in view.
void examineLogo(Logo& logo) {
    char path[] = "/tmp/import_logo_XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << logo.text;
    std::ostringstream report, problems;
    int checked = checkOutline(path, report, problems);
    std::remove(path);
    if (checked != exitDone) {
        std::istringstream lines(report.str()), file(logo.text);
        std::vector<std::string> fileLines;
        for (std::string line; std::getline(file, line);) {
            fileLines.push_back(line);
        }
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("line ", 0) == 0) {
                size_t number = std::stoul(line.substr(5));
                EXPECT_TRUE(number <= fileLines.size() &&
                            fileLines[number - 1] == "P reserved for the red mark" &&
                            line.find("holds no points") != std::string::npos)
                    << line;
            }
        }
    }
    logo.sections = readBack(logo.text);
    int points[2] = {0, 0};
    for (size_t i = 0; i < logo.sections.size(); ++i) {
        const Section& s = logo.sections[i];
        points[s.tp] += static_cast<int>(s.points.size());
        EXPECT_TRUE(convex(s.points)) << (s.tp ? "TP " : "P ") << s.id;
        (s.tp || s.id > 3 ? logo.darkArea : logo.redArea) += areaOf(s.points);
        for (const auto& p : s.points) {
            EXPECT_LE(std::hypot(p.X * 1e-4 - viewCentreX, p.Y * 1e-4 - viewCentreY), viewReach);
        }
        for (size_t j = 0; j < i; ++j) {
            EXPECT_TRUE(apart(s.points, logo.sections[j].points) ||
                        apart(logo.sections[j].points, s.points))
                << "sections " << i << " and " << j << " overlap";
        }
    }
    EXPECT_FALSE(tJunction(logo.sections));
    EXPECT_LE(points[0], 839);
    EXPECT_LE(points[1], 839);
}
