#include "platform/archive.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace {

std::atomic<int> g_live{0};

// Small serialisable classes: an item with one number, a node that owns texts, items and one
// child, and a class unrelated to both.
class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
public:
    CTestItem() { ++g_live; }
    explicit CTestItem(int32_t n) : m_n(n) { ++g_live; }
    CTestItem(const CTestItem& other) : CObject(other), m_n(other.m_n) { ++g_live; }
    ~CTestItem() override { --g_live; }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_n;
        } else {
            m_schemaSeen = ar.GetObjectSchema();
            ar >> m_n;
        }
    }
    int32_t m_n = 0;
    uint32_t m_schemaSeen = 0;
};
IMPLEMENT_SERIAL(CTestItem, CObject, VERSIONABLE_SCHEMA | 1)

class CTestNode : public CObject {
    DECLARE_SERIAL(CTestNode)
public:
    CTestNode() { ++g_live; }
    ~CTestNode() override { --g_live; }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_name << m_child;
        } else {
            ar >> m_name >> m_child;
        }
        SerializeStringArray(ar, m_tags);
        SerializeObjectArray(ar, m_items);
    }
    WString m_name;
    CRefPtr<CObject> m_child;
    std::vector<WString> m_tags;
    std::vector<CRefPtr<CTestItem>> m_items;
};
IMPLEMENT_SERIAL(CTestNode, CObject, VERSIONABLE_SCHEMA | 1)

class CTestOther : public CObject {
    DECLARE_SERIAL(CTestOther)
public:
    void Serialize(CArchive&) override {}
};
IMPLEMENT_SERIAL(CTestOther, CObject, VERSIONABLE_SCHEMA | 1)

// Builds expected bytes by hand from the documented layout.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint8_t b) {
        v.push_back(b);
        return *this;
    }
    Bytes& raw(std::initializer_list<uint8_t> bs) {
        v.insert(v.end(), bs);
        return *this;
    }
    Bytes& u16(uint16_t x) { return u8(uint8_t(x)).u8(uint8_t(x >> 8)); }
    Bytes& u32(uint32_t x) { return u16(uint16_t(x)).u16(uint16_t(x >> 16)); }
    Bytes& ascii(const char* s) {
        for (; *s; ++s) u8(uint8_t(*s));
        return *this;
    }
    Bytes& utf16(WStringView s) {
        for (char16_t c : s) u16(c);
        return *this;
    }
    // New-class tag for one of our classes (schema 1).
    Bytes& newClass(const char* name, uint16_t schema = 1) {
        return u16(0xFFFF).u16(schema).u16(uint16_t(std::strlen(name))).ascii(name);
    }
    Bytes& operator+=(const Bytes& o) {
        v.insert(v.end(), o.v.begin(), o.v.end());
        return *this;
    }
};

std::vector<uint8_t> Store(const std::function<void(CArchive&)>& f) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    EXPECT_TRUE(ar.IsStoring());
    f(ar);
    return out;
}

// Loads the whole of b; every byte must be consumed.
void Load(const std::vector<uint8_t>& b, const std::function<void(CArchive&)>& f) {
    CArchive ar(b);
    EXPECT_TRUE(ar.IsLoading());
    f(ar);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    EXPECT_EQ(ar.GetPosition(), b.size());
}

int CauseOf(const std::vector<uint8_t>& b, const std::function<void(CArchive&)>& f) {
    try {
        CArchive ar(b);
        f(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

TEST(ArchiveValues, FixedWidthLittleEndianAndBack) {
    Bytes want;
    want.raw({0x80})
        .raw({0xFE})
        .raw({0xFE, 0xFF})
        .raw({0x34, 0x12})
        .raw({0xFF, 0xFF, 0xFF, 0x7F})
        .raw({0x78, 0x56, 0x34, 0x12})
        .raw({0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})
        .raw({0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01})  // low 32 bits first
        .raw({0x00, 0x00, 0xC0, 0x3F})                          // 1.5f
        .raw({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F})  // 1.0
        .raw({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0xFF})  // NaN "not entered"
        .raw({0x01, 0x00, 0x00, 0x00});                         // TRUE

    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    int64_t i64;
    uint64_t u64;
    float f;
    double d, nan;
    bool b = false;
    Load(want.v, [&](CArchive& ar) {
        ar >> i8 >> u8 >> i16 >> u16 >> i32 >> u32 >> i64 >> u64 >> f >> d >> nan;
        b = ar.ReadBool32();
    });
    EXPECT_EQ(i8, -128);
    EXPECT_EQ(u8, 0xFE);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i32, 0x7FFFFFFF);
    EXPECT_EQ(u32, 0x12345678u);
    EXPECT_EQ(i64, -2);
    EXPECT_EQ(u64, 0x0102030405060708ull);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, 1.0);
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(b);
    EXPECT_EQ(Store([&](CArchive& ar) {
                  ar << i8 << u8 << i16 << u16 << i32 << u32 << i64 << u64 << f << d << nan;
                  ar.WriteBool32(b);
              }),
              want.v);
}

TEST(ArchiveValues, Bool32ReadsAnyNonZeroAsTrue) {
    std::vector<uint8_t> b{0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0};
    Load(b, [](CArchive& ar) {
        EXPECT_TRUE(ar.ReadBool32());
        EXPECT_FALSE(ar.ReadBool32());
    });
}

TEST(ArchiveCount, EscapesAtFFFF) {
    struct Case {
        uint32_t n;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {0, {0x00, 0x00}},
        {0x1234, {0x34, 0x12}},
        {0xFFFE, {0xFE, 0xFF}},
        {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
        {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Load(c.bytes, [&](CArchive& ar) { EXPECT_EQ(ar.ReadCount(), c.n); });
        EXPECT_EQ(Store([&](CArchive& ar) { ar.WriteCount(c.n); }), c.bytes);
    }
}

WString Payload(size_t n) {
    WString s(n, u'a');
    for (size_t i = 0; i < n; ++i) s[i] = char16_t(0x20 + i % 0xD000);  // includes non-Latin units
    return s;
}

TEST(ArchiveString, UnicodeFormLengthEscapes) {
    struct Case {
        size_t n;
        std::vector<uint8_t> header;
    } cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {1, {0xFF, 0xFE, 0xFF, 0x01}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0xFFFF, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {0x10001, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        WString text = Payload(c.n);
        Bytes b;
        b.v = c.header;
        b.utf16(text);
        WString got;
        Load(b.v, [&](CArchive& ar) { ar >> got; });
        EXPECT_EQ(got, text);
        EXPECT_EQ(Store([&](CArchive& ar) { ar << got; }), b.v);
    }
}

TEST(ArchiveString, KeepsUnpairedSurrogates) {
    WString s{u'x', char16_t(0xD800), u'y'};
    std::vector<uint8_t> b{0xFF, 0xFE, 0xFF, 0x03, 'x', 0, 0x00, 0xD8, 'y', 0};
    WString got;
    Load(b, [&](CArchive& ar) { ar >> got; });
    EXPECT_EQ(got, s);
    EXPECT_EQ(Store([&](CArchive& ar) { ar << got; }), b);
}

TEST(ArchiveString, ReadsEightBitFormAsWindows1252) {
    struct Case {
        std::vector<uint8_t> header;
        size_t n;
    } cases[] = {
        {{0x00}, 0},
        {{0x05}, 5},
        {{0xFE}, 254},
        {{0xFF, 0xFF, 0x00}, 255},
        {{0xFF, 0xFD, 0xFF}, 0xFFFD},
        {{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}, 0xFFFE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Bytes b;
        b.v = c.header;
        WString want;
        for (size_t i = 0; i < c.n; ++i) {
            // 0xE9 is e-acute and 0x80 the euro sign in Windows-1252.
            uint8_t ch = i % 3 == 0 ? 0xE9 : i % 3 == 1 ? 0x80 : uint8_t('A' + i % 26);
            b.u8(ch);
            want.push_back(ch == 0xE9 ? u'\u00E9' : ch == 0x80 ? u'\u20AC' : char16_t(ch));
        }
        WString got;
        Load(b.v, [&](CArchive& ar) { ar >> got; });
        EXPECT_EQ(got, want);
        // Written back in the Unicode form.
        Bytes w;
        w.raw({0xFF, 0xFE, 0xFF});
        if (c.n < 0xFF) {
            w.u8(uint8_t(c.n));
        } else if (c.n < 0xFFFE) {
            w.u8(0xFF).u16(uint16_t(c.n));
        } else {
            w.u8(0xFF).u16(0xFFFF).u32(uint32_t(c.n));
        }
        w.utf16(want);
        EXPECT_EQ(Store([&](CArchive& ar) { ar << got; }), w.v);
    }
}

TEST(ArchiveString, LongerLengthFormsThanNeededStillRead) {
    std::vector<std::vector<uint8_t>> inputs = {
        {0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 'a', 0, 'b', 0},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'a', 0, 'b', 0},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0, 'a', 0, 'b', 0},
        {0xFF, 0x02, 0x00, 'a', 'b'},
        {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'a', 'b'},
    };
    for (const auto& b : inputs) {
        WString got;
        Load(b, [&](CArchive& ar) { ar >> got; });
        EXPECT_EQ(got, u"ab");
    }
}

TEST(ArchiveString, AfterTheMarkerASixteenBitFFFEIsALength) {
    std::vector<uint8_t> b = {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
    for (size_t i = 0; i < 0xFFFE; ++i) {
        b.push_back('x');
        b.push_back(0);
    }
    WString got;
    Load(b, [&](CArchive& ar) { ar >> got; });
    EXPECT_EQ(got, WString(0xFFFE, u'x'));
}

TEST(ArchiveString, HugeLengthInFewBytesFailsBeforeAllocating) {
    std::vector<std::vector<uint8_t>> inputs = {
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0x7F, 'a', 0},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
         0x7F},
        {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a'},
        {0xFF, 0xFE, 0xFF, 0x02, 'a', 0},  // one character short
    };
    for (const auto& b : inputs)
        EXPECT_EQ(CauseOf(b, [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
}

TEST(ArchiveArrays, StringArrayAndDWordArrayLayout) {
    Bytes b;
    b.u16(2).raw({0xFF, 0xFE, 0xFF, 0x02}).utf16(u"ab").raw({0xFF, 0xFE, 0xFF, 0x00});
    b.newClass("CDWordArray", 0).u16(3).u32(7).u32(0xFFFFFFFF).u32(0);
    std::vector<WString> strings;
    CRefPtr<CDWordArray> dw;
    Load(b.v, [&](CArchive& ar) {
        SerializeStringArray(ar, strings);
        ar >> dw;
    });
    EXPECT_EQ(strings, (std::vector<WString>{u"ab", u""}));
    ASSERT_TRUE(dw);
    EXPECT_EQ(dw->m_data, (std::vector<uint32_t>{7, 0xFFFFFFFF, 0}));
    EXPECT_EQ(Store([&](CArchive& ar) {
                  SerializeStringArray(ar, strings);
                  ar << dw;
              }),
              b.v);
}

TEST(ArchiveArrays, DWordArrayRefusesAnyOtherSchema) {
    Bytes b;
    b.newClass("CDWordArray", 1).u16(0);
    EXPECT_EQ(CauseOf(b.v, [](CArchive& ar) { ar.ReadObjectAs<CDWordArray>(); }),
              CArchiveException::badSchema);
}

TEST(ArchiveArrays, HugeCountsInFewBytesFailBeforeAllocating) {
    Bytes count;
    count.u16(0xFFFF).u32(0x7FFFFFFF).u32(0).u32(0);
    std::vector<WString> strings;
    EXPECT_EQ(CauseOf(count.v, [&](CArchive& ar) { SerializeStringArray(ar, strings); }),
              CArchiveException::endOfFile);
    std::vector<CRefPtr<CTestItem>> items;
    EXPECT_EQ(CauseOf(count.v, [&](CArchive& ar) { SerializeObjectArray(ar, items); }),
              CArchiveException::endOfFile);
    Bytes dw;
    dw.newClass("CDWordArray", 0) += count;
    EXPECT_EQ(CauseOf(dw.v, [&](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::endOfFile);
    EXPECT_EQ(g_live, 0);
}

// Registry and reference counting.

TEST(ObjectModel, RuntimeClassesByName) {
    EXPECT_EQ(CRuntimeClass::FromName("CTestItem"), RUNTIME_CLASS(CTestItem));
    EXPECT_EQ(CRuntimeClass::FromName("CDWordArray"), RUNTIME_CLASS(CDWordArray));
    EXPECT_EQ(CRuntimeClass::FromName("ctestitem"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), nullptr);
    EXPECT_TRUE(RUNTIME_CLASS(CTestItem)->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(RUNTIME_CLASS(CTestItem)->IsDerivedFrom(RUNTIME_CLASS(CTestNode)));

    CRefPtr<CObject> p = CRefPtr<CObject>::Adopt(CRuntimeClass::FromName("CTestNode")->CreateObject());
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->IsKindOf(RUNTIME_CLASS(CTestNode)));
    EXPECT_TRUE(p->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(p->IsKindOf(RUNTIME_CLASS(CTestItem)));
    EXPECT_STREQ(p->GetRuntimeClass()->m_lpszClassName, "CTestNode");
}

TEST(ObjectModel, ReferenceCountStartsAtOneAndCopiesGetTheirOwn) {
    CTestItem* p = new CTestItem(5);
    EXPECT_EQ(p->GetRefCount(), 1u);
    EXPECT_EQ(p->AddRef(), 2u);
    CTestItem* copy = new CTestItem(*p);
    EXPECT_EQ(copy->GetRefCount(), 1u);
    EXPECT_EQ(copy->m_n, 5);
    EXPECT_EQ(copy->Release(), 0u);
    EXPECT_EQ(p->Release(), 1u);
    {
        CRefPtr<CTestItem> a(p);  // takes its own reference
        CRefPtr<CObject> b = a;
        EXPECT_EQ(p->GetRefCount(), 3u);
    }
    EXPECT_EQ(p->GetRefCount(), 1u);
    int before = g_live;
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(g_live, before - 1);
}

// Objects with their classes.

TEST(ArchiveObjects, TwoObjectsOfOneClassThenClassBackReference) {
    Bytes b;
    b.newClass("CTestItem").u32(10);  // class index 1, object 2
    b.u16(0x8001).u32(20);            // object 3
    CRefPtr<CTestItem> a, c;
    Load(b.v, [&](CArchive& ar) { ar >> a >> c; });
    ASSERT_TRUE(a && c);
    EXPECT_NE(a.Get(), c.Get());
    EXPECT_EQ(a->m_n, 10);
    EXPECT_EQ(c->m_n, 20);
    EXPECT_EQ(Store([&](CArchive& ar) { ar << a << c; }), b.v);
}

TEST(ArchiveObjects, ObjectWrittenTwiceIsAnObjectBackReference) {
    Bytes b;
    b.newClass("CTestItem").u32(7);  // class 1, object 2
    b.u16(0x0002);
    b.u16(0x0000);  // null object
    CRefPtr<CTestItem> a, again, none;
    Load(b.v, [&](CArchive& ar) { ar >> a >> again >> none; });
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), again.Get());
    EXPECT_FALSE(none);
    EXPECT_EQ(a->GetRefCount(), 2u);  // the archive's reference is gone
    EXPECT_EQ(Store([&](CArchive& ar) { ar << a << again << none; }), b.v);
}

TEST(ArchiveObjects, NestedObjectsShareOneIndexCounter) {
    // node(class 1, object 2): name, child item (class 3, object 4), tags, items [item (class
    // back ref 3, object 5), back ref to object 4]; then a second node (class ref 1, object 6)
    // whose child is the first node's child.
    Bytes b;
    b.newClass("CTestNode").raw({0xFF, 0xFE, 0xFF, 0x01}).utf16(u"n");
    b.newClass("CTestItem").u32(1);
    b.u16(1).raw({0xFF, 0xFE, 0xFF, 0x01}).utf16(u"t");
    b.u16(2).u16(0x8003).u32(2).u16(0x0004);
    b.u16(0x8001).raw({0xFF, 0xFE, 0xFF, 0x00}).u16(0x0004).u16(0).u16(0);
    {
        CRefPtr<CTestNode> n1, n2;
        Load(b.v, [&](CArchive& ar) { ar >> n1 >> n2; });
        ASSERT_TRUE(n1 && n2);
        EXPECT_EQ(n1->m_name, u"n");
        EXPECT_EQ(n1->m_tags, std::vector<WString>{u"t"});
        ASSERT_EQ(n1->m_items.size(), 2u);
        EXPECT_EQ(n1->m_items[0]->m_n, 2);
        EXPECT_EQ(n1->m_items[1].Get(), n1->m_child.Get());
        EXPECT_EQ(n2->m_child.Get(), n1->m_child.Get());
        EXPECT_EQ(Store([&](CArchive& ar) { ar << n1 << n2; }), b.v);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(ArchiveObjects, OtherSchemaOfVersionableClassLoadsAndIsReported) {
    Bytes b;
    b.newClass("CTestItem", 7).u32(3).u16(0x8001).u32(4);
    CRefPtr<CTestItem> a, c;
    Load(b.v, [&](CArchive& ar) { ar >> a >> c; });
    EXPECT_EQ(a->m_schemaSeen, 7u);
    EXPECT_EQ(c->m_schemaSeen, 7u);
    Bytes w;
    w.newClass("CTestItem", 1).u32(3).u16(0x8001).u32(4);
    EXPECT_EQ(Store([&](CArchive& ar) { ar << a << c; }), w.v);
}

TEST(ArchiveObjects, BigIndexEscape) {
    // Class 1 and objects 2..0x7FFE are items; then CTestOther takes class index 0x7FFF and
    // object 0x8000, a second CTestOther refers to its class with the escape (object 0x8001),
    // and back references to objects 0x7FFE and 0x8000 follow.
    const uint32_t nItems = 0x7FFD;
    Bytes b;
    b.newClass("CTestItem").u32(0);
    for (uint32_t i = 1; i < nItems; ++i) b.u16(0x8001).u32(i);
    b.newClass("CTestOther");
    b.u16(0x7FFF).u32(0x80007FFF);
    b.u16(0x7FFE);
    b.u16(0x7FFF).u32(0x00008000);

    std::vector<CRefPtr<CObject>> objs;
    Load(b.v, [&](CArchive& ar) {
        for (uint32_t i = 0; i < nItems + 4; ++i)
            objs.push_back(CRefPtr<CObject>::Adopt(ar.ReadObject(nullptr)));
    });
    ASSERT_EQ(objs.size(), nItems + 4);
    EXPECT_TRUE(objs[nItems]->IsKindOf(RUNTIME_CLASS(CTestOther)));
    EXPECT_NE(objs[nItems + 1].Get(), objs[nItems].Get());
    EXPECT_TRUE(objs[nItems + 1]->IsKindOf(RUNTIME_CLASS(CTestOther)));
    EXPECT_EQ(objs[nItems + 2].Get(), objs[nItems - 1].Get());
    EXPECT_EQ(objs[nItems + 3].Get(), objs[nItems].Get());
    EXPECT_EQ(Store([&](CArchive& ar) {
                  for (const auto& p : objs) ar << p;
              }),
              b.v);
    objs.clear();
    EXPECT_EQ(g_live, 0);
}

TEST(ArchiveObjects, AdjacentObjectsAcrossMuchMemoryAreToldApart) {
    // Objects of the smallest size side by side over several 64 KiB stretches: each is new once; then
    // some again (back references), then new ones, then those again.
    static_assert(sizeof(CTestOther) == 16);
    std::vector<CTestOther> first(9000), second(9000);
    const size_t order[] = {8999, 0, 1, 4096, 4095, 17, 16, 4097};
    Bytes b;
    b.newClass("CTestOther");  // class 1
    for (size_t i = 1; i < first.size(); ++i) b.u16(0x8001);
    for (size_t i : order) b.u16(uint16_t(2 + i));
    for (size_t i = 0; i < second.size(); ++i) b.u16(0x8001);
    for (size_t i : order) b.u16(uint16_t(2 + first.size() + i)).u16(uint16_t(2 + i));
    EXPECT_EQ(Store([&](CArchive& ar) {
                  for (const auto& o : first) ar.WriteObject(&o);
                  for (size_t i : order) ar.WriteObject(&first[i]);
                  for (const auto& o : second) ar.WriteObject(&o);
                  for (size_t i : order) {
                      ar.WriteObject(&second[i]);
                      ar.WriteObject(&first[i]);
                  }
              }),
              b.v);
}

TEST(ArchiveObjects, DamagedTagsAreRefused) {
    using E = CArchiveException;
    struct Case {
        const char* what;
        Bytes bytes;
        int cause;
    } cases[] = {
        {"object index never seen", Bytes().u16(0x0005), E::badIndex},
        {"class index never seen", Bytes().u16(0x8003), E::badIndex},
        {"class index 0", Bytes().u16(0x8000), E::badIndex},
        {"big object index never seen", Bytes().u16(0x7FFF).u32(0x10), E::badIndex},
        {"object tag naming a class", Bytes().newClass("CTestItem").u32(1).u16(0x0001), E::badIndex},
        {"class tag naming an object", Bytes().newClass("CTestItem").u32(1).u16(0x8002), E::badIndex},
        {"unknown class", Bytes().newClass("CNoSuchClass"), E::badClass},
        {"class that is not stored", Bytes().newClass("CObject"), E::badClass},
        {"class name too long", Bytes().u16(0xFFFF).u16(1).u16(64).ascii(std::string(64, 'C').c_str()),
         E::badClass},
        {"cycle: a node whose child is itself", Bytes().newClass("CTestNode").u8(0).u16(0x0002), E::badIndex},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CauseOf(c.bytes.v,
                          [](CArchive& ar) {
                              for (;;) CRefPtr<CObject>::Adopt(ar.ReadObject(nullptr));
                          }),
                  c.cause);
        EXPECT_EQ(g_live, 0);
    }
    // An object of another class where an item is expected, first new and then a back reference.
    EXPECT_EQ(CauseOf(Bytes().newClass("CTestOther").v, [](CArchive& ar) { ar.ReadObjectAs<CTestItem>(); }),
              E::badClass);
    Bytes b;
    b.newClass("CTestItem").u32(1).u16(0x0002);
    EXPECT_EQ(CauseOf(b.v,
                      [](CArchive& ar) {
                          ar.ReadObject(nullptr)->Release();
                          ar.ReadObjectAs<CTestNode>();
                      }),
              E::badClass);
    EXPECT_EQ(g_live, 0);
}

TEST(ArchiveObjects, NullElementInObjectArrayIsRefused) {
    Bytes b;
    b.u16(2).newClass("CTestItem").u32(1).u16(0);
    std::vector<CRefPtr<CTestItem>> items;
    EXPECT_EQ(CauseOf(b.v, [&](CArchive& ar) { SerializeObjectArray(ar, items); }),
              CArchiveException::badIndex);
    EXPECT_TRUE(items.empty());
    Load(b.v, [&](CArchive& ar) { SerializeObjectArray(ar, items, true); });
    ASSERT_EQ(items.size(), 2u);
    EXPECT_FALSE(items[1]);
}

TEST(ArchiveObjects, NestingDeeperThanTheLimitIsRefused) {
    auto nested = [](int depth) {
        Bytes b;
        b.newClass("CTestNode").u8(0);
        for (int i = 1; i < depth; ++i) b.u16(0x8001).u8(0);
        b.u16(0);  // innermost child: null
        for (int i = 0; i < depth; ++i) b.u16(0).u16(0);
        return b.v;
    };
    EXPECT_EQ(CauseOf(nested(CArchive::kMaxObjectDepth), [](CArchive& ar) { ar.ReadObjectAs<CTestNode>(); }),
              CArchiveException::none);
    EXPECT_EQ(
        CauseOf(nested(CArchive::kMaxObjectDepth + 1), [](CArchive& ar) { ar.ReadObjectAs<CTestNode>(); }),
        CArchiveException::genericException);
    EXPECT_EQ(g_live, 0);
}

TEST(ArchiveObjects, EveryTruncationFailsCleanly) {
    Bytes b;
    b.newClass("CTestNode").raw({0xFF, 0xFE, 0xFF, 0x02}).utf16(u"nm");
    b.newClass("CTestItem").u32(1);
    b.u16(2).raw({0xFF, 0xFE, 0xFF, 0x01}).utf16(u"t").raw({0x03, 'a', 'b', 'c'});
    b.u16(2).u16(0x8003).u32(2).u16(0x0004);
    b.newClass("CDWordArray", 0).u16(2).u32(1).u32(2);
    auto read = [](CArchive& ar) {
        CRefPtr<CTestNode> n;
        CRefPtr<CDWordArray> d;
        ar >> n >> d;
    };
    ASSERT_EQ(CauseOf(b.v, read), CArchiveException::none);
    for (size_t cut = 0; cut < b.v.size(); ++cut) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> part(b.v.begin(), b.v.begin() + cut);
        EXPECT_EQ(CauseOf(part, read), CArchiveException::endOfFile);
        EXPECT_EQ(g_live, 0);
    }
}

TEST(ArchiveDirection, WrongDirectionIsAGenericError) {
    std::vector<uint8_t> out;
    CArchive st(out, CArchive::store);
    int32_t v;
    EXPECT_THROW(st >> v, CArchiveException);
    std::vector<uint8_t> in{1, 0, 0, 0};
    CArchive ld(in);
    try {
        ld << int32_t(1);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::genericException);
    }
    EXPECT_EQ(ld.GetPosition(), 0u);
}

TEST(ArchiveRaw, ReadNeverPassesTheEnd) {
    std::vector<uint8_t> in{1, 2, 3};
    CArchive ar(in);
    uint8_t buf[4] = {};
    EXPECT_THROW(ar.Read(buf, 4), CArchiveException);
    EXPECT_EQ(ar.GetPosition(), 0u);
    ar.Read(buf, 3);
    EXPECT_EQ(buf[2], 3);
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

}  // namespace
