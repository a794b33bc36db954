// The reader of logo.txt against its floor: one load of the sample logo, of the full file
// and of files from 10 to 100000 points, each beside one pass of plain fgets (80-byte
// buffer, no parsing) over the same open stream, and the ratio of the two.
#include "alloc_count.h"
#include "outline.h"
#include "outline_files.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Subject {
    std::string name;
    std::string path;
    bool temporary;
    FILE* stream;
    long bytes;
};

std::vector<Subject> subjects;

void countBytes(benchmark::State& state, const Subject& subject, long allocationsBefore) {
    double allocations = static_cast<double>(allocationCount() - allocationsBefore);
    state.SetBytesProcessed(state.iterations() * subject.bytes);
    state.counters["allocs/load"] = allocations / state.iterations();
}

void loadBench(benchmark::State& state, const Subject* subject) {
    useOutlineStream(subject->stream);
    loadOutline(); // the stream's buffer is allocated by the first read
    long before = allocationCount();
    for (auto _ : state) {
        loadOutline();
        benchmark::ClobberMemory();
    }
    countBytes(state, *subject, before);
}

// The floor: what reading the lines costs with nothing done to them.
void fgetsBench(benchmark::State& state, const Subject* subject) {
    char line[outlineLineBuffer];
    long before = allocationCount();
    for (auto _ : state) {
        std::fseek(subject->stream, 0, SEEK_SET);
        while (std::fgets(line, sizeof line, subject->stream)) {
            benchmark::DoNotOptimize(line);
        }
    }
    countBytes(state, *subject, before);
}

// Prints as the console does, but of repeated runs only the median, and keeps each
// printed run's CPU time per load, in seconds.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> cpuTime;

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            bool repeated = run.repetitions > 1;
            if (repeated ? run.aggregate_name == "median" : run.run_type == Run::RT_Iteration) {
                shown.push_back(run);
                cpuTime[run.run_name.function_name] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        if (!shown.empty()) {
            ConsoleReporter::ReportRuns(shown);
        }
    }
};

bool openSubjects() {
    subjects.push_back({"sample", SAMPLE_LOGO, false, nullptr, 0});
    for (const BenchFile& file : benchFiles) {
        std::string path = writeTemporaryFile(outlineText(file.pPoints, file.tpPoints));
        subjects.push_back({file.name, path, true, nullptr, 0});
    }
    for (Subject& subject : subjects) {
        subject.stream = subject.path.empty() ? nullptr : std::fopen(subject.path.c_str(), "r");
        if (subject.stream == nullptr) {
            std::fprintf(stderr, "cannot open %s\n", subject.path.c_str());
            return false;
        }
        std::fseek(subject.stream, 0, SEEK_END);
        subject.bytes = std::ftell(subject.stream);
    }
    return true;
}

void closeSubjects() {
    for (Subject& subject : subjects) {
        if (subject.stream) {
            std::fclose(subject.stream);
        }
        if (subject.temporary && !subject.path.empty()) {
            unlink(subject.path.c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!openSubjects()) {
        closeSubjects();
        return 1;
    }
    for (const Subject& subject : subjects) {
        benchmark::RegisterBenchmark(("load/" + subject.name).c_str(), loadBench, &subject);
        benchmark::RegisterBenchmark(("fgets/" + subject.name).c_str(), fgetsBench, &subject);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nloadOutline against the plain fgets floor (CPU time per load; the median "
                "when repeated):\n");
    for (const Subject& subject : subjects) {
        auto load = reporter.cpuTime.find("load/" + subject.name);
        auto floor = reporter.cpuTime.find("fgets/" + subject.name);
        if (load == reporter.cpuTime.end() || floor == reporter.cpuTime.end()) {
            continue;
        }
        std::printf("  %-14s %8ld bytes: load %9.2f us (%6.1f MB/s), fgets %9.2f us, "
                    "ratio %.2f%s\n",
                    subject.name.c_str(), subject.bytes, load->second * 1e6,
                    subject.bytes / load->second / 1e6, floor->second * 1e6,
                    load->second / floor->second,
                    subject.name == benchFiles[0].name ? " (goal <= 1.5)" : "");
    }
    closeSubjects();
    return 0;
}
