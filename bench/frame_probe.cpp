// Preloaded into the program by the watch benchmark: hashes the glVertex3f arguments of each
// frame and, at the buffer swap of a frame whose hash differs from the frame before (a new
// outline: the vertices stay the same while only the transform turns), writes the time of
// the swap (CLOCK_MONOTONIC, nanoseconds) and the hash to the descriptor LOGOTIPO_PROBE_FD.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint64_t hashStart = 1469598103934665603ULL; // FNV-1a
uint64_t frameHash = hashStart;
uint64_t lastHash = 0;

void mix(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        frameHash = (frameHash ^ bytes[i]) * 1099511628211ULL;
    }
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" void glVertex3f(float x, float y, float z) {
    using Real = void (*)(float, float, float);
    static Real real = next<Real>("glVertex3f");
    float vertex[3] = {x, y, z};
    mix(vertex, sizeof vertex);
    real(x, y, z);
}

extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
    using Real = void (*)(void*, unsigned long);
    static Real real = next<Real>("glXSwapBuffers");
    static int fd =
        std::getenv("LOGOTIPO_PROBE_FD") ? std::atoi(std::getenv("LOGOTIPO_PROBE_FD")) : -1;
    if (frameHash != lastHash && fd >= 0) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        char line[64];
        int size = std::snprintf(line, sizeof line, "%lld %016llx\n",
                                 now.tv_sec * 1000000000LL + now.tv_nsec,
                                 static_cast<unsigned long long>(frameHash));
        if (write(fd, line, static_cast<size_t>(size)) < 0) {
            fd = -1;
        }
    }
    lastHash = frameHash;
    frameHash = hashStart;
    real(display, drawable);
}
