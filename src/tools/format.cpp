// `format`: turns a free-form outline (headers, points as two numbers) into the fixed-column
// logo.txt, refusing whatever the program would not read back as written.
#include "outline.h"
#include "outlinetool.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int tableCapacity = outlineSlots - 1;
constexpr int longestLine = outlineLineBuffer - 2; // characters before the line feed

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number as logo authors write it: sign, digits with one optional point, an
// optional exponent. No hexadecimal, infinities or NaN.
bool isDecimal(const std::string& word) {
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < word.size() && isDigit(word[i])) {
        ++i, ++digits;
    }
    if (i < word.size() && word[i] == '.') {
        ++i;
        while (i < word.size() && isDigit(word[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
            ++i;
        }
        size_t exponentDigits = 0;
        while (i < word.size() && isDigit(word[i])) {
            ++i, ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == word.size();
}

// Splits "x y" or "x, y" (blanks around the comma allowed) into its two words.
bool splitPoint(const std::string& text, std::string& x, std::string& y) {
    size_t i = 0;
    while (i < text.size() && !isBlank(text[i]) && text[i] != ',') {
        ++i;
    }
    x = text.substr(0, i);
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    if (i < text.size() && text[i] == ',') {
        ++i;
        while (i < text.size() && isBlank(text[i])) {
            ++i;
        }
    }
    size_t start = i;
    while (i < text.size() && !isBlank(text[i]) && text[i] != ',') {
        ++i;
    }
    y = text.substr(start, i - start);
    return !x.empty() && !y.empty() && i == text.size();
}

// Writes the exponent of %e output without its plus sign and leading zeros: 1.5e-05 to
// 1.5e-5, 2e+07 to 2e7.
std::string compactExponent(const std::string& text) {
    size_t e = text.find('e');
    if (e == std::string::npos) {
        return text;
    }
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    std::string sign = exponent[0] == '-' ? "-" : "";
    size_t digits = exponent.find_first_not_of("+-0");
    return mantissa + "e" + sign + (digits == std::string::npos ? "0" : exponent.substr(digits));
}

} // namespace

std::string fieldText(double value, double* error) {
    std::vector<std::string> candidates;
    char text[512];
    for (int decimals = 0; decimals < outlineFieldChars; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        candidates.push_back(text);
    }
    for (int decimals = 0; decimals < outlineFieldChars; ++decimals) {
        std::snprintf(text, sizeof text, "%.*e", decimals, value);
        candidates.push_back(compactExponent(text));
    }
    // Nearest first; among texts as near, plain decimals before exponents, then shortest.
    std::string best;
    double bestError = HUGE_VAL;
    bool bestExponent = true;
    for (const std::string& candidate : candidates) {
        if (candidate.size() > static_cast<size_t>(outlineFieldChars)) {
            continue;
        }
        // Judged by what the program's own reader makes of the text.
        double off = std::fabs(convertField(candidate.c_str()) - value);
        bool exponent = candidate.find('e') != std::string::npos;
        if (off < bestError ||
            (off == bestError && (exponent < bestExponent ||
                                  (exponent == bestExponent && candidate.size() < best.size())))) {
            best = candidate;
            bestError = off;
            bestExponent = exponent;
        }
    }
    *error = bestError;
    return best;
}

int formatOutline(std::istream& in, std::ostream& out, std::ostream& err) {
    enum { outside, inP, inTp, inTl } where = outside;
    int points[2] = {};
    std::string written;
    int refused = 0;
    auto refuse = [&](int line, const std::string& text) {
        err << "line " << line << ": " << text << "\n";
        ++refused;
    };

    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        size_t comment = line.find('#');
        if (comment != std::string::npos) {
            line.erase(comment);
        }
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) {
            continue;
        }
        size_t last = line.find_last_not_of(" \t\r");
        std::string text = line.substr(first, last - first + 1);
        std::string word = text.substr(0, text.find_first_of(" \t,"));

        if (word == "P" || word == "TP" || word == "TL") {
            bool printable = true;
            for (char c : text) {
                printable =
                    printable && (static_cast<unsigned char>(c) >= ' ' || c == '\t') && c != 127;
            }
            if (!printable) {
                refuse(lineNumber, "header line holds a control character");
            } else if (text.size() > static_cast<size_t>(longestLine)) {
                refuse(lineNumber, "header line longer than " + std::to_string(longestLine) +
                                       " characters: the program would read it as two lines");
            }
            written += text + "\n";
            // A TL stretch hides everything up to the next TP header, P headers included.
            if (word == "TP") {
                where = inTp;
            } else if (word == "TL") {
                where = inTl;
            } else if (where != inTl) {
                where = inP;
            }
            continue;
        }

        std::string x, y;
        if (!splitPoint(text, x, y)) {
            refuse(lineNumber, "neither a header (P, TP, TL) nor a point of two numbers");
            continue;
        }
        bool numbers = true;
        for (const std::string* w : {&x, &y}) {
            if (!isDecimal(*w)) {
                refuse(lineNumber, "'" + *w + "' is not a decimal number");
                numbers = false;
            }
        }
        if (!numbers) {
            continue;
        }
        if (where == outside) {
            refuse(lineNumber, "point outside a section: no P or TP header before it");
            continue;
        }
        if (where != inTl) {
            int& count = points[where == inTp ? 1 : 0];
            if (++count == tableCapacity + 1) {
                refuse(lineNumber, std::string("more than ") + std::to_string(tableCapacity) +
                                       " points for the " + (where == inTp ? "TP" : "P") +
                                       " table: the program drops the rest");
            }
        }
        std::string fields[2];
        for (int i = 0; i < 2; ++i) {
            const std::string& w = i == 0 ? x : y;
            double value = std::strtod(w.c_str(), nullptr);
            double error = 0;
            fields[i] = fieldText(value, &error);
            if (!std::isfinite(value) || !(error <= formatTolerance)) {
                char off[64];
                std::snprintf(off, sizeof off, "%g", error);
                refuse(lineNumber,
                       w + " does not fit " + std::to_string(outlineFieldChars) + " characters" +
                           (std::isfinite(value)
                                ? " (the nearest, " + fields[i] + ", is off by " + off + ")"
                                : ""));
            }
            fields[i].insert(0, outlineFieldChars - fields[i].size(), ' ');
        }
        written += std::string(outlineXColumn, ' ') + fields[0] +
                   std::string(outlineYColumn - outlineXColumn - outlineFieldChars, ' ') +
                   fields[1] + "\n";
    }
    if (in.bad()) {
        err << "logotipo-outline: cannot read the input\n";
        return toolUnreadable;
    }
    if (refused > 0) {
        err << "nothing written: " << refused << (refused == 1 ? " refusal\n" : " refusals\n");
        return toolWarned;
    }
    out << written;
    return toolClean;
}
