// PDF (and PDF-compatible AI), PostScript and EPS files turned into SVG by Debian's own
// converters, run as separate programs: poppler's pdfinfo and pdftocairo, and ghostscript
// for PostScript. Told apart from SVG by their first bytes, never by the file's name.
#pragma once

#include "drawing.h"
#include "process.h"

#include <string>
#include <vector>

enum class FileKind { svg, pdf, postscript, dosEps };

// What bytes hold: %PDF- (after at most 1 KiB of leading junk, as readers allow), %!PS, the
// DOS EPS binary header C5 D0 D3 C6; anything else is taken for SVG.
FileKind fileKind(const std::string& bytes);

// The PostScript section of a DOS EPS binary file; throws ImportError when its header points
// outside the file.
std::string dosEpsPostScript(const std::string& bytes);

struct PdfFacts {
    int pages = 0;
    bool encrypted = false;
};

// What pdfinfo printed: its Pages and Encrypted lines.
PdfFacts readPdfInfo(const std::string& printed);

struct Converted {
    std::string svg;
    std::vector<std::string> notes; // one line each: pages left out, encryption
};

// The first page of a PDF, PostScript or EPS file as SVG. Throws ImportError, in one line,
// when a converter is missing, fails, runs out of time or writes too much, and for a file
// that is password-protected, damaged or has no page.
Converted convertToSvg(const std::string& bytes, FileKind kind,
                       const ProgramLimits& limits = ProgramLimits());

// A file of any kind fileKind tells but SVG, converted and read by the SVG reader, with the
// conversion's notes before the reader's.
Drawing readConverted(const std::string& bytes);
