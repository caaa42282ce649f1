#include "platform/archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr uint16_t wNullTag = 0;
constexpr uint16_t wNewClassTag = 0xFFFF;
constexpr uint16_t wClassTag = 0x8000;
constexpr uint32_t dwBigClassTag = 0x80000000u;
constexpr uint16_t wBigObjectTag = 0x7FFF;
constexpr uint32_t nMaxMapCount = 0x3FFFFFFE;
// Longest class name the reader accepts (the Windows program read names into 64 bytes).
constexpr size_t kMaxClassName = 63;

[[noreturn]] void Fail(int cause) {
    throw CArchiveException(cause);
}

template <class U>
U GetLE(const uint8_t* p) {
    U v = 0;
    for (size_t i = 0; i < sizeof(U); ++i) v = U(v | (U(p[i]) << (8 * i)));
    return v;
}

}  // namespace

const char* CArchiveException::what() const noexcept {
    switch (m_cause) {
        case endOfFile:
            return "archive: unexpected end of data";
        case badIndex:
            return "archive: bad object or class index";
        case badClass:
            return "archive: unknown or unexpected class";
        case badSchema:
            return "archive: unsupported schema";
        case readOnly:
            return "archive: storing into a loading archive";
        case writeOnly:
            return "archive: loading from a storing archive";
        case bufferFull:
            return "archive: buffer full";
        default:
            return "archive: damaged data";
    }
}

CArchive::CArchive(std::vector<uint8_t>& buf, Mode mode) : m_mode(mode) {
    if (mode == store) {
        m_out = &buf;
    } else {
        m_in = buf;
        m_loadArray.emplace_back();  // index 0: the null object
    }
}

CArchive::CArchive(std::span<const uint8_t> data) : m_mode(load), m_in(data) {
    m_loadArray.emplace_back();  // index 0: the null object
}

CArchive::CArchive(CArchiveSink& sink, size_t bufferSize)
    : m_mode(store),
      m_sink(&sink),
      m_buf(new uint8_t[std::max<size_t>(bufferSize, 64)]),
      m_nBufSize(std::max<size_t>(bufferSize, 64)) {
    m_cur = m_buf.get();
    m_lim = m_cur + m_nBufSize;
}

CArchive::~CArchive() {
    for (LoadEntry& e : m_loadArray)
        if (e.pOb) e.pOb->InternalRelease();
}

size_t CArchive::GetPosition() const {
    if (IsLoading()) return m_pos;
    return m_out ? m_out->size() : m_nFlushed + size_t(m_cur - m_buf.get());
}
size_t CArchive::GetSize() const {
    return IsLoading() ? m_in.size() : GetPosition();
}
size_t CArchive::GetRemaining() const {
    return IsLoading() ? m_in.size() - m_pos : 0;
}

void CArchive::CheckAvailable(uint64_t n, uint64_t bytesEach) const {
    CheckLoading();
    uint64_t left = m_in.size() - m_pos;
    if (bytesEach == 0) return;
    if (n > left / bytesEach) Fail(CArchiveException::endOfFile);
}

// The Windows program raised the generic archive error for the wrong direction.
void CArchive::CheckLoading() const {
    if (!IsLoading()) Fail(CArchiveException::genericException);
}
void CArchive::CheckStoring() const {
    if (!IsStoring()) Fail(CArchiveException::genericException);
}

void CArchive::Read(void* p, size_t n) {
    CheckAvailable(n);
    if (n) std::memcpy(p, m_in.data() + m_pos, n);
    m_pos += n;
}

void CArchive::WriteSlow(const void* p, size_t n) {
    CheckStoring();
    const uint8_t* b = static_cast<const uint8_t*>(p);
    if (m_out) {
        m_out->insert(m_out->end(), b, b + n);
        return;
    }
    // Fill the buffer, hand it on, and pass what would fill it again straight through.
    const size_t room = size_t(m_lim - m_cur);
    if (n <= room) {
        if (n) std::memcpy(m_cur, b, n);
        m_cur += n;
        return;
    }
    std::memcpy(m_cur, b, room);
    m_cur += room;
    b += room;
    n -= room;
    FlushBuffer();
    if (n >= m_nBufSize) {
        m_sink->Put(b, n);
        m_nFlushed += n;
        return;
    }
    std::memcpy(m_cur, b, n);
    m_cur += n;
}

void CArchive::FlushBuffer() {
    const size_t n = size_t(m_cur - m_buf.get());
    // Nothing is handed on twice, even when the sink throws.
    m_cur = m_buf.get();
    if (n == 0) return;
    m_nFlushed += n;
    m_sink->Put(m_buf.get(), n);
}

void CArchive::Flush() {
    CheckStoring();
    if (m_sink) FlushBuffer();
}

bool CArchive::ReadBool32() {
    int32_t v;
    *this >> v;
    return v != 0;
}

uint32_t CArchive::ReadCount() {
    uint16_t w;
    *this >> w;
    if (w != 0xFFFF) return w;
    uint32_t n;
    *this >> n;
    return n;
}

uint32_t CArchive::ReadCountChecked(uint64_t minBytesEach) {
    uint32_t n = ReadCount();
    CheckAvailable(n, minBytesEach);
    return n;
}

void CArchive::WriteLongString(WStringView s) {
    // The Unicode marker, then the length: 0xFF and 16 bits, or 0xFFFF and 32 bits, or 0xFFFFFFFF
    // and 64 bits.
    const uint64_t n = s.size();
    *this << uint8_t(0xFF) << uint16_t(0xFFFE) << uint8_t(0xFF);
    if (n < 0xFFFE) {
        *this << uint16_t(n);
    } else {
        *this << uint16_t(0xFFFF);
        if (n < 0xFFFFFFFF) {
            *this << uint32_t(n);
        } else {
            *this << uint32_t(0xFFFFFFFF) << n;
        }
    }
    WriteChars(s);
}

WString CArchive::ReadString() {
    bool wide = false;
    uint64_t n;
    uint8_t b;
    uint16_t w;
    *this >> b;
    if (b < 0xFF) {
        n = b;
    } else {
        *this >> w;
        bool haveLength = false;
        if (w == 0xFFFE) {  // Unicode marker: the length starts again at one byte
            wide = true;
            *this >> b;
            if (b < 0xFF) {
                n = b;
                haveLength = true;
            } else {
                *this >> w;
            }
        }
        if (!haveLength) {
            if (w < 0xFFFF) {  // after the marker, 0xFFFE is a length
                n = w;
            } else {
                uint32_t d;
                *this >> d;
                if (d < 0xFFFFFFFF) {
                    n = d;
                } else {
                    *this >> n;
                }
            }
        }
    }
    CheckAvailable(n, wide ? 2 : 1);
    const uint8_t* p = m_in.data() + m_pos;
    m_pos += size_t(n) * (wide ? 2 : 1);
    if (!wide) return AnsiToW(std::string_view(reinterpret_cast<const char*>(p), size_t(n)));
    WString s(size_t(n), u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        if (n) std::memcpy(s.data(), p, 2 * size_t(n));
    } else {
        for (size_t i = 0; i < n; ++i) s[i] = char16_t(GetLE<uint16_t>(p + 2 * i));
    }
    return s;
}

// ---- written classes and objects ----

size_t CArchive::CStoreMap::Slot(const void* p) const {
    // Fibonacci hashing: the product's top bits spread the aligned addresses over the table.
    const uint64_t h = uint64_t(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull;
    return size_t(h >> m_shift);
}

uint32_t CArchive::CStoreMap::Find(const void* p) const {
    if (m_slots.empty()) return 0;
    for (size_t i = Slot(p);; i = (i + 1) & (m_slots.size() - 1)) {
        if (m_slots[i].first == p) return m_slots[i].second;
        if (!m_slots[i].first) return 0;
    }
}

void CArchive::CStoreMap::Insert(const void* p, uint32_t index) {
    if ((m_count + 1) * 2 > m_slots.size()) Grow();
    Place(p) = index;
}

uint32_t& CArchive::CStoreMap::Place(const void* p) {
    size_t i = Slot(p);
    while (m_slots[i].first && m_slots[i].first != p) i = (i + 1) & (m_slots.size() - 1);
    if (!m_slots[i].first) {
        ++m_count;
        m_slots[i] = {p, 0};
    }
    return m_slots[i].second;
}

void CArchive::CStoreMap::Grow() {
    std::vector<std::pair<const void*, uint32_t>> old(std::max<size_t>(m_slots.size() * 2, 64));
    old.swap(m_slots);
    m_shift = 64 - std::countr_zero(m_slots.size());
    m_count = 0;
    for (const auto& [p, index] : old)
        if (p) Place(p) = index;
}

bool CArchive::CMarks::TestAndMark(const void* p) {
    const uint64_t a = uint64_t(reinterpret_cast<uintptr_t>(p));
    const uint64_t area = a >> kAreaShift;
    if (area != m_lastArea) {
        m_lastWords = AreaWords(area);
        m_lastArea = area;
    }
    const size_t granule = size_t(a >> 4) & ((size_t(1) << (kAreaShift - 4)) - 1);
    uint64_t& word = m_bits[m_lastWords + granule / 64];
    const uint64_t bit = uint64_t(1) << (granule % 64);
    const bool marked = (word & bit) != 0;
    word |= bit;
    return marked;
}

size_t CArchive::CMarks::AreaWords(uint64_t area) {
    if ((m_nAreas + 1) * 2 > m_areas.size()) Grow();
    const size_t mask = m_areas.size() - 1;
    size_t i = size_t(area * 0x9E3779B97F4A7C15ull >> 32) & mask;
    while (m_areas[i].first != area) {
        if (m_areas[i].first == kNoArea) {
            m_areas[i] = {area, uint32_t(m_bits.size() / kWordsPerArea)};
            m_bits.resize(m_bits.size() + kWordsPerArea);
            ++m_nAreas;
            break;
        }
        i = (i + 1) & mask;
    }
    return size_t(m_areas[i].second) * kWordsPerArea;
}

void CArchive::CMarks::Grow() {
    std::vector<std::pair<uint64_t, uint32_t>> old(std::max<size_t>(m_areas.size() * 2, 256), {kNoArea, 0});
    old.swap(m_areas);
    const size_t mask = m_areas.size() - 1;
    for (const auto& e : old) {
        if (e.first == kNoArea) continue;
        size_t i = size_t(e.first * 0x9E3779B97F4A7C15ull >> 32) & mask;
        while (m_areas[i].first != kNoArea) i = (i + 1) & mask;
        m_areas[i] = e;
    }
}

uint32_t CArchive::NextMapIndex() {
    if (m_nMapCount >= nMaxMapCount) Fail(CArchiveException::badIndex);
    return m_nMapCount++;
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
    CheckStoring();
    // Runs of objects of one class: the class written last needs no look-up.
    if (pClassRef == m_pLastClass) {
        if (m_nLastClass < wBigObjectTag) {
            Put(uint16_t(wClassTag | m_nLastClass));
        } else {
            *this << wBigObjectTag << uint32_t(dwBigClassTag | m_nLastClass);
        }
        return;
    }
    if (!pClassRef->IsSerializable()) Fail(CArchiveException::badClass);
    if (const uint32_t idx = m_classMap.Find(pClassRef)) {
        m_pLastClass = pClassRef;
        m_nLastClass = idx;
        if (idx < wBigObjectTag) {
            *this << uint16_t(wClassTag | idx);
        } else {
            *this << wBigObjectTag << uint32_t(dwBigClassTag | idx);
        }
        return;
    }
    size_t len = std::strlen(pClassRef->m_lpszClassName);
    if (len > kMaxClassName) Fail(CArchiveException::badClass);
    *this << wNewClassTag << uint16_t(pClassRef->m_wSchema) << uint16_t(len);
    Write(pClassRef->m_lpszClassName, len);
    m_classMap.Insert(pClassRef, NextMapIndex());
    m_objectsByIndex.push_back(nullptr);
}

uint32_t CArchive::WrittenObjectIndex(const CObject* pOb) {
    // Objects are rarely written twice: their indexes are put in a map only then.
    if (!m_bObjectMap) {
        for (size_t i = 0; i < m_objectsByIndex.size(); ++i)
            if (m_objectsByIndex[i]) m_objectMap.Insert(m_objectsByIndex[i], uint32_t(i + 1));
        m_bObjectMap = true;
    }
    return m_objectMap.Find(pOb);
}

void CArchive::WriteObject(const CObject* pOb) {
    CheckStoring();
    if (!pOb) {
        *this << wNullTag;
        return;
    }
    if (m_marks.TestAndMark(pOb)) {
        const uint32_t idx = WrittenObjectIndex(pOb);
        if (idx < wBigObjectTag) {
            *this << uint16_t(idx);
        } else {
            *this << wBigObjectTag << idx;
        }
        return;
    }
    WriteClass(pOb->GetRuntimeClass());
    // Indexed before its contents, which may refer back to it.
    const uint32_t idx = NextMapIndex();
    m_objectsByIndex.push_back(pOb);
    if (m_bObjectMap) m_objectMap.Insert(pOb, idx);
    const_cast<CObject*>(pOb)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, uint32_t* pSchema,
                                         uint32_t* pObTag) {
    CheckLoading();
    uint16_t wTag;
    uint32_t obTag;
    *this >> wTag;
    if (wTag == wBigObjectTag) {
        *this >> obTag;
    } else {
        obTag = (uint32_t(wTag & wClassTag) << 16) | (wTag & ~wClassTag);
    }
    if (!(obTag & dwBigClassTag)) {
        if (!pObTag) Fail(CArchiveException::badIndex);
        *pObTag = obTag;
        return nullptr;
    }

    const CRuntimeClass* pClassRef;
    uint32_t nSchema;
    if (wTag == wNewClassTag) {
        uint16_t schema, len;
        *this >> schema >> len;
        if (len > kMaxClassName) Fail(CArchiveException::badClass);
        char name[kMaxClassName];
        Read(name, len);
        pClassRef = CRuntimeClass::FromName(std::string_view(name, len));
        if (!pClassRef || !pClassRef->IsSerializable()) Fail(CArchiveException::badClass);
        nSchema = schema;
        if ((pClassRef->m_wSchema & ~VERSIONABLE_SCHEMA) != nSchema &&
            !(pClassRef->m_wSchema & VERSIONABLE_SCHEMA))
            Fail(CArchiveException::badSchema);
        NextMapIndex();
        m_loadArray.push_back({pClassRef, nullptr, nSchema, false});
    } else {
        uint32_t idx = obTag & ~dwBigClassTag;
        if (idx == 0 || idx >= m_loadArray.size() || !m_loadArray[idx].pClass)
            Fail(CArchiveException::badIndex);
        pClassRef = m_loadArray[idx].pClass;
        nSchema = m_loadArray[idx].nSchema;
    }
    if (pClassRefRequested && !pClassRef->IsDerivedFrom(pClassRefRequested))
        Fail(CArchiveException::badClass);
    if (pSchema) {
        *pSchema = nSchema;
    } else {
        m_nObjectSchema = nSchema;
    }
    if (pObTag) *pObTag = obTag;
    return pClassRef;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
    uint32_t nSchema = 0, obTag = 0;
    const CRuntimeClass* pClassRef = ReadClass(pClassRefRequested, &nSchema, &obTag);
    if (!pClassRef) {
        // A back reference: to the null object, or to an object loaded completely. A reference
        // to a class, or to an object still loading (a cycle), is damage.
        if (obTag >= m_loadArray.size()) Fail(CArchiveException::badIndex);
        const LoadEntry& e = m_loadArray[obTag];
        if (e.pClass || e.loading) Fail(CArchiveException::badIndex);
        if (!e.pOb) return nullptr;
        if (pClassRefRequested && !e.pOb->IsKindOf(pClassRefRequested)) Fail(CArchiveException::badClass);
        e.pOb->InternalAddRef();
        return e.pOb;
    }
    if (m_depth >= kMaxObjectDepth) Fail(CArchiveException::genericException);
    NextMapIndex();
    size_t slot = m_loadArray.size();
    m_loadArray.push_back({nullptr, nullptr, 0, true});
    CObject* pOb = pClassRef->CreateObject();
    if (!pOb) Fail(CArchiveException::badClass);
    m_loadArray[slot].pOb = pOb;  // the archive holds the creator's reference

    struct Nesting {
        CArchive& ar;
        uint32_t savedSchema;
        Nesting(CArchive& a, uint32_t schema) : ar(a), savedSchema(a.m_nObjectSchema) {
            ++ar.m_depth;
            ar.m_nObjectSchema = schema;
        }
        ~Nesting() {
            --ar.m_depth;
            ar.m_nObjectSchema = savedSchema;
        }
    } nesting(*this, nSchema);
    pOb->Serialize(*this);
    m_loadArray[slot].loading = false;
    pOb->InternalAddRef();
    return pOb;
}

uint32_t CArchive::GetObjectSchema() {
    uint32_t n = m_nObjectSchema;
    m_nObjectSchema = uint32_t(-1);
    return n;
}

void SerializeStringArray(CArchive& ar, std::vector<WString>& items) {
    if (ar.IsStoring()) {
        ar.WriteCount(uint32_t(items.size()));
        for (const WString& s : items) ar << s;
        return;
    }
    uint32_t n = ar.ReadCountChecked(1);  // every text takes at least its length byte
    std::vector<WString> loaded;
    loaded.reserve(n);
    for (uint32_t i = 0; i < n; ++i) loaded.push_back(ar.ReadString());
    items = std::move(loaded);
}

IMPLEMENT_SERIAL(CDWordArray, CObject, 0)

void CDWordArray::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteCount(uint32_t(m_data.size()));
        for (uint32_t v : m_data) ar << v;
        return;
    }
    uint32_t n = ar.ReadCountChecked(4);
    std::vector<uint32_t> loaded(n);
    for (uint32_t& v : loaded) ar >> v;
    m_data = std::move(loaded);
}
