#include "wyndrace/protocol.h"

#include <cstdio>

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string_view StripLineEnds(std::string_view s) {
    while (!s.empty() && IsLineEnd(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsLineEnd(s.back())) s.remove_suffix(1);
    return s;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A number of at most `width` characters (sign included) after leading blanks, as "%0Nd" reads it.
bool ReadWidthNumber(std::string_view field, size_t& pos, size_t width, int& out) {
    while (pos < field.size() && IsBlank(field[pos])) ++pos;
    size_t end = std::min(field.size(), pos + width);
    bool negative = false;
    size_t p = pos;
    if (p < end && (field[p] == '+' || field[p] == '-')) negative = field[p++] == '-';
    long value = 0;
    size_t digits = 0;
    for (; p < end && field[p] >= '0' && field[p] <= '9'; ++p, ++digits) value = value * 10 + (field[p] - '0');
    if (digits == 0) return false;
    pos = p;
    out = int(negative ? -value : value);
    return true;
}

// "%04d%02d%02d" or "%02d%02d%02d": all three numbers, or none of them.
void ReadDigitGroups(std::string_view field, size_t firstWidth, int& a, int& b, int& c) {
    size_t pos = 0;
    int x, y, z;
    if (ReadWidthNumber(field, pos, firstWidth, x) && ReadWidthNumber(field, pos, 2, y) &&
        ReadWidthNumber(field, pos, 2, z)) {
        a = x;
        b = y;
        c = z;
    }
}

std::vector<std::string_view> SplitFields(std::string_view s) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = s.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(s.substr(start));
            return fields;
        }
        fields.push_back(s.substr(start, bar - start));
        start = bar + 1;
    }
}

}  // namespace

void CRecordCutter::Append(std::string_view block, std::vector<std::string>& records) {
    m_pending.append(block);
    size_t start = 0;
    for (size_t close = m_pending.find(']'); close != std::string::npos; close = m_pending.find(']', start)) {
        records.emplace_back(StripLineEnds(std::string_view(m_pending).substr(start, close + 1 - start)));
        start = close + 1;
    }
    // Line ends are left on what is pending until its record is cut, so that where a block
    // happened to end never changes a record.
    m_pending.erase(0, start);
}

bool ReadEidField(std::string_view text, size_t offset, uint64_t& eid) {
    if (offset >= text.size()) return false;
    size_t p = offset;
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p < text.size() && text[p] == '+') ++p;
    uint64_t value = 0;
    size_t digits = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p, ++digits) {
        uint64_t digit = uint64_t(text[p] - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    if (digits == 0) return false;
    eid = value;
    return true;
}

bool TakeTagMessage(std::string& received, bool final, std::string& message) {
    size_t end = received.find_first_of("\r\n");
    size_t consumed;
    if (end != std::string::npos && end <= kTagMessageSize) {
        consumed = end;
        while (consumed < received.size() && IsLineEnd(received[consumed])) ++consumed;
    } else if (received.size() >= kTagMessageSize) {
        end = consumed = kTagMessageSize;
    } else if (final && !received.empty()) {
        end = consumed = received.size();
    } else {
        return false;
    }
    message.assign(received, 0, end);
    received.erase(0, consumed);
    return true;
}

bool ParseTagMessage(std::string_view message, uint64_t& eid) {
    return ReadEidField(message.substr(0, kTagMessageSize), kTagEidOffset, eid);
}

std::string TestReplyIdentity(std::string_view reply) {
    constexpr size_t kEcho = 5;
    if (reply.size() < kEcho) return {};
    std::string_view identity = reply.substr(kEcho);
    size_t ok = identity.find("[CSSOK]");
    if (ok != std::string_view::npos) identity = identity.substr(0, ok);
    return std::string(identity);
}

std::string FormatEquivalenceRecord(uint64_t eid, WStringView tattoo) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%022llu", static_cast<unsigned long long>(eid));
    return "[EA" + std::string(digits) + "|" + WToAnsi(tattoo) + "]";
}

bool ParseControlRecord(std::string_view record, CControlRecord& out) {
    out = CControlRecord();
    if (!record.empty() && record.front() == '[') record.remove_prefix(1);
    if (!record.empty() && record.back() == ']') record.remove_suffix(1);
    if (record.empty() || record.front() != 'A') return false;

    std::vector<std::string_view> fields = SplitFields(record);
    if (fields.size() > 1) ReadEidField(fields[1], 7, out.eid);
    if (fields.size() > 2) ReadDigitGroups(fields[2], 4, out.year, out.month, out.day);
    if (fields.size() > 3) ReadDigitGroups(fields[3], 2, out.hour, out.minute, out.second);
    if (fields.size() > 4) out.text = std::string(fields[4]);
    for (size_t i = 5; i < fields.size(); ++i) out.values.emplace_back(fields[i]);
    return true;
}
