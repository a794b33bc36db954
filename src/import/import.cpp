// import: the readers (the mark's file, the name set in a font), the chain, and the writer;
// every failure of the input ends here as one line and a status.
#include "import.h"

#include "colour.h"
#include "convert.h"
#include "svg.h"
#include "text.h"
#include "writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

// A designer's logo is kilobytes to a few megabytes; past this the file is refused rather
// than parsed into memory.
constexpr long long largestSvg = 64LL << 20;

std::string readFile(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        throw ImportError(0, std::string("cannot open: ") + std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        throw ImportError(0, "cannot open: it is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ImportError(0, std::string("cannot open: ") + std::strerror(errno));
    }
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (static_cast<long long>(text.size()) > largestSvg) {
            throw ImportError(0, "larger than 64 MiB: not a logo");
        }
    }
    if (in.bad()) {
        throw ImportError(0, "read failed");
    }
    return text;
}

std::vector<Colour> parseColours(const std::vector<std::string>& texts, const char* option) {
    std::vector<Colour> colours;
    for (const std::string& text : texts) {
        std::string item;
        std::istringstream list(text);
        while (std::getline(list, item, ',')) {
            Colour colour;
            if (!parseColour(item, &colour)) {
                throw ImportError(0, std::string(option) + ": '" + item + "' is not a colour");
            }
            colours.push_back(colour);
        }
    }
    return colours;
}

// The mark's file handed to its reader.
Drawing readMark(const std::string& path) {
    std::string bytes = readFile(path);
    return fileKind(bytes) == FileKind::svg ? readSvg(bytes) : readConverted(bytes);
}

// What the readers left out, a line each; the mark's lines name its file.
void tellReaderNotes(const ImportOptions& options, const std::vector<Part>& parts,
                     std::ostream& err) {
    for (const Part& part : parts) {
        for (const std::string& note : part.drawing.notes) {
            err << (part.name == "mark" ? options.svgPath + ": " : std::string()) << note << "\n";
        }
    }
}

} // namespace

ImportInput readInput(const ImportOptions& options) {
    ImportInput input;
    std::string file;
    try {
        input.ink.red = parseColours(options.red, "--red");
        input.ink.dark = parseColours(options.dark, "--dark");
        if (!options.svgPath.empty()) {
            file = options.svgPath;
            input.parts.push_back({"mark", readMark(options.svgPath)});
            file.clear();
        }
        if (!options.text.empty()) {
            Part name{"name", setText(options.text, options.font, options.direction)};
            if (!input.parts.empty()) {
                placeUnder(input.parts.front().drawing, &name.drawing);
            }
            input.parts.push_back(std::move(name));
        }
    } catch (const ImportError& error) {
        input.parts.clear();
        input.failed = true;
        input.failure = {error.what(), file, error.line, exitBadInput};
    }
    return input;
}

int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    ImportInput input = readInput(options);
    if (input.failed) {
        err << failureLine(input.failure) << "\n";
        return input.failure.status;
    }
    tellReaderNotes(options, input.parts, err);
    return importParts(input.parts, input.ink, {options.minFidelity}, out, err);
}

int importParts(const std::vector<Part>& parts, const InkRules& ink, const BuildOptions& options,
                std::ostream& out, std::ostream& err, LogoBuild* record) {
    SearchProgress progress{&err, std::chrono::steady_clock::now()};
    LogoBuild build = buildLogo(parts, ink, options, progress);
    int status = exitDone;
    if (build.refusal != Refusal::none) {
        ImportFailure refusal = refusalOf(parts, build);
        err << failureLine(refusal) << "\n";
        status = refusal.status;
    } else {
        writeLogo(build.chosen.layout, out);
        writeReport(parts, build, err);
    }
    if (record != nullptr) {
        *record = std::move(build);
    }
    return status;
}
