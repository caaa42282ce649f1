#include "records/records_collection.h"

#include <gtest/gtest.h>

#include "collection_document.h"
#include "platform/automation/slot_call.h"
#include "platform/testing/scripted_host.h"
#include "records/criteria_automation.h"

namespace {

// The description and help context of the thread's error information (cleared).
std::pair<WString, DWORD> TakeErrorInfo() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {};
    CComBSTR text;
    DWORD help = 0;
    info->GetDescription(&text);
    info->GetHelpContext(&help);
    info->Release();
    return {text.ToW(), help};
}

// A variant as a slot takes it: the plain structure (the COleVariant keeps the text).
VARIANT Raw(const COleVariant& v) {
    return static_cast<const VARIANT&>(v);
}

// The animal's dual interface is only a pointer here.
void Let(ISheep* sheep) {
    reinterpret_cast<IUnknown*>(sheep)->Release();
}

WString TattooOf(IDispatch* p) {
    auto* sheep = dynamic_cast<CSheep*>(CCmdTarget::FromIDispatch(p));
    return sheep ? sheep->GetTattoo() : WString(u"(none)");
}

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* t : {u"123", u"ALPHA", u"BRAVO", u"CHARLIE", u"DELTA"})
            doc_.Add(t, t[0] == u'B' || t[0] == u'C' ? SEX_RAM : SEX_EWE);
        doc_.criteria.m_nType = CRITERIA_ALL;
        all_ = CRefPtr<CRecords>::Adopt(new CRecords(&doc_, nullptr));
        criterias_ = CRefPtr<CComCriterias>::Adopt(new CComCriterias(&doc_));
        rams_ = CRefPtr<CComCriteria>::Adopt(criterias_->AddCriteria(u"Rams"));
        rams_->SetEwes(VARIANT_FALSE);
        ramRecords_ = rams_->GetRecordsObject();
        disp_.AttachDispatch(all_->GetIDispatch(true));
    }
    IRecords* Dual(CRecords* r) { return CRecordInterface<IRecords>(r, IID_IRecords).Detach(); }
    std::vector<WString> Walk(IEnumVARIANT* e, ULONG step = 1) {
        std::vector<WString> out;
        for (;;) {
            VARIANT v[3];
            ULONG got = 0;
            HRESULT hr = e->Next(step, v, &got);
            for (ULONG i = 0; i < got; ++i) {
                out.push_back(TattooOf(v[i].pdispVal));
                VariantClear(&v[i]);
            }
            if (hr != S_OK) break;
        }
        return out;
    }

    CScriptedHost host_;
    CCvlHostScope scope_{host_};
    CFakeAutomationDocument doc_;
    CRefPtr<CRecords> all_;
    CRefPtr<CComCriterias> criterias_;
    CRefPtr<CComCriteria> rams_;
    CRecords* ramRecords_ = nullptr;
    COleDispatchDriver disp_;
};

TEST_F(RecordsTest, DispatchIdsArePositions) {
    const std::pair<const char16_t*, DISPID> members[] = {
        {u"Application", 1}, {u"Parent", 2}, {u"Count", 3},  {u"Item", 4},
        {u"GetByEID", 5},    {u"Add", 6},    {u"Delete", 7}, {u"_NewEnum", DISPID_NEWENUM}};
    for (const auto& [name, id] : members) EXPECT_EQ(disp_.GetIDOfName(name), id) << WToUtf8(name);
    COleVariant first = disp_.InvokeHelper(DISPID_VALUE, DISPATCH_METHOD, {COleVariant(SHORT(1))});
    EXPECT_EQ(TattooOf(first.pdispVal), u"ALPHA");
}

TEST_F(RecordsTest, ItemByIndexOrTattoo) {
    const struct {
        COleVariant index;
        const char16_t* tattoo;
    } cases[] = {
        {COleVariant(SHORT(0)), u"123"}, {COleVariant(LONG(4)), u"DELTA"}, {COleVariant(u"bravo"), u"BRAVO"},
        {COleVariant(u"2"), u"BRAVO"},  // digits that name no animal are an index
        {COleVariant(u"123"), u"123"},  // digits that name an animal are that animal
        {COleVariant(2.4), u"BRAVO"},
    };
    for (const auto& c : cases) {
        COleVariant got = disp_.Call(u"Item", {c.index});
        EXPECT_EQ(TattooOf(got.pdispVal), c.tattoo);
    }
}

TEST_F(RecordsTest, ItemFailures) {
    IRecords* dual = Dual(all_.Get());
    const struct {
        COleVariant index;
        HRESULT hr;
        WString text;
        DWORD help;
    } cases[] = {
        {COleVariant(SHORT(-1)), HRESULT(0x80040205), u"The bounds of a collection have been exceeded",
         0x3006E},
        {COleVariant(SHORT(5)), HRESULT(0x80040205), u"The bounds of a collection have been exceeded",
         0x3006E},
        {COleVariant(LONG(40000)), DISP_E_OVERFLOW, u"", 0},
        {COleVariant(u"NOPE"), HRESULT(0x80040204), u"The Tattoo NOPE does not exist in Home Flock", 0x3006D},
    };
    for (const auto& c : cases) {
        ISheep* sheep = reinterpret_cast<ISheep*>(1);
        EXPECT_EQ(dual->Item(c.index, &sheep), c.hr);
        EXPECT_EQ(sheep, nullptr);
        auto [text, help] = TakeErrorInfo();
        if (!c.text.empty()) {
            EXPECT_EQ(WToUtf8(text), WToUtf8(c.text));
        }
        EXPECT_EQ(help, c.help);
    }
    // The same through the dispatch interface.
    try {
        disp_.Call(u"Item", {COleVariant(u"NOPE")});
        ADD_FAILURE();
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_wCode, 4);
        EXPECT_EQ(e.m_strDescription, u"The Tattoo NOPE does not exist in Home Flock");
    }
    dual->Release();
}

TEST_F(RecordsTest, ASelectionCountsMatchesAndRefusesNumbers) {
    EXPECT_EQ(all_->GetCount(), 5);
    EXPECT_EQ(ramRecords_->GetCount(), 2);
    IRecords* dual = Dual(ramRecords_);
    ISheep* sheep = nullptr;
    EXPECT_EQ(dual->Item(COleVariant(SHORT(0)), &sheep), E_INVALIDARG);
    EXPECT_EQ(dual->Item(COleVariant(u"1"), &sheep), E_INVALIDARG);
    // A tattoo finds its animal, in the selection or not.
    ASSERT_EQ(dual->Item(COleVariant(u"alpha"), &sheep), S_OK);
    ASSERT_NE(sheep, nullptr);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"ALPHA");
    Let(sheep);
    // A tattoo of digits is a tattoo here too, not a refused number.
    ASSERT_EQ(dual->Item(COleVariant(u"123"), &sheep), S_OK);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"123");
    Let(sheep);
    // The criteria are read at every use.
    rams_->SetEwes(VARIANT_TRUE);
    rams_->SetRams(VARIANT_FALSE);
    EXPECT_EQ(ramRecords_->GetCount(), 3);
    dual->Release();
}

TEST_F(RecordsTest, EnumeratingASelection) {
    IEnumVARIANT* e = QueryInterfaceAs<IEnumVARIANT>(ramRecords_->GetNewEnum(), IID_IEnumVARIANT);
    ramRecords_->Release();  // GetNewEnum's reference
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Walk(e), (std::vector<WString>{u"BRAVO", u"CHARLIE"}));
    e->Reset();
    EXPECT_EQ(Walk(e, 3), (std::vector<WString>{u"BRAVO", u"CHARLIE"}));
    VARIANT v[2];
    EXPECT_EQ(e->Next(2, v, nullptr), E_INVALIDARG);
    e->Reset();
    ASSERT_EQ(e->Next(1, v, nullptr), S_OK);
    VariantClear(&v[0]);

    // Nothing matches: S_FALSE at once, and again after Reset.
    rams_->SetType(CRITERIA_ON_FARM);
    e->Reset();
    ULONG got = 7;
    EXPECT_EQ(e->Next(1, v, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(v[0].vt, VT_EMPTY);
    e->Release();
}

TEST_F(RecordsTest, SkipAndClone) {
    rams_->SetRams(VARIANT_TRUE);
    rams_->SetEwes(VARIANT_TRUE);
    rams_->SetLambs(VARIANT_FALSE);  // no dates of birth: only age 0, in no class
    doc_.criteria = CCriteria();
    doc_.criteria.m_nType = CRITERIA_ALL;
    CRefPtr<CComCriteria> some = CRefPtr<CComCriteria>::Adopt(criterias_->AddCriteria(u"Some"));
    some->SetType(CRITERIA_ALL);
    some->SetEwes(VARIANT_FALSE);
    doc_.Add(u"ECHO", SEX_RAM);
    IEnumVARIANT* e =
        QueryInterfaceAs<IEnumVARIANT>(some->GetRecordsObject()->GetControllingUnknown(), IID_IEnumVARIANT);
    EXPECT_EQ(e->Skip(2), S_OK);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    EXPECT_EQ(Walk(e), (std::vector<WString>{u"ECHO"}));
    EXPECT_EQ(Walk(clone), (std::vector<WString>{u"ECHO"}));
    EXPECT_EQ(e->Skip(1), S_FALSE);
    clone->Reset();
    EXPECT_EQ(clone->Skip(3), S_OK);
    EXPECT_EQ(clone->Skip(1), S_FALSE);
    clone->Release();
    e->Release();
}

TEST_F(RecordsTest, GetByEID) {
    doc_.eids[0x10] = u"CHARLIE";
    doc_.eids[0x20] = u"GONE";
    IRecords* dual = Dual(all_.Get());
    ISheep* sheep = nullptr;
    ASSERT_EQ(dual->GetByEID(0x10, &sheep), S_OK);
    ASSERT_NE(sheep, nullptr);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"CHARLIE");
    Let(sheep);
    for (ULONGLONG eid : {0x20ull, 0x30ull}) {
        sheep = reinterpret_cast<ISheep*>(1);
        EXPECT_EQ(dual->GetByEID(eid, &sheep), S_OK);
        EXPECT_EQ(sheep, nullptr);
    }
    EXPECT_EQ(disp_.Call(u"GetByEID", {COleVariant(ULONGLONG(0x30))}).vt, VT_DISPATCH);
    dual->Release();
}

TEST_F(RecordsTest, AddFilesTheAnimalAndARefusedOneIsNotHandedOut) {
    COleVariant added = disp_.Call(u"Add", {COleVariant(u"ZULU"), COleVariant(SHORT(SEX_RAM))});
    ASSERT_EQ(added.vt, VT_DISPATCH);
    EXPECT_EQ(TattooOf(added.pdispVal), u"ZULU");
    ASSERT_EQ(doc_.GetSheepCount(), 6);
    EXPECT_EQ(doc_.GetSheepAt(5)->GetSex(), SEX_RAM);

    doc_.declineOverwrite = true;
    COleVariant refused = disp_.Call(u"Add", {COleVariant(u"zulu"), COleVariant(SHORT(SEX_EWE))});
    EXPECT_EQ(refused.vt, VT_DISPATCH);
    EXPECT_EQ(refused.pdispVal, nullptr);
    EXPECT_EQ(doc_.overwriteQuestions, 1);
    EXPECT_EQ(doc_.GetSheepCount(), 6);
    EXPECT_EQ(doc_.GetSheepAt(5)->GetSex(), SEX_RAM);

    IRecords* dual = Dual(all_.Get());
    ISheep* sheep = reinterpret_cast<ISheep*>(1);
    CComBSTR name(u"ZULU");
    EXPECT_EQ(dual->Add(name, SEX_EWE, &sheep), S_OK);
    EXPECT_EQ(sheep, nullptr);
    dual->Release();
}

TEST_F(RecordsTest, DeleteByTattooOrIndex) {
    disp_.Call(u"Delete", {COleVariant(u"bravo")});
    disp_.Call(u"Delete", {COleVariant(SHORT(0))});
    EXPECT_EQ(doc_.GetSheepCount(), 3);
    EXPECT_EQ(doc_.FindSheep(u"BRAVO"), nullptr);
    EXPECT_EQ(doc_.FindSheep(u"123"), nullptr);
    EXPECT_THROW(disp_.Call(u"Delete", {COleVariant(SHORT(3))}), COleDispatchException);
}

TEST_F(RecordsTest, ParentIsTheSelectionOrTheDocument) {
    COleVariant parent = disp_.Get(u"Parent");
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent.pdispVal), static_cast<CCmdTarget*>(&doc_));
    COleDispatchDriver rams(ramRecords_->GetIDispatch(true));
    parent = rams.Get(u"Parent");
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent.pdispVal), rams_.Get());
}

TEST_F(RecordsTest, DualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<IRecords>());
    EXPECT_EQ(SlotIndexOf(&IRecords::get__NewEnum), 7u);
    EXPECT_EQ(SlotIndexOf(&IRecords::Item), 8u);
    EXPECT_EQ(SlotIndexOf(&IRecords::get_Application), 9u);
    EXPECT_EQ(SlotIndexOf(&IRecords::get_Parent), 10u);
    EXPECT_EQ(SlotIndexOf(&IRecords::get_Count), 11u);
    EXPECT_EQ(SlotIndexOf(&IRecords::GetByEID), 12u);
    EXPECT_EQ(SlotIndexOf(&IRecords::Add), 13u);
    EXPECT_EQ(SlotIndexOf(&IRecords::Delete), 14u);

    IRecords* dual = Dual(all_.Get());
    IUnknown* unk = nullptr;
    ASSERT_EQ(CallSlot(dual, 7, &unk), S_OK);
    EXPECT_EQ(unk, all_->GetControllingUnknown());
    unk->Release();
    ISheep* sheep = nullptr;
    const COleVariant delta(u"DELTA"), added(u"NEW");
    ASSERT_EQ(CallSlot(dual, 8, Raw(delta), &sheep), S_OK);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"DELTA");
    Let(sheep);
    IDispatch* parent = nullptr;
    ASSERT_EQ(CallSlot(dual, 10, &parent), S_OK);
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent), static_cast<CCmdTarget*>(&doc_));
    parent->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(dual, 11, &count), S_OK);
    EXPECT_EQ(count, 5);
    doc_.eids[7] = u"ALPHA";
    ASSERT_EQ(CallSlot(dual, 12, ULONGLONG(7), &sheep), S_OK);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"ALPHA");
    Let(sheep);
    CComBSTR name(u"NEW");
    sheep = nullptr;
    EXPECT_EQ(CallSlot(dual, 13, static_cast<BSTR>(name), SHORT(SEX_EWE), &sheep), S_OK);
    ASSERT_NE(sheep, nullptr);
    EXPECT_EQ(TattooOf(reinterpret_cast<IDispatch*>(sheep)), u"NEW");
    Let(sheep);
    EXPECT_EQ(count + 1, doc_.GetSheepCount());
    EXPECT_EQ(CallSlot(dual, 14, Raw(added)), S_OK);
    EXPECT_EQ(doc_.FindSheep(u"NEW"), nullptr);

    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IRecords), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ICriteria), S_FALSE);
    support->Release();
    dual->Release();
}

TEST(RecordsLifetime, ADocumentThatGoesDetachesItsCollections) {
    CScriptedHost host;
    CCvlHostScope scope(host);
    IRecords* dual = nullptr;
    {
        CFakeAutomationDocument doc;
        doc.Add(u"A1");
        CRefPtr<CRecords> records = CRefPtr<CRecords>::Adopt(new CRecords(&doc, nullptr));
        dual = CRecordInterface<IRecords>(records.Get(), IID_IRecords).Detach();
    }
    LONG count = 0;
    EXPECT_EQ(dual->get_Count(&count), RPC_E_DISCONNECTED);
    dual->Release();
}

}  // namespace
