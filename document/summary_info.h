// The document's summary information: the property set stored beside the archive in a data file.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/property_set.h"
#include "platform/text.h"

class CCompoundFileReader;
class CCompoundFileWriter;

class CSummaryInfo {
public:
    // Texts are narrow strings in the ANSI code page (Windows-1252). Times are FILETIMEs: 100-ns
    // units since 1601 in UTC; the total editing time is a span in the same units.
    enum PropertyId : uint32_t {
        PID_TITLE = 2,
        PID_SUBJECT = 3,
        PID_AUTHOR = 4,
        PID_KEYWORDS = 5,
        PID_COMMENTS = 6,
        PID_TEMPLATE = 7,
        PID_LASTAUTHOR = 8,
        PID_REVNUMBER = 9,
        PID_EDITTIME = 10,
        PID_LASTPRINTED = 11,
        PID_CREATE_DTM = 12,
        PID_LASTSAVE_DTM = 13,
        PID_PAGECOUNT = 14,
        PID_WORDCOUNT = 15,
        PID_CHARCOUNT = 16,
        PID_APPNAME = 18,
        PID_SECURITY = 19,
    };

    std::string m_title, m_subject, m_author, m_keywords, m_comments, m_template, m_lastAuthor, m_appName;
    std::string m_revNum;
    int32_t m_wordCount = 0, m_pageCount = 0, m_charCount = 0, m_security = 0;
    uint64_t m_editTime = 0, m_lastPrinted = 0, m_created = 0, m_lastSaved = 0;
    uint64_t m_editStarted = 0;  // kept in memory only
    // Properties other programs put in the set: written back as they were read.
    std::vector<CProperty> m_otherProperties;

    // The current UTC time as a FILETIME; tests replace it.
    std::function<uint64_t()> m_now = &CurrentFileTime;
    static uint64_t CurrentFileTime();

    // Puts the property set into the file being built. A null storage writes nothing. Returns 0.
    int WriteToStorage(CCompoundFileWriter* storage) const;
    // Reads the property set of an opened file; a missing set, or one that is not a sound property
    // set, reads nothing and gives false. A missing property leaves its field empty or 0.
    bool ReadFromStorage(const CCompoundFileReader* storage);

    // The property-set stream itself.
    std::vector<uint8_t> Encode() const;
    bool Decode(std::span<const uint8_t> stream);

    void StartEditTimeCount();
    void AddCountToEditTime();
    void RecordCreateDate();
    void RecordPrintDate();
    void RecordSaveDate();
    // What a save stamps, in this order: the save time, the next revision, the editing time so far
    // (the count then starts again), the number of animals as the page count and who saved.
    void StampSave(int32_t animalCount, const std::string& lastSavedBy);
    // The revision read as an unsigned decimal and increased by one; a text that does not start with
    // a number counts as 0.
    void IncrRevNum();

    // Texts for the Properties sheet.
    WString GetWordCountText() const { return CountText(m_wordCount); }
    WString GetPageCountText() const { return CountText(m_pageCount); }
    WString GetCharCountText() const { return CountText(m_charCount); }
    WString GetSecurityText() const { return CountText(m_security); }
    WString GetTotalEditTimeText() const;
    WString GetLastPrintedText() const { return TimeText(m_lastPrinted); }
    WString GetCreatedText() const { return TimeText(m_created); }
    WString GetLastSavedText() const { return TimeText(m_lastSaved); }

    // "%lu" of the count; empty when it is 0.
    static WString CountText(int32_t count);
    // The editing-time text of a number of seconds: days, hours, minutes and seconds as far as they
    // are needed; empty for 0.
    static WString EditTimeText(uint64_t seconds);
    // A stored time as the locale's date and time, as stored (no time-zone conversion); empty for 0.
    static WString TimeText(uint64_t fileTime);

private:
    uint64_t Elapsed() const;
};
