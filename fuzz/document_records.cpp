// The document's own small stored records: page setups (printer blocks, distances, templates) load,
// store, re-load and store again to the same bytes; a font record writes back the 60 bytes it read.
#include <cstdint>
#include <vector>

#include "document/font_record.h"
#include "document/page_setup.h"
#include "platform/archive.h"

namespace {

std::vector<uint8_t> StorePageSetup(CPageSetup& setup) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    setup.Serialize(ar);
    return out;
}

void PageSetup(const uint8_t* data, size_t size) {
    std::vector<uint8_t> first;
    try {
        CRefPtr<CPageSetup> setup = MakeRef<CPageSetup>();
        CArchive in(data, size);
        setup->Serialize(in);
        // Every distance and flag read fits the stored form again.
        first = StorePageSetup(*setup);
    } catch (const CArchiveException&) {
        return;
    }
    CRefPtr<CPageSetup> again = MakeRef<CPageSetup>();
    CArchive in{std::span<const uint8_t>(first)};
    again->Serialize(in);
    if (in.GetRemaining() != 0 || StorePageSetup(*again) != first) __builtin_trap();
}

void Font(const uint8_t* data, size_t size) {
    if (size < CFontRecord::kStoredSize) return;
    CFontRecord font;
    CArchive in(data, CFontRecord::kStoredSize);
    font.Serialize(in);
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    font.Serialize(ar);
    if (out != std::vector<uint8_t>(data, data + CFontRecord::kStoredSize)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1)
        Font(data + 1, size - 1);
    else
        PageSetup(data + 1, size - 1);
    return 0;
}
