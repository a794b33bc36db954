// Writes a generated outline file: make_outline FILE [P-points [TP-points]], by default
// the full file with 839 points of each kind.
#include "outline_files.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fputs("usage: make_outline FILE [P-points [TP-points]]\n", stderr);
        return 2;
    }
    int pPoints = argc > 2 ? std::atoi(argv[2]) : benchFiles[0].pPoints;
    int tpPoints = argc > 3 ? std::atoi(argv[3]) : benchFiles[0].tpPoints;
    std::string text = outlineText(pPoints, tpPoints);
    FILE* file = std::fopen(argv[1], "w");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) {
        written = false;
    }
    if (!written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
