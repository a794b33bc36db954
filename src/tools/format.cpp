// `format`: turns a free-form outline (headers, points as two numbers) into the fixed-column
// logo.txt, refusing whatever the program would not read back as written.
#include "outline.h"
#include "outlinetool.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <string>

namespace {

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

// One run of format: where the input stands, what is written so far, what was refused.
struct Formatting {
    enum { outside, inP, inTp, inTl } where = outside;
    int points[2] = {}; // of the P and the TP table
    std::string written;
    int refused = 0;
    std::ostream& err;
};

void refuse(Formatting& run, int line, const std::string& text) {
    run.err << "line " << line << ": " << text << "\n";
    ++run.refused;
}

// The line without its comment and surrounding blanks; false when nothing is left.
bool meaningfulText(std::string line, std::string* text) {
    size_t comment = line.find('#');
    if (comment != std::string::npos) {
        line.erase(comment);
    }
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return false;
    }
    size_t last = line.find_last_not_of(" \t\r");
    *text = line.substr(first, last - first + 1);
    return true;
}

void formatHeader(Formatting& run, int lineNumber, const std::string& text,
                  const std::string& word) {
    bool printable = true;
    for (char c : text) {
        printable = printable && (static_cast<unsigned char>(c) >= ' ' || c == '\t') && c != 127;
    }
    if (!printable) {
        refuse(run, lineNumber, "header line holds a control character");
    } else if (text.size() > static_cast<size_t>(outlineLongestLine)) {
        refuse(run, lineNumber,
               "header line longer than " + std::to_string(outlineLongestLine) +
                   " characters: the program would read it as two lines");
    }
    run.written += text + "\n";
    // A TL stretch hides everything up to the next TP header, P headers included.
    if (word == "TP") {
        run.where = Formatting::inTp;
    } else if (word == "TL") {
        run.where = Formatting::inTl;
    } else if (run.where != Formatting::inTl) {
        run.where = Formatting::inP;
    }
}

// A point line's two numbers, refused when they are no numbers or stand outside a section.
bool pointNumbers(Formatting& run, int lineNumber, const std::string& text, std::string* x,
                  std::string* y) {
    if (!splitPoint(text, *x, *y)) {
        refuse(run, lineNumber, "neither a header (P, TP, TL) nor a point of two numbers");
        return false;
    }
    bool numbers = true;
    for (const std::string* word : {x, y}) {
        if (!isDecimal(*word)) {
            refuse(run, lineNumber, "'" + *word + "' is not a decimal number");
            numbers = false;
        }
    }
    if (!numbers) {
        return false;
    }
    if (run.where == Formatting::outside) {
        refuse(run, lineNumber, "point outside a section: no P or TP header before it");
        return false;
    }
    return true;
}

// The field text of one number, refused when it reads back too far off.
void fieldOf(Formatting& run, int lineNumber, const std::string& word,
             char (&field)[outlineFieldBuffer]) {
    double value = std::strtod(word.c_str(), nullptr);
    double error = fieldText(value, field);
    if (!std::isfinite(value) || !(error <= formatTolerance)) {
        char off[64];
        std::snprintf(off, sizeof off, "%g", error);
        refuse(run, lineNumber,
               word + " does not fit " + std::to_string(outlineFieldChars) + " characters" +
                   (std::isfinite(value)
                        ? " (the nearest, " + std::string(field) + ", is off by " + off + ")"
                        : ""));
    }
}

void formatPoint(Formatting& run, int lineNumber, const std::string& x, const std::string& y) {
    if (run.where != Formatting::inTl) {
        bool tp = run.where == Formatting::inTp;
        if (++run.points[tp ? 1 : 0] == outlineCapacity + 1) {
            refuse(run, lineNumber,
                   std::string("more than ") + std::to_string(outlineCapacity) +
                       " points for the " + (tp ? "TP" : "P") +
                       " table: the program drops the rest");
        }
    }
    char xField[outlineFieldBuffer], yField[outlineFieldBuffer];
    fieldOf(run, lineNumber, x, xField);
    fieldOf(run, lineNumber, y, yField);
    char line[outlinePointLineBuffer];
    writePointLine(xField, yField, line);
    run.written += line;
}

} // namespace

int formatOutline(std::istream& in, std::ostream& out, std::ostream& err) {
    Formatting run{Formatting::outside, {}, {}, 0, err};
    std::string line, text, x, y;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!meaningfulText(line, &text)) {
            continue;
        }
        std::string word = text.substr(0, text.find_first_of(" \t,"));
        if (word == "P" || word == "TP" || word == "TL") {
            formatHeader(run, lineNumber, text, word);
        } else if (pointNumbers(run, lineNumber, text, &x, &y)) {
            formatPoint(run, lineNumber, x, y);
        }
    }
    if (in.bad()) {
        err << "logotipo-outline: cannot read the input\n";
        return exitBadInput;
    }
    if (run.refused > 0) {
        err << "nothing written: " << run.refused
            << (run.refused == 1 ? " refusal\n" : " refusals\n");
        return exitRefused;
    }
    out << run.written;
    return exitDone;
}
