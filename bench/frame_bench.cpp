// Frames per second of the program's frame cycle in its 500x500 window, beside the same
// cycle with the outline read once beforehand and a frame that only clears and swaps, for
// the sample logo, the full file and files from 10 to 100000 points.
// Usage: frame_bench [frames per batch [rounds [file]]], file being one of the names in the
// report ("sample", "full", "points:10", ...) to run alone. Each round runs one batch of
// every variant in turn, so that load from elsewhere on the machine falls on all alike.
#include "alloc_count.h"
#include "animation.h"
#include "outline.h"
#include "outline_files.h"
#include "render.h"
#include "shell.h"

#include <GL/glut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void keepTables() {}

// The program's frame cycle without its read: the tables keep what one load put in them.
void readOnceFrame() {
    runFrame(keepTables);
}

// The window's floor.
void clearSwapFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutPostRedisplay();
    glutSwapBuffers();
}

struct Variant {
    void (*frame)();
    int file; // index into files, -1 for none
    std::vector<double> fps, cpuMs, allocations;
};

struct File {
    std::string name;
    FILE* stream;
    double goal; // the least real/once ratio wanted, 0 for none
};

std::vector<File> files;
std::vector<Variant> variants; // per file: the real cycle, then read once; clear and swap last
constexpr int warmUpFrames = 10;
// The scale pulses over 80 frames: a multiple of that draws the same sizes in every batch.
int frames = 80;
int rounds = 10;

int roundsDone = 0, current = 0, frameInBatch = -warmUpFrames;

// The variant of the current batch: every other round runs each file's pair the other way
// round, so that neither of the two always follows the same batch.
Variant& currentVariant() {
    bool swapped = roundsDone % 2 == 1 && current + 1 < static_cast<int>(variants.size());
    return variants[swapped ? current ^ 1 : current];
}
const AnimationState startAnimation = animation;
std::chrono::steady_clock::time_point started;
double cpuStarted;
long allocationsAtStart;

double processCpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Medians over the rounds of per-round comparisons, so that slow rounds cancel out.
double medianRatio(const std::vector<double>& top, const std::vector<double>& bottom) {
    std::vector<double> ratios;
    for (size_t i = 0; i < top.size(); ++i) {
        ratios.push_back(top[i] / bottom[i]);
    }
    return median(ratios);
}

// Milliseconds a frame at the first rate takes longer than one at the second.
double medianExtraMs(const std::vector<double>& slowFps, const std::vector<double>& fastFps) {
    std::vector<double> extra;
    for (size_t i = 0; i < slowFps.size(); ++i) {
        extra.push_back(1e3 / slowFps[i] - 1e3 / fastFps[i]);
    }
    return median(extra);
}

void report() {
    std::printf("frame cycle in a 500x500 window: %d frames per batch, %d rounds, medians\n",
                frames, rounds);
    std::printf("renderer: %s, OpenGL %s\n", glGetString(GL_RENDERER), glGetString(GL_VERSION));
    const Variant& floor = variants.back();
    double floorFps = median(floor.fps);
    std::printf("%-14s %18s %18s %8s %8s %8s %14s\n", "", "real cycle", "read once", "real/",
                "reading", "drawing", "allocations");
    std::printf("%-14s %9s %8s %9s %8s %8s %8s %8s %14s\n", "file", "fps", "cpu ms", "fps",
                "cpu ms", "once", "ms", "ms", "real - once");
    for (size_t file = 0; file < files.size(); ++file) {
        const Variant& real = variants[2 * file];
        const Variant& once = variants[2 * file + 1];
        double realFps = median(real.fps), onceFps = median(once.fps);
        std::printf("%-14s %9.1f %8.3f %9.1f %8.3f %8.3f %8.3f %8.3f %14.2f\n",
                    files[file].name.c_str(), realFps, median(real.cpuMs), onceFps,
                    median(once.cpuMs), medianRatio(real.fps, once.fps),
                    medianExtraMs(real.fps, once.fps), medianExtraMs(once.fps, floor.fps),
                    median(real.allocations) - median(once.allocations));
    }
    std::printf("%-14s %9.1f %8.3f   (the window's floor)\n", "clear and swap", floorFps,
                median(floor.cpuMs));
    std::printf("allocations per frame, counted over the whole process (GL driver included): "
                "%.2f in clear and swap;",
                median(floor.allocations));
    for (size_t file = 0; file < files.size(); ++file) {
        std::printf(" %.2f in the real cycle (%s)%s", median(variants[2 * file].allocations),
                    files[file].name.c_str(), file + 1 < files.size() ? "," : "\n");
    }
    for (size_t file = 0; file < files.size(); ++file) {
        if (files[file].goal > 0) {
            std::printf("goal: real/once >= %.2f (%s): %.3f\n", files[file].goal,
                        files[file].name.c_str(),
                        medianRatio(variants[2 * file].fps, variants[2 * file + 1].fps));
        }
    }
    std::printf("reading = 1/fps(real) - 1/fps(once), drawing = 1/fps(once) - 1/fps(clear and "
                "swap), each the median over the rounds; cpu ms: all threads of this process\n");
}

// Starts a batch from the program's first frame: fresh tables and animation.
void beginBatch(const Variant& variant) {
    if (variant.file >= 0) {
        loadOutlineFrom(files[variant.file].stream);
        useOutlineStream(files[variant.file].stream);
    }
    animation = startAnimation;
}

// The display callback: warm-up frames, then the timed ones, then the next batch.
void benchFrame() {
    Variant& variant = currentVariant();
    if (frameInBatch == 0) {
        animation = startAnimation;
        allocationsAtStart = allocationCount();
        cpuStarted = processCpuSeconds();
        started = std::chrono::steady_clock::now();
    }
    variant.frame();
    if (++frameInBatch < frames) {
        return;
    }
    glFinish();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    variant.fps.push_back(frames / took.count());
    variant.cpuMs.push_back((processCpuSeconds() - cpuStarted) * 1e3 / frames);
    variant.allocations.push_back(static_cast<double>(allocationCount() - allocationsAtStart) /
                                  frames);
    if (++current == static_cast<int>(variants.size())) {
        current = 0;
        if (++roundsDone == rounds) {
            report();
            std::exit(0);
        }
    }
    frameInBatch = -warmUpFrames;
    beginBatch(currentVariant());
}

// The sample logo and the generated files, or only the one named; the generated ones are
// gone from the folder once open.
bool openFiles(const char* only) {
    files.push_back({"sample", std::fopen(SAMPLE_LOGO, "r"), 0.95});
    for (const BenchFile& file : benchFiles) {
        std::string path = writeTemporaryFile(outlineText(file.pPoints, file.tpPoints));
        double goal = &file == &benchFiles[0] ? 0.8 : 0;
        files.push_back({file.name, path.empty() ? nullptr : std::fopen(path.c_str(), "r"), goal});
        if (!path.empty()) {
            unlink(path.c_str());
        }
    }
    if (only) {
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [only](const File& file) { return file.name != only; }),
                    files.end());
    }
    for (size_t file = 0; file < files.size(); ++file) {
        if (files[file].stream == nullptr) {
            return false;
        }
        variants.push_back({drawFrame, static_cast<int>(file), {}, {}, {}});
        variants.push_back({readOnceFrame, static_cast<int>(file), {}, {}, {}});
    }
    variants.push_back({clearSwapFrame, -1, {}, {}, {}});
    return !files.empty();
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    if (argc > 1) {
        frames = std::max(1, std::atoi(argv[1]));
    }
    if (argc > 2) {
        rounds = std::max(1, std::atoi(argv[2]));
    }
    if (!openFiles(argc > 3 ? argv[3] : nullptr)) {
        std::fputs("cannot write or open the outline files\n", stderr);
        return 1;
    }
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(500, 500);
    glutInitWindowPosition(100, 50);
    glutCreateWindow("frame_bench");
    setupScene();
    glutDisplayFunc(benchFrame);
    glutReshapeFunc(onReshape);
    beginBatch(variants[0]);
    glutMainLoop();
    return 0;
}
