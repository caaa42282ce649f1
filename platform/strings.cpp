#include "platform/strings.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

extern const char kCvlStringsTsv_dedov[];
extern const char kCvlStringsTsv_wyndrace[];
extern const char kCvlStringsTsv_quillmere[];

namespace {

struct Table {
    std::vector<CvlStringEntry> entries;  // ascending, duplicates kept so they can be found
    std::unordered_map<unsigned, size_t> byId;
};

WString Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            char e = s[i + 1];
            char unescaped = e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e == '\\' ? '\\' : 0;
            if (unescaped) {
                c = unescaped;
                ++i;
            }
        }
        out += c;
    }
    return Utf8ToW(out);
}

Table Parse(std::string_view tsv) {
    Table t;
    while (!tsv.empty()) {
        size_t eol = tsv.find('\n');
        std::string_view line = tsv.substr(0, eol);
        tsv = eol == std::string_view::npos ? std::string_view() : tsv.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string_view::npos || tab == 0) continue;
        unsigned id = 0;
        bool digits = true;
        for (char c : line.substr(0, tab)) {
            if (c < '0' || c > '9')
                digits = false;
            else
                id = id * 10 + unsigned(c - '0');
        }
        if (!digits) continue;
        t.entries.push_back({id, Unescape(line.substr(tab + 1))});
    }
    std::stable_sort(t.entries.begin(), t.entries.end(),
                     [](const CvlStringEntry& a, const CvlStringEntry& b) { return a.id < b.id; });
    for (size_t i = 0; i < t.entries.size(); ++i) t.byId.emplace(t.entries[i].id, i);
    return t;
}

const Table& GetTable(CvlStringTable table) {
    static const std::array<Table, 3> tables = {Parse(kCvlStringsTsv_dedov), Parse(kCvlStringsTsv_wyndrace),
                                                Parse(kCvlStringsTsv_quillmere)};
    size_t i = static_cast<size_t>(table);
    return tables[i < tables.size() ? i : 0];
}

}  // namespace

WString LoadCvlString(unsigned id) {
    return LoadCvlString(CvlStringTable::Dedov, id);
}

WString LoadCvlString(CvlStringTable table, unsigned id) {
    const Table& t = GetTable(table);
    auto it = t.byId.find(id);
    return it == t.byId.end() ? WString() : t.entries[it->second].text;
}

bool CvlStringExists(CvlStringTable table, unsigned id) {
    return GetTable(table).byId.count(id) != 0;
}

std::span<const CvlStringEntry> CvlStringTableEntries(CvlStringTable table) {
    return GetTable(table).entries;
}

WString FormatCvlString(unsigned id, const std::vector<WString>& args, CvlStringTable table) {
    return FormatPlaceholders(LoadCvlString(table, id), args);
}
