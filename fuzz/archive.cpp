// Archive reader: feeds bytes through objects of a small class tree, texts, counts, dates and
// arrays; whatever loads must store, re-load and store again to the same bytes.
#include "platform/archive.h"

#include <cstdlib>
#include <cstring>

// Until the date type is in every branch.

namespace {

template <class Ar, class T>
void Both(Ar& ar, T& v) {
    if (ar.IsStoring()) {
        ar << v;
    } else {
        ar >> v;
    }
}

class CFzBase : public CObject {
    DECLARE_SERIAL(CFzBase)
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_n;
        } else {
            ar.GetObjectSchema();
            ar >> m_n;
        }
    }
    int32_t m_n = 0;
};
IMPLEMENT_SERIAL(CFzBase, CObject, VERSIONABLE_SCHEMA | 1)

class CFzLeaf : public CFzBase {
    DECLARE_SERIAL(CFzLeaf)
public:
    void Serialize(CArchive& ar) override {
        CFzBase::Serialize(ar);
        Both(ar, m_text);
        Both(ar, m_value);
    }
    WString m_text;
    double m_value = 0;
};
IMPLEMENT_SERIAL(CFzLeaf, CFzBase, VERSIONABLE_SCHEMA | 1)

class CFzTree : public CFzBase {
    DECLARE_SERIAL(CFzTree)
public:
    void Serialize(CArchive& ar) override {
        CFzBase::Serialize(ar);
        Both(ar, m_child);
        Both(ar, m_words);
        Both(ar, m_date);
        SerializeObjectArray(ar, m_items, true);
        SerializeStringArray(ar, m_tags);
    }
    CRefPtr<CFzBase> m_child;
    CRefPtr<CDWordArray> m_words;
    COleDateTime m_date;
    std::vector<CRefPtr<CFzBase>> m_items;
    std::vector<WString> m_tags;
};
IMPLEMENT_SERIAL(CFzTree, CFzBase, VERSIONABLE_SCHEMA | 1)

// One step of the input: an operation byte, then what it names.
struct Step {
    uint8_t op = 0;
    CRefPtr<CObject> object;
    std::vector<CRefPtr<CFzBase>> objects;
    WString text;
    std::vector<WString> texts;
    uint32_t count = 0;
    COleDateTime date;
    int8_t i8 = 0;
    int16_t i16 = 0;
    int32_t i32 = 0;
    int64_t i64 = 0;
    float f = 0;
    double d = 0;
    std::vector<uint8_t> raw;
};
constexpr uint8_t kOps = 9;

void SerializeStep(CArchive& ar, Step& s) {
    Both(ar, s.op);
    if (ar.IsLoading()) s.op %= kOps;
    switch (s.op) {
        case 0:
            if (ar.IsStoring()) {
                ar.WriteObject(s.object.Get());
            } else {
                s.object = ar.ReadObjectAs<CFzBase>();
            }
            break;
        case 1:
            if (ar.IsStoring()) {
                ar.WriteObject(s.object.Get());
            } else {
                s.object = ar.ReadObjectAs<CDWordArray>();
            }
            break;
        case 2:
            Both(ar, s.text);
            break;
        case 3:
            if (ar.IsStoring()) {
                ar.WriteCount(s.count);
            } else {
                s.count = ar.ReadCount();
            }
            break;
        case 4:
            SerializeStringArray(ar, s.texts);
            break;
        case 5:
            Both(ar, s.date);
            break;
        case 6:
            SerializeObjectArray(ar, s.objects, true);
            break;
        case 7:
            Both(ar, s.i8);
            Both(ar, s.i16);
            Both(ar, s.i32);
            Both(ar, s.i64);
            Both(ar, s.f);
            Both(ar, s.d);
            break;
        case 8: {
            uint8_t n = uint8_t(s.raw.size());
            Both(ar, n);
            if (ar.IsStoring()) {
                ar.Write(s.raw.data(), n);
            } else {
                s.raw.resize(n);
                ar.Read(s.raw.data(), n);
            }
            break;
        }
    }
}

bool Load(const uint8_t* data, size_t size, std::vector<Step>& steps) {
    try {
        CArchive ar(data, size);
        while (ar.GetRemaining() > 0) {
            steps.emplace_back();
            SerializeStep(ar, steps.back());
        }
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

std::vector<uint8_t> Store(std::vector<Step>& steps) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    for (Step& s : steps) SerializeStep(ar, s);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Step> first;
    if (!Load(data, size, first)) return 0;
    std::vector<uint8_t> once = Store(first);
    std::vector<Step> second;
    if (!Load(once.data(), once.size(), second)) abort();  // what we wrote must load
    std::vector<uint8_t> twice = Store(second);
    if (once != twice) abort();
    return 0;
}
