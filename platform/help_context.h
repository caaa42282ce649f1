// The help book's context table: the short texts that pop up for a help id (a dialog control's
// 0x50000 + control id, a message's 0x30000 + string number). It is a text file of the book, one
// "id text" line each: the id in decimal or 0x hex, then the UTF-8 text; blank lines and lines
// starting with '#' are skipped.
#pragma once

#include <map>
#include <string>

class CCvlHelpContext {
public:
    // Replaces the table with the file's; on a fault keeps nothing and says which line is wrong.
    bool Load(const std::string& path, std::string* error = nullptr);
    bool Parse(const std::string& text, std::string* error = nullptr);

    // The text for a help id; null when the book has none.
    const std::string* Find(unsigned helpId) const;
    bool IsEmpty() const { return m_texts.empty(); }

private:
    std::map<unsigned, std::string> m_texts;
};
