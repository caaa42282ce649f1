// The framework's archive: values, counts, texts and objects with their classes, byte for byte
// as the Windows program wrote them (little-endian).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/object.h"
#include "platform/text.h"

class CArchiveException : public std::exception {
public:
    enum {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
        bufferFull,
    };

    explicit CArchiveException(int cause) : m_cause(cause) {}
    const char* what() const noexcept override;

    int m_cause;
};

// Where a buffering archive hands on what it stores: the bytes in order, a buffer at a time.
class CArchiveSink {
public:
    // May throw; the archive stores nothing more then.
    virtual void Put(const uint8_t* data, size_t size) = 0;

protected:
    ~CArchiveSink() = default;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    static constexpr size_t kDefaultBufferSize = 256 * 1024;

    // Storing appends to buf; loading reads buf from its start. buf must outlive the archive.
    CArchive(std::vector<uint8_t>& buf, Mode mode);
    // Storing into sink through a buffer of bufferSize bytes (at least 64). Flush() hands on what
    // is buffered; call it once everything is stored: the destructor drops what it still holds.
    explicit CArchive(CArchiveSink& sink, size_t bufferSize = kDefaultBufferSize);
    // Loading: reads data, which must outlive the archive.
    explicit CArchive(std::span<const uint8_t> data);
    CArchive(const uint8_t* data, size_t size) : CArchive(std::span<const uint8_t>(data, size)) {}
    // Releases the objects the archive loaded that nobody else holds.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // Loading: bytes consumed so far, total input size, bytes left. Storing: bytes stored.
    size_t GetPosition() const;
    size_t GetSize() const;
    size_t GetRemaining() const;
    // Storing into a sink: hands the buffered bytes on.
    void Flush();
    // Throws endOfFile unless n items of at least bytesEach bytes can still be read. Call it
    // before sizing anything from a count read from the archive.
    void CheckAvailable(uint64_t n, uint64_t bytesEach = 1) const;

    // Raw bytes. Read throws endOfFile when fewer than n bytes are left (nothing is consumed).
    void Read(void* p, size_t n);
    void Write(const void* p, size_t n) {
        // Empty writes take the long way, which checks the direction.
        if (n - 1 < size_t(m_lim - m_cur)) {
            std::memcpy(m_cur, p, n);
            m_cur += n;
        } else {
            WriteSlow(p, n);
        }
    }

    CArchive& operator<<(int8_t v) { return Put(uint8_t(v)); }
    CArchive& operator<<(uint8_t v) { return Put(v); }
    CArchive& operator<<(int16_t v) { return Put(uint16_t(v)); }
    CArchive& operator<<(uint16_t v) { return Put(v); }
    CArchive& operator<<(int32_t v) { return Put(uint32_t(v)); }
    CArchive& operator<<(uint32_t v) { return Put(v); }
    CArchive& operator<<(int64_t v) { return Put(uint64_t(v)); }
    CArchive& operator<<(uint64_t v) { return Put(v); }
    // Floating point values keep their bit patterns (NaN payloads included).
    CArchive& operator<<(float v) { return Put(std::bit_cast<uint32_t>(v)); }
    CArchive& operator<<(double v) { return Put(std::bit_cast<uint64_t>(v)); }
    CArchive& operator<<(bool) = delete;  // say which width
    CArchive& operator>>(int8_t& v) { return Get<uint8_t>(v); }
    CArchive& operator>>(uint8_t& v) { return Get<uint8_t>(v); }
    CArchive& operator>>(int16_t& v) { return Get<uint16_t>(v); }
    CArchive& operator>>(uint16_t& v) { return Get<uint16_t>(v); }
    CArchive& operator>>(int32_t& v) { return Get<uint32_t>(v); }
    CArchive& operator>>(uint32_t& v) { return Get<uint32_t>(v); }
    CArchive& operator>>(int64_t& v) { return Get<uint64_t>(v); }
    CArchive& operator>>(uint64_t& v) { return Get<uint64_t>(v); }
    CArchive& operator>>(float& v) {
        uint32_t u;
        Get<uint32_t>(u);
        v = std::bit_cast<float>(u);
        return *this;
    }
    CArchive& operator>>(double& v) {
        uint64_t u;
        Get<uint64_t>(u);
        v = std::bit_cast<double>(u);
        return *this;
    }
    CArchive& operator>>(bool&) = delete;

    // A BOOL: 32-bit, nonzero is true; written as 1 or 0.
    void WriteBool32(bool v) { *this << int32_t(v ? 1 : 0); }
    bool ReadBool32();

    // The framework's count: 16-bit, or 0xFFFF then 32-bit when the count is 0xFFFF or more.
    void WriteCount(uint32_t n) {
        if (n < 0xFFFF) {
            Put(uint16_t(n));
        } else {
            Put(uint16_t(0xFFFF));
            Put(n);
        }
    }
    uint32_t ReadCount();
    // ReadCount, then CheckAvailable(count, minBytesEach).
    uint32_t ReadCountChecked(uint64_t minBytesEach);

    // Texts in the framework's string form. Writing always gives the Unicode form (FF FE FF,
    // length escapes, UTF-16LE, no terminator); reading also takes the 8-bit form (Windows-1252).
    void WriteString(WStringView s) {
        // Most texts are short: the marker and a one-byte length in one go.
        if (s.size() < 0xFF) {
            Put(uint32_t(0x00FFFEFFu | uint32_t(s.size()) << 24));
            WriteChars(s);
        } else {
            WriteLongString(s);
        }
    }
    WString ReadString();
    CArchive& operator<<(WStringView s) {
        WriteString(s);
        return *this;
    }
    CArchive& operator>>(WString& s) {
        s = ReadString();
        return *this;
    }

    // Objects with their class: the class tag the first time a class is seen, then back
    // references; an object stored twice is written the second time as a back reference; a
    // null pointer is tag 0.
    void WriteObject(const CObject* pOb);
    // Returns a new reference owned by the caller (nullptr for the null tag). Throws badClass
    // when the stored class is unknown or not derived from pClassRefRequested (nullptr: any).
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    template <class T>
    CRefPtr<T> ReadObjectAs() {
        return CRefPtr<T>::Adopt(static_cast<T*>(ReadObject(T::GetThisClass())));
    }

    void WriteClass(const CRuntimeClass* pClassRef);
    // Returns the class read; with pObTag given, an object tag gives nullptr and the tag.
    const CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr,
                                   uint32_t* pSchema = nullptr, uint32_t* pObTag = nullptr);

    // While an object's Serialize runs on loading: the schema stored with its class. Returns it
    // once, then (uint32_t)-1.
    uint32_t GetObjectSchema();
    void SetObjectSchema(uint32_t nSchema) { m_nObjectSchema = nSchema; }

    // Deepest nesting of objects inside objects accepted on loading.
    static constexpr int kMaxObjectDepth = 100;

private:
    void CheckLoading() const;
    void CheckStoring() const;
    uint32_t NextMapIndex();

    // Little-endian whatever the machine.
    template <class U>
    CArchive& Put(U v) {
        uint8_t bytes[sizeof(U)];
        for (size_t i = 0; i < sizeof(U); ++i) bytes[i] = uint8_t(v >> (8 * i));
        if (sizeof(U) <= size_t(m_lim - m_cur)) {
            std::memcpy(m_cur, bytes, sizeof(U));
            m_cur += sizeof(U);
        } else {
            WriteSlow(bytes, sizeof(U));
        }
        return *this;
    }
    // Little-endian whatever the machine; an archive that is not loading has no input left.
    template <class U, class T>
    CArchive& Get(T& v) {
        if (m_in.size() - m_pos < sizeof(U)) CheckAvailable(sizeof(U));  // throws
        const uint8_t* p = m_in.data() + m_pos;
        U u = 0;
        for (size_t i = 0; i < sizeof(U); ++i) u = U(u | (U(p[i]) << (8 * i)));
        m_pos += sizeof(U);
        v = T(u);
        return *this;
    }
    // Writes that do not fit the buffer's free room, and every write without a buffer.
    void WriteSlow(const void* p, size_t n);
    void WriteLongString(WStringView s);
    // UTF-16LE.
    void WriteChars(WStringView s) {
        if constexpr (std::endian::native == std::endian::little) {
            Write(s.data(), 2 * s.size());
        } else {
            for (char16_t c : s) Put(uint16_t(c));
        }
    }
    void FlushBuffer();

    struct LoadEntry {
        const CRuntimeClass* pClass = nullptr;  // a class entry
        CObject* pOb = nullptr;                 // an object entry (the archive holds one reference)
        uint32_t nSchema = 0;                   // schema stored with a class
        bool loading = false;                   // the object's Serialize has not finished
    };

    Mode m_mode;
    // Storing: the buffer's free room (both null when storing into a vector, and when loading).
    uint8_t* m_cur = nullptr;
    uint8_t* m_lim = nullptr;
    std::vector<uint8_t>* m_out = nullptr;
    CArchiveSink* m_sink = nullptr;
    std::unique_ptr<uint8_t[]> m_buf;
    size_t m_nBufSize = 0;
    size_t m_nFlushed = 0;  // bytes handed to the sink
    std::span<const uint8_t> m_in;
    size_t m_pos = 0;
    uint32_t m_nMapCount = 1;  // classes and objects share one index; 0 is the null object
    // Map indexes by pointer: the written classes, and the written objects once one is written again.
    class CStoreMap {
    public:
        // The index stored for p, or 0 when none.
        uint32_t Find(const void* p) const;
        void Insert(const void* p, uint32_t index);

    private:
        size_t Slot(const void* p) const;
        uint32_t& Place(const void* p);  // with room for it
        void Grow();

        std::vector<std::pair<const void*, uint32_t>> m_slots;
        size_t m_count = 0;
        int m_shift = 64;  // 64 - log2 of the table's size
    };
    // The objects written so far. Objects never overlap and take at least 16 bytes, so one bit for
    // every 16 bytes of memory marks them exactly; the bits of each 64 KiB of memory lie together, so
    // that the objects a save walks through one after the other mostly mark the same few words.
    class CMarks {
    public:
        // True when p was marked before; marks it.
        bool TestAndMark(const void* p);

    private:
        static constexpr unsigned kAreaShift = 16;
        static constexpr size_t kWordsPerArea = (size_t(1) << (kAreaShift - 4)) / 64;
        static constexpr uint64_t kNoArea = ~uint64_t(0);
        size_t AreaWords(uint64_t area);  // the first word of the area's bits, made when new
        void Grow();

        // Open addressing: scattered records change area often, and a node map costs the save a
        // fifth of its archive time.
        std::vector<std::pair<uint64_t, uint32_t>> m_areas;  // area, its bits' block
        size_t m_nAreas = 0;
        std::vector<uint64_t> m_bits;
        uint64_t m_lastArea = kNoArea;
        size_t m_lastWords = 0;
    };
    uint32_t WrittenObjectIndex(const CObject* pOb);

    CStoreMap m_classMap;
    const CRuntimeClass* m_pLastClass = nullptr;  // a class written before, and its index
    uint32_t m_nLastClass = 0;
    CMarks m_marks;
    std::vector<const CObject*> m_objectsByIndex;  // index -> the object written under it (null: a class)
    CStoreMap m_objectMap;                         // made when an object is written again
    bool m_bObjectMap = false;
    std::vector<LoadEntry> m_loadArray;
    uint32_t m_nObjectSchema = uint32_t(-1);
    int m_depth = 0;
};

template <class T>
CArchive& operator<<(CArchive& ar, const CRefPtr<T>& p) {
    ar.WriteObject(p.Get());
    return ar;
}
inline CArchive& operator<<(CArchive& ar, const CObject* p) {
    ar.WriteObject(p);
    return ar;
}
template <class T>
CArchive& operator>>(CArchive& ar, CRefPtr<T>& p) {
    p = ar.ReadObjectAs<T>();
    return ar;
}

// Fetches [p, p + size) into the cache ahead of its use.
inline void PrefetchMemory(const void* p, size_t size) {
    for (size_t at = 0; at < size; at += 64) __builtin_prefetch(static_cast<const char*>(p) + at);
}

// Storing arrays of records that lie scattered in memory: before items[i] is written, the record
// four places ahead is fetched, and what the records nearer to it keep apart from themselves,
// through T's `void PrefetchForStoring(int depth) const` when it has one: depth 0 (three places
// ahead) the blocks the record points to, depth 1 (two places ahead) what those point to, and so on
// to depth 3 (items[i] itself). Each depth may read what the one before it fetched.
template <class T>
void PrefetchForStoring(const std::vector<CRefPtr<T>>& items, size_t i) {
    constexpr size_t kAhead = 4;
    if (i == 0) {
        // The start of the array: the first records at once.
        for (size_t k = 0; k < kAhead && k < items.size(); ++k)
            if (items[k]) PrefetchMemory(items[k].Get(), sizeof(T));
    }
    if (i + kAhead < items.size() && items[i + kAhead]) PrefetchMemory(items[i + kAhead].Get(), sizeof(T));
    if constexpr (requires(const T& t) { t.PrefetchForStoring(0); }) {
        for (int depth = 0; depth < int(kAhead); ++depth) {
            const size_t k = i + kAhead - 1 - size_t(depth);
            if (k < items.size() && items[k]) items[k]->PrefetchForStoring(depth);
        }
    }
}

// An owning object array: the count, then each object with its class. Loading refuses null
// elements (badIndex) unless allowNull, and objects not derived from T (badClass).
template <class T>
void SerializeObjectArray(CArchive& ar, std::vector<CRefPtr<T>>& items, bool allowNull = false) {
    if (ar.IsStoring()) {
        ar.WriteCount(uint32_t(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            PrefetchForStoring(items, i);
            ar.WriteObject(items[i].Get());
        }
        return;
    }
    uint32_t n = ar.ReadCountChecked(2);  // every object takes at least a 2-byte tag
    std::vector<CRefPtr<T>> loaded;
    loaded.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        loaded.push_back(ar.ReadObjectAs<T>());
        if (!allowNull && !loaded.back()) throw CArchiveException(CArchiveException::badIndex);
    }
    items = std::move(loaded);
}

// A string array: the count, then each text.
void SerializeStringArray(CArchive& ar, std::vector<WString>& items);

// The framework's array of 32-bit values; stored with its class under schema 0.
class CDWordArray : public CObject {
    DECLARE_SERIAL(CDWordArray)
public:
    void Serialize(CArchive& ar) override;

    size_t GetSize() const { return m_data.size(); }
    uint32_t GetAt(size_t i) const { return m_data.at(i); }
    void SetAt(size_t i, uint32_t v) { m_data.at(i) = v; }
    size_t Add(uint32_t v) {
        m_data.push_back(v);
        return m_data.size() - 1;
    }
    void RemoveAll() { m_data.clear(); }

    std::vector<uint32_t> m_data;
};

// Date operators (need the date type).
#include "platform/archive_date.h"
