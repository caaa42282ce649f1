// Not a fuzz target: built and run like one, it overflows a signed int on the input "overflow" and
// must stop there, so the fuzz run cannot report undefined behaviour and go on exploring.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size != 8 || std::memcmp(data, "overflow", 8) != 0) return 0;
    volatile int big = INT_MAX;
    const int sum = big + static_cast<int>(size);
    std::printf("went on after undefined behaviour (%d)\n", sum);
    return 0;
}
