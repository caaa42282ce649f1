// Feeds bytes to the data file's container: open, read every root stream, decode the summary set.
#include "platform/compound_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/summary_info.h"
#include "platform/property_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The same bytes as a property-set stream on their own.
    CSummaryInfo direct;
    direct.Decode(std::span(data, size));
    try {
        auto reader = CCompoundFileReader::OpenMemory(std::vector<uint8_t>(data, data + size));
        std::vector<uint8_t> stream;
        for (const auto& name : reader.StreamNames()) reader.ReadStream(name, stream);
        CSummaryInfo info;
        info.ReadFromStorage(&reader);
    } catch (const CCompoundFileException&) {
    }
    return 0;
}
