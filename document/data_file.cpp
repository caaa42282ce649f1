#include "document/data_file.h"

#include "document/document_automation.h"
#include "document/summary_info.h"
#include "platform/archive.h"
#include "platform/compound_file.h"

namespace {

std::vector<uint8_t> ReadOpened(const CCompoundFileReader& reader, CSummaryInfo* summary,
                                CDataFileStreams* kept = nullptr) {
    std::vector<uint8_t> contents;
    if (!reader.ReadStream(kContentsStream, contents))
        throw CDataFileException(CDataFileException::notDataFile, "The file holds no flock.");
    if (HasEmbeddedItems(contents))
        throw CDataFileException(CDataFileException::embeddedItems,
                                 "The file holds embedded objects, which cannot be opened here.");
    if (summary) summary->ReadFromStorage(&reader);
    if (kept) {
        CDataFileStreams other;
        other.classId = reader.ClassId();
        for (const std::string& name : reader.StreamNames()) {
            if (name == kContentsStream || name == kSummaryInformationStream) continue;
            std::vector<uint8_t> data;
            reader.ReadStream(name, data);
            other.streams.emplace_back(name, std::move(data));
        }
        *kept = std::move(other);
    }
    return contents;
}

template <class Open, class Take>
auto ReadWith(Open open, Take take) {
    try {
        return take(open());
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

template <class Open>
std::vector<uint8_t> Read(Open open, CSummaryInfo* summary) {
    return ReadWith(open,
                    [summary](const CCompoundFileReader& reader) { return ReadOpened(reader, summary); });
}

}  // namespace

CompoundClassId DocumentClassId() {
    const CLSID& id = CLSID_Document;
    CompoundClassId out{};
    for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(id.Data1 >> (8 * i));
    for (int i = 0; i < 2; ++i) {
        out[size_t(4 + i)] = uint8_t(id.Data2 >> (8 * i));
        out[size_t(6 + i)] = uint8_t(id.Data3 >> (8 * i));
    }
    for (int i = 0; i < 8; ++i) out[size_t(8 + i)] = id.Data4[i];
    return out;
}

std::vector<uint8_t>* CDataFileStreams::Find(std::string_view name) {
    for (auto& [n, data] : streams)
        if (n == name) return &data;
    return nullptr;
}

CDataFileStreams ReadDataFileStreams(const std::string& path) {
    return ReadWith([&] { return CCompoundFileReader::OpenFile(path); },
                    [](const CCompoundFileReader& reader) {
                        CDataFileStreams file;
                        file.classId = reader.ClassId();
                        for (const std::string& name : reader.StreamNames()) {
                            std::vector<uint8_t> data;
                            reader.ReadStream(name, data);
                            file.streams.emplace_back(name, std::move(data));
                        }
                        return file;
                    });
}

bool HasEmbeddedItems(std::span<const uint8_t> contents) {
    return contents.size() >= 4 && (contents[0] | contents[1] | contents[2] | contents[3]) != 0;
}

std::vector<uint8_t> ReadDataFile(const std::string& path, CSummaryInfo* summary, CDataFileStreams* kept) {
    return ReadWith([&] { return CCompoundFileReader::OpenFile(path); },
                    [&](const CCompoundFileReader& reader) { return ReadOpened(reader, summary, kept); });
}

std::vector<uint8_t> ReadDataFileBytes(std::vector<uint8_t> fileBytes, CSummaryInfo* summary) {
    return Read([&] { return CCompoundFileReader::OpenMemory(std::move(fileBytes)); }, summary);
}

namespace {

// The archive's bytes into the stream being written.
class CStreamSink : public CArchiveSink {
public:
    explicit CStreamSink(CCompoundFileStreamWriter& writer) : m_writer(writer) {}
    void Put(const uint8_t* data, size_t size) override { m_writer.Write({data, size}); }

private:
    CCompoundFileStreamWriter& m_writer;
};

// The streams of a data file.
void WriteStreams(CCompoundFileStreamWriter& writer, const StoreContentsFn& storeContents,
                  const CSummaryInfo* summary, const CDataFileStreams* kept = nullptr) {
    writer.BeginStream(kContentsStream);
    {
        CStreamSink sink(writer);
        CArchive ar(sink);
        storeContents(ar);
        ar.Flush();
    }
    if (summary) {
        CCompoundFileWriter streams;
        summary->WriteToStorage(&streams);
        streams.WriteTo(writer);
    }
    if (kept)
        for (const auto& [name, data] : kept->streams) {
            if (name == kContentsStream || (summary && name == kSummaryInformationStream)) continue;
            writer.BeginStream(name);
            writer.Write(data);
        }
}

StoreContentsFn StoreBytes(std::span<const uint8_t> contents) {
    return [contents](CArchive& ar) { ar.Write(contents.data(), contents.size()); };
}

class CSaveTarget : public ICompoundFileTarget {
public:
    explicit CSaveTarget(CSafeSaveFile& file) : m_file(file) {}
    void Append(std::span<const uint8_t> b) override { m_file.Write(b); }
    void Overwrite(uint64_t offset, std::span<const uint8_t> b) override { m_file.WriteAt(offset, b); }

private:
    CSafeSaveFile& m_file;
};

}  // namespace

std::vector<uint8_t> BuildDataFile(std::span<const uint8_t> contents, const CSummaryInfo* summary) {
    return BuildCompoundFile([&](CCompoundFileStreamWriter& writer) {
        writer.SetClassId(DocumentClassId());
        WriteStreams(writer, StoreBytes(contents), summary);
    });
}

bool SaveDataFile(const std::string& path, const StoreContentsFn& storeContents, const CSummaryInfo* summary,
                  IFileOps& ops, const CDataFileStreams* kept) {
    CSafeSaveFile file(path, ops);
    CSaveTarget target(file);
    WriteDataFile(target, storeContents, summary, kept);
    file.Commit();
    return file.OwnershipKept();
}

void WriteDataFile(ICompoundFileTarget& target, const StoreContentsFn& storeContents,
                   const CSummaryInfo* summary, const CDataFileStreams* kept) {
    CCompoundFileStreamWriter writer(target);
    writer.SetClassId(kept ? kept->classId : DocumentClassId());
    WriteStreams(writer, storeContents, summary, kept);
    writer.Finish();
}

bool SaveDataFile(const std::string& path, std::span<const uint8_t> contents, const CSummaryInfo* summary,
                  IFileOps& ops) {
    return SaveDataFile(path, StoreBytes(contents), summary, ops);
}

std::string WithDataFileExtension(const std::string& path) {
    const size_t name = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (name == std::string::npos || dot > name + 1) && dot + 1 < path.size();
    if (hasExtension || path.empty() || path.back() == '/') return path;
    // "flock." becomes "flock.cvl", not "flock..cvl".
    return path.back() == '.' ? path + "cvl" : path + ".cvl";
}

void SaveDataFileStreams(const std::string& path, const CDataFileStreams& file, IFileOps& ops) {
    CSafeSaveFile out(path, ops);
    CSaveTarget target(out);
    CCompoundFileStreamWriter writer(target);
    writer.SetClassId(file.classId);
    for (const auto& [name, data] : file.streams) {
        writer.BeginStream(name);
        writer.Write(data);
    }
    writer.Finish();
    out.Commit();
}
