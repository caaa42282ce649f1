// The version note reader on arbitrary file bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int fd = memfd_create("module_version", 0);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
    CModuleVersion version;
    ReadModuleVersion("/proc/self/fd/" + std::to_string(fd), version);
    return 0;
}
