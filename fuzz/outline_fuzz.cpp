// Fuzz target for the reader: each input is a logo.txt, loaded several times in a row
// through real streams, and anything a load must never do aborts the run.
#include "outline.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "outline_fuzz: %s\n", what);
        std::abort();
    }
}

const double zero = 0.0;

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Both tables as a load left them, up to the last slot with an id. Slots past it were
// never written since the tables were emptied (every write gives an id), so they are zero.
struct Snapshot {
    int extent[2];
    OutlinePoint slots[2][outlineSlots];
};

Snapshot loads[6];

// Checks what must hold after any load: slot 0 never written, no negative id.
void takeSnapshot(Snapshot& into) {
    const OutlinePoint* tables[2] = {pTable, tpTable};
    for (int kind = 0; kind < 2; ++kind) {
        const OutlinePoint* table = tables[kind];
        check(table[0].polygonId == 0 && sameBits(table[0].x, zero) && sameBits(table[0].y, zero),
              "slot 0 was written");
        int extent = 1;
        for (int slot = 1; slot < outlineSlots; ++slot) {
            check(table[slot].polygonId >= 0, "a negative polygon id");
            if (table[slot].polygonId != 0) {
                extent = slot + 1;
            }
        }
        into.extent[kind] = extent;
        std::memcpy(into.slots[kind], table, extent * sizeof table[0]);
    }
}

// Compared field by field: the padding in a slot is nobody's.
bool same(const Snapshot& a, const Snapshot& b) {
    for (int kind = 0; kind < 2; ++kind) {
        if (a.extent[kind] != b.extent[kind]) {
            return false;
        }
        for (int slot = 1; slot < a.extent[kind]; ++slot) {
            const OutlinePoint& p = a.slots[kind][slot];
            const OutlinePoint& q = b.slots[kind][slot];
            if (p.polygonId != q.polygonId || !sameBits(p.x, q.x) || !sameBits(p.y, q.y)) {
                return false;
            }
        }
    }
    return true;
}

// Into empty tables one load writes one run from slot 1 whose ids never fall.
void checkFirstLoad(const Snapshot& first) {
    for (int kind = 0; kind < 2; ++kind) {
        for (int slot = 1; slot < first.extent[kind]; ++slot) {
            int id = first.slots[kind][slot].polygonId;
            check(id != 0, "a gap in the slots of one load");
            check(slot == 1 || id >= first.slots[kind][slot - 1].polygonId,
                  "polygon ids fall within one load");
        }
    }
}

// The events a watcher gets must describe what the reader can do.
void watch(const OutlineEvent& event, void*) {
    check(std::memchr(event.line, 0, outlineLineBuffer) != nullptr, "line buffer unterminated");
    check(event.length >= 0 && event.length < outlineLineBuffer, "read length out of range");
    check(event.lineNumber >= 1 && event.carriageReturns >= 0, "line counts out of range");
    switch (event.kind) {
    case outlinePoint:
        check(event.slot >= 1 && event.slot < outlineSlots, "point stored outside the table");
        check(event.polygonId >= 1 && event.length >= 1, "point without id or characters");
        break;
    case outlineDropped:
        check(event.slot >= outlineSlots, "point dropped while its table had room");
        break;
    case outlinePHeader:
    case outlineTpHeader:
        check(event.polygonId >= 1 && event.length >= 1, "header without id or characters");
        break;
    default:
        break;
    }
}

// A stream on the input; its reads fail once, at a chosen offset in a chosen pass, and
// would succeed afterwards, so only the reader can keep later loads from reading.
struct Source {
    const uint8_t* bytes;
    size_t size;
    size_t position;
    int pass;      // the load now reading, from 1
    int failPass;  // 0: never fails
    size_t failAt; // offset of the failing read
    bool failed;
    int readsAfterFailure;
};

ssize_t sourceRead(void* cookie, char* buffer, size_t size) {
    auto* source = static_cast<Source*>(cookie);
    if (source->failed) {
        ++source->readsAfterFailure;
    }
    bool failing = source->failPass != 0 && !source->failed && source->pass == source->failPass;
    if (failing && source->position >= source->failAt) {
        source->failed = true;
        errno = EIO;
        return -1;
    }
    size_t end = failing ? source->failAt : source->size;
    size_t count = source->position < end ? end - source->position : 0;
    count = count < size ? count : size;
    std::memcpy(buffer, source->bytes + source->position, count);
    source->position += count;
    return static_cast<ssize_t>(count);
}

int sourceSeek(void* cookie, off64_t* offset, int whence) {
    auto* source = static_cast<Source*>(cookie);
    off64_t base = whence == SEEK_SET   ? 0
                   : whence == SEEK_CUR ? static_cast<off64_t>(source->position)
                                        : static_cast<off64_t>(source->size);
    off64_t target = base + *offset;
    if (target < 0 || static_cast<size_t>(target) > source->size) {
        return -1;
    }
    source->position = static_cast<size_t>(target);
    *offset = target;
    return 0;
}

// Load number pass (from 0) of a run on stream, as the program's frames load.
void load(FILE* stream, int pass, Snapshot& into, OutlineWatcher watcher = nullptr) {
    loadOutlineFrom(stream, watcher, nullptr, pass == 0 ? firstFrame : laterFrame);
    takeSnapshot(into);
}

FILE* openSource(Source& source) {
    cookie_io_functions_t functions{sourceRead, nullptr, sourceSeek, nullptr};
    FILE* stream = fopencookie(&source, "r", functions);
    check(stream != nullptr, "fopencookie failed");
    return stream;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Route one: fmemopen, three loads from the state the program starts in. The line
    // buffer outlives a load, so the first load may differ from the second; from the
    // second on, the tables stay the same.
    std::vector<char> copy(data, data + size);
    FILE* stream = fmemopen(copy.data(), copy.size(), "r");
    check(stream != nullptr, "fmemopen failed");
    for (int i = 0; i < 3; ++i) {
        load(stream, i, loads[i]);
    }
    checkFirstLoad(loads[0]);
    check(!ferror(stream), "fmemopen stream failed");
    check(same(loads[1], loads[2]), "second and third loads differ");
    std::fclose(stream);

    // Route two: the same bytes from a stream of our own, with a watcher installed, must
    // give the same tables load for load.
    Source plain{data, size, 0, 0, 0, 0, false, 0};
    stream = openSource(plain);
    for (int i = 0; i < 3; ++i) {
        load(stream, i, loads[3], watch);
        check(same(loads[3], loads[i]), "the two streams give different tables");
    }
    std::fclose(stream);

    // Route three: a read fails in the load and at the offset the first bytes choose.
    // Loads before it match route one; every load after it leaves the tables as they were
    // and reads nothing.
    uint32_t choice = 0;
    for (size_t i = 0; i < 3 && i < size; ++i) {
        choice |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    Source failing{data,  size, 0, 0, 1 + static_cast<int>(choice % 3), (choice / 3) % (size + 1),
                   false, 0};
    stream = openSource(failing);
    // Unbuffered: every fread of the reader goes straight to the source.
    setvbuf(stream, nullptr, _IONBF, 0);
    for (failing.pass = 1; failing.pass < failing.failPass; ++failing.pass) {
        load(stream, failing.pass - 1, loads[3]);
        check(same(loads[3], loads[failing.pass - 1]), "a load before the failure differs");
    }
    load(stream, failing.pass - 1, loads[4]);
    check(failing.failed && ferror(stream), "the read did not fail");
    for (int i = 0; i < 2; ++i) {
        ++failing.pass;
        load(stream, failing.pass - 1, loads[5]);
        check(same(loads[5], loads[4]), "a load after a failed read changed the tables");
    }
    check(failing.readsAfterFailure == 0, "the stream was read after it failed");
    std::fclose(stream);
    return 0;
}
