// logotipo-outline: the command line of the tools for logo authors.
#include "import.h"
#include "ink.h"
#include "outline.h"
#include "outlinetool.h"
#include "watch.h"
#include "writer.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

const char* const usage =
    "usage: logotipo-outline check [FILE]\n"
    "       logotipo-outline format [FILE]\n"
    "       logotipo-outline import [--red COLOURS] [--dark COLOURS]\n"
    "                               [--text NAME]... [--font FONT] [--direction ltr|rtl]\n"
    "                               [--min-fidelity X] [-o FILE [--watch]] [FILE.svg]\n"
    "       logotipo-outline --help\n";

// The help, its numbers and defaults in braces, filled in from the constants they describe.
const char* const helpTemplate =
    "Tools for writing the logo.txt that logotipo shows.\n"
    "\n"
    "check [FILE]   Loads FILE (default logo.txt) once, exactly as the program's first\n"
    "               frame does, and lists each polygon of the P and TP tables (id, point\n"
    "               count, bounds, colour: red for P ids 1-3, dark for P ids 4 and up, TP\n"
    "               face) with the totals per table. Then it warns, with line numbers,\n"
    "               about what the program reads differently from what was likely meant:\n"
    "               skipped lines and TL stretches, points past slot {capacity}, fields without\n"
    "               a number or with an infinity or NaN, text outside the fields, short\n"
    "               and blank lines that take bytes of an earlier line, lines over {longest}\n"
    "               characters, carriage returns, Ctrl-Z, polygons that one GL_POLYGON\n"
    "               draws wrongly (concave, crossing, flat) or with under three points,\n"
    "               and points that leave the view.\n"
    "               View rule: the logo is drawn up to scale 2 about ({centreX}, {centreY}), "
    "rotated\n"
    "               every way, in a view reaching 1 unit from its centre; a point 0.1 deep\n"
    "               (a back face) stays in view iff 2 * sqrt(dx^2 + dy^2 + 0.1^2) <= 1,\n"
    "               that is, iff it lies within {reach} of ({centreX}, {centreY}) in x-y.\n"
    "               Exit status: 0 no warning, 1 warnings, 2 FILE cannot be read.\n"
    "\n"
    "format [FILE]  Reads free-form outline from FILE (default standard input) and writes\n"
    "               logo.txt on standard output. Input: header lines P, TP and TL as in\n"
    "               logo.txt (text after the header word is kept); point lines of two\n"
    "               decimal numbers separated by blanks or a comma; # starts a comment;\n"
    "               blank lines are ignored. Each number is written right-aligned in its\n"
    "               {field}-character field (x in columns {x0}-{x1}, y in {y0}-{y1}) as the text "
    "that the\n"
    "               program reads back nearest to it (among those as near, plain decimals\n"
    "               before exponent forms, then the shortest). A TL stretch hides\n"
    "               everything up to the next TP header, as in the program.\n"
    "               Refused, with the line number, and then nothing is written: a number\n"
    "               whose nearest {field}-character text is off by more than {formatTolerance} (an "
    "eighth of\n"
    "               a pixel at scale 1), a point before any header, a {slots}th point of one\n"
    "               table, a header line over {longest} characters or with control characters,\n"
    "               and any other line.\n"
    "               Exit status: 0 written, 1 refused, 2 FILE cannot be read.\n"
    "\n"
    "import [OPTIONS] [FILE.svg]\n"
    "               Writes on standard output a logo.txt that shows the SVG file's drawing\n"
    "               and, with --text, a name set in a font under it (or the name alone).\n"
    "               Every painted region becomes convex slabs: later shapes cover earlier\n"
    "               ones, white fills (every channel at least {white}) cut holes, transparent\n"
    "               ones cover nothing. Reddish fills (HSV hue within {hue} degrees of red,\n"
    "               saturation at least {saturation}, value at least {value}) become the red mark; "
    "all\n"
    "               other fills are dark. Only three convex pieces can be red: the three\n"
    "               largest are, the rest is drawn dark. The drawing is scaled and centred\n"
    "               into the view; curves are flattened as finely as the {capacity} points of "
    "each\n"
    "               table allow, keeping each curve's area. Translucent paint is mixed\n"
    "               with what lies under it, as a viewer shows it. The report on standard\n"
    "               error gives the tolerance, the points and pieces of each part, the red\n"
    "               area kept, the area drawn and each part's fidelity: the exact area of\n"
    "               overlap of the written sections with the drawing over that of their\n"
    "               union. A logo with a part below the floor is refused.\n"
    "               Text, images and filters in the SVG are left out, a line each.\n"
    "               A PDF file (an AI file saved PDF-compatible too), PostScript or EPS,\n"
    "               told by its first bytes whatever its name, is converted to SVG first:\n"
    "               its first page by pdftocairo (poppler-utils), PostScript and EPS by\n"
    "               ghostscript before that, each a separate program given 30 s and\n"
    "               64 MiB per file it writes. A file of several pages gives its first,\n"
    "               with a note.\n"
    "  --red COLOURS    fill colours (names, #rgb, #rrggbb, rgb(r,g,b), comma-separated) to\n"
    "                   draw red whatever their hue; may be repeated\n"
    "  --dark COLOURS   fill colours to draw dark whatever their hue\n"
    "  --text NAME      a line of the name (\\n in NAME or more --text options: more lines);\n"
    "                   a tab is a space, any other control character is refused; each\n"
    "                   line is laid out by the Unicode bidirectional algorithm, runs of\n"
    "                   left-to-right and right-to-left text in the order they are read\n"
    "  --font FONT      a fontconfig pattern or a font file (default \"{font}\");\n"
    "                   a pattern without a family, or a family not installed, is refused\n"
    "  --direction ltr|rtl\n"
    "                   each line's direction (default: that of its first letter of a\n"
    "                   strong direction)\n"
    "  -o FILE          write FILE (replaced whole, at once) instead of standard output\n"
    "  --watch          import again after every save of FILE.svg (and of the font, when\n"
    "                   --font names a file); needs -o. One line per import on standard\n"
    "                   error: the time, the points used, the fidelity when measured. A\n"
    "                   file that cannot be imported leaves FILE as it was, with one line\n"
    "                   saying why. Runs until interrupted (Ctrl-C, SIGTERM); status 0.\n"
    "  --min-fidelity X the fidelity floor, 0 to 1 (default {minFidelity})\n"
    "               Exit status: 0 written, 1 nothing visible, too detailed to fit or\n"
    "               below the fidelity floor, 2 a malformed file (with its line), a missing\n"
    "               font or glyph, a usage error; a PDF or EPS that is password-protected\n"
    "               or damaged, or whose converter is not installed, fails or passes its\n"
    "               limits (one line says which).\n"
    "\n"
    "Usage errors exit with status 2.\n";

std::string number(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string helpText() {
    const std::pair<const char*, std::string> values[] = {
        {"{capacity}", std::to_string(outlineCapacity)},
        {"{slots}", std::to_string(outlineSlots)},
        {"{longest}", std::to_string(outlineLongestLine)},
        {"{field}", std::to_string(outlineFieldChars)},
        {"{x0}", std::to_string(outlineXColumn)},
        {"{x1}", std::to_string(outlineXColumn + outlineFieldChars - 1)},
        {"{y0}", std::to_string(outlineYColumn)},
        {"{y1}", std::to_string(outlineYColumn + outlineFieldChars - 1)},
        {"{centreX}", number("%g", viewCentreX)},
        {"{centreY}", number("%g", viewCentreY)},
        {"{reach}", number("%.4f", viewReach)},
        {"{formatTolerance}", number("%g", formatTolerance)},
        {"{white}", std::to_string(whiteLevel)},
        {"{hue}", number("%g", redHue)},
        {"{saturation}", number("%g", redSaturation)},
        {"{value}", number("%g", redValue)},
        {"{font}", ImportOptions().font},
        {"{minFidelity}", number("%g", defaultMinFidelity)},
    };
    std::string text = helpTemplate;
    for (const auto& [key, value] : values) {
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, std::strlen(key), value);
        }
    }
    return text;
}

int usageError(const char* problem) {
    std::cerr << "logotipo-outline: " << problem << "\n" << usage;
    return exitBadInput;
}

bool isHelp(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

// check and format take at most one file and no option.
const char* onlyFile(int count, char** args, int* status) {
    if (count > 1) {
        *status = usageError("too many arguments");
        return nullptr;
    }
    const char* file = count == 1 ? args[0] : nullptr;
    if (file != nullptr && file[0] == '-' && file[1] != '\0') {
        *status = usageError("unknown option");
    }
    return file;
}

int runCheck(int count, char** args) {
    int status = -1;
    const char* file = onlyFile(count, args, &status);
    if (status >= 0) {
        return status;
    }
    return checkOutline(file ? file : "logo.txt", std::cout, std::cerr);
}

int runFormat(int count, char** args) {
    int status = -1;
    const char* file = onlyFile(count, args, &status);
    if (status >= 0) {
        return status;
    }
    if (file == nullptr || std::strcmp(file, "-") == 0) {
        return formatOutline(std::cin, std::cout, std::cerr);
    }
    struct stat fileStatus;
    std::ifstream in(file);
    if (!in || (stat(file, &fileStatus) == 0 && S_ISDIR(fileStatus.st_mode))) {
        std::cerr << "logotipo-outline: cannot open " << file << "\n";
        return exitBadInput;
    }
    return formatOutline(in, std::cout, std::cerr);
}

// import -o FILE: the report as without -o, FILE written only when the import succeeds.
int importToFile(const ImportOptions& options, const std::string& outPath) {
    std::ostringstream logo;
    int status = importLogo(options, logo, std::cerr);
    std::string problem;
    if (status == exitDone && !replaceFile(outPath, logo.str(), &problem)) {
        std::cerr << failureLine("cannot write " + outPath + ": " + problem) << "\n";
        return exitBadInput;
    }
    return status;
}

int runImport(int count, char** args) {
    ImportOptions options;
    std::string outPath;
    bool watch = false;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        bool valued = std::strcmp(arg, "--text") == 0 || std::strcmp(arg, "--font") == 0 ||
                      std::strcmp(arg, "--red") == 0 || std::strcmp(arg, "--dark") == 0 ||
                      std::strcmp(arg, "--direction") == 0 || std::strcmp(arg, "-o") == 0 ||
                      std::strcmp(arg, "--min-fidelity") == 0;
        if (valued) {
            if (i + 1 == count) {
                return usageError((std::string(arg) + " needs a value").c_str());
            }
            const char* value = args[++i];
            if (std::strcmp(arg, "--text") == 0) {
                options.text.push_back(value);
            } else if (std::strcmp(arg, "--font") == 0) {
                options.font = value;
            } else if (std::strcmp(arg, "--direction") == 0) {
                if (std::strcmp(value, "ltr") != 0 && std::strcmp(value, "rtl") != 0) {
                    return usageError("--direction takes ltr or rtl");
                }
                options.direction =
                    value[0] == 'l' ? TextDirection::leftToRight : TextDirection::rightToLeft;
            } else if (std::strcmp(arg, "-o") == 0) {
                outPath = value;
            } else if (std::strcmp(arg, "--min-fidelity") == 0) {
                char* end = nullptr;
                options.minFidelity = std::strtod(value, &end);
                if (end == value || *end != '\0' || !(options.minFidelity >= 0) ||
                    options.minFidelity > 1) {
                    return usageError("--min-fidelity needs a number from 0 to 1");
                }
            } else {
                (std::strcmp(arg, "--red") == 0 ? options.red : options.dark).push_back(value);
            }
        } else if (std::strcmp(arg, "--watch") == 0) {
            watch = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usageError("unknown option");
        } else if (!options.svgPath.empty()) {
            return usageError("too many arguments");
        } else {
            options.svgPath = arg;
        }
    }
    if (options.svgPath.empty() && options.text.empty()) {
        return usageError("import needs an SVG file, a --text, or both");
    }
    if (watch && outPath.empty()) {
        return usageError("--watch needs -o FILE");
    }
    if (watch) {
        return watchImport(options, outPath, std::cerr);
    }
    return outPath.empty() ? importLogo(options, std::cout, std::cerr)
                           : importToFile(options, outPath);
}

struct Command {
    const char* name;
    int (*run)(int count, char** args);
};

const Command commands[] = {
    {"check", runCheck},
    {"format", runFormat},
    {"import", runImport},
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usageError("no command given");
    }
    for (int i = 1; i < argc; ++i) {
        if (isHelp(argv[i])) {
            std::cout << usage << "\n" << helpText();
            return exitDone;
        }
    }
    for (const Command& command : commands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(argc - 2, argv + 2);
        }
    }
    return usageError("unknown command");
}
