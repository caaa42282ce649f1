// The attached records as automation objects: lambing record, lamb, tupping record, Signet class
// averages and address, by name and by every dual slot.
#include "records/record_automation.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "automation_support.h"
#include "platform/strings.h"
#include "records/address.h"
#include "records/lambing.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

template <class T>
void* DualOf(T* record, const IID& iid) {
    void* p = nullptr;
    EXPECT_EQ(record->ExternalQueryInterface(iid, &p), S_OK);
    return p;
}

void Release(void* itf) {
    static_cast<IUnknown*>(itf)->Release();
}

WString SlotText(void* itf, size_t slot) {
    BSTR s = nullptr;
    EXPECT_EQ(CallSlot(itf, slot, &s), S_OK) << slot;
    WString w = BstrToW(s);
    SysFreeString(s);
    return w;
}

void SlotPutText(void* itf, size_t slot, const char16_t* value) {
    CComBSTR s(value);
    EXPECT_EQ(CallSlot(itf, slot, BSTR(s)), S_OK) << slot;
}

COleVariant Strings(std::vector<WString> items) {
    return COleVariant::FromSafeArray(SafeArrayFromStrings(items), VT_BSTR);
}

const COleDateTime kOld(2000, 1, 1, 0, 0, 0);

}  // namespace

TEST(LambingAutomation, MembersByNameDoNotStamp) {
    auto record = MakeRef<CEweLambingData>();
    IDispatch* disp = record->GetIDispatch(false);
    ExpectDispIds(disp, {{u"Application", 1},
                         {u"Parent", 2},
                         {u"Comments", 3},
                         {u"Date", 4},
                         {u"Lambs", 5},
                         {u"Method", 6},
                         {u"Tup", 7}});
    EXPECT_EQ(IdentityOf(InvokeGet(disp, 1).value), TestApplication().GetControllingUnknown());
    InvokeResult parent = InvokeGet(disp, 2);
    EXPECT_EQ(parent.hr, S_OK);
    EXPECT_EQ(parent.value.vt, VT_DISPATCH);
    EXPECT_EQ(parent.value.pdispVal, nullptr);
    // A null date reads as 0; a put makes it valid. No put stamps Edited.
    InvokeResult date = InvokeGet(disp, 4);
    EXPECT_EQ(date.value.vt, VT_DATE);
    EXPECT_EQ(date.value.date, 0.0);
    record->SetEdited(kOld);
    const DATE day = COleDateTime(2006, 4, 2, 0, 0, 0).m_dt;
    ASSERT_EQ(InvokePut(disp, 4, COleVariant(day, VT_DATE)).hr, S_OK);
    EXPECT_EQ(record->GetDate().GetStatus(), COleDateTime::valid);
    EXPECT_EQ(record->GetDate().m_dt, day);
    ASSERT_EQ(InvokePut(disp, 3, COleVariant(u"Easy")).hr, S_OK);
    ASSERT_EQ(InvokePut(disp, 6, COleVariant(SHORT(9))).hr, S_OK);  // no range test
    ASSERT_EQ(InvokePut(disp, 7, COleVariant(u"RAM7")).hr, S_OK);
    EXPECT_EQ(record->GetComments(), u"Easy");
    EXPECT_EQ(record->GetMethod(), 9);
    EXPECT_EQ(record->GetTup(), u"RAM7");
    EXPECT_EQ(record->GetEdited().m_dt, kOld.m_dt);
    EXPECT_EQ(InvokeGet(disp, 6).value.vt, VT_I2);
    // Lambs: one collection, a reference for each caller.
    InvokeResult a = InvokeGet(disp, 5), b = InvokeGet(disp, 5);
    EXPECT_EQ(IdentityOf(a.value), IdentityOf(b.value));
    for (DISPID id : {1, 2, 5}) EXPECT_EQ(InvokePut(disp, id, COleVariant(SHORT(0))).wCode, 383) << id;
}

TEST(LambingAutomation, EverySlotOfTheDualInterface) {
    auto record = MakeRef<CEweLambingData>();
    record->SetEdited(kOld);
    void* itf = DualOf(record.Get(), IID_IEweLambingData);
    IUnknown* p = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &p), S_OK);
    EXPECT_EQ(IdentityOf(p), TestApplication().GetControllingUnknown());
    p->Release();
    p = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CallSlot(itf, 8, &p), S_OK);
    EXPECT_EQ(p, nullptr);
    SlotPutText(itf, 10, u"Twins");
    EXPECT_EQ(record->GetComments(), u"Twins");
    EXPECT_EQ(SlotText(itf, 9), u"Twins");
    EXPECT_EQ(CallSlot(itf, 12, DATE(39000)), S_OK);
    DATE date = 0;
    EXPECT_EQ(CallSlot(itf, 11, &date), S_OK);
    EXPECT_EQ(date, 39000.0);
    ILambs* lambs = nullptr;
    EXPECT_EQ(CallSlot(itf, 13, &lambs), S_OK);
    EXPECT_EQ(IdentityOf(lambs), record->GetLambsObject()->GetControllingUnknown());
    lambs->Release();
    EXPECT_EQ(CallSlot(itf, 15, LONG(0x12345)), S_OK);  // 32 bits through the dual
    LONG method = 0;
    EXPECT_EQ(CallSlot(itf, 14, &method), S_OK);
    EXPECT_EQ(method, 0x12345);
    SlotPutText(itf, 17, u"RAM9");
    EXPECT_EQ(record->GetTup(), u"RAM9");
    EXPECT_EQ(SlotText(itf, 16), u"RAM9");
    EXPECT_EQ(record->GetEdited().m_dt, kOld.m_dt);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IEweLambingData);
    Release(itf);
}

TEST(LambAutomation, SexNotSetIsRefusedEitherWay) {
    auto lamb = MakeRef<CLambData>(u"L9");
    IDispatch* disp = lamb->GetIDispatch(false);
    ExpectDispIds(disp, {{u"Tattoo", 1}, {u"Comments", 2}, {u"BirthWeight", 3}, {u"Sex", 4}});
    EXPECT_EQ(IdOf(disp, u"Application"), DISPID_UNKNOWN);
    EXPECT_EQ(BstrToW(InvokeGet(disp, DISPID_VALUE).value.bstrVal), u"L9");
    InvokeResult refused = InvokePut(disp, 4, COleVariant(SHORT(-1)));
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.wCode, 7);
    EXPECT_EQ(refused.description, LoadCvlString(132));
    EXPECT_EQ(refused.helpContext, CvlPromptHelpId(132));
    void* itf = DualOf(lamb.Get(), IID_ILambData);
    EXPECT_EQ(CallSlot(itf, 11, LONG(-1)), DualErrorOf(7));
    ErrorInfoSeen info = TakeErrorInfo();
    EXPECT_EQ(info.guid, IID_ILambData);
    EXPECT_EQ(info.description, LoadCvlString(132));
    EXPECT_EQ(lamb->GetSex(), LAMB_SEX_NOT_SET);
    // Every other put stores and stamps Edited.
    struct Case {
        DISPID id;
        COleVariant value;
    } cases[] = {{1, COleVariant(u"L10")},
                 {2, COleVariant(u"Small")},
                 {3, COleVariant(u"4.5")},
                 {4, COleVariant(SHORT(1))}};
    for (const Case& c : cases) {
        lamb->SetEdited(kOld);
        ASSERT_EQ(InvokePut(disp, c.id, c.value).hr, S_OK) << c.id;
        EXPECT_NE(lamb->GetEdited().m_dt, kOld.m_dt) << c.id;
    }
    EXPECT_EQ(lamb->GetTattoo(), u"L10");
    EXPECT_EQ(lamb->GetComments(), u"Small");
    EXPECT_EQ(lamb->GetBirthWeight(), u"4.5");
    EXPECT_EQ(lamb->GetSex(), 1);
    Release(itf);
}

TEST(LambAutomation, EverySlotOfTheDualInterface) {
    auto lamb = MakeRef<CLambData>();
    void* itf = DualOf(lamb.Get(), IID_ILambData);
    SlotPutText(itf, 7, u"T1");
    EXPECT_EQ(lamb->GetTattoo(), u"T1");
    EXPECT_EQ(SlotText(itf, 8), u"T1");
    SlotPutText(itf, 9, u"Weak");
    EXPECT_EQ(lamb->GetComments(), u"Weak");
    EXPECT_EQ(SlotText(itf, 10), u"Weak");
    EXPECT_EQ(CallSlot(itf, 11, LONG(0)), S_OK);
    EXPECT_EQ(lamb->GetSex(), 0);
    LONG sex = 5;
    EXPECT_EQ(CallSlot(itf, 12, &sex), S_OK);
    EXPECT_EQ(sex, 0);
    SlotPutText(itf, 13, u"3.9");
    EXPECT_EQ(lamb->GetBirthWeight(), u"3.9");
    EXPECT_EQ(SlotText(itf, 14), u"3.9");
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_ILambData);
    Release(itf);
}

TEST(TuppingAutomation, MembersByNameAndTheEwesRule) {
    auto record = MakeRef<CRamLambingData>();
    record->AddEwe(u"E1");
    IDispatch* disp = record->GetIDispatch(false);
    ExpectDispIds(
        disp,
        {{u"Application", 1}, {u"Parent", 2}, {u"DateIn", 3}, {u"DateOut", 4}, {u"Method", 5}, {u"Ewes", 6}});
    EXPECT_EQ(InvokeGet(disp, 3).value.date, 0.0);
    ASSERT_EQ(InvokePut(disp, 4, COleVariant(38500.0, VT_DATE)).hr, S_OK);
    EXPECT_EQ(record->GetDateOut().m_dt, 38500.0);
    EXPECT_EQ(record->GetDateIn().GetStatus(), COleDateTime::null);
    ASSERT_EQ(InvokePut(disp, 5, COleVariant(SHORT(2))).hr, S_OK);
    EXPECT_EQ(record->GetMethod(), 2);
    ASSERT_EQ(InvokePut(disp, 6, Strings({u"A", u"B"})).hr, S_OK);
    EXPECT_EQ(record->GetEwes(), (std::vector<WString>{u"A", u"B"}));
    InvokeResult ewes = InvokeGet(disp, 6);
    EXPECT_EQ(ewes.value.vt, VT_ARRAY | VT_BSTR);
    std::vector<WString> back;
    EXPECT_EQ(ReadStringArray(ewes.value, back), StringArrayCheck::Ok);
    EXPECT_EQ(back, record->GetEwes());
    // Anything but a one-dimensional array of strings is refused, the list kept.
    SAFEARRAYBOUND bounds[2] = {{1, 0}, {1, 0}};
    COleVariant twoDims = COleVariant::FromSafeArray(SafeArrayCreate(VT_BSTR, 2, bounds), VT_BSTR);
    COleVariant strings = Strings({u"C"});
    VARIANT byRef;
    byRef.vt = VT_ARRAY | VT_BSTR | VT_BYREF;
    byRef.pparray = &strings.parray;
    SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 1);
    std::vector<COleVariant> bad;
    bad.emplace_back(u"C");
    bad.push_back(twoDims);
    bad.push_back(COleVariant::FromSafeArray(numbers, VT_I4));
    bad.emplace_back(byRef);
    for (const COleVariant& v : bad) {
        InvokeResult r = InvokePut(disp, 6, v);
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION) << v.vt;
        EXPECT_EQ(r.scode, E_INVALIDARG) << v.vt;
    }
    EXPECT_EQ(record->GetEwes(), (std::vector<WString>{u"A", u"B"}));
    EXPECT_EQ(record->GetEdited().GetStatus(), COleDateTime::null);  // no put stamps
}

TEST(TuppingAutomation, EverySlotOfTheDualInterface) {
    auto record = MakeRef<CRamLambingData>();
    void* itf = DualOf(record.Get(), IID_IRamLambingData);
    IUnknown* p = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &p), S_OK);
    EXPECT_EQ(IdentityOf(p), TestApplication().GetControllingUnknown());
    p->Release();
    p = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CallSlot(itf, 8, &p), S_OK);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(CallSlot(itf, 9, DATE(38001)), S_OK);
    DATE d = 0;
    EXPECT_EQ(CallSlot(itf, 10, &d), S_OK);
    EXPECT_EQ(d, 38001.0);
    EXPECT_EQ(CallSlot(itf, 11, DATE(38050)), S_OK);
    EXPECT_EQ(record->GetDateOut().m_dt, 38050.0);
    EXPECT_EQ(record->GetDateIn().m_dt, 38001.0);  // DateOut leaves DateIn alone
    EXPECT_EQ(CallSlot(itf, 12, &d), S_OK);
    EXPECT_EQ(d, 38050.0);
    EXPECT_EQ(CallSlot(itf, 13, LONG(1)), S_OK);
    LONG method = 0;
    EXPECT_EQ(CallSlot(itf, 14, &method), S_OK);
    EXPECT_EQ(method, 1);
    EXPECT_EQ(CallSlot(itf, 15, VARIANT(Strings({u"E5"}))), S_OK);
    EXPECT_EQ(record->GetEwes(), std::vector<WString>{u"E5"});
    EXPECT_EQ(CallSlot(itf, 15, VARIANT(COleVariant(u"E6"))), E_INVALIDARG);
    VARIANT ewes;
    VariantInit(&ewes);
    EXPECT_EQ(CallSlot(itf, 16, &ewes), S_OK);
    EXPECT_EQ(ewes.vt, VT_ARRAY | VT_BSTR);
    VariantClear(&ewes);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IRamLambingData);
    Release(itf);
}

TEST(SignetAutomation, NineFiguresGetsThenPuts) {
    auto averages = MakeRef<CSignetData>();
    IDispatch* disp = averages->GetIDispatch(false);
    const char16_t* names[] = {u"AWT",           u"EightWeekWeightEBV", u"LitterEBV",
                               u"MatureEBV",     u"MaternalEBV",        u"MuscleDepthEBV",
                               u"ScanWeightEBV", u"FatDepthEBV",        u"LeanIndex"};
    double CSignetData::*fields[] = {&CSignetData::m_dblAWT,           &CSignetData::m_dblEightWeekWeightEBV,
                                     &CSignetData::m_dblLitterEBV,     &CSignetData::m_dblMatureEBV,
                                     &CSignetData::m_dblMaternalEBV,   &CSignetData::m_dblMuscleDepthEBV,
                                     &CSignetData::m_dblScanWeightEBV, &CSignetData::m_dblFatDepthEBV,
                                     &CSignetData::m_dblLeanIndex};
    EXPECT_EQ(IdOf(disp, u"Application"), DISPID_UNKNOWN);
    void* itf = DualOf(averages.Get(), IID_ISignetData);
    const COleDateTime edited = averages->m_dtEdited;
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(IdOf(disp, names[k]), k + 1);
        EXPECT_TRUE(std::isnan(InvokeGet(disp, k + 1).value.dblVal)) << k;
        double v = 0;
        EXPECT_EQ(CallSlot(itf, 7 + k, &v), S_OK);
        EXPECT_TRUE(std::isnan(v));
        EXPECT_EQ(CallSlot(itf, 16 + k, 1.0 + k), S_OK);
        EXPECT_EQ(averages.Get()->*fields[k], 1.0 + k) << k;
        EXPECT_EQ(CallSlot(itf, 7 + k, &v), S_OK);
        EXPECT_EQ(v, 1.0 + k);
        ASSERT_EQ(InvokePut(disp, k + 1, COleVariant(-3.5)).hr, S_OK);
        EXPECT_EQ(averages.Get()->*fields[k], -3.5);
    }
    EXPECT_EQ(averages->m_dtEdited.m_dt, edited.m_dt);
    // A client's NaN is "not entered", kept with the bits that files hold.
    const double foreignNaN = std::bit_cast<double>(uint64_t{0x7FF8000000000000u});
    EXPECT_EQ(CallSlot(itf, 16, foreignNaN), S_OK);
    ASSERT_EQ(InvokePut(disp, 9, COleVariant(foreignNaN)).hr, S_OK);
    EXPECT_EQ(std::bit_cast<uint64_t>(averages->m_dblAWT), 0xFFF8000000000000u);
    EXPECT_EQ(std::bit_cast<uint64_t>(averages->m_dblLeanIndex), 0xFFF8000000000000u);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_ISignetData);
    Release(itf);
}

TEST(AddressAutomation, MembersByNameAndEverySlot) {
    auto address = MakeRef<CLocalAddress>(u"Hill Farm");
    IDispatch* disp = address->GetIDispatch(false);
    ExpectDispIds(disp, {{u"Address", 1},
                         {u"Telephone", 2},
                         {u"Facsimile", 3},
                         {u"PostCode", 4},
                         {u"Email", 5},
                         {u"Application", 6},
                         {u"Parent", 7},
                         {u"Key", 8}});
    ASSERT_EQ(InvokePut(disp, 3, COleVariant(u"01234")).hr, S_OK);
    EXPECT_EQ(address->GetFax(), u"01234");
    EXPECT_EQ(BstrToW(InvokeGet(disp, 8).value.bstrVal), u"Hill Farm");
    EXPECT_EQ(InvokeGet(disp, 7).value.pdispVal, nullptr);
    EXPECT_EQ(InvokePut(disp, 8, COleVariant(u"x")).wCode, 383);

    void* itf = DualOf(address.Get(), IID_IAddress);
    struct Pair {
        size_t put, get;
        WString (CAddress::*read)();
    } pairs[] = {{7, 8, &CAddress::GetAddress},
                 {9, 10, &CAddress::GetTelephone},
                 {11, 12, &CAddress::GetFax},
                 {16, 17, &CAddress::GetPostCode},
                 {18, 19, &CAddress::GetEmail}};
    for (const Pair& p : pairs) {
        WString value = u"value " + IntToW(static_cast<int>(p.put));
        SlotPutText(itf, p.put, value.c_str());
        EXPECT_EQ((address.Get()->*p.read)(), value) << p.put;
        // The getter's out text is in and out: a text already there is replaced.
        BSTR text = SysAllocString(u"stale");
        EXPECT_EQ(CallSlot(itf, p.get, &text), S_OK) << p.get;
        EXPECT_EQ(BstrToW(text), value);
        SysFreeString(text);
    }
    IUnknown* app = nullptr;
    EXPECT_EQ(CallSlot(itf, 13, &app), S_OK);
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    IUnknown* parent = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CallSlot(itf, 14, &parent), S_OK);
    EXPECT_EQ(parent, nullptr);
    BSTR key = nullptr;
    EXPECT_EQ(CallSlot(itf, 15, &key), S_OK);
    EXPECT_EQ(BstrToW(key), u"Hill Farm");
    SysFreeString(key);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IAddress);
    Release(itf);
}

TEST(AddressAutomation, AddressBookEntriesTakeNoPuts) {
    auto address = MakeRef<CMAPIAddress>(u"Book Entry");
    void* itf = DualOf(address.Get(), IID_IAddress);
    SlotPutText(itf, 9, u"0777");
    EXPECT_EQ(SlotText(itf, 10), LoadCvlString(62));  // no entry open: the book's text
    EXPECT_EQ(SlotText(itf, 15), u"Book Entry");
    Release(itf);
}
