// The tables: the three largest red pieces take the red ids; dark pieces fill the TP table
// first, so that no dark piece needs a red id.
#include "layout.h"

#include "geometry.h"
#include "outline.h"

#include <algorithm>

namespace {

// A red piece cut in two along a diagonal: both halves stay convex. The diagonal must not
// run along a side (a piece may go straight through some of its vertices).
bool splitRed(Layout* layout) {
    for (Piece& piece : layout->red) {
        const ClipperLib::Path& p = piece.points;
        size_t n = p.size();
        for (size_t shift = 0; shift < n; ++shift) {
            size_t half = n / 2;
            ClipperLib::Path first, second;
            for (size_t k = 0; k <= half; ++k) {
                first.push_back(p[(shift + k) % n]);
            }
            for (size_t k = half; k <= n; ++k) {
                second.push_back(p[(shift + k) % n]);
            }
            if (n >= 4 && twiceArea(first) > 0 && twiceArea(second) > 0) {
                Piece other = piece;
                other.points = second;
                other.area = twiceArea(second) / 2;
                piece.points = first;
                piece.area = twiceArea(first) / 2;
                layout->red.push_back(other);
                return true;
            }
        }
    }
    return false;
}

} // namespace

int pointCount(const std::vector<Piece>& pieces) {
    int count = 0;
    for (const Piece& piece : pieces) {
        count += static_cast<int>(piece.points.size());
    }
    return count;
}

int pTablePoints(const Layout& layout) {
    return pointCount(layout.red) + pointCount(layout.pDark);
}

int tpTablePoints(const Layout& layout) {
    return pointCount(layout.tpDark);
}

bool layOut(std::vector<Piece> pieces, Layout* layout) {
    *layout = Layout();
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.area > b.area; });
    std::vector<Piece> dark;
    for (Piece& piece : pieces) {
        if (piece.ink == Ink::red) {
            layout->redArea += piece.area;
            if (static_cast<int>(layout->red.size()) < redSections) {
                layout->redKept += piece.area;
                layout->red.push_back(std::move(piece));
                continue;
            }
            piece.ink = Ink::dark;
        }
        dark.push_back(std::move(piece));
    }
    // The largest first: small pieces fill the gaps that are left.
    std::stable_sort(dark.begin(), dark.end(), [](const Piece& a, const Piece& b) {
        return a.points.size() > b.points.size();
    });
    int tpUsed = 0, pUsed = pointCount(layout->red);
    for (Piece& piece : dark) {
        int n = static_cast<int>(piece.points.size());
        if (tpUsed + n <= tablePoints) {
            tpUsed += n;
            layout->tpDark.push_back(std::move(piece));
            continue;
        }
        if (layout->pDark.empty()) {
            // From here dark pieces take P ids: ids 1 to 3 must be red or empty.
            while (static_cast<int>(layout->red.size()) < redSections && pUsed + 2 <= tablePoints &&
                   splitRed(layout)) {
                pUsed += 2;
            }
            layout->reserved = redSections - static_cast<int>(layout->red.size());
        }
        if (pUsed + n > tablePoints) {
            return false;
        }
        pUsed += n;
        layout->pDark.push_back(std::move(piece));
    }
    return true;
}
