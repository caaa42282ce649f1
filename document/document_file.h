// What a flock's document keeps for its data file besides the animals and the stores: the report
// fonts and colours, the format word and the stored date; the file's name and its lock; and the archive's
// items as read, before they become the document's.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/data_file.h"
#include "document/ear_tag_index.h"
#include "document/font_record.h"
#include "document/page_setup.h"
#include "document/summary_info.h"
#include "platform/archive.h"
#include "platform/file_lock.h"
#include "platform/host.h"
#include "platform/oledate.h"
#include "platform/safe_save.h"
#include "records/address.h"
#include "records/sheep.h"
#include "records/signet.h"

class CSheepDoc;
class CNewEventModel;

// What the program's shell does around opening, saving and closing a document. The document calls
// these; without a shell (tests, the reconciler) nothing happens.
class IDocumentShell {
public:
    virtual ~IDocumentShell() = default;
    // Commits an edit in progress (the control that has the keyboard focus) before a save.
    virtual void CommitPendingEdit() {}
    // The reader manager's tag scan; starting it also shows the tray icon's scanning state.
    virtual bool IsReaderScanning() const { return false; }
    virtual void StartReaderScan() {}
    virtual void StopReaderScan() {}
    // Documents open in the program, this one included.
    virtual int GetOpenDocumentCount() const { return 1; }
    // The main frame's record pane shows no record.
    virtual void ClearRecordPane() {}
    // Greys or enables the criteria commands of the main window.
    virtual void EnableExtractionMenu(bool /*grey*/) {}
    // For an address the address book has lost: the book's search for a new entry (true when the
    // user chose one), or the edit dialog of the local address replacing it (true on OK).
    virtual bool FindAddressInBook(CMAPIAddress& /*address*/) { return false; }
    virtual bool EditNewLocalAddress(CLocalAddress& /*address*/) { return false; }
    // The New Event dialog over its model (filled and preset): true when it closed with OK.
    virtual bool RunNewEventDialog(CNewEventModel& /*model*/) { return false; }
    // The multiple-event wizard for the named animals (see CSheepDoc::RunMultiEventWizard).
    virtual void RunMultiEventWizard(CSheepDoc& /*doc*/, const std::vector<WString>& /*names*/,
                                     int32_t /*typeFilter*/) {}
};

// The status bar's progress for one pass over the flock; ended also when the pass stops half-way.
// Another progress already shown is left alone.
class CProgressScope {
public:
    CProgressScope(unsigned titleId, int range) : m_shown(CvlGetHost().BeginProgress(titleId, range)) {}
    ~CProgressScope() {
        if (m_shown) CvlGetHost().EndProgress();
    }
    CProgressScope(const CProgressScope&) = delete;
    CProgressScope& operator=(const CProgressScope&) = delete;
    void Step() {
        if (m_shown) CvlGetHost().StepProgress();
    }

private:
    bool m_shown;
};

class CDocumentFile {
public:
    static constexpr uint32_t kFormatWord = 1;

    CDocumentFile();
    CDocumentFile(const CDocumentFile&) = delete;
    CDocumentFile& operator=(const CDocumentFile&) = delete;

    // The report font a new document starts with: the one the program set, else the stock system
    // font, its height negated.
    static CFontRecord DefaultReportFont();
    // The program's interface font, so that new documents start readable.
    static void SetDefaultReportFont(const CFontRecord& font);

    uint32_t m_dwFormat = kFormatWord;
    uint32_t m_crHeader = 0;
    uint32_t m_crBody = 0;
    CFontRecord m_headerFont;
    CFontRecord m_bodyFont;
    COleDateTime m_date;  // starts null

    std::string m_path;  // empty until opened or saved
    CFileLock m_lock;
    bool m_bReadOnly = false;  // another program holds the file's lock
    CFileStamp m_readStamp;    // the file as it was read or last saved
    // What a file written elsewhere carried beside the flock: put back by every save. Empty (and
    // the document's class id) for a new document.
    std::optional<CDataFileStreams> m_kept;
    IDocumentShell* m_pShell = nullptr;
    IFileOps* m_pFileOps = nullptr;  // null: the system's
};

// Every item of a document's archive as read, held apart until all of it has been read, so that a
// damaged archive leaves the document as it was.
struct CDocumentArchive {
    std::map<uint16_t, WString> farmDetails;
    uint32_t format = CDocumentFile::kFormatWord;
    uint32_t versionLS = 0;
    uint32_t versionMS = 0;
    std::vector<CRefPtr<CSheep>> flock;
    std::vector<CEarTagHashEntry> earTags;
    std::map<WString, WString> yearColours;
    std::map<uint16_t, CRefPtr<CDWordArray>> columns;
    std::vector<CRefPtr<CPageSetup>> pageSetups;
    std::map<WString, CRefPtr<CAddress>> addresses;
    std::map<WString, CRefPtr<CSignetData>> signet;
    int32_t currentIndex = -1;
    uint32_t headerColour = 0;
    uint32_t bodyColour = 0;
    CFontRecord headerFont;
    CFontRecord bodyFont;
    COleDateTime date;

    // Reads items 1 to 18; the flock with the "Loading" progress. Throws CArchiveException.
    void Read(CArchive& ar);
};
