// import: reads the mark and sets the name, then hands both to the pipeline; every failure of
// the input ends here as one line and a status.
#include "import.h"

#include "colour.h"
#include "pipeline.h"
#include "raster.h"
#include "svg.h"
#include "text.h"

#include <sys/stat.h>

#include <cerrno>
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

// Where a failure points: the SVG file and its line, or the program alone.
std::string origin(const std::string& file, int line) {
    if (file.empty()) {
        return "logotipo-outline import: ";
    }
    return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": ";
}

} // namespace

int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err,
               ImportSummary* summary) {
    InkRules ink;
    std::vector<Part> parts;
    std::string file;
    try {
        ink.red = parseColours(options.red, "--red");
        ink.dark = parseColours(options.dark, "--dark");
        if (!options.svgPath.empty()) {
            file = options.svgPath;
            std::string bytes = readFile(options.svgPath);
            parts.push_back({"mark", isPicture(bytes) ? readPicture(bytes, {options.darkness,
                                                                            options.force}, ink)
                                                      : readSvg(bytes)});
            file.clear();
        }
        if (!options.text.empty()) {
            Part name{"name", setText(options.text, options.font, options.direction)};
            if (!parts.empty()) {
                placeUnder(parts.front().drawing, &name.drawing);
            }
            parts.push_back(std::move(name));
        }
    } catch (const ImportError& error) {
        err << origin(file, error.line) << error.what() << "\n";
        return importBadInput;
    } catch (const PictureRefused& refusal) {
        err << origin(file, 0) << refusal.what() << "\n";
        return importNothing;
    }
    for (const Part& part : parts) {
        for (const std::string& note : part.drawing.notes) {
            err << (part.name == "mark" ? options.svgPath + ": " : std::string()) << note << "\n";
        }
    }
    BuildOptions build;
    build.minFidelity = options.minFidelity;
    return buildLogo(parts, ink, out, err, build, summary);
}
