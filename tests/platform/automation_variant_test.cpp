#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "platform/automation/automation.h"
#include "platform/oledate.h"

namespace {

COleVariant Bstr(const char16_t* s) {
    return COleVariant(s);
}

COleVariant Change(const VARIANT& src, VARTYPE vt, HRESULT& hr, USHORT flags = 0) {
    COleVariant out;
    hr = VariantChangeType(&out, &src, flags, vt);
    return out;
}

}  // namespace

TEST(Bstr, IsLengthPrefixedAndKeepsEmbeddedNulls) {
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR b = SysAllocStringLen(text, 3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(SysStringByteLen(b), 6u);
    EXPECT_EQ(b[3], 0);  // terminated as well
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(b) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(BstrToW(b), WString(text, 3));
    SysFreeString(b);

    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(BstrToW(nullptr), u"");
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);

    CComBSTR owned(u"Tup");
    CComBSTR copy = owned;
    EXPECT_NE(copy.m_str, owned.m_str);
    EXPECT_EQ(copy.ToW(), u"Tup");
}

// VariantChangeType: the conversions the automation members rely on, and their errors.
TEST(VariantChangeType, ToI2RoundsHalfToEvenAndReportsOverflowAndMismatch) {
    struct Case {
        COleVariant src;
        HRESULT hr;
        SHORT value;
    };
    const Case cases[] = {
        {COleVariant(LONG(32767)), S_OK, 32767},
        {COleVariant(LONG(32768)), DISP_E_OVERFLOW, 0},
        {COleVariant(LONG(-32768)), S_OK, -32768},
        {COleVariant(LONG(-32769)), DISP_E_OVERFLOW, 0},
        {COleVariant(2.5), S_OK, 2},
        {COleVariant(3.5), S_OK, 4},
        {COleVariant(-2.5), S_OK, -2},
        {COleVariant(32767.5), DISP_E_OVERFLOW, 0},
        {COleVariant(std::nan("")), DISP_E_OVERFLOW, 0},
        {Bstr(u" 2 "), S_OK, 2},
        {Bstr(u"-7"), S_OK, -7},
        {Bstr(u"2.5"), S_OK, 2},
        {Bstr(u"40000"), DISP_E_OVERFLOW, 0},
        {Bstr(u"abc"), DISP_E_TYPEMISMATCH, 0},
        {Bstr(u""), DISP_E_TYPEMISMATCH, 0},
        {Bstr(u"1,5"), DISP_E_TYPEMISMATCH, 0},
        {COleVariant(SHORT(1), VT_BOOL), S_OK, -1},
        {COleVariant(), S_OK, 0},
        {COleVariant::Null(), DISP_E_TYPEMISMATCH, 0},
        {COleVariant::Missing(), DISP_E_TYPEMISMATCH, 0},
        {COleVariant(ULONGLONG(70000)), DISP_E_OVERFLOW, 0},
    };
    for (const Case& c : cases) {
        HRESULT hr;
        COleVariant out = Change(c.src, VT_I2, hr);
        EXPECT_EQ(hr, c.hr) << "from vt " << c.src.vt;
        if (c.hr == S_OK) {
            EXPECT_EQ(out.vt, VT_I2);
            EXPECT_EQ(out.iVal, c.value) << "from vt " << c.src.vt;
        } else {
            EXPECT_EQ(out.vt, VT_EMPTY);  // a failed conversion leaves the destination alone
        }
    }
}

TEST(VariantChangeType, ToTextUsesTheCLocaleWhateverLcNumericSays) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be missing: the test holds either way
    struct Case {
        COleVariant src;
        const char16_t* text;
        USHORT flags;
    };
    const Case cases[] = {
        {COleVariant(2.5), u"2.5", 0},
        {COleVariant(0.1), u"0.1", 0},
        {COleVariant(1e20), u"1E+20", 0},
        {COleVariant(-0.0), u"0", 0},
        {COleVariant(LONG(-12)), u"-12", 0},
        {COleVariant(ULONGLONG(18446744073709551615ull)), u"18446744073709551615", 0},
        {COleVariant(SHORT(1), VT_BOOL), u"-1", 0},
        {COleVariant(SHORT(0), VT_BOOL), u"0", 0},
        {COleVariant(SHORT(1), VT_BOOL), u"True", VARIANT_ALPHABOOL},
        {COleVariant(), u"", 0},
    };
    for (const Case& c : cases) {
        HRESULT hr;
        COleVariant out = Change(c.src, VT_BSTR, hr, c.flags);
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(BstrToW(out.bstrVal), c.text);
    }
    HRESULT hr;
    Change(COleVariant::Null(), VT_BSTR, hr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(VariantChangeType, ToBoolToR8AndToDate) {
    HRESULT hr;
    // Any non-zero number is TRUE, which is -1.
    EXPECT_EQ(Change(COleVariant(LONG(1)), VT_BOOL, hr).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Change(COleVariant(LONG(0)), VT_BOOL, hr).boolVal, VARIANT_FALSE);
    EXPECT_EQ(Change(Bstr(u"true"), VT_BOOL, hr).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Change(Bstr(u"False"), VT_BOOL, hr).boolVal, VARIANT_FALSE);
    EXPECT_EQ(Change(Bstr(u"0"), VT_BOOL, hr).boolVal, VARIANT_FALSE);
    Change(Bstr(u"yes"), VT_BOOL, hr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);

    EXPECT_EQ(Change(Bstr(u"1.25e2"), VT_R8, hr).dblVal, 125.0);
    EXPECT_EQ(Change(COleVariant(SHORT(-1), VT_BOOL), VT_R8, hr).dblVal, -1.0);
    Change(Bstr(u"1e999"), VT_R8, hr);
    EXPECT_EQ(hr, DISP_E_OVERFLOW);

    COleVariant date = Change(COleVariant(LONG(38000)), VT_DATE, hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(date.vt, VT_DATE);
    EXPECT_EQ(date.date, 38000.0);
    Change(COleVariant(3e6), VT_DATE, hr);  // past the year 9999
    EXPECT_EQ(hr, DISP_E_OVERFLOW);
    COleVariant parsed = Change(Bstr(u"2003-07-15"), VT_DATE, hr);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(parsed.date, COleDateTime(2003, 7, 15, 0, 0, 0).m_dt);
    Change(Bstr(u"not a date"), VT_DATE, hr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, FollowsByReferenceSourcesAndRefusesObjectsAndArrays) {
    SHORT n = 12;
    VARIANT byref;
    VariantInit(&byref);
    byref.vt = VT_BYREF | VT_I2;
    byref.piVal = &n;
    HRESULT hr;
    EXPECT_EQ(Change(byref, VT_I4, hr).lVal, 12);
    EXPECT_EQ(hr, S_OK);

    COleVariant inner(u"5");
    VARIANT refVariant;
    VariantInit(&refVariant);
    refVariant.vt = VT_BYREF | VT_VARIANT;
    refVariant.pvarVal = &inner;
    EXPECT_EQ(Change(refVariant, VT_I2, hr).iVal, 5);

    COleVariant nothing(static_cast<IDispatch*>(nullptr), false);
    Change(nothing, VT_I2, hr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);

    COleVariant array = COleVariant::FromSafeArray(SafeArrayFromStrings({u"a"}), VT_BSTR);
    Change(array, VT_BSTR, hr);
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
    COleVariant same = Change(array, VT_ARRAY | VT_BSTR, hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_NE(same.parray, array.parray);  // a deep copy
}

TEST(VariantChangeType, InPlaceConversionFreesTheOldValue) {
    COleVariant v(u"42");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 42);
}

TEST(SafeArray, StringArraysOneDimensionFromLowerToUpperBound) {
    SAFEARRAYBOUND bound{3, 5};
    SAFEARRAY* psa = SafeArrayCreate(VT_BSTR, 1, &bound);
    ASSERT_NE(psa, nullptr);
    const char16_t* texts[] = {u"a", u"b", u"c"};
    for (LONG i = 0; i < 3; ++i) {
        LONG index = 5 + i;
        CComBSTR s(texts[i]);
        ASSERT_EQ(SafeArrayPutElement(psa, &index, s.m_str), S_OK);
    }
    LONG outside = 8;
    CComBSTR x(u"x");
    EXPECT_EQ(SafeArrayPutElement(psa, &outside, x.m_str), DISP_E_BADINDEX);
    LONG lo, hi;
    SafeArrayGetLBound(psa, 1, &lo);
    SafeArrayGetUBound(psa, 1, &hi);
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 7);
    COleVariant v = COleVariant::FromSafeArray(psa, VT_BSTR);
    std::vector<WString> read;
    EXPECT_EQ(ReadStringArray(v, read), StringArrayCheck::Ok);
    EXPECT_EQ(read, (std::vector<WString>{u"a", u"b", u"c"}));

    // By reference, as a script passes a variable.
    VARIANT byref;
    VariantInit(&byref);
    byref.vt = VT_BYREF | VT_VARIANT;
    byref.pvarVal = &v;
    read.clear();
    EXPECT_EQ(ReadStringArray(byref, read), StringArrayCheck::Ok);
    EXPECT_EQ(read.size(), 3u);

    SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
    COleVariant square = COleVariant::FromSafeArray(SafeArrayCreate(VT_BSTR, 2, two), VT_BSTR);
    EXPECT_EQ(ReadStringArray(square, read), StringArrayCheck::NotOneDimension);
    COleVariant numbers = COleVariant::FromSafeArray(SafeArrayCreateVector(VT_I4, 0, 2), VT_I4);
    EXPECT_EQ(ReadStringArray(numbers, read), StringArrayCheck::NotStrings);
    EXPECT_EQ(ReadStringArray(COleVariant(u"a"), read), StringArrayCheck::NotAnArray);
    EXPECT_EQ(read.size(), 3u);  // untouched by the refusals
}

TEST(SafeArray, BoolArraysAndLockedDestroy) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BOOL, 0, 2);
    ASSERT_NE(psa, nullptr);
    VARIANT_BOOL t = VARIANT_TRUE;
    LONG i = 1;
    SafeArrayPutElement(psa, &i, &t);
    VARIANT_BOOL got = 0;
    SafeArrayGetElement(psa, &i, &got);
    EXPECT_EQ(got, VARIANT_TRUE);
    VARTYPE vt;
    SafeArrayGetVartype(psa, &vt);
    EXPECT_EQ(vt, VT_BOOL);
    void* data;
    SafeArrayAccessData(psa, &data);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    SafeArrayUnaccessData(psa);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

// The automation boolean: -1 is TRUE going out; a put stores TRUE only for -1.
TEST(AutomationBoolean, OnlyMinusOneIsTrue) {
    EXPECT_EQ(ToVariantBool(true), -1);
    EXPECT_EQ(ToVariantBool(false), 0);
    EXPECT_EQ(FromVariantBool(-1), TRUE);
    EXPECT_EQ(FromVariantBool(1), FALSE);
    EXPECT_EQ(FromVariantBool(0), FALSE);
    EXPECT_EQ(FromVariantBool(0xFFFF), FALSE);  // a 16-bit -1 read without sign extension
}

TEST(Guid, TextFormRoundTripsAndOrders) {
    std::string text = GuidToString(IID_IDispatch);
    EXPECT_EQ(text, "{40D29EFB-EE86-4C56-B18E-1F8677B20970}");
    GUID back{};
    ASSERT_TRUE(GuidFromString(text, back));
    EXPECT_EQ(back, IID_IDispatch);
    EXPECT_TRUE(GuidFromString("40d29efb-ee86-4c56-b18e-1f8677b20970", back));
    EXPECT_FALSE(GuidFromString("{40D29EFB-EE86-4C56-B18E-1F8677B2097}", back));
    EXPECT_FALSE(IID_IUnknown == IID_IDispatch);
    EXPECT_TRUE(IID_NULL < IID_IUnknown);
}
