// The frame cycle's own work never allocates: thousands of loads of a real file, after a
// warm-up, make no call to the heap. The test binary counts heap calls itself.
#include "animation.h"
#include "logo_file.h"
#include "outline.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Volatile: the compiler may assume that malloc and free touch no variable of the program.
volatile bool counting = false;
volatile long allocations = 0;

void noteAllocation() {
    if (counting) {
        allocations = allocations + 1;
    }
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer owns malloc and operator new; it tells a hook about every allocation.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*,
                                                                          size_t),
                                                         void (*onFree)(const volatile void*));

namespace {

void onMalloc(const volatile void*, size_t) {
    noteAllocation();
}

void onFree(const volatile void*) {}

const bool hooksInstalled = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;

} // namespace
#else
// The C library's allocator, reached past these definitions, which take every call made
// in the process (operator new and the C library's own calls included).
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);
extern "C" void* __libc_memalign(size_t alignment, size_t size);

extern "C" void* malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size) {
    noteAllocation();
    return __libc_realloc(block, size);
}

extern "C" void* memalign(size_t alignment, size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

namespace {
const bool hooksInstalled = true;
}
#endif

namespace {

// Heap calls made by what runs between start and stop.
template <typename Work> long allocationsDuring(Work work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}

} // namespace

TEST(FrameCycle, LoadsDoNotAllocate) {
    ASSERT_TRUE(hooksInstalled);
    // The counter sees the allocations it is meant to see, in C and in C++.
    EXPECT_GT(allocationsDuring([] {
                  void* volatile block = std::malloc(16);
                  std::free(block);
              }),
              0);
    // Kept in a volatile pointer, or the compiler may leave out the new and delete pair.
    EXPECT_GT(allocationsDuring([] {
                  static long* volatile number;
                  number = new long(7);
                  delete number;
              }),
              0);
    // The program's own stream on logo.txt, here a link to the fixture, checked before every
    // load for a new file under the name.
    char folder[] = "/tmp/logotipo-allocation-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    char home[4096];
    ASSERT_NE(getcwd(home, sizeof home), nullptr);
    ASSERT_EQ(chdir(folder), 0);
    ASSERT_EQ(symlink(TEST_DATA_DIR "/every_line_kind.txt", "logo.txt"), 0);
    resetOutline();
    bool opened = false;
    EXPECT_GT(allocationsDuring([&] { opened = openLogoFile(); }), 0);
    ASSERT_TRUE(opened);
    FILE* stream = outlineFile;

    // The first reads give the stream its buffer.
    for (int i = 0; i < 3; ++i) {
        followLogoFile();
        loadOutline();
        advanceAnimation();
    }
    OutlinePoint firstP = pTable[1];
    OutlinePoint lastTp = tpTable[3];

    long during = allocationsDuring([] {
        for (int i = 0; i < 5000; ++i) {
            followLogoFile();
            loadOutline();
            advanceAnimation();
        }
    });
    EXPECT_EQ(during, 0);

    // The loads did read the file: the whole fixture, to its last TP point.
    EXPECT_EQ(pTable[1].polygonId, firstP.polygonId);
    EXPECT_EQ(pTable[1].x, -2.8);
    EXPECT_EQ(pTable[839].polygonId, 3);
    EXPECT_EQ(tpTable[3].polygonId, 2);
    EXPECT_EQ(tpTable[3].x, lastTp.x);
    EXPECT_EQ(tpTable[3].y, -0.15);
    EXPECT_EQ(tpTable[4].polygonId, 0);
    EXPECT_EQ(outlineFile, stream);
    std::fclose(stream);
    outlineFile = nullptr;
    unlink("logo.txt");
    ASSERT_EQ(chdir(home), 0);
    rmdir(folder);
}
