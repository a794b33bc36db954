// The fidelity, from areas alone: regions never overlap (a later layer covers an earlier
// one), nor do written pieces, so their overlap is the sum of both areas less the area of
// their union.
#include "fidelity.h"

#include "layout.h"
#include "polygons.h"

#include <algorithm>

Fidelity fidelityOf(size_t partCount, const std::vector<Region>& drawing, const Layout& layout) {
    std::vector<ClipperLib::Paths> drawn(partCount), written(partCount);
    std::vector<double> drawnArea(partCount, 0), writtenArea(partCount, 0);
    for (const Region& region : drawing) {
        ClipperLib::Paths& paths = drawn[region.part];
        paths.insert(paths.end(), region.paths.begin(), region.paths.end());
        drawnArea[region.part] += pathsArea(region.paths);
    }
    forEachPiece(layout, [&](const Piece& piece) {
        written[piece.part].push_back(piece.points);
        writtenArea[piece.part] += ClipperLib::Area(piece.points);
    });
    Fidelity fidelity;
    double overlaps = 0, unions = 0;
    for (size_t part = 0; part < partCount; ++part) {
        // Measured through the union: Clipper's intersection of pieces and regions whose edges
        // coincide came out short on a real flag (0.28 for a logo librsvg shows exact), the
        // union of the same paths did not.
        double either = pathsArea(combine(ClipperLib::ctUnion, drawn[part], written[part]));
        double both = std::max(0.0, drawnArea[part] + writtenArea[part] - either);
        fidelity.parts.push_back(either > 0 ? both / either : 1);
        if (fidelity.parts[part] < fidelity.parts[fidelity.worst]) {
            fidelity.worst = static_cast<int>(part);
        }
        overlaps += both;
        unions += either;
    }
    fidelity.overall = unions > 0 ? overlaps / unions : 1;
    return fidelity;
}
