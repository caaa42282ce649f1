// The whole reading of a data file: the compound file, the summary information and the document's
// archive. Whatever loads must store, load again and store to the same bytes.
#include <cstdint>
#include <vector>

#include "document/data_file.h"
#include "document/sheep_doc.h"
#include "document/summary_info.h"

namespace {

std::vector<uint8_t> Store(CSheepDoc& doc) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    doc.Serialize(ar);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> contents;
    CSummaryInfo summary;
    try {
        contents = ReadDataFileBytes(std::vector<uint8_t>(data, data + size), &summary);
    } catch (const CDataFileException&) {
        return 0;
    }
    CSheepDoc doc;
    try {
        CArchive ar{std::span<const uint8_t>(contents)};
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
        return 0;
    }
    std::vector<uint8_t> first;
    try {
        first = Store(doc);
    } catch (const CArchiveException&) {
        return 0;  // a page-setup distance the stored form cannot hold is refused, not cut
    }
    CSheepDoc again;
    CArchive ar{std::span<const uint8_t>(first)};
    again.Serialize(ar);
    if (Store(again) != first) __builtin_trap();
    return 0;
}
