// convert: PDF, PostScript and EPS to SVG through pdfinfo, pdftocairo and ghostscript, each a
// separate process in a private folder, their failures said in one line.
#include "convert.h"

#include "svg.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// A converted SVG is read like any SVG, whose largest accepted size this is.
constexpr size_t largestConverted = 64u << 20;

const char* packageOf(const std::string& program) {
    return program == "gs" ? "ghostscript" : "poppler-utils";
}

std::string secondsText(double seconds) {
    std::ostringstream text;
    text << seconds;
    return text.str();
}

// The line that says why: ghostscript's first "Error:" (it prints its stacks after it), else
// the last line that is not one of the generic lines following a reason.
std::string reasonIn(const ProgramRun& run) {
    for (const std::string* printed : {&run.err, &run.out}) {
        std::string kept, line;
        std::istringstream lines(*printed);
        while (std::getline(lines, line)) {
            if (line.compare(0, 6, "Error:") == 0) {
                return lastLine(line);
            }
            if (line.find("Error opening PDF file") == std::string::npos &&
                line.find("Unrecoverable error, exit code") == std::string::npos) {
                kept += line + "\n";
            }
        }
        if (!lastLine(kept).empty()) {
            return lastLine(kept);
        }
    }
    return std::string();
}

// Throws ImportError with the one line that says why a converter gave nothing.
void explain(const ProgramRun& run, const std::string& program, const ProgramLimits& limits,
             const char* what) {
    if (!run.started) {
        throw ImportError(0, program + " is not installed (Debian package " + packageOf(program) +
                                 "): " + what + " files cannot be imported");
    }
    if (run.timedOut) {
        throw ImportError(0, program + " took longer than " + secondsText(limits.seconds) +
                                 " s on it: given up");
    }
    if (run.signal == SIGXFSZ) {
        throw ImportError(0, program + " wrote more than " +
                                 std::to_string(limits.fileBytes >> 20) + " MiB: given up");
    }
    if (run.signal != 0) {
        throw ImportError(0, program + " was ended by signal " + std::to_string(run.signal) + " (" +
                                 strsignal(run.signal) + ") on it");
    }
    if (run.exitStatus != 0) {
        std::string reason = reasonIn(run);
        throw ImportError(0, program + " failed (exit status " + std::to_string(run.exitStatus) +
                                 ")" + (reason.empty() ? std::string() : ": " + reason));
    }
}

void convert(const std::vector<std::string>& arguments, const PrivateFolder& folder,
             const ProgramLimits& limits, const char* what) {
    explain(runProgram(arguments, folder.path(), limits), arguments.front(), limits, what);
}

// PostScript to a PDF of its pages, with each EPS page cropped to its bounding box.
void postScriptToPdf(const PrivateFolder& folder, const ProgramLimits& limits) {
    convert({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-sDEVICE=pdfwrite",
             "-sOutputFile=converted.pdf", "input.ps"},
            folder, limits, "PostScript and EPS");
}

Converted pdfToSvg(const std::string& pdf, const PrivateFolder& folder,
                   const ProgramLimits& limits) {
    Converted converted;
    ProgramRun info = runProgram({"pdfinfo", pdf}, folder.path(), limits);
    if (info.started && info.exitStatus != 0 &&
        info.err.find("Incorrect password") != std::string::npos) {
        throw ImportError(0, "the PDF is password-protected: it cannot be opened without its "
                             "password (save it without one)");
    }
    if (info.started && info.exitStatus == 1 && !info.timedOut) {
        std::string reason = reasonIn(info);
        throw ImportError(0, "damaged or not a PDF: pdfinfo cannot open it" +
                                 (reason.empty() ? std::string() : " (" + reason + ")"));
    }
    // Missing, out of time, ended by a signal: said the same way as for the other programs.
    explain(info, "pdfinfo", limits, "PDF");
    PdfFacts facts = readPdfInfo(info.out);
    if (facts.pages < 1) {
        throw ImportError(0, "the PDF has no page");
    }
    if (facts.pages > 1) {
        converted.notes.push_back(std::to_string(facts.pages) +
                                  " pages: only the first is imported");
    }
    if (facts.encrypted) {
        converted.notes.push_back("encrypted with permissions only: read as any viewer opens it");
    }
    convert({"pdftocairo", "-svg", "-f", "1", "-l", "1", pdf, "converted.svg"}, folder, limits,
            "PDF");
    if (!folder.read("converted.svg", largestConverted, &converted.svg)) {
        throw ImportError(0, "pdftocairo wrote no SVG");
    }
    return converted;
}

} // namespace

FileKind fileKind(const std::string& bytes) {
    if (bytes.compare(0, 4, "\xC5\xD0\xD3\xC6") == 0) {
        return FileKind::dosEps;
    }
    if (bytes.compare(0, 4, "%!PS") == 0) {
        return FileKind::postscript;
    }
    size_t pdf = bytes.substr(0, 1024).find("%PDF-");
    // Markup before the header makes it an SVG that speaks of PDF, not a PDF.
    if (pdf != std::string::npos && bytes.find('<') >= pdf) {
        return FileKind::pdf;
    }
    return FileKind::svg;
}

std::string dosEpsPostScript(const std::string& bytes) {
    const size_t header = 30;
    auto word = [&](size_t at) {
        unsigned long value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    if (bytes.size() < header) {
        throw ImportError(0, "damaged EPS: its binary header is cut short");
    }
    unsigned long start = word(4), length = word(8);
    if (start < header || length == 0 || start > bytes.size() || length > bytes.size() - start) {
        throw ImportError(0, "damaged EPS: its binary header points outside the file");
    }
    return bytes.substr(start, length);
}

PdfFacts readPdfInfo(const std::string& printed) {
    PdfFacts facts;
    std::istringstream lines(printed);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 6, "Pages:") == 0) {
            long pages = std::strtol(line.c_str() + 6, nullptr, 10);
            facts.pages = pages < 0 ? 0 : pages > 1000000000 ? 1000000000 : static_cast<int>(pages);
        } else if (line.compare(0, 10, "Encrypted:") == 0) {
            size_t value = line.find_first_not_of(' ', 10);
            facts.encrypted = value != std::string::npos && line.compare(value, 3, "yes") == 0;
        }
    }
    return facts;
}

Converted convertToSvg(const std::string& bytes, FileKind kind, const ProgramLimits& limits) {
    if (kind == FileKind::svg) {
        return {bytes, {}};
    }
    PrivateFolder folder;
    if (kind == FileKind::pdf) {
        folder.write("input.pdf", bytes);
        return pdfToSvg("input.pdf", folder, limits);
    }
    folder.write("input.ps", kind == FileKind::dosEps ? dosEpsPostScript(bytes) : bytes);
    postScriptToPdf(folder, limits);
    return pdfToSvg("converted.pdf", folder, limits);
}

Drawing readConverted(const std::string& bytes) {
    Converted converted = convertToSvg(bytes, fileKind(bytes));
    Drawing drawing;
    try {
        drawing = readSvg(converted.svg);
    } catch (const ImportError& error) {
        throw ImportError(0, std::string("the SVG that pdftocairo made of it, line ") +
                                 std::to_string(error.line) + ": " + error.what());
    }
    // The reader's notes name lines of the converted SVG, which the user never sees.
    for (std::string& note : drawing.notes) {
        size_t colon = note.find(": ");
        if (note.compare(0, 5, "line ") == 0 && colon != std::string::npos &&
            note.find_first_not_of("0123456789", 5) == colon) {
            note.erase(0, colon + 2);
        }
    }
    drawing.notes.insert(drawing.notes.begin(), converted.notes.begin(), converted.notes.end());
    return drawing;
}
