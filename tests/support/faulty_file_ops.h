// File operations that fail one chosen system call, for proving that a save leaves the old file intact.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/safe_save.h"

// Fails the call numbered `failAt` (counting every call) with `err`; writes at most `chunk` bytes.
struct FaultyOps : IFileOps {
    int failAt = -1, err = EIO, calls = 0;
    size_t chunk = SIZE_MAX;
    bool Fail() {
        if (calls++ == failAt) {
            errno = err;
            return true;
        }
        return false;
    }
    int Open(const char* p, int f, mode_t m) override { return Fail() ? -1 : IFileOps::Open(p, f, m); }
    ssize_t Write(int fd, const void* d, size_t n) override {
        return Fail() ? -1 : IFileOps::Write(fd, d, std::min(n, chunk));
    }
    int Fsync(int fd) override { return Fail() ? -1 : IFileOps::Fsync(fd); }
    int Close(int fd) override {
        if (Fail()) {
            IFileOps::Close(fd);  // close reports an error after releasing the descriptor
            return -1;
        }
        return IFileOps::Close(fd);
    }
    int Rename(const char* a, const char* b) override { return Fail() ? -1 : IFileOps::Rename(a, b); }
    int Unlink(const char* p) override { return IFileOps::Unlink(p); }
};
