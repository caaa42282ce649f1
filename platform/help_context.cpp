#include "platform/help_context.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool CCvlHelpContext::Load(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        m_texts.clear();
        return Fail(error, "cannot read " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return Parse(text.str(), error);
}

bool CCvlHelpContext::Parse(const std::string& text, std::string* error) {
    m_texts.clear();
    std::map<unsigned, std::string> texts;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        const char* first = line.c_str() + start;
        if (*first < '0' || *first > '9') return Fail(error, where + "no help id");
        char* end = nullptr;
        errno = 0;
        const unsigned long id = std::strtoul(first, &end, 0);
        if (errno == ERANGE || id == 0 || id > 0xFFFFFFFFul) return Fail(error, where + "bad help id");
        if (*end != ' ' && *end != '\t') return Fail(error, where + "no text after the help id");
        const size_t textStart = line.find_first_not_of(" \t", size_t(end - line.c_str()));
        if (textStart == std::string::npos) return Fail(error, where + "no text after the help id");
        if (!texts.emplace(unsigned(id), line.substr(textStart)).second)
            return Fail(error, where + "help id given twice");
    }
    m_texts = std::move(texts);
    return true;
}

const std::string* CCvlHelpContext::Find(unsigned helpId) const {
    const auto it = m_texts.find(helpId);
    return it == m_texts.end() ? nullptr : &it->second;
}
