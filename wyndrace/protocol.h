// The reader's bytes: records cut from download blocks, the fields of a control record, tag
// messages, the test reply and the equivalence record sent to the reader. No I/O here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

// Download records arrive in blocks that may cut a record anywhere. Blocks are appended here;
// every "]" ends a record, taken with its line ends stripped from both sides.
class CRecordCutter {
public:
    void Append(std::string_view block, std::vector<std::string>& records);
    // What came after the last "]".
    const std::string& Pending() const { return m_pending; }

private:
    std::string m_pending;
};

// An unsigned 64-bit decimal number read from text[offset] on, as the reader's fields carry it:
// blanks, an optional '+', then digits up to the first other character. False when there is no
// digit there, or the number does not fit in 64 bits.
bool ReadEidField(std::string_view text, size_t offset, uint64_t& eid);

// A tag message of the scan ends at its first line end (or after 25 bytes); the EID is read from
// its 8th character on.
constexpr size_t kTagMessageSize = 25;
constexpr size_t kTagEidOffset = 7;
// The message at the front of the received bytes, or nothing while it may still grow: a complete
// one ends at a line end, fills 25 bytes, or is all there is when `final` is set. The message and
// the line ends behind it leave `received`.
bool TakeTagMessage(std::string& received, bool final, std::string& message);
bool ParseTagMessage(std::string_view message, uint64_t& eid);

// The reader's identity in its reply to the test command: what follows the 5-byte echo, up to
// "[CSSOK]" where present. Empty when the reply is shorter than the echo.
std::string TestReplyIdentity(std::string_view reply);

// "[EA", the EID as exactly 22 digits, "|", the tattoo in 8-bit characters, "]".
std::string FormatEquivalenceRecord(uint64_t eid, WStringView tattoo);

// One reading of the reader's control table: "[A...|EID field|YYYYMMDD|hhmmss|text|value|...]".
struct CControlRecord {
    uint64_t eid = 0;
    int year = -1, month = -1, day = -1;       // -1 where the date field could not be read
    int hour = -1, minute = -1, second = -1;   // -1 where the time field could not be read
    std::string text;                          // shown as the tattoo; may be empty
    std::vector<std::string> values;           // fields 5 on, in order
};
// False for a record that is not a control record (no leading "A" inside the brackets). A record
// that is one but breaks off keeps what was read up to there.
bool ParseControlRecord(std::string_view record, CControlRecord& out);
