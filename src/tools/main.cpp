// logotipo-outline: the command line of the tools for logo authors.
#include "outlinetool.h"

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iostream>

namespace {

const char* const usage = "usage: logotipo-outline check [FILE]\n"
                          "       logotipo-outline format [FILE]\n"
                          "       logotipo-outline --help\n";

const char* const help =
    "Tools for writing the logo.txt that logotipo shows.\n"
    "\n"
    "check [FILE]   Loads FILE (default logo.txt) once, exactly as the program's first\n"
    "               frame does, and lists each polygon of the P and TP tables (id, point\n"
    "               count, bounds, colour: red for P ids 1-3, dark for P ids 4 and up, TP\n"
    "               face) with the totals per table. Then it warns, with line numbers,\n"
    "               about what the program reads differently from what was likely meant:\n"
    "               skipped lines and TL stretches, points past slot 839, fields without\n"
    "               a number or with an infinity or NaN, text outside the fields, short\n"
    "               and blank lines that take bytes of an earlier line, lines over 78\n"
    "               characters, carriage returns, Ctrl-Z, polygons that one GL_POLYGON\n"
    "               draws wrongly (concave, crossing, flat) or with under three points,\n"
    "               and points that leave the view.\n"
    "               View rule: the logo is drawn up to scale 2 about (-2.57, 0.01), rotated\n"
    "               every way, in a view reaching 1 unit from its centre; a point 0.1 deep\n"
    "               (a back face) stays in view iff 2 * sqrt(dx^2 + dy^2 + 0.1^2) <= 1,\n"
    "               that is, iff it lies within 0.4899 of (-2.57, 0.01) in x-y.\n"
    "               Exit status: 0 no warning, 1 warnings, 2 FILE cannot be read.\n"
    "\n"
    "format [FILE]  Reads free-form outline from FILE (default standard input) and writes\n"
    "               logo.txt on standard output. Input: header lines P, TP and TL as in\n"
    "               logo.txt (text after the header word is kept); point lines of two\n"
    "               decimal numbers separated by blanks or a comma; # starts a comment;\n"
    "               blank lines are ignored. Each number is written right-aligned in its\n"
    "               7-character field (x in columns 24-30, y in 37-43) as the text that the\n"
    "               program reads back nearest to it (among those as near, plain decimals\n"
    "               before exponent forms, then the shortest). A TL stretch hides\n"
    "               everything up to the next TP header, as in the program.\n"
    "               Refused, with the line number, and then nothing is written: a number\n"
    "               whose nearest 7-character text is off by more than 0.0005 (an eighth of\n"
    "               a pixel at scale 1), a point before any header, a 840th point of one\n"
    "               table, a header line over 78 characters or with control characters,\n"
    "               and any other line.\n"
    "               Exit status: 0 written, 1 refused, 2 FILE cannot be read.\n"
    "\n"
    "Usage errors exit with status 2.\n";

int usageError(const char* problem) {
    std::cerr << "logotipo-outline: " << problem << "\n" << usage;
    return toolUnreadable;
}

bool isHelp(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usageError("no command given");
    }
    const char* command = argv[1];
    for (int i = 1; i < argc; ++i) {
        if (isHelp(argv[i])) {
            std::cout << usage << "\n" << help;
            return toolClean;
        }
    }
    if (argc > 3) {
        return usageError("too many arguments");
    }
    const char* file = argc == 3 ? argv[2] : nullptr;
    if (file != nullptr && file[0] == '-' && file[1] != '\0') {
        return usageError("unknown option");
    }
    if (std::strcmp(command, "check") == 0) {
        return checkOutline(file ? file : "logo.txt", std::cout, std::cerr);
    }
    if (std::strcmp(command, "format") == 0) {
        if (file == nullptr || std::strcmp(file, "-") == 0) {
            return formatOutline(std::cin, std::cout, std::cerr);
        }
        struct stat status;
        std::ifstream in(file);
        if (!in || (stat(file, &status) == 0 && S_ISDIR(status.st_mode))) {
            std::cerr << "logotipo-outline: cannot open " << file << "\n";
            return toolUnreadable;
        }
        return formatOutline(in, std::cout, std::cerr);
    }
    return usageError("unknown command");
}
