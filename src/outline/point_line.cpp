// The writer of point lines: each number as the field text the reader converts nearest to it,
// right-aligned in its columns.
#include "outline.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Long enough for %f of the largest double.
constexpr int printed = 512;

// Rewrites the exponent of %e output in place without its plus sign and leading zeros:
// 1.5e-05 to 1.5e-5, 2e+07 to 2e7.
void compactExponent(char* text) {
    char* e = std::strchr(text, 'e');
    if (e == nullptr) {
        return;
    }
    char* out = e + 1;
    const char* in = e + 1;
    if (*in == '-') {
        *out++ = *in;
    }
    in += std::strspn(in, "+-0");
    if (*in == '\0') {
        *out++ = '0';
    }
    while (*in != '\0') {
        *out++ = *in++;
    }
    *out = '\0';
}

} // namespace

double fieldText(double value, char (&text)[outlineFieldBuffer]) {
    text[0] = '\0';
    double bestError = HUGE_VAL;
    bool bestExponent = true;
    size_t bestLength = 0;
    // Plain decimals first, then exponent forms, each with 0 to 6 decimals.
    for (int candidate = 0; candidate < 2 * outlineFieldChars; ++candidate) {
        char written[printed];
        bool exponent = candidate >= outlineFieldChars;
        int decimals = candidate % outlineFieldChars;
        std::snprintf(written, sizeof written, exponent ? "%.*e" : "%.*f", decimals, value);
        compactExponent(written);
        size_t length = std::strlen(written);
        if (length > static_cast<size_t>(outlineFieldChars)) {
            continue;
        }
        // Judged by what the reader itself makes of the text.
        double off = std::fabs(convertField(written) - value);
        exponent = std::strchr(written, 'e') != nullptr;
        if (off < bestError ||
            (off == bestError &&
             (exponent < bestExponent || (exponent == bestExponent && length < bestLength)))) {
            std::memcpy(text, written, length + 1);
            bestError = off;
            bestExponent = exponent;
            bestLength = length;
        }
    }
    return bestError;
}

void writePointLine(const char* x, const char* y, char (&line)[outlinePointLineBuffer]) {
    std::snprintf(line, sizeof line, "%*s%*s\n", outlineXColumn + outlineFieldChars, x,
                  outlineYColumn - outlineXColumn, y);
}
