#include "records/criteria_automation.h"

#include <gtest/gtest.h>

#include "collection_document.h"
#include "platform/automation/slot_call.h"
#include "platform/testing/scripted_host.h"

namespace {

class CriteriaAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc_.Add(u"EWE1", SEX_EWE);
        doc_.Add(u"RAM1", SEX_RAM);
        doc_.criteria.m_nType = CRITERIA_ALL;
        criterias_ = CRefPtr<CComCriterias>::Adopt(new CComCriterias(&doc_));
        disp_.AttachDispatch(criterias_->GetIDispatch(true));
    }
    CComCriteria* Member(const COleVariant& v) {
        return dynamic_cast<CComCriteria*>(CCmdTarget::FromIDispatch(v.pdispVal));
    }

    CScriptedHost host_;
    CCvlHostScope scope_{host_};
    CFakeAutomationDocument doc_;
    CRefPtr<CComCriterias> criterias_;
    COleDispatchDriver disp_;
};

TEST_F(CriteriaAutomationTest, DispatchIdsArePositions) {
    const std::pair<const char16_t*, DISPID> members[] = {{u"Application", 1},
                                                          {u"Parent", 2},
                                                          {u"Count", 3},
                                                          {u"Item", 4},
                                                          {u"Add", 5},
                                                          {u"Delete", 6},
                                                          {u"_NewEnum", DISPID_NEWENUM}};
    for (const auto& [name, id] : members) EXPECT_EQ(disp_.GetIDOfName(name), id) << WToUtf8(name);
    COleDispatchDriver one(disp_.Call(u"Add", {COleVariant(u"One")}).Detach().pdispVal);
    const std::pair<const char16_t*, DISPID> props[] = {
        {u"Rams", 1}, {u"Ewes", 2}, {u"Adults", 3},      {u"Shearlings", 4}, {u"Lambs", 5},
        {u"Type", 6}, {u"Date", 7}, {u"Application", 8}, {u"Parent", 9},     {u"Records", 10}};
    for (const auto& [name, id] : props) EXPECT_EQ(one.GetIDOfName(name), id) << WToUtf8(name);
}

TEST_F(CriteriaAutomationTest, AddCopiesTheCurrentSelectionAndReplacesByName) {
    doc_.criteria.m_bLambs = FALSE;
    COleVariant first = disp_.Call(u"Add", {COleVariant(u"Sel")});
    CComCriteria* a = Member(first);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetCriteria().m_nType, CRITERIA_ALL);
    EXPECT_FALSE(a->GetLambs());
    doc_.criteria.m_nType = CRITERIA_BORN;
    COleVariant second = disp_.Call(u"Add", {COleVariant(u"Sel")});
    EXPECT_EQ(disp_.Get(u"Count").lVal, 1);
    EXPECT_EQ(Member(disp_.Call(u"Item", {COleVariant(u"Sel")})), Member(second));
    EXPECT_EQ(Member(second)->GetType(), CRITERIA_BORN);
    // Names are told apart by case, as the framework's string map does.
    disp_.Call(u"Add", {COleVariant(u"sel")});
    EXPECT_EQ(disp_.Get(u"Count").lVal, 2);

    for (const char16_t* member : {u"Item", u"Delete"}) {
        try {
            disp_.Call(member, {COleVariant(u"None")});
            ADD_FAILURE() << WToUtf8(member);
        } catch (const COleDispatchException& e) {
            EXPECT_EQ(e.m_scError, E_INVALIDARG);
        }
    }
    disp_.Call(u"Delete", {COleVariant(u"Sel")});
    EXPECT_EQ(disp_.Get(u"Count").lVal, 1);
    // A replaced or deleted selection a client still holds keeps working.
    Member(first)->SetLambs(VARIANT_TRUE);
    EXPECT_EQ(Member(first)->GetRecordsObject()->GetCount(), 2);
}

TEST_F(CriteriaAutomationTest, PropertiesAndTheirRecords) {
    COleDispatchDriver sel(disp_.Call(u"Add", {COleVariant(u"Sel")}).Detach().pdispVal);
    CComCriteria* c = dynamic_cast<CComCriteria*>(CCmdTarget::FromIDispatch(sel.m_lpDispatch));
    COleVariant records = sel.Get(u"Records");
    EXPECT_EQ(sel.Get(u"Records").pdispVal, records.pdispVal);  // cached
    COleDispatchDriver recs(records.Detach().pdispVal);
    EXPECT_EQ(recs.Get(u"Count").lVal, 2);
    EXPECT_EQ(sel.Get(u"Rams").boolVal, VARIANT_TRUE);

    // Only -1 sets a switch.
    COleVariant one(SHORT(1), VT_BOOL);
    one.boolVal = 1;
    sel.Put(u"Rams", one);
    EXPECT_EQ(sel.Get(u"Rams").boolVal, VARIANT_FALSE);
    sel.Put(u"Rams", COleVariant(SHORT(-1), VT_BOOL));
    sel.Put(u"Ewes", COleVariant(SHORT(0), VT_BOOL));
    EXPECT_EQ(recs.Get(u"Count").lVal, 1);  // the collection reads the switches afresh

    sel.Put(u"Type", COleVariant(SHORT(7)));
    EXPECT_EQ(sel.Get(u"Type").iVal, 7);
    EXPECT_EQ(c->GetCriteria().GetDescription(), u"");
    COleDateTime bad;
    bad.SetStatus(COleDateTime::invalid);
    c->GetCriteria().m_dtDate = bad;
    sel.Put(u"Date", COleVariant(COleDateTime(2003, 1, 2, 0, 0, 0).m_dt, VT_DATE));
    EXPECT_EQ(c->GetCriteria().m_dtDate, COleDateTime(2003, 1, 2, 0, 0, 0));
    EXPECT_EQ(c->GetCriteria().m_dtDate.GetStatus(), COleDateTime::valid);

    EXPECT_EQ(CCmdTarget::FromIDispatch(sel.Get(u"Parent").pdispVal), criterias_.Get());
    EXPECT_EQ(CCmdTarget::FromIDispatch(disp_.Get(u"Parent").pdispVal), static_cast<CCmdTarget*>(&doc_));
}

TEST_F(CriteriaAutomationTest, Enumerator) {
    for (const char16_t* n : {u"B", u"A", u"C"}) disp_.Call(u"Add", {COleVariant(n)});
    IEnumVARIANT* e = QueryInterfaceAs<IEnumVARIANT>(criterias_->GetControllingUnknown(), IID_IEnumVARIANT);
    VARIANT v[3];
    ULONG got = 0;
    EXPECT_EQ(e->Next(2, v, nullptr), E_INVALIDARG);
    EXPECT_EQ(e->Skip(1), S_OK);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    EXPECT_EQ(e->Next(3, v, &got), S_FALSE);
    EXPECT_EQ(got, 2u);
    for (ULONG i = 0; i < got; ++i) {
        EXPECT_EQ(v[i].vt, VT_DISPATCH);
        VariantClear(&v[i]);
    }
    EXPECT_EQ(clone->Skip(3), S_FALSE);  // the clone kept its own place
    clone->Reset();
    EXPECT_EQ(clone->Next(3, v, &got), S_OK);
    for (ULONG i = 0; i < got; ++i) VariantClear(&v[i]);
    clone->Release();
    e->Release();
}

TEST_F(CriteriaAutomationTest, CriteriaDualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<ICriteria>());
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Rams), 7u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Rams), 8u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Ewes), 9u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Ewes), 10u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Adults), 11u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Adults), 12u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Shearlings), 13u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Shearlings), 14u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Lambs), 15u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Lambs), 16u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Type), 17u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Type), 18u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::put_Date), 19u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Date), 20u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Application), 21u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Parent), 22u);
    EXPECT_EQ(SlotIndexOf(&ICriteria::get_Records), 23u);

    CRefPtr<CComCriteria> c = CRefPtr<CComCriteria>::Adopt(criterias_->AddCriteria(u"Sel"));
    ICriteria* dual = CRecordInterface<ICriteria>(c.Get(), IID_ICriteria).Detach();
    // Each switch: put 1 clears it, put -1 sets it, read back through the next slot.
    for (std::size_t put = 7; put <= 15; put += 2) {
        VARIANT_BOOL b = 5;
        EXPECT_EQ(CallSlot(dual, put, VARIANT_BOOL(1)), S_OK);
        EXPECT_EQ(CallSlot(dual, put + 1, &b), S_OK);
        EXPECT_EQ(b, VARIANT_FALSE) << put;
        EXPECT_EQ(CallSlot(dual, put, VARIANT_BOOL(-1)), S_OK);
        EXPECT_EQ(CallSlot(dual, put + 1, &b), S_OK);
        EXPECT_EQ(b, VARIANT_TRUE) << put;
    }
    SHORT type = 0;
    EXPECT_EQ(CallSlot(dual, 17, SHORT(3)), S_OK);
    EXPECT_EQ(CallSlot(dual, 18, &type), S_OK);
    EXPECT_EQ(type, 3);
    DATE date = 0;
    EXPECT_EQ(CallSlot(dual, 19, DATE(37622.0)), S_OK);
    EXPECT_EQ(CallSlot(dual, 20, &date), S_OK);
    EXPECT_EQ(date, 37622.0);
    IDispatch* app = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(CallSlot(dual, 21, &app), E_NOINTERFACE);  // no application in these tests
    EXPECT_EQ(app, nullptr);
    ICriterias* parent = nullptr;
    ASSERT_EQ(CallSlot(dual, 22, &parent), S_OK);
    EXPECT_EQ(static_cast<void*>(parent), criterias_->GetInterface(IID_ICriterias));
    parent->Release();
    IRecords* records = nullptr;
    ASSERT_EQ(CallSlot(dual, 23, &records), S_OK);
    EXPECT_EQ(static_cast<void*>(records), c->GetRecordsObject()->GetInterface(IID_IRecords));
    records->Release();
    dual->Release();
}

TEST_F(CriteriaAutomationTest, CriteriasDualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<ICriterias>());
    EXPECT_EQ(SlotIndexOf(&ICriterias::get__NewEnum), 7u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::Item), 8u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::get_Application), 9u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::get_Parent), 10u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::Add), 11u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::Delete), 12u);
    EXPECT_EQ(SlotIndexOf(&ICriterias::get_Count), 13u);

    ICriterias* dual = CRecordInterface<ICriterias>(criterias_.Get(), IID_ICriterias).Detach();
    CComBSTR name(u"Sel"), other(u"Other");
    ICriteria* added = nullptr;
    ASSERT_EQ(CallSlot(dual, 11, static_cast<BSTR>(name), &added), S_OK);
    ICriteria* found = nullptr;
    ASSERT_EQ(CallSlot(dual, 8, static_cast<BSTR>(name), &found), S_OK);
    EXPECT_EQ(found, added);
    found->Release();
    added->Release();
    EXPECT_EQ(CallSlot(dual, 8, static_cast<BSTR>(other), &found), E_INVALIDARG);
    EXPECT_EQ(found, nullptr);
    LONG count = 0;
    EXPECT_EQ(CallSlot(dual, 13, &count), S_OK);
    EXPECT_EQ(count, 1);
    IUnknown* unk = nullptr;
    ASSERT_EQ(CallSlot(dual, 7, &unk), S_OK);
    EXPECT_EQ(unk, criterias_->GetControllingUnknown());
    unk->Release();
    IDispatch* parent = nullptr;
    ASSERT_EQ(CallSlot(dual, 10, &parent), S_OK);
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent), static_cast<CCmdTarget*>(&doc_));
    parent->Release();
    EXPECT_EQ(CallSlot(dual, 12, static_cast<BSTR>(other)), E_INVALIDARG);
    EXPECT_EQ(CallSlot(dual, 12, static_cast<BSTR>(name)), S_OK);
    EXPECT_EQ(CallSlot(dual, 13, &count), S_OK);
    EXPECT_EQ(count, 0);
    dual->Release();
}

}  // namespace
