// Feeds bytes to the data file's container: open, read every root stream, take the archive and the
// summary set as opening a flock does, and decode the bytes as a summary set on their own.
#include "platform/compound_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/data_file.h"
#include "document/summary_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSummaryInfo direct;
    direct.Decode(std::span(data, size));
    std::vector<uint8_t> bytes(data, data + size);
    try {
        auto reader = CCompoundFileReader::OpenMemory(bytes);
        std::vector<uint8_t> stream;
        for (const auto& name : reader.StreamNames()) reader.ReadStream(name, stream);
    } catch (const CCompoundFileException&) {
    }
    try {
        CSummaryInfo summary;
        ReadDataFileBytes(std::move(bytes), &summary);
    } catch (const CDataFileException&) {
    }
    return 0;
}
