// The animal's automation: every dual slot by number, the dispatch members by name, the EID and flag
// rules and the cached collections.
#include <gtest/gtest.h>

#include <cmath>

#include "automation_support.h"
#include "platform/strings.h"
#include "records/fake_document.h"  // the record tests' document double
#include "records/history_collections.h"
#include "records/sheep.h"

namespace {

class SheepAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        sheep_ = new CSheep(u"UK0001", SEX_EWE, &doc_);
        doc_.flock.push_back(sheep_);
        ASSERT_EQ(sheep_->ExternalQueryInterface(IID_ISheep, reinterpret_cast<void**>(&dual_)), S_OK);
        disp_ = sheep_->GetIDispatch(false);
    }
    void TearDown() override {
        dual_->Release();
        sheep_->Release();
    }
    // Moves Edited into the past, so that a stamp shows.
    void AgeEdited() { sheep_->SetEdited(COleDateTime(2000, 1, 1, 0, 0, 0)); }
    bool Stamped() const { return sheep_->GetEdited().GetYear() > 2000; }

    CFakeDocument doc_;
    CSheep* sheep_ = nullptr;
    ISheep* dual_ = nullptr;
    IDispatch* disp_ = nullptr;
};

std::vector<SHORT> BoolElements(const VARIANT& v) {
    std::vector<SHORT> out;
    EXPECT_EQ(v.vt, VT_ARRAY | VT_BOOL);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    for (LONG i = lower; i <= upper; ++i) {
        SHORT b = 0;
        SafeArrayGetElement(v.parray, &i, &b);
        out.push_back(b);
    }
    return out;
}

COleVariant BoolArray(std::vector<SHORT> items, LONG lower = 0) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BOOL, lower, static_cast<ULONG>(items.size()));
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        LONG at = lower + i;
        SafeArrayPutElement(array, &at, &items[static_cast<size_t>(i)]);
    }
    return COleVariant::FromSafeArray(array, VT_BOOL);
}

}  // namespace

TEST_F(SheepAutomationTest, DispatchIdsArePositionsWithTattooAsDefault) {
    const std::vector<std::pair<const char16_t*, DISPID>> members = {{u"Tattoo", 1},
                                                                     {u"Application", 2},
                                                                     {u"Parent", 3},
                                                                     {u"DateofBirth", 4},
                                                                     {u"DateofDepart", 5},
                                                                     {u"DateofPurchase", 6},
                                                                     {u"Name", 7},
                                                                     {u"Sex", 8},
                                                                     {u"OneOf", 9},
                                                                     {u"EartagColour", 10},
                                                                     {u"EartagNumber", 11},
                                                                     {u"DepartReason", 12},
                                                                     {u"Sire", 13},
                                                                     {u"Dam", 14},
                                                                     {u"Events", 15},
                                                                     {u"Comments", 16},
                                                                     {u"Xml", 17},
                                                                     {u"Images", 18},
                                                                     {u"AWT", 19},
                                                                     {u"EightWeekWeightEBV", 20},
                                                                     {u"LitterEBV", 21},
                                                                     {u"MatureEBV", 22},
                                                                     {u"MaternalEBV", 23},
                                                                     {u"MuscleDepthEBV", 24},
                                                                     {u"ScanWeightEBV", 25},
                                                                     {u"FatDepthEBV", 26},
                                                                     {u"LeanIndex", 27},
                                                                     {u"MaternalActual", 28},
                                                                     {u"MuscleDepthActual", 29},
                                                                     {u"ScanWeightActual", 30},
                                                                     {u"FatDepthActual", 31},
                                                                     {u"GeneticScrapie", 32},
                                                                     {u"ElectronicID", 33},
                                                                     {u"_ElectronicID", 34},
                                                                     {u"Flags", 35}};
    ExpectDispIds(disp_, members);
    EXPECT_EQ(IdOf(disp_, u"LambingHistory"), DISPID_UNKNOWN);  // dual only
    EXPECT_EQ(IdOf(disp_, u"TuppingHistory"), DISPID_UNKNOWN);
    EXPECT_EQ(BstrToW(InvokeGet(disp_, DISPID_VALUE).value.bstrVal), u"UK0001");
    // Read-only members refuse a put with the set-not-supported error.
    for (DISPID id : {1, 2, 3, 4, 5, 6, 12, 15, 18}) {
        InvokeResult r = InvokePut(disp_, id, COleVariant(SHORT(1)));
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION) << id;
        EXPECT_EQ(r.wCode, 383) << id;
    }
    // Xml takes no put: an OLE exception with E_NOTIMPL.
    InvokeResult xml = InvokePut(disp_, 17, COleVariant(u"<Dedov/>"));
    EXPECT_EQ(xml.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(xml.scode, E_NOTIMPL);
}

TEST_F(SheepAutomationTest, PropertiesByNameStampEditedExceptFlags) {
    struct Case {
        const char16_t* name;
        COleVariant value;
    } cases[] = {{u"Name", COleVariant(u"Bella")},
                 {u"Sex", COleVariant(SHORT(SEX_RAM))},
                 {u"OneOf", COleVariant(SHORT(3))},
                 {u"EartagColour", COleVariant(u"Red")},
                 {u"EartagNumber", COleVariant(u"42")},
                 {u"Sire", COleVariant(u"S1")},
                 {u"Dam", COleVariant(u"D1")},
                 {u"Comments", COleVariant(u"Quiet")},
                 {u"AWT", COleVariant(1.5)},
                 {u"FatDepthActual", COleVariant(-2.25)},
                 {u"GeneticScrapie", COleVariant(SHORT(999))}};
    for (const Case& c : cases) {
        AgeEdited();
        ASSERT_EQ(InvokePut(disp_, IdOf(disp_, c.name), c.value).hr, S_OK) << WToUtf8(c.name);
        EXPECT_TRUE(Stamped()) << WToUtf8(c.name);
        InvokeResult back = InvokeByName(disp_, c.name);
        COleVariant expected(c.value);
        EXPECT_EQ(back.value.vt, expected.vt) << WToUtf8(c.name);
        if (expected.vt == VT_BSTR) {
            EXPECT_EQ(BstrToW(back.value.bstrVal), BstrToW(expected.bstrVal));
        } else if (expected.vt == VT_I2) {
            EXPECT_EQ(back.value.iVal, expected.iVal);
        } else {
            EXPECT_EQ(back.value.dblVal, expected.dblVal);
        }
    }
    EXPECT_EQ(sheep_->GetGeneticScrapie(), 999);  // stored unchecked
    // The ear tag is filed through the document.
    EXPECT_EQ(doc_.refiled.back(), u"Red|42");
    // Every figure of a new animal reads as not entered.
    auto fresh = CRefPtr<CSheep>::Adopt(new CSheep(u"N1", SEX_RAM, nullptr));
    for (const char16_t* name :
         {u"AWT", u"EightWeekWeightEBV", u"LitterEBV", u"MatureEBV", u"MaternalEBV", u"MuscleDepthEBV",
          u"ScanWeightEBV", u"FatDepthEBV", u"LeanIndex", u"MaternalActual", u"MuscleDepthActual",
          u"ScanWeightActual", u"FatDepthActual"}) {
        InvokeResult r = InvokeByName(fresh->GetIDispatch(false), name);
        EXPECT_EQ(r.value.vt, VT_R8);
        EXPECT_TRUE(std::isnan(r.value.dblVal)) << WToUtf8(name);
    }
}

TEST_F(SheepAutomationTest, DatesAreEmptyUntilSet) {
    EXPECT_EQ(InvokeByName(disp_, u"DateofBirth").value.vt, VT_EMPTY);
    auto born = CRefPtr<CEvent>::Adopt(new CEvent(COleDateTime(2004, 3, 1, 0, 0, 0), EVENT_BORN));
    sheep_->AddEvent(born.Detach(), false);
    InvokeResult r = InvokeByName(disp_, u"DateofBirth");
    EXPECT_EQ(r.value.vt, VT_DATE);
    EXPECT_EQ(r.value.date, COleDateTime(2004, 3, 1, 0, 0, 0).m_dt);
    EXPECT_EQ(InvokeByName(disp_, u"DateofPurchase").value.vt, VT_EMPTY);
    EXPECT_EQ(InvokeByName(disp_, u"DateofDepart").value.vt, VT_EMPTY);
}

TEST_F(SheepAutomationTest, FlagsAsEightBooleans) {
    sheep_->SetFlags(0x105);
    EXPECT_EQ(BoolElements(InvokeByName(disp_, u"Flags").value),
              (std::vector<SHORT>{-1, 0, -1, 0, 0, 0, 0, 0}));
    AgeEdited();
    ASSERT_EQ(InvokePut(disp_, 35, BoolArray({0, -1})).hr, S_OK);
    EXPECT_EQ(sheep_->GetFlags(), 0x106u);  // bit 1 set, bit 0 cleared, bits 2 on kept
    EXPECT_FALSE(Stamped());
    // Only -1 sets a bit; the array's own lower bound counts as element 0.
    ASSERT_EQ(InvokePut(disp_, 35, BoolArray({1, 0, -1}, 5)).hr, S_OK);
    EXPECT_EQ(sheep_->GetFlags(), 0x104u);
    // A script's array of variants works too; anything that is not an array is refused.
    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    COleVariant yes(SHORT(-1), VT_BOOL), no(SHORT(0), VT_BOOL);
    LONG i = 0;
    SafeArrayPutElement(variants, &i, &yes);
    i = 1;
    SafeArrayPutElement(variants, &i, &no);
    ASSERT_EQ(InvokePut(disp_, 35, COleVariant::FromSafeArray(variants, VT_VARIANT)).hr, S_OK);
    EXPECT_EQ(sheep_->GetFlags(), 0x105u);
    InvokeResult bad = InvokePut(disp_, 35, COleVariant(SHORT(-1)));
    EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(bad.scode, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sheep_->GetFlags(), 0x105u);
}

TEST_F(SheepAutomationTest, ElectronicIdTextAndNumber) {
    EXPECT_EQ(BstrToW(InvokeByName(disp_, u"ElectronicID").value.bstrVal), u"0000000000000000");
    ASSERT_EQ(InvokePut(disp_, 33, COleVariant(u"12345")).hr, S_OK);
    EXPECT_EQ(sheep_->GetElectronicID(), 12345u);
    EXPECT_EQ(BstrToW(InvokeByName(disp_, u"ElectronicID").value.bstrVal), u"0000000000012345");
    // All the digits are read, not the first sixteen.
    ASSERT_EQ(InvokePut(disp_, 33, COleVariant(u"12345678901234567")).hr, S_OK);
    EXPECT_EQ(sheep_->GetElectronicID(), 12345678901234567u);
    InvokeResult number = InvokeByName(disp_, u"_ElectronicID");
    EXPECT_EQ(number.value.vt, VT_UI8);
    EXPECT_EQ(number.value.ullVal, 12345678901234567u);
    // Anything but a whole number: error 160, Edited stamped all the same, the EID kept.
    for (const char16_t* text : {u"abc", u"-1", u"0x10", u"12a", u"", u"18446744073709551616"}) {
        SCOPED_TRACE(WToUtf8(text));
        AgeEdited();
        InvokeResult bad = InvokePut(disp_, 33, COleVariant(text));
        EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(bad.wCode, 160);
        EXPECT_EQ(bad.description, LoadCvlString(106));
        EXPECT_TRUE(Stamped());
        EXPECT_EQ(sheep_->GetElectronicID(), 12345678901234567u);
    }
    // The same through the dual slot, with its error information.
    CComBSTR text(u"xyz");
    EXPECT_EQ(CallSlot(dual_, 65, BSTR(text)), DualErrorOf(160));
    ErrorInfoSeen info = TakeErrorInfo();
    EXPECT_EQ(info.guid, IID_ISheep);
    EXPECT_EQ(info.description, LoadCvlString(106));
}

TEST_F(SheepAutomationTest, ElectronicIdPutFilesTheDocumentsMap) {
    ASSERT_EQ(InvokePut(disp_, 34, COleVariant(ULONGLONG(777))).hr, S_OK);
    EXPECT_EQ(doc_.eids.at(777), u"UK0001");
    ASSERT_EQ(InvokePut(disp_, 33, COleVariant(u"888")).hr, S_OK);
    EXPECT_EQ(doc_.eids.count(777), 0u);
    EXPECT_EQ(doc_.eids.at(888), u"UK0001");
    // Another animal holds 999: refused with 160 and nothing changes, by name and by slot.
    doc_.eids[999] = u"UK0002";
    InvokeResult taken = InvokePut(disp_, 34, COleVariant(ULONGLONG(999)));
    EXPECT_EQ(taken.wCode, 160);
    EXPECT_EQ(CallSlot(dual_, 67, ULONGLONG(999)), DualErrorOf(160));
    EXPECT_EQ(TakeErrorInfo().description, LoadCvlString(106));
    EXPECT_EQ(sheep_->GetElectronicID(), 888u);
    EXPECT_EQ(doc_.eids.at(999), u"UK0002");
    EXPECT_EQ(doc_.eids.at(888), u"UK0001");
}

TEST_F(SheepAutomationTest, EverySlotOfTheDualInterface) {
    void* itf = dual_;
    auto text = [&](size_t slot) {
        BSTR s = nullptr;
        EXPECT_EQ(CallSlot(itf, slot, &s), S_OK) << slot;
        WString w = BstrToW(s);
        SysFreeString(s);
        return w;
    };
    auto putText = [&](size_t slot, const char16_t* value) {
        CComBSTR s(value);
        EXPECT_EQ(CallSlot(itf, slot, BSTR(s)), S_OK) << slot;
    };
    auto getShort = [&](size_t slot) {
        SHORT v = 0;
        EXPECT_EQ(CallSlot(itf, slot, &v), S_OK) << slot;
        return v;
    };
    auto identity = [&](size_t slot) {
        IUnknown* p = nullptr;
        EXPECT_EQ(CallSlot(itf, slot, &p), S_OK) << slot;
        IUnknown* id = IdentityOf(p);
        if (p) p->Release();
        return id;
    };

    EXPECT_EQ(text(7), u"UK0001");
    EXPECT_EQ(identity(8), TestApplication().GetControllingUnknown());
    EXPECT_EQ(identity(9), TestApplication().GetControllingUnknown());  // as the dispatch Parent
    sheep_->AddEvent(new CEvent(COleDateTime(2004, 3, 1, 0, 0, 0), EVENT_BORN), false);
    sheep_->AddEvent(new CEvent(COleDateTime(2005, 3, 1, 0, 0, 0), EVENT_PURCHASED, u"Market"), false);
    sheep_->AddEvent(new CEvent(COleDateTime(2006, 3, 1, 0, 0, 0), EVENT_SOLD, u"Buyer"), false);
    for (size_t slot : {10, 11, 12}) {
        VARIANT d;
        VariantInit(&d);
        EXPECT_EQ(CallSlot(itf, slot, &d), S_OK);
        EXPECT_EQ(d.vt, VT_DATE);
        EXPECT_EQ(COleDateTime(d.date).GetYear(), slot == 10 ? 2004 : slot == 11 ? 2006 : 2005) << slot;
    }
    putText(13, u"Bella");
    EXPECT_EQ(sheep_->GetName(), u"Bella");
    EXPECT_EQ(text(14), u"Bella");
    EXPECT_EQ(CallSlot(itf, 15, SHORT(SEX_RAM)), S_OK);
    EXPECT_EQ(sheep_->GetSex(), SEX_RAM);
    EXPECT_EQ(getShort(16), SEX_RAM);
    EXPECT_EQ(CallSlot(itf, 17, SHORT(2)), S_OK);
    EXPECT_EQ(sheep_->GetOneOf(), 2);
    EXPECT_EQ(getShort(18), 2);
    putText(19, u"Blue");
    EXPECT_EQ(sheep_->GetEartagColour(), u"Blue");
    EXPECT_EQ(text(20), u"Blue");
    putText(21, u"0042");
    EXPECT_EQ(sheep_->GetEartagNumber(), u"0042");
    EXPECT_EQ(text(22), u"0042");
    EXPECT_EQ(getShort(23), DEPART_SOLD);
    putText(24, u"SIRE1");
    EXPECT_EQ(sheep_->GetSire(), u"SIRE1");
    EXPECT_EQ(text(25), u"SIRE1");
    putText(26, u"DAM1");
    EXPECT_EQ(sheep_->GetDam(), u"DAM1");
    EXPECT_EQ(text(27), u"DAM1");
    EXPECT_EQ(identity(28), sheep_->GetEventsObject()->GetControllingUnknown());
    EXPECT_EQ(identity(29), sheep_->GetLambingHistoryObject()->GetControllingUnknown());
    EXPECT_EQ(identity(30), sheep_->GetTuppingHistoryObject()->GetControllingUnknown());
    IEvents* events = nullptr;
    ASSERT_EQ(CallSlot(itf, 28, &events), S_OK);
    LONG count = 0;
    EXPECT_EQ(events->get_Count(&count), S_OK);  // the collection's own dual interface
    EXPECT_EQ(count, 3);
    events->Release();
    putText(31, u"Good mother");
    EXPECT_EQ(sheep_->GetComments(), u"Good mother");
    EXPECT_EQ(text(32), u"Good mother");
    CComBSTR xml(u"<Dedov/>");
    EXPECT_EQ(CallSlot(itf, 33, BSTR(xml)), E_NOTIMPL);
    VARIANT images;
    VariantInit(&images);
    EXPECT_EQ(CallSlot(itf, 35, &images), S_OK);
    EXPECT_EQ(images.vt, VT_ARRAY | VT_BSTR);
    VariantClear(&images);
    const SignetFigure figures[] = {FIG_AWT,
                                    FIG_EIGHT_WEEK_WEIGHT_EBV,
                                    FIG_LITTER_EBV,
                                    FIG_MATURE_EBV,
                                    FIG_MATERNAL_EBV,
                                    FIG_MUSCLE_DEPTH_EBV,
                                    FIG_SCAN_WEIGHT_EBV,
                                    FIG_FAT_DEPTH_EBV,
                                    FIG_LEAN_INDEX,
                                    FIG_MATERNAL_ACTUAL,
                                    FIG_MUSCLE_DEPTH_ACTUAL,
                                    FIG_SCAN_WEIGHT_ACTUAL,
                                    FIG_FAT_DEPTH_ACTUAL};
    for (size_t k = 0; k < std::size(figures); ++k) {
        const size_t get = 36 + 2 * k;
        const double value = 10.0 + static_cast<double>(k);
        EXPECT_EQ(CallSlot(itf, get + 1, value), S_OK) << get + 1;
        EXPECT_EQ(sheep_->GetFigure(figures[k]), value) << get + 1;
        double back = 0;
        EXPECT_EQ(CallSlot(itf, get, &back), S_OK) << get;
        EXPECT_EQ(back, value) << get;
    }
    EXPECT_EQ(CallSlot(itf, 63, SHORT(11)), S_OK);
    EXPECT_EQ(sheep_->GetGeneticScrapie(), 11);
    EXPECT_EQ(getShort(62), 11);
    putText(65, u"42");
    EXPECT_EQ(sheep_->GetElectronicID(), 42u);
    EXPECT_EQ(text(64), u"0000000000000042");
    EXPECT_EQ(CallSlot(itf, 67, ULONGLONG(43)), S_OK);
    ULONGLONG eid = 0;
    EXPECT_EQ(CallSlot(itf, 66, &eid), S_OK);
    EXPECT_EQ(eid, 43u);
    COleVariant flags = BoolArray({-1, -1, 0});
    EXPECT_EQ(CallSlot(itf, 69, VARIANT(flags)), S_OK);
    EXPECT_EQ(sheep_->GetFlags(), 0x3u);
    VARIANT got;
    VariantInit(&got);
    EXPECT_EQ(CallSlot(itf, 68, &got), S_OK);
    EXPECT_EQ(BoolElements(got), (std::vector<SHORT>{-1, -1, 0, 0, 0, 0, 0, 0}));
    VariantClear(&got);
    ExpectSupportsErrorInfo(dual_, IID_ISheep);
}

TEST_F(SheepAutomationTest, CollectionsAreCachedAndOutliveNoOwner) {
    InvokeResult first = InvokeByName(disp_, u"Events");
    InvokeResult second = InvokeByName(disp_, u"Events");
    EXPECT_EQ(IdentityOf(first.value), IdentityOf(second.value));
    // The client keeps the collection; the animal goes.
    IDispatch* events = first.value.pdispVal;
    events->AddRef();
    first.value.Clear();
    second.value.Clear();
    IEvents* dual = QueryInterfaceAs<IEvents>(events, IID_IEvents);
    ASSERT_NE(dual, nullptr);
    dual_->Release();
    dual_ = nullptr;
    doc_.flock.clear();
    sheep_->Release();
    sheep_ = nullptr;
    InvokeResult after = InvokeByName(events, u"Count");
    EXPECT_EQ(after.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(after.scode, RPC_E_DISCONNECTED);
    LONG count = 0;
    EXPECT_EQ(dual->get_Count(&count), RPC_E_DISCONNECTED);
    dual->Release();
    events->Release();
    // Nothing left to release in TearDown.
    sheep_ = new CSheep(u"X", SEX_EWE, nullptr);
    sheep_->ExternalQueryInterface(IID_ISheep, reinterpret_cast<void**>(&dual_));
}

TEST_F(SheepAutomationTest, XmlIsTheAnimalsElement) {
    WString xml = BstrToW(InvokeByName(disp_, u"Xml").value.bstrVal);
    EXPECT_EQ(xml.rfind(u"<Dedov", 0), 0u) << WToUtf8(xml);
    EXPECT_NE(xml.find(u"UK0001"), WString::npos);
}

TEST_F(SheepAutomationTest, AnAnimalRemovedFromItsDocumentRefusesItsCollections) {
    InvokeResult events = InvokeByName(disp_, u"Events");
    ASSERT_EQ(events.hr, S_OK);
    sheep_->MarkDetached();
    EXPECT_EQ(InvokeByName(events.value.pdispVal, u"Count").scode, RPC_E_DISCONNECTED);
    BSTR tattoo = nullptr;
    EXPECT_EQ(CallSlot(dual_, 7, &tattoo), RPC_E_DISCONNECTED);
}
