// import of PDF and EPS files: corpus SVGs made into PDF and EPS by librsvg (cairo) must give
// the logo the SVG itself gives; broken, locked, many-page and hostile files, and a missing
// converter, get their one line and leave no temporary folder behind.
#include "convert.h"
#include "import.h"
#include "logo_properties.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string corpus = std::string(TEST_DATA_DIR) + "/corpus/";

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A temporary folder that is also TMPDIR while the tests run, so that what the converter
// leaves behind shows; one a process, since ctest runs these cases side by side.
class ConvertTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string pattern = testing::TempDir() + "import_convert_test-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr) << pattern;
        folder = pattern;
        setenv("TMPDIR", folder.c_str(), 1);
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }

    void TearDown() override {
        int left = 0;
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir)) {
                left += std::string(entry->d_name).compare(0, 9, "logotipo-") == 0;
            }
            closedir(dir);
        }
        EXPECT_EQ(left, 0) << "a temporary folder of the converter is left in " << folder;
    }

    // Runs a command of the test's own (librsvg, ghostscript) that makes a fixture.
    static std::string make(const std::string& name, const std::string& command) {
        std::string path = folder + "/" + name;
        std::string line = command + " >'" + path + "' 2>/dev/null";
        EXPECT_EQ(std::system(line.c_str()), 0) << line;
        return path;
    }

    static std::string write(const std::string& name, const std::string& bytes) {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static Logo importPath(const std::string& path) {
        ImportOptions options;
        options.svgPath = path;
        return importAndExamine(options);
    }

    static std::string folder;
};

std::string ConvertTest::folder;

ClipperLib::Paths sectionsOf(const Logo& logo, bool redOnly) {
    ClipperLib::Paths paths;
    for (const Section& section : logo.sections) {
        if (!redOnly || (!section.tp && section.id <= 3)) {
            paths.push_back(section.points);
        }
    }
    return paths;
}

double iou(const ClipperLib::Paths& a, const ClipperLib::Paths& b) {
    double both = areaOf(a, b, ClipperLib::ctUnion);
    return both > 0 ? areaOf(a, b, ClipperLib::ctIntersection) / both : 1;
}

// Files of every set: fills, strokes, even-odd holes, gradients, a flag with red.
TEST_F(ConvertTest, PdfAndEpsOfAnSvgGiveTheSvgsLogo) {
    for (const char* name :
         {"bootstrap/bookmark-star.svg", "feather/life-buoy.svg", "brands/hp.svg", "flags/ch.svg",
          "fxemoji/u1F306-cityscapeatdusk.svg"}) {
        SCOPED_TRACE(name);
        Logo svg = importPath(corpus + name);
        ASSERT_EQ(svg.status, exitDone) << svg.report;
        for (const char* format : {"pdf", "eps"}) {
            SCOPED_TRACE(format);
            std::string path =
                make(std::string("converted.") + format,
                     std::string("rsvg-convert -f ") + format + " '" + corpus + name + "'");
            Logo converted = importPath(path);
            ASSERT_EQ(converted.status, exitDone) << converted.report;
            EXPECT_GE(iou(sectionsOf(svg, false), sectionsOf(converted, false)), 0.99);
            EXPECT_GE(iou(sectionsOf(svg, true), sectionsOf(converted, true)), 0.99);
        }
    }
}

// One PDF serves the refusals made from it; each is one line naming the file.
TEST_F(ConvertTest, RefusesWhatCannotBeReadInOneLine) {
    std::string pdf = make("mark.pdf", "rsvg-convert -f pdf '" + corpus + "flags/ch.svg'");
    std::string bytes = slurp(pdf);
    std::string gs = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=- ";
    struct Case {
        std::string path, says;
    } cases[] = {
        {make("locked.pdf", gs + "-sOwnerPassword=o -sUserPassword=u '" + pdf + "'"),
         "password-protected"},
        {make("cut.pdf", "head -c " + std::to_string(bytes.size() / 2) + " '" + pdf + "'"),
         "damaged"},
        {make("empty.pdf", "true"), "empty"},
        {make("wrong.eps", "printf '%%!PS-Adobe-3.0 EPSF-3.0\\nnosuchoperator\\n'"), "gs failed"},
        // A DOS EPS header whose PostScript lies past the end of the file.
        {write("bad.eps",
               std::string("\xC5\xD0\xD3\xC6\x1E\0\0\0\xFF\xFF\0\0", 12) + std::string(40, '\0')),
         "outside the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Logo logo = importPath(c.path);
        EXPECT_EQ(logo.status, exitBadInput);
        EXPECT_TRUE(logo.text.empty());
        EXPECT_EQ(logo.report.find('\n'), logo.report.size() - 1) << logo.report;
        EXPECT_EQ(logo.report.rfind(c.path + ":", 0), 0u) << logo.report;
        EXPECT_NE(logo.report.find(c.says), std::string::npos) << logo.report;
    }
}

TEST_F(ConvertTest, TakesTheFirstOfManyPagesWithANote) {
    std::string first = make("first.pdf", "rsvg-convert -f pdf '" + corpus + "flags/ch.svg'");
    std::string other = make("other.pdf", "rsvg-convert -f pdf '" + corpus + "brands/hp.svg'");
    std::string three = make("three.pdf", "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite "
                                          "-sOutputFile=- '" +
                                              first + "' '" + other + "' '" + other + "'");
    Logo many = importPath(three), one = importPath(first);
    ASSERT_EQ(many.status, exitDone) << many.report;
    EXPECT_NE(many.report.find("3 pages: only the first is imported"), std::string::npos);
    EXPECT_GE(iou(sectionsOf(many, false), sectionsOf(one, false)), 0.99);
}

// The same EPS bare and behind a DOS EPS binary header (a TIFF preview would follow it).
TEST_F(ConvertTest, ReadsTheDosEpsBinaryHeader) {
    std::string eps = slurp(make("mark.eps", "rsvg-convert -f eps '" + corpus + "flags/ch.svg'"));
    std::string header = "\xC5\xD0\xD3\xC6";
    for (unsigned long word : {30ul, static_cast<unsigned long>(eps.size()), 0ul, 0ul, 0ul, 0ul}) {
        for (int i = 0; i < 4; ++i) {
            header += static_cast<char>(word >> (8 * i) & 0xFF);
        }
    }
    header += "\xFF\xFF";
    std::string binary = write("binary.eps", header + eps + "preview");
    EXPECT_EQ(fileKind(header + eps), FileKind::dosEps);
    Logo bare = importPath(folder + "/mark.eps"), wrapped = importPath(binary);
    ASSERT_EQ(wrapped.status, exitDone) << wrapped.report;
    EXPECT_EQ(wrapped.text, bare.text);
}

TEST_F(ConvertTest, AMissingConverterIsOneLine) {
    std::string pdf = make("mark.pdf", "rsvg-convert -f pdf '" + corpus + "flags/ch.svg'");
    std::string path = std::getenv("PATH");
    setenv("PATH", folder.c_str(), 1);
    Logo logo = importPath(pdf);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(logo.status, exitBadInput);
    EXPECT_EQ(logo.report, pdf + ": pdfinfo is not installed (Debian package poppler-utils): PDF "
                                 "files cannot be imported\n");
}

// A converter that runs on past its time, or writes past its file limit, is stopped.
TEST_F(ConvertTest, BoundsTheConvertersTimeAndOutput) {
    ProgramLimits limits;
    limits.seconds = 1;
    try {
        convertToSvg("%!PS\n{} loop\n", FileKind::postscript, limits);
        ADD_FAILURE() << "an endless PostScript loop was converted";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("took longer than 1 s"), std::string::npos)
            << error.what();
    }
    limits = ProgramLimits();
    limits.fileBytes = 4096;
    std::string pages = "%!PS\n1 1 2000 { 72 72 moveto 100 0 rlineto 0 100 rlineto fill "
                        "showpage } for\n";
    try {
        convertToSvg(pages, FileKind::postscript, limits);
        ADD_FAILURE() << "2000 pages were written within 4 KiB";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("wrote more than"), std::string::npos)
            << error.what();
    }
}

TEST(FileKind, TellsFilesByTheirFirstBytesNotTheirName) {
    EXPECT_EQ(fileKind("%PDF-1.7\n"), FileKind::pdf);
    EXPECT_EQ(fileKind("junk\r\n%PDF-1.4\n"), FileKind::pdf);
    EXPECT_EQ(fileKind("%!PS-Adobe-3.0 EPSF-3.0\n"), FileKind::postscript);
    EXPECT_EQ(fileKind("<svg><!-- %PDF-1.4 --></svg>"), FileKind::svg);
    EXPECT_EQ(fileKind(std::string(2000, ' ') + "%PDF-1.4"), FileKind::svg);
    EXPECT_EQ(fileKind(""), FileKind::svg);
    PdfFacts facts =
        readPdfInfo("Title:  a\nPages: 9\nPages:           3\nEncrypted:       yes (print:no)\n");
    EXPECT_EQ(facts.pages, 3);
    EXPECT_TRUE(facts.encrypted);
    EXPECT_FALSE(readPdfInfo("Encrypted:       no\n").encrypted);
}

} // namespace
