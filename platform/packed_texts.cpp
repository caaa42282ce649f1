#include "platform/packed_texts.h"

#include <algorithm>
#include <stdexcept>

CPackedTexts::CPackedTexts(const CPackedTexts& other) {
    *this = other;
}

CPackedTexts& CPackedTexts::operator=(const CPackedTexts& other) {
    if (this == &other) return *this;
    if (!other.m_block) {
        m_block.reset();
        return *this;
    }
    const size_t units = other.Units();
    auto block = std::make_unique_for_overwrite<char16_t[]>(units);
    std::copy_n(other.m_block.get(), units, block.get());
    m_block = std::move(block);
    return *this;
}

size_t CPackedTexts::Units() const {
    const size_t n = size();
    return (1 + n) * kUnitsPerCount + Header(n);
}

void CPackedTexts::Assign(const WString* texts, size_t count) {
    if (count == 0) {
        m_block.reset();
        return;
    }
    size_t chars = 0;
    for (size_t i = 0; i < count; ++i) chars += texts[i].size();
    if (count >= UINT32_MAX || chars >= UINT32_MAX) throw std::length_error("texts too long");
    const size_t head = (1 + count) * kUnitsPerCount;
    auto block = std::make_unique_for_overwrite<char16_t[]>(head + chars);
    const auto put = [&](size_t i, uint32_t v) { std::memcpy(block.get() + i * kUnitsPerCount, &v, sizeof v); };
    put(0, uint32_t(count));
    size_t end = 0;
    for (size_t i = 0; i < count; ++i) {
        std::copy(texts[i].begin(), texts[i].end(), block.get() + head + end);
        end += texts[i].size();
        put(1 + i, uint32_t(end));
    }
    m_block = std::move(block);
}

void CPackedTexts::Set(size_t i, WStringView text) {
    const size_t old = size();
    const size_t count = std::max(old, i + 1);
    size_t chars = text.size();
    for (size_t k = 0; k < old; ++k)
        if (k != i) chars += (*this)[k].size();
    if (count >= UINT32_MAX || chars >= UINT32_MAX) throw std::length_error("texts too long");
    const size_t head = (1 + count) * kUnitsPerCount;
    auto block = std::make_unique_for_overwrite<char16_t[]>(head + chars);
    const auto put = [&](size_t k, uint32_t v) {
        std::memcpy(block.get() + k * kUnitsPerCount, &v, sizeof v);
    };
    put(0, uint32_t(count));
    size_t end = 0;
    for (size_t k = 0; k < count; ++k) {
        const WStringView t = k == i ? text : (k < old ? (*this)[k] : WStringView());
        std::copy(t.begin(), t.end(), block.get() + head + end);
        end += t.size();
        put(1 + k, uint32_t(end));
    }
    m_block = std::move(block);
}

WStringView CPackedTexts::operator[](size_t i) const {
    const uint32_t begin = i == 0 ? 0 : Header(i);
    const char16_t* chars = m_block.get() + (1 + size()) * kUnitsPerCount;
    return WStringView(chars + begin, Header(1 + i) - begin);
}

std::vector<WString> CPackedTexts::ToVector() const {
    std::vector<WString> texts;
    texts.reserve(size());
    for (size_t i = 0; i < size(); ++i) texts.emplace_back((*this)[i]);
    return texts;
}

bool CPackedTexts::operator==(const CPackedTexts& other) const {
    if (size() != other.size()) return false;
    if (!m_block) return true;
    const size_t units = Units();
    return units == other.Units() && std::equal(m_block.get(), m_block.get() + units, other.m_block.get());
}

void CPackedTextsBuilder::Set(size_t i, WStringView text) {
    if (i >= UINT32_MAX) throw std::length_error("texts too long");
    if (m_texts.size() <= i) {
        m_texts.resize(i + 1);
        m_set.resize(i + 1);
    }
    for (size_t k = m_used; k < i; ++k) {
        m_texts[k].clear();
        m_set[k] = false;
    }
    m_texts[i].assign(text);
    m_set[i] = true;
    m_used = std::max(m_used, i + 1);
}

void CPackedTextsBuilder::MoveTo(CPackedTexts& texts) {
    if (m_used == 0) return;
    if (texts.empty()) {
        texts.Assign(m_texts.data(), m_used);
    } else {
        // Rare: the texts set over a list that had some, one by one.
        for (size_t k = 0; k < m_used; ++k)
            if (m_set[k]) texts.Set(k, m_texts[k]);
    }
    m_used = 0;
}
