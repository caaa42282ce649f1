// The animal's events, lambing and tupping histories and a lambing record's lambs as automation
// collections: members by name, every dual slot, the enumerator and the lifetime rules.
#include "records/history_collections.h"

#include <gtest/gtest.h>

#include "automation_support.h"
#include "platform/strings.h"
#include "records/fake_document.h"  // the record tests' document double and breed plug-in
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"

namespace {

COleVariant Strings(std::vector<WString> items) {
    return COleVariant::FromSafeArray(SafeArrayFromStrings(items), VT_BSTR);
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(RecordsTestBreed(), nullptr);
        sheep_ = new CSheep(u"UK0001", SEX_EWE, &doc_);
        doc_.flock.push_back(sheep_);
        for (int year : {2004, 2006, 2005})
            sheep_->AddEvent(new CEvent(COleDateTime(year, 5, 1, 0, 0, 0), 31, u"Wormer", u"x"), false);
        for (int i = 0; i < 2; ++i) {
            auto lambing = MakeRef<CEweLambingData>();
            lambing->StoreTup(i == 0 ? u"RAM1" : u"RAM2");
            lambing->AddLamb(MakeRef<CLambData>(u"L1"));
            sheep_->AddLambingRecord(lambing);
            auto tupping = MakeRef<CRamLambingData>();
            tupping->AddEwe(i == 0 ? u"E1" : u"E2");
            sheep_->AddTuppingRecord(tupping);
        }
    }
    void TearDown() override {
        doc_.flock.clear();
        if (sheep_) sheep_->Release();
    }
    IDispatch* Events() { return sheep_->GetEventsObject()->GetIDispatch(false); }

    CFakeDocument doc_;
    CSheep* sheep_ = nullptr;
};

// The element dispatch at index i of a collection, by name.
IDispatch* ItemOf(IDispatch* collection, COleVariant index, InvokeResult* keep) {
    *keep = InvokeByName(collection, u"Item", {index});
    return keep->value.vt == VT_DISPATCH ? keep->value.pdispVal : nullptr;
}

}  // namespace

TEST_F(HistoryTest, DispatchTablesOfTheFourCollections) {
    const std::vector<std::pair<const char16_t*, DISPID>> events = {
        {u"Count", 1}, {u"Parent", 2}, {u"Application", 3}, {u"Item", 4},
        {u"Add", 5},   {u"Delete", 6}, {u"_NewEnum", -4}};
    const std::vector<std::pair<const char16_t*, DISPID>> histories = {
        {u"Count", 1}, {u"Parent", 2}, {u"Application", 3}, {u"Item", 4}, {u"Delete", 5}, {u"_NewEnum", -4}};
    const std::vector<std::pair<const char16_t*, DISPID>> lambs = {
        {u"Count", 1},  {u"Parent", 2}, {u"Application", 3}, {u"Item", 4},
        {u"Delete", 5}, {u"Add", 6},    {u"_NewEnum", -4}};
    CLambs* lambsObject = sheep_->GetLambingAt(0)->GetLambsObject();
    ExpectDispIds(Events(), events);
    ExpectDispIds(sheep_->GetLambingHistoryObject()->GetIDispatch(false), histories);
    ExpectDispIds(sheep_->GetTuppingHistoryObject()->GetIDispatch(false), histories);
    ExpectDispIds(lambsObject->GetIDispatch(false), lambs);
    EXPECT_EQ(IdOf(sheep_->GetLambingHistoryObject()->GetIDispatch(false), u"Add"), DISPID_UNKNOWN);

    struct Case {
        IDispatch* collection;
        LONG count;
        IUnknown* parent;
    } cases[] = {
        {Events(), 3, sheep_->GetControllingUnknown()},
        {sheep_->GetLambingHistoryObject()->GetIDispatch(false), 2, sheep_->GetControllingUnknown()},
        {sheep_->GetTuppingHistoryObject()->GetIDispatch(false), 2, sheep_->GetControllingUnknown()},
        {lambsObject->GetIDispatch(false), 1, sheep_->GetLambingAt(0)->GetControllingUnknown()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InvokeGet(c.collection, 1).value.lVal, c.count);
        EXPECT_EQ(IdentityOf(InvokeGet(c.collection, 2).value), c.parent);
        EXPECT_EQ(IdentityOf(InvokeGet(c.collection, 3).value), TestApplication().GetControllingUnknown());
        EXPECT_EQ(IdentityOf(InvokeGet(c.collection, DISPID_NEWENUM).value), IdentityOf(c.collection));
        EXPECT_EQ(InvokePut(c.collection, 1, COleVariant(LONG(0))).wCode, 383);
        // Out of range either side: error 5 with message 110; Delete the same.
        for (COleVariant bad : {COleVariant(SHORT(-1)), COleVariant(SHORT(c.count))}) {
            InvokeResult item = InvokeGet(c.collection, DISPID_VALUE, {bad});
            EXPECT_EQ(item.hr, DISP_E_EXCEPTION);
            EXPECT_EQ(item.wCode, 5);
            EXPECT_EQ(item.description, LoadCvlString(110));
            EXPECT_EQ(InvokeByName(c.collection, u"Delete", {bad}).wCode, 5);
        }
        // A text that is not a number is the conversion's error.
        InvokeResult text = InvokeByName(c.collection, u"Item", {COleVariant(u"first")});
        EXPECT_EQ(text.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(text.scode, DISP_E_TYPEMISMATCH);
    }
}

TEST_F(HistoryTest, ItemsByIndexInTheOwnersOrder) {
    InvokeResult keep;
    // The text "2" is an index: the third event in date order.
    IDispatch* third = ItemOf(Events(), COleVariant(u"2"), &keep);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(CCmdTarget::FromIDispatch(third), sheep_->GetEventAt(2));
    EXPECT_EQ(COleDateTime(InvokeByName(third, u"Date").value.date).GetYear(), 2006);
    IDispatch* lambing =
        ItemOf(sheep_->GetLambingHistoryObject()->GetIDispatch(false), COleVariant(SHORT(1)), &keep);
    EXPECT_EQ(BstrToW(InvokeByName(lambing, u"Tup").value.bstrVal), u"RAM2");
    IDispatch* tupping =
        ItemOf(sheep_->GetTuppingHistoryObject()->GetIDispatch(false), COleVariant(SHORT(0)), &keep);
    EXPECT_EQ(CCmdTarget::FromIDispatch(tupping), sheep_->GetTuppingAt(0));
    IDispatch* lamb =
        ItemOf(sheep_->GetLambingAt(0)->GetLambsObject()->GetIDispatch(false), COleVariant(SHORT(0)), &keep);
    EXPECT_EQ(BstrToW(InvokeGet(lamb, DISPID_VALUE).value.bstrVal), u"L1");
}

TEST_F(HistoryTest, EnumeratorSharesOnePositionAndClonesIt) {
    auto* enumerator =
        QueryInterfaceAs<IEnumVARIANT>(sheep_->GetEventsObject()->GetControllingUnknown(), IID_IEnumVARIANT);
    ASSERT_NE(enumerator, nullptr);
    VARIANT items[3];
    ULONG fetched = 9;
    EXPECT_EQ(enumerator->Next(2, items, nullptr), E_INVALIDARG);
    EXPECT_EQ(enumerator->Next(1, items, nullptr), S_OK);
    VariantClear(&items[0]);
    EXPECT_EQ(enumerator->Next(1, items, &fetched), S_OK);
    VariantClear(&items[0]);
    // A clone continues from the same element.
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(enumerator->Clone(&clone), S_OK);
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(IdentityOf(clone), IdentityOf(enumerator));
    EXPECT_EQ(clone->Next(3, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(CCmdTarget::FromIDispatch(items[0].pdispVal), sheep_->GetEventAt(2));
    VariantClear(&items[0]);
    // The first pass ends; a second yields nothing until Reset.
    EXPECT_EQ(enumerator->Next(3, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    VariantClear(&items[0]);
    EXPECT_EQ(enumerator->Next(1, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    // _NewEnum does not reset the position.
    InvokeResult again = InvokeGet(Events(), DISPID_NEWENUM);
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(3), S_OK);
    // A clone made through the lambing history stays safe when the animal goes.
    auto* lambings = QueryInterfaceAs<IEnumVARIANT>(
        sheep_->GetLambingHistoryObject()->GetControllingUnknown(), IID_IEnumVARIANT);
    IEnumVARIANT* lambingClone = nullptr;
    ASSERT_EQ(lambings->Clone(&lambingClone), S_OK);
    lambings->Release();
    clone->Release();
    enumerator->Release();
    doc_.flock.clear();
    sheep_->Release();
    sheep_ = nullptr;
    EXPECT_EQ(lambingClone->Next(1, items, nullptr), RPC_E_DISCONNECTED);
    lambingClone->Release();
}

TEST_F(HistoryTest, EventsAddThroughTheDocumentsPlugIn) {
    sheep_->SetEdited(COleDateTime(2000, 1, 1, 0, 0, 0));
    InvokeResult added = InvokeByName(Events(), u"Add",
                                      {COleVariant(COleDateTime(2005, 1, 1, 0, 0, 0).m_dt, VT_DATE),
                                       COleVariant(u"Weighed"), Strings({u"12"})});
    ASSERT_EQ(added.hr, S_OK) << WToUtf8(added.description);
    CEvent* event = static_cast<CEvent*>(CCmdTarget::FromIDispatch(added.value.pdispVal));
    EXPECT_EQ(event->GetCode(), 4u);
    EXPECT_EQ(event->GetParameters(), std::vector<WString>{u"12"});
    EXPECT_EQ(sheep_->GetEventCount(), 4);
    EXPECT_EQ(sheep_->GetEventAt(1), event);  // in date order
    EXPECT_EQ(event->GetOwner(), sheep_);
    EXPECT_GT(sheep_->GetEdited().GetYear(), 2000);
    // The parameters may be left out.
    InvokeResult bare =
        InvokeByName(Events(), u"Add",
                     {COleVariant(COleDateTime(2007, 1, 1, 0, 0, 0).m_dt, VT_DATE), COleVariant(u"Died")});
    ASSERT_EQ(bare.hr, S_OK);
    EXPECT_EQ(sheep_->GetEventCount(), 5);
    // Without the plug-in's export: a dispatch error and nothing added.
    doc_.withPlugIn = false;
    InvokeResult refused = InvokeByName(Events(), u"Add",
                                        {COleVariant(COleDateTime(2005, 1, 1, 0, 0, 0).m_dt, VT_DATE),
                                         COleVariant(u"Weighed"), Strings({u"12"})});
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, E_NOTIMPL);
    EXPECT_EQ(sheep_->GetEventCount(), 5);
    // Through the dual slot, with the error left for IEvents.
    void* itf = nullptr;
    ASSERT_EQ(sheep_->GetEventsObject()->ExternalQueryInterface(IID_IEvents, &itf), S_OK);
    IEvent* out = reinterpret_cast<IEvent*>(1);
    CComBSTR name(u"Weighed");
    EXPECT_EQ(CallSlot(itf, 12, DATE(38000), BSTR(name), VARIANT(Strings({u"1"})), &out), E_NOTIMPL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(TakeErrorInfo().guid, IID_IEvents);
    doc_.withPlugIn = true;
    EXPECT_EQ(CallSlot(itf, 12, DATE(38000), BSTR(name), VARIANT(Strings({u"1"})), &out), S_OK);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(IdentityOf(out), sheep_->GetEventAt(0)->GetControllingUnknown());
    out->Release();
    static_cast<IUnknown*>(itf)->Release();
}

TEST_F(HistoryTest, DeleteRemovesAndDetachesTheElement) {
    // An event held by a client is refused after Delete.
    InvokeResult keep;
    IDispatch* first = ItemOf(Events(), COleVariant(SHORT(0)), &keep);
    ASSERT_EQ(InvokeByName(Events(), u"Delete", {COleVariant(SHORT(0))}).hr, S_OK);
    EXPECT_EQ(sheep_->GetEventCount(), 2);
    EXPECT_EQ(InvokeByName(first, u"Date").scode, RPC_E_DISCONNECTED);
    // A lambing record goes with its lambs; a client holding the record or its lambs is refused.
    IDispatch* lambings = sheep_->GetLambingHistoryObject()->GetIDispatch(false);
    InvokeResult keepLambing;
    IDispatch* record = ItemOf(lambings, COleVariant(SHORT(0)), &keepLambing);
    InvokeResult keepLambs = InvokeByName(record, u"Lambs");
    ASSERT_EQ(InvokeByName(lambings, u"Delete", {COleVariant(SHORT(0))}).hr, S_OK);
    EXPECT_EQ(sheep_->GetLambingCount(), 1);
    EXPECT_EQ(sheep_->GetLambingAt(0)->GetTup(), u"RAM2");
    EXPECT_EQ(InvokeByName(record, u"Tup").scode, RPC_E_DISCONNECTED);
    EXPECT_EQ(InvokeByName(keepLambs.value.pdispVal, u"Count").scode, RPC_E_DISCONNECTED);
    // Tupping records by the dual Delete.
    void* tuppings = nullptr;
    ASSERT_EQ(sheep_->GetTuppingHistoryObject()->ExternalQueryInterface(IID_ITuppingHistory, &tuppings),
              S_OK);
    EXPECT_EQ(CallSlot(tuppings, 12, VARIANT(COleVariant(SHORT(5)))), DualErrorOf(5));
    EXPECT_EQ(TakeErrorInfo().description, LoadCvlString(110));
    EXPECT_EQ(CallSlot(tuppings, 12, VARIANT(COleVariant(SHORT(1)))), S_OK);
    EXPECT_EQ(sheep_->GetTuppingCount(), 1);
    EXPECT_EQ(sheep_->GetTuppingAt(0)->GetEwes(), std::vector<WString>{u"E1"});
    static_cast<IUnknown*>(tuppings)->Release();
}

TEST_F(HistoryTest, LambsAddAndDeleteStampTheRecord) {
    CEweLambingData* record = sheep_->GetLambingAt(0);
    IDispatch* lambs = record->GetLambsObject()->GetIDispatch(false);
    EXPECT_EQ(record->GetLambsObject(), record->GetLambsObject());
    record->SetEdited(COleDateTime(2000, 1, 1, 0, 0, 0));
    InvokeResult added = InvokeByName(lambs, u"Add");
    ASSERT_EQ(added.hr, S_OK);
    EXPECT_EQ(record->GetLambCount(), 2);
    EXPECT_EQ(InvokeByName(lambs, u"Count").value.lVal, 2);
    EXPECT_EQ(record->GetLambAt(1)->GetSex(), LAMB_SEX_NOT_SET);
    EXPECT_EQ(CCmdTarget::FromIDispatch(added.value.pdispVal), record->GetLambAt(1));
    EXPECT_GT(record->GetEdited().GetYear(), 2000);
    record->SetEdited(COleDateTime(2000, 1, 1, 0, 0, 0));
    ASSERT_EQ(InvokeByName(lambs, u"Delete", {COleVariant(SHORT(0))}).hr, S_OK);
    EXPECT_EQ(record->GetLambCount(), 1);
    EXPECT_GT(record->GetEdited().GetYear(), 2000);
    EXPECT_EQ(InvokeByName(added.value.pdispVal, u"Tattoo").hr, S_OK);  // the new lamb is still there
}

// Slots 7 to 13 of each collection's dual interface.
TEST_F(HistoryTest, EverySlotOfTheFourDualInterfaces) {
    struct Case {
        CCmdTarget* collection;
        const IID* iid;
        IUnknown* parent;
        LONG count;
        CCmdTarget* second;
        size_t deleteSlot;
    } cases[] = {
        {sheep_->GetEventsObject(), &IID_IEvents, sheep_->GetControllingUnknown(), 3, sheep_->GetEventAt(1),
         13},
        {sheep_->GetLambingHistoryObject(), &IID_ILambingHistory, sheep_->GetControllingUnknown(), 2,
         sheep_->GetLambingAt(1), 12},
        {sheep_->GetTuppingHistoryObject(), &IID_ITuppingHistory, sheep_->GetControllingUnknown(), 2,
         sheep_->GetTuppingAt(1), 12},
        {sheep_->GetLambingAt(1)->GetLambsObject(), &IID_ILambs,
         sheep_->GetLambingAt(1)->GetControllingUnknown(), 1, nullptr, 12},
    };
    for (const Case& c : cases) {
        void* itf = nullptr;
        ASSERT_EQ(c.collection->ExternalQueryInterface(*c.iid, &itf), S_OK);
        IUnknown* p = nullptr;
        EXPECT_EQ(CallSlot(itf, 7, &p), S_OK);
        EXPECT_EQ(p, c.collection->GetControllingUnknown());
        p->Release();
        if (c.second != nullptr) {
            p = nullptr;
            EXPECT_EQ(CallSlot(itf, 8, VARIANT(COleVariant(LONG(1))), &p), S_OK);
            EXPECT_EQ(IdentityOf(p), c.second->GetControllingUnknown());
            if (p) p->Release();
        }
        // Out of range: the invalid-argument failure with error information; a bad index: the
        // conversion's own result.
        for (LONG outside : {LONG(c.count), LONG(-1)}) {
            p = reinterpret_cast<IUnknown*>(1);
            EXPECT_EQ(CallSlot(itf, 8, VARIANT(COleVariant(outside)), &p), E_UNEXPECTED);
            EXPECT_EQ(p, nullptr);
            ErrorInfoSeen info = TakeErrorInfo();
            EXPECT_EQ(info.guid, *c.iid);
            EXPECT_FALSE(info.description.empty());
        }
        EXPECT_EQ(CallSlot(itf, 8, VARIANT(COleVariant(u"one")), &p), DISP_E_TYPEMISMATCH);
        p = nullptr;
        EXPECT_EQ(CallSlot(itf, 9, &p), S_OK);
        EXPECT_EQ(IdentityOf(p), TestApplication().GetControllingUnknown());
        p->Release();
        p = nullptr;
        EXPECT_EQ(CallSlot(itf, 10, &p), S_OK);
        EXPECT_EQ(IdentityOf(p), c.parent);
        p->Release();
        LONG count = 0;
        EXPECT_EQ(CallSlot(itf, 11, &count), S_OK);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(CallSlot(itf, c.deleteSlot, VARIANT(COleVariant(SHORT(0)))), S_OK);
        EXPECT_EQ(CallSlot(itf, 11, &count), S_OK);
        EXPECT_EQ(count, c.count - 1);
        ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), *c.iid);
        static_cast<IUnknown*>(itf)->Release();
    }
    // The lambs' Add at slot 13.
    void* lambs = nullptr;
    ASSERT_EQ(sheep_->GetLambingAt(0)->GetLambsObject()->ExternalQueryInterface(IID_ILambs, &lambs), S_OK);
    ILambData* lamb = nullptr;
    EXPECT_EQ(CallSlot(lambs, 13, &lamb), S_OK);
    ASSERT_NE(lamb, nullptr);
    CEweLambingData* record = sheep_->GetLambingAt(0);
    EXPECT_EQ(IdentityOf(lamb), record->GetLambAt(record->GetLambCount() - 1)->GetControllingUnknown());
    lamb->Release();
    static_cast<IUnknown*>(lambs)->Release();
}

TEST_F(HistoryTest, TuppingHistoryTakesTheWhole32BitIndex) {
    void* lambings = nullptr;
    void* tuppings = nullptr;
    ASSERT_EQ(sheep_->GetLambingHistoryObject()->ExternalQueryInterface(IID_ILambingHistory, &lambings),
              S_OK);
    ASSERT_EQ(sheep_->GetTuppingHistoryObject()->ExternalQueryInterface(IID_ITuppingHistory, &tuppings),
              S_OK);
    // 0x10001 cut to 16 bits is 1; whole it is out of range.
    IUnknown* p = nullptr;
    EXPECT_EQ(CallSlot(lambings, 8, VARIANT(COleVariant(LONG(0x10001))), &p), S_OK);
    EXPECT_EQ(IdentityOf(p), sheep_->GetLambingAt(1)->GetControllingUnknown());
    p->Release();
    EXPECT_EQ(CallSlot(tuppings, 8, VARIANT(COleVariant(LONG(0x10001))), &p), E_UNEXPECTED);
    static_cast<IUnknown*>(lambings)->Release();
    static_cast<IUnknown*>(tuppings)->Release();
}
