// Replaces the global allocation functions of the test program (the program's code is linked into it).
#include "tests/mainwin/freed_memory.h"

#include <windows.h>
#include <malloc.h>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr unsigned char kFreed = 0xDD;
constexpr size_t kKept = size_t{1} << 16;

// Plain data: usable before any constructor and after every destructor of the program.
void* gKept[kKept];
size_t gNext = 0;
int gTouched = 0;
volatile LONG gLock = 0;

struct Lock {
    Lock() {
        while (InterlockedExchange(&gLock, 1) != 0)
            SwitchToThread();
    }
    ~Lock() { InterlockedExchange(&gLock, 0); }
};

void GiveBack(void* block) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    const size_t size = _msize(block);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != kFreed) {
            ++gTouched;
            break;
        }
    }
    free(block);
}
} // namespace

void* operator new(size_t size) {
    if (void* block = malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    memset(block, kFreed, _msize(block));
    Lock lock;
    void*& slot = gKept[gNext++ % kKept];
    if (slot != nullptr) GiveBack(slot);
    slot = block;
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}

namespace testing {

int ReleaseFreedBlocks() {
    Lock lock;
    for (void*& slot : gKept) {
        if (slot != nullptr) GiveBack(slot);
        slot = nullptr;
    }
    const int touched = gTouched;
    gTouched = 0;
    return touched;
}

} // namespace testing
