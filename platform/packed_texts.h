// A short list of texts kept in one allocation. A flock holds a million events, each with a few
// short parameters; a vector of strings would take two or three allocations for each.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/text.h"

class CPackedTexts {
public:
    CPackedTexts() = default;
    explicit CPackedTexts(const std::vector<WString>& texts) { Assign(texts); }
    CPackedTexts(const CPackedTexts& other);
    CPackedTexts& operator=(const CPackedTexts& other);
    CPackedTexts(CPackedTexts&&) noexcept = default;
    CPackedTexts& operator=(CPackedTexts&&) noexcept = default;

    // An empty list and a list of one empty text differ.
    void Assign(const std::vector<WString>& texts) { Assign(texts.data(), texts.size()); }
    void Assign(const WString* texts, size_t count);
    // Puts text at position i, the list growing with empty texts up to it.
    void Set(size_t i, WStringView text);
    size_t size() const { return m_block ? Header(0) : 0; }
    bool empty() const { return !m_block; }
    // i must be below size().
    WStringView operator[](size_t i) const;
    std::vector<WString> ToVector() const;

    bool operator==(const CPackedTexts& other) const;
    // The one block the texts lie in (null when there are none), for fetching ahead.
    const void* Data() const { return m_block.get(); }

private:
    // Counts take two units each: [count][end of text 1]..[end of text n], then the characters.
    static constexpr size_t kUnitsPerCount = sizeof(uint32_t) / sizeof(char16_t);
    uint32_t Header(size_t i) const {
        uint32_t v;
        std::memcpy(&v, m_block.get() + i * kUnitsPerCount, sizeof v);
        return v;
    }
    size_t Units() const;

    std::unique_ptr<char16_t[]> m_block;
};

// Texts put in place one by one, as CPackedTexts::Set does, then packed in one block: a record read
// text by text does not make a new block for each. The storage is kept from one record to the next.
class CPackedTextsBuilder {
public:
    void Clear() { m_used = 0; }
    void Set(size_t i, WStringView text);
    bool empty() const { return m_used == 0; }
    // Sets the texts on the list as Set would have, in one piece when the list is empty; then clears.
    void MoveTo(CPackedTexts& texts);

private:
    std::vector<WString> m_texts;
    std::vector<bool> m_set;  // put by Set, not a gap filled
    size_t m_used = 0;
};
