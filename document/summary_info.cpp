#include "document/summary_info.h"

#include <algorithm>
#include <chrono>

#include "platform/compound_file.h"
#include "platform/oledate.h"
#include "platform/property_set.h"
#include "platform/strings.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr uint64_t kEpochDifference = 11'644'473'600;
// Days from 1601-01-01 to the date type's day 0 (1899-12-30).
constexpr double kDaysTo1899 = 109'205;

}  // namespace

uint64_t CSummaryInfo::CurrentFileTime() {
    auto since1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return uint64_t(since1970.count() / 100) + kEpochDifference * kTicksPerSecond;
}

std::vector<uint8_t> CSummaryInfo::Encode() const {
    auto text = [](uint32_t id, const std::string& s) { return CProperty{id, VT_LPSTR, 0, s, 0, {}}; };
    auto i4 = [](uint32_t id, int32_t v) { return CProperty{id, VT_I4, v, {}, 0, {}}; };
    auto time = [](uint32_t id, uint64_t t) { return CProperty{id, VT_FILETIME, 0, {}, t, {}}; };
    std::vector<CProperty> props = {
        text(PID_TITLE, m_title),
        text(PID_SUBJECT, m_subject),
        text(PID_AUTHOR, m_author),
        text(PID_KEYWORDS, m_keywords),
        text(PID_COMMENTS, m_comments),
        text(PID_TEMPLATE, m_template),
        text(PID_LASTAUTHOR, m_lastAuthor),
        text(PID_APPNAME, m_appName),
        text(PID_REVNUMBER, m_revNum),
        i4(PID_WORDCOUNT, m_wordCount),
        i4(PID_PAGECOUNT, m_pageCount),
        i4(PID_CHARCOUNT, m_charCount),
        time(PID_LASTPRINTED, m_lastPrinted),
        time(PID_CREATE_DTM, m_created),
        time(PID_LASTSAVE_DTM, m_lastSaved),
        time(PID_EDITTIME, m_editTime),
        i4(PID_SECURITY, m_security),
    };
    props.insert(props.end(), m_otherProperties.begin(), m_otherProperties.end());
    return EncodePropertySet(FMTID_SummaryInformation, props);
}

bool CSummaryInfo::Decode(std::span<const uint8_t> stream) {
    std::vector<CProperty> props;
    if (!DecodePropertySet(stream, FMTID_SummaryInformation, props)) return false;
    m_title.clear(), m_subject.clear(), m_author.clear(), m_keywords.clear(), m_comments.clear();
    m_template.clear(), m_lastAuthor.clear(), m_appName.clear(), m_revNum.clear();
    m_wordCount = m_pageCount = m_charCount = m_security = 0;
    m_editTime = m_lastPrinted = m_created = m_lastSaved = 0;
    m_otherProperties.clear();
    for (auto& p : props) {
        std::string* text = nullptr;
        int32_t* number = nullptr;
        uint64_t* time = nullptr;
        switch (p.id) {
            case PID_TITLE:
                text = &m_title;
                break;
            case PID_SUBJECT:
                text = &m_subject;
                break;
            case PID_AUTHOR:
                text = &m_author;
                break;
            case PID_KEYWORDS:
                text = &m_keywords;
                break;
            case PID_COMMENTS:
                text = &m_comments;
                break;
            case PID_TEMPLATE:
                text = &m_template;
                break;
            case PID_LASTAUTHOR:
                text = &m_lastAuthor;
                break;
            case PID_APPNAME:
                text = &m_appName;
                break;
            case PID_REVNUMBER:
                text = &m_revNum;
                break;
            case PID_WORDCOUNT:
                number = &m_wordCount;
                break;
            case PID_PAGECOUNT:
                number = &m_pageCount;
                break;
            case PID_CHARCOUNT:
                number = &m_charCount;
                break;
            case PID_SECURITY:
                number = &m_security;
                break;
            case PID_EDITTIME:
                time = &m_editTime;
                break;
            case PID_LASTPRINTED:
                time = &m_lastPrinted;
                break;
            case PID_CREATE_DTM:
                time = &m_created;
                break;
            case PID_LASTSAVE_DTM:
                time = &m_lastSaved;
                break;
            default:
                m_otherProperties.push_back(std::move(p));
                continue;
        }
        // A property of another type than this set writes counts as missing.
        if (text && p.type == VT_LPSTR) *text = p.text;
        if (number && p.type == VT_I4) *number = p.i4;
        if (time && p.type == VT_FILETIME) *time = p.filetime;
    }
    return true;
}

int CSummaryInfo::WriteToStorage(CCompoundFileWriter* storage) const {
    if (storage) storage->SetStream(kSummaryInformationStream, Encode());
    return 0;
}

bool CSummaryInfo::ReadFromStorage(const CCompoundFileReader* storage) {
    std::vector<uint8_t> stream;
    if (!storage || !storage->ReadStream(kSummaryInformationStream, stream)) return false;
    return Decode(stream);
}

uint64_t CSummaryInfo::Elapsed() const {
    // A count that never started adds nothing (not the time since 1601).
    if (m_editStarted == 0) return 0;
    uint64_t now = m_now();
    return now > m_editStarted ? now - m_editStarted : 0;
}

void CSummaryInfo::StartEditTimeCount() {
    m_editStarted = m_now();
}
void CSummaryInfo::AddCountToEditTime() {
    m_editTime += Elapsed();
}
void CSummaryInfo::RecordCreateDate() {
    m_created = m_now();
}
void CSummaryInfo::RecordPrintDate() {
    m_lastPrinted = m_now();
}
void CSummaryInfo::RecordSaveDate() {
    m_lastSaved = m_now();
}

void CSummaryInfo::StampSave(int32_t animalCount, const std::string& lastSavedBy) {
    RecordSaveDate();
    IncrRevNum();
    AddCountToEditTime();
    StartEditTimeCount();
    m_pageCount = animalCount;
    m_lastAuthor = lastSavedBy;
}

void CSummaryInfo::IncrRevNum() {
    // "%lu" into a 32-bit unsigned long: leading blanks, optional sign, digits; too large a number
    // stays at the largest value, a negative one is taken modulo 2^32.
    size_t i = m_revNum.find_first_not_of(" \t\n\v\f\r");
    bool negative = false;
    if (i != std::string::npos && (m_revNum[i] == '+' || m_revNum[i] == '-')) negative = m_revNum[i++] == '-';
    uint64_t digits = 0;
    for (; i < m_revNum.size() && m_revNum[i] >= '0' && m_revNum[i] <= '9'; ++i)
        digits = std::min<uint64_t>(digits * 10 + uint64_t(m_revNum[i] - '0'), UINT32_MAX + uint64_t(1));
    uint32_t value = digits > UINT32_MAX ? UINT32_MAX : uint32_t(digits);
    if (negative) value = digits > UINT32_MAX ? UINT32_MAX : 0u - value;
    m_revNum = std::to_string(uint32_t(value + 1));
}

WString CSummaryInfo::CountText(int32_t count) {
    return count == 0 ? WString() : IntToW(uint32_t(count));
}

WString CSummaryInfo::EditTimeText(uint64_t seconds) {
    WString text;
    auto piece = [&](unsigned stringId, uint64_t n) {
        WString format = LoadCvlString(stringId);
        WString number = IntToW(static_cast<long long>(n));
        size_t at = format.find(u"%d");
        text += at == WString::npos ? format : format.substr(0, at) + number + format.substr(at + 2);
    };
    if (seconds > 86400) {
        piece(2, seconds / 86400);
        seconds %= 86400;
    }
    if (seconds > 3600) {
        piece(3, seconds / 3600);
        seconds %= 3600;
    }
    if (seconds > 60) {
        piece(4, seconds / 60);
        seconds %= 60;
    }
    if (seconds != 0) piece(5, seconds);
    if (text.size() >= 2) text.resize(text.size() - 2);
    return text;
}

WString CSummaryInfo::GetTotalEditTimeText() const {
    return EditTimeText((m_editTime + Elapsed()) / kTicksPerSecond);
}

WString CSummaryInfo::TimeText(uint64_t fileTime) {
    if (fileTime == 0) return {};
    double days = double(fileTime / kTicksPerSecond) / 86400.0 - kDaysTo1899;
    return COleDateTime(COleDateTime::DateFromDouble(days)).Format("%c");
}
