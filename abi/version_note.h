// The version note of a plug-in library: an ELF note in section ".note.cvl.version", owner
// "Corvalen", type 1, whose descriptor is four 16-bit parts (major, minor, build, revision,
// little-endian) followed by the product version text in UTF-8 (NUL-terminated). The loader reads
// it from the file before loading the library. Declare one in a plug-in with
//   CVL_VERSION_NOTE(2, 0, 0, 0, "2.0.0.0");
#pragma once

#include <cstdint>

#define CVL_VERSION_NOTE_SECTION ".note.cvl.version"
#define CVL_VERSION_NOTE_OWNER "Corvalen"
#define CVL_VERSION_NOTE_TYPE 1

// The product text must be a string literal of at most 31 characters.
#define CVL_VERSION_NOTE(maj, min, bld, rev, product)                                                     \
    extern "C" __attribute__((used, section(CVL_VERSION_NOTE_SECTION), aligned(4))) const struct {        \
        uint32_t namesz, descsz, type;                                                                    \
        char name[12];                                                                                    \
        uint16_t parts[4];                                                                                \
        char text[32];                                                                                    \
    } cvl_version_note = {9, 8 + 32, CVL_VERSION_NOTE_TYPE, CVL_VERSION_NOTE_OWNER, {maj, min, bld, rev}, \
                          product}
