// The compound file (structured storage) that holds a data file: named streams in the root storage.
// libgsf does the container work; before it sees a file, the whole structure is checked here, because
// libgsf trusts sector chains, stream sizes and the directory tree (loops there hang it or make it
// read out of bounds).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Names of the root-level streams a data file holds (UTF-8, as libgsf spells them).
inline constexpr std::string_view kContentsStream = "Contents";
inline constexpr std::string_view kSummaryInformationStream = "\005SummaryInformation";

// A class id in its stored form (the GUID's fields little-endian, as in a directory entry).
using CompoundClassId = std::array<uint8_t, 16>;

class CCompoundFileException : public std::runtime_error {
public:
    enum Cause {
        ioError,          // the file could not be read or written (see errno text in what())
        notCompoundFile,  // empty, too short for a header, or a foreign file
        damaged,          // a compound file whose structure is inconsistent
    };
    CCompoundFileException(Cause cause, const std::string& message)
        : std::runtime_error(message), m_cause(cause) {}
    Cause GetCause() const { return m_cause; }

private:
    Cause m_cause;
};

// A compound file opened for reading; the bytes are held in memory.
class CCompoundFileReader {
public:
    // Throw CCompoundFileException when the file cannot be read or is not a sound compound file.
    static CCompoundFileReader OpenFile(const std::string& path);
    static CCompoundFileReader OpenMemory(std::vector<uint8_t> bytes);

    // True when the root storage holds a stream of that name.
    bool HasStream(std::string_view name) const;
    // The bytes of a root-level stream; false when there is none of that name. A stream whose data
    // cannot be read throws CCompoundFileException(damaged).
    bool ReadStream(std::string_view name, std::vector<uint8_t>& out) const;
    // Names of the root storage's streams (not storages).
    std::vector<std::string> StreamNames() const;
    // The root storage's class id as stored (16 bytes, all zero when none was set).
    const CompoundClassId& ClassId() const { return m_classId; }

private:
    CCompoundFileReader() = default;
    void Check();

    std::vector<uint8_t> m_bytes;  // the file, followed by a few zero bytes (see Check)
    size_t m_size = 0;             // the file's own length
    std::vector<std::string> m_streams;
    CompoundClassId m_classId{};
};

struct CompoundStream {
    std::string name;  // UTF-8
    std::span<const uint8_t> data;
};

// Where a compound file being written goes. Each call throws what it likes on failure; the writer
// hands it on unchanged.
class ICompoundFileTarget {
public:
    virtual void Append(std::span<const uint8_t> bytes) = 0;
    // Writes over bytes appended before.
    virtual void Overwrite(uint64_t offset, std::span<const uint8_t> bytes) = 0;

protected:
    ~ICompoundFileTarget() = default;
};

// A compound file written front to back into a target, one root-level stream after the other, with
// no stream held in memory; only the header is written again at the end. The bytes are those of
// BuildCompoundFile for the same streams.
class CCompoundFileStreamWriter {
public:
    explicit CCompoundFileStreamWriter(ICompoundFileTarget& target);
    // Unfinished, nothing more reaches the target.
    ~CCompoundFileStreamWriter();
    CCompoundFileStreamWriter(const CCompoundFileStreamWriter&) = delete;
    CCompoundFileStreamWriter& operator=(const CCompoundFileStreamWriter&) = delete;

    // The root storage's class id (none, all zero, unless set).
    void SetClassId(const CompoundClassId& classId);
    // Starts a root-level stream (names are unique); the stream before it is complete.
    void BeginStream(std::string_view name);
    // Appends to the stream begun last.
    void Write(std::span<const uint8_t> bytes);
    // Writes the directory, the sector tables and the header.
    void Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A new compound file holding the given streams in its root storage, as bytes.
std::vector<uint8_t> BuildCompoundFile(std::span<const CompoundStream> streams);
// A new compound file holding the streams `write` writes, as bytes.
std::vector<uint8_t> BuildCompoundFile(const std::function<void(CCompoundFileStreamWriter&)>& write);

// The streams of a compound file being made, in the order they were first set.
class CCompoundFileWriter {
public:
    // Sets (or replaces) a root-level stream.
    void SetStream(std::string_view name, std::vector<uint8_t> data);
    const std::vector<uint8_t>* FindStream(std::string_view name) const;
    std::vector<uint8_t> Build() const;
    // Writes the streams, in order, into a file being written.
    void WriteTo(CCompoundFileStreamWriter& out) const;

private:
    std::vector<std::pair<std::string, std::vector<uint8_t>>> m_streams;
};
