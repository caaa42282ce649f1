// The container of a data file: the document's archive in the stream "Contents" and the summary
// information beside it. Reading checks the container before anything is decoded; saving goes
// through the safe save, so the file on disk is either the old one or the new one.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/compound_file.h"
#include "platform/safe_save.h"

class CArchive;
class ICompoundFileTarget;
class CSummaryInfo;

class CDataFileException : public std::runtime_error {
public:
    enum Cause {
        ioError,        // the file could not be read
        notDataFile,    // empty, foreign, or a compound file without the document's archive
        damaged,        // a compound file whose structure is inconsistent
        embeddedItems,  // the archive holds embedded OLE items, which this program cannot keep
    };
    CDataFileException(Cause cause, const std::string& message)
        : std::runtime_error(message), m_cause(cause) {}
    Cause m_cause;
};

struct CDataFileStreams;

// Reads the archive bytes of a data file (from a path or from the file's bytes). With `summary`
// given, the summary information is read into it (a missing or unsound set reads nothing); with
// `kept` given, the root's class id and the streams other than the archive and the summary, which
// a save of the file puts back. Throws CDataFileException; nothing is changed then.
std::vector<uint8_t> ReadDataFile(const std::string& path, CSummaryInfo* summary,
                                  CDataFileStreams* kept = nullptr);
std::vector<uint8_t> ReadDataFileBytes(std::vector<uint8_t> fileBytes, CSummaryInfo* summary);

// Stores a data file's archive.
using StoreContentsFn = std::function<void(CArchive&)>;

// The bytes of a data file holding `contents` as its archive and the summary information (none when
// null).
std::vector<uint8_t> BuildDataFile(std::span<const uint8_t> contents, const CSummaryInfo* summary);
// Saves over `path` safely a data file whose archive storeContents stores; the archive goes
// straight into the file as it is made. Throws CFileException (see safe_save.h) and whatever
// storeContents throws; the file on disk is the old one then. False when the saved file could not
// keep the old one's owner or group. `kept`: the class id and streams read with the file (the
// document's class id and nothing else when null).
bool SaveDataFile(const std::string& path, const StoreContentsFn& storeContents, const CSummaryInfo* summary,
                  IFileOps& ops = SystemFileOps(), const CDataFileStreams* kept = nullptr);
bool SaveDataFile(const std::string& path, std::span<const uint8_t> contents, const CSummaryInfo* summary,
                  IFileOps& ops = SystemFileOps());
// The save's file written into another target.
void WriteDataFile(ICompoundFileTarget& target, const StoreContentsFn& storeContents,
                   const CSummaryInfo* summary, const CDataFileStreams* kept = nullptr);

// The class id a data file's root storage carries: the document class of the program.
CompoundClassId DocumentClassId();

// Every root-level stream of a data file with the root's class id, as read: what a writer that
// changes only "Contents" must put back unchanged.
struct CDataFileStreams {
    CompoundClassId classId{};
    std::vector<std::pair<std::string, std::vector<uint8_t>>> streams;

    std::vector<uint8_t>* Find(std::string_view name);
};
// Throws CDataFileException; a sound compound file without "Contents" reads all the same.
CDataFileStreams ReadDataFileStreams(const std::string& path);
// Saves the streams and the class id over `path` safely. Throws CFileException; the file on disk is
// the old one then.
void SaveDataFileStreams(const std::string& path, const CDataFileStreams& file,
                         IFileOps& ops = SystemFileOps());

// True when the archive starts with a count of embedded items above 0.
bool HasEmbeddedItems(std::span<const uint8_t> contents);

// A name chosen for a data file without an extension of its own gets ".cvl".
std::string WithDataFileExtension(const std::string& path);
