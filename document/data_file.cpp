#include "document/data_file.h"

#include "document/summary_info.h"
#include "platform/compound_file.h"

namespace {

std::vector<uint8_t> ReadOpened(const CCompoundFileReader& reader, CSummaryInfo* summary) {
    std::vector<uint8_t> contents;
    if (!reader.ReadStream(kContentsStream, contents))
        throw CDataFileException(CDataFileException::notDataFile, "The file holds no flock.");
    if (HasEmbeddedItems(contents))
        throw CDataFileException(CDataFileException::embeddedItems,
                                 "The file holds embedded objects, which cannot be opened here.");
    if (summary) summary->ReadFromStorage(&reader);
    return contents;
}

template <class Open>
std::vector<uint8_t> Read(Open open, CSummaryInfo* summary) {
    try {
        return ReadOpened(open(), summary);
    } catch (const CCompoundFileException& e) {
        switch (e.GetCause()) {
            case CCompoundFileException::ioError:
                throw CDataFileException(CDataFileException::ioError, e.what());
            case CCompoundFileException::notCompoundFile:
                throw CDataFileException(CDataFileException::notDataFile, e.what());
            case CCompoundFileException::damaged:
                break;
        }
        throw CDataFileException(CDataFileException::damaged, e.what());
    }
}

}  // namespace

bool HasEmbeddedItems(std::span<const uint8_t> contents) {
    return contents.size() >= 4 && (contents[0] | contents[1] | contents[2] | contents[3]) != 0;
}

std::vector<uint8_t> ReadDataFile(const std::string& path, CSummaryInfo* summary) {
    return Read([&] { return CCompoundFileReader::OpenFile(path); }, summary);
}

std::vector<uint8_t> ReadDataFileBytes(std::vector<uint8_t> fileBytes, CSummaryInfo* summary) {
    return Read([&] { return CCompoundFileReader::OpenMemory(std::move(fileBytes)); }, summary);
}

std::vector<uint8_t> BuildDataFile(std::span<const uint8_t> contents, const CSummaryInfo* summary) {
    CCompoundFileWriter writer;
    writer.SetStream(kContentsStream, std::vector<uint8_t>(contents.begin(), contents.end()));
    if (summary) summary->WriteToStorage(&writer);
    return writer.Build();
}

void SaveDataFile(const std::string& path, std::span<const uint8_t> contents, const CSummaryInfo* summary,
                  IFileOps& ops) {
    SafeSaveFile(path, BuildDataFile(contents, summary), ops);
}
