#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "platform/testing/scripted_host.h"
#include "records/addresses_collection.h"
#include "records/breeds.h"
#include "records/criteria.h"
#include "records/criteria_automation.h"
#include "records/event.h"
#include "records/records_collection.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "support/scripted_host_fixture.h"

namespace {

// The program's windows as the document sees them, scripted.
class CFakeFrame : public IDocumentFrame {
public:
    WString GetPathName() const override { return path; }
    bool IsFirstViewVisible() const override { return visible; }
    void ShowFirstView(bool show) override { visible = show; }
    void ActivateFirstView() override { ++activated; }
    bool SaveDocument(const WString& to) override {
        saves.push_back(to);
        if (!saveWorks) return false;
        path = to;
        return true;
    }
    void CloseDocument() override { ++closed; }
    IDispatch* CreateWindows() override {
        ++windowsMade;
        auto* windows = new CCmdTarget;
        windows->EnableAutomation();
        IDispatch* p = windows->GetIDispatch(false);  // the new object's one reference goes out
        return p;
    }
    bool RunAddressBrowser(long, WString* name) override {
        if (!browserAnswer) return false;
        *name = *browserAnswer;
        return true;
    }

    WString path;
    bool visible = false;
    int activated = 0;
    std::vector<WString> saves;
    bool saveWorks = true;
    int closed = 0;
    int windowsMade = 0;
    std::optional<WString> browserAnswer;
};

class DocumentAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc_.SetTitle(u"Home Flock");
        disp_.AttachDispatch(doc_.GetIDispatch(true));
        dual_ = CRecordInterface<IDocument>(&doc_, IID_IDocument).Detach();
    }
    void TearDown() override {
        dual_->Release();
        disp_.ReleaseDispatch();
    }
    // The status a dispatch call failed with (S_OK when it did not fail).
    HRESULT Failure(const std::function<void()>& call) {
        try {
            call();
        } catch (const COleDispatchException& e) {
            return e.m_wCode ? HRESULT(0x80040000 | (0x200 + e.m_wCode)) : e.m_scError;
        }
        return S_OK;
    }

    CScopedScriptedHost host_;
    CSheepDoc doc_;
    COleDispatchDriver disp_;
    IDocument* dual_ = nullptr;
    CFakeFrame frame_;
};

TEST_F(DocumentAutomationTest, DispatchIdsArePositions) {
    const char16_t* names[] = {u"Attribute",
                               u"DefaultEartagColour",
                               u"Name",
                               u"FullName",
                               u"Author",
                               u"Comments",
                               u"Keywords",
                               u"Application",
                               u"Parent",
                               u"Records",
                               u"Criteria",
                               u"Saved",
                               u"ReadOnly",
                               u"Path",
                               u"Visible",
                               u"Addresses",
                               u"Windows",
                               u"XML",
                               u"LookupSignetAverages",
                               u"Save",
                               u"SaveAs",
                               u"Close",
                               u"Print",
                               u"Activate",
                               u"PrintOut"};
    DISPID id = 1;
    for (const char16_t* name : names) EXPECT_EQ(disp_.GetIDOfName(name), id++) << WToUtf8(name);
    EXPECT_EQ(BstrToW(disp_.GetProperty(DISPID_VALUE).bstrVal), u"Home Flock");
    EXPECT_THROW(disp_.GetIDOfName(u"Breed"), COleException);  // on the dual interface only
}

TEST_F(DocumentAutomationTest, ANewUnsavedDocument) {
    EXPECT_EQ(BstrToW(disp_.Get(u"Name").bstrVal), u"Home Flock");
    EXPECT_EQ(BstrToW(disp_.Get(u"FullName").bstrVal), u"");
    EXPECT_EQ(BstrToW(disp_.Get(u"Path").bstrVal), u"");
    EXPECT_EQ(disp_.Get(u"ReadOnly").boolVal, VARIANT_TRUE);
    EXPECT_EQ(disp_.Get(u"Saved").boolVal, VARIANT_TRUE);
    doc_.SetModifiedFlag(true);
    EXPECT_EQ(disp_.Get(u"Saved").boolVal, VARIANT_FALSE);
    // Read-only properties refuse a put with the framework's error.
    for (const char16_t* name : {u"Name", u"FullName", u"Saved", u"ReadOnly", u"Path", u"Records"})
        EXPECT_EQ(Failure([&] { disp_.Put(name, COleVariant(u"x")); }), HRESULT(0x80040000 | (0x200 + 383)))
            << WToUtf8(name);
}

TEST_F(DocumentAutomationTest, ReadOnlyFollowsTheFile) {
    doc_.SetFrame(&frame_);
    const auto dir = std::filesystem::temp_directory_path() / ("docauto_ro_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "flock.cvl";
    std::ofstream(file) << "x";
    frame_.path = Utf8ToW(file.string());
    EXPECT_EQ(disp_.Get(u"ReadOnly").boolVal, VARIANT_FALSE);
    EXPECT_EQ(BstrToW(disp_.Get(u"Path").bstrVal), frame_.path);
    chmod(file.c_str(), 0444);
    EXPECT_EQ(disp_.Get(u"ReadOnly").boolVal, VARIANT_TRUE);
    frame_.path = Utf8ToW((dir / "missing.cvl").string());
    EXPECT_EQ(disp_.Get(u"ReadOnly").boolVal, VARIANT_TRUE);
    std::filesystem::remove_all(dir);
}

TEST_F(DocumentAutomationTest, FarmDetailsAndYearColours) {
    disp_.InvokeHelper(disp_.GetIDOfName(u"Attribute"), DISPATCH_PROPERTYPUT,
                       {COleVariant(SHORT(FARM_TELEPHONE)), COleVariant(u"01234 567")});
    EXPECT_EQ(doc_.GetDocString(FARM_TELEPHONE), u"01234 567");
    EXPECT_EQ(BstrToW(disp_
                          .InvokeHelper(disp_.GetIDOfName(u"Attribute"), DISPATCH_PROPERTYGET,
                                        {COleVariant(SHORT(FARM_TELEPHONE))})
                          .bstrVal),
              u"01234 567");

    CComBSTR red(u"Red");
    EXPECT_EQ(dual_->put_DefaultEartagColour(2003, red), S_OK);
    EXPECT_EQ(doc_.GetStores().YearColours().at(u"2003"), u"Red");
    CComBSTR got;
    EXPECT_EQ(dual_->get_DefaultEartagColour(2003, &got), S_OK);
    EXPECT_EQ(got.ToW(), u"Red");
    CComBSTR none;
    EXPECT_EQ(dual_->get_DefaultEartagColour(1999, &none), S_OK);
    EXPECT_EQ(none.ToW(), u"");
}

TEST_F(DocumentAutomationTest, SignetAveragesByYearAndSex) {
    auto rams = MakeRef<CSignetData>();
    auto ewes = MakeRef<CSignetData>();
    doc_.GetStores().SetSignetAverages(2003, SEX_RAM, rams);
    doc_.GetStores().SetSignetAverages(2003, SEX_EWE, ewes);
    const struct {
        SHORT sex;
        CSignetData* expected;
    } cases[] = {{1, rams.Get()}, {0, ewes.Get()}, {2, ewes.Get()}};
    for (const auto& c : cases) {
        IDispatch* found = nullptr;
        ASSERT_EQ(dual_->LookupSignetAverages(c.sex, 2003, &found), S_OK);
        EXPECT_EQ(CCmdTarget::FromIDispatch(found), c.expected) << c.sex;
        found->Release();
    }
    IDispatch* found = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(dual_->LookupSignetAverages(1, 2004, &found), E_INVALIDARG);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(Failure([&] {
                  disp_.Call(u"LookupSignetAverages", {COleVariant(SHORT(1)), COleVariant(SHORT(2004))});
              }),
              E_INVALIDARG);
}

TEST_F(DocumentAutomationTest, CollectionsAreMadeOnceAndKept) {
    for (const char16_t* name : {u"Records", u"Criteria", u"Addresses"}) {
        IDispatch* first = disp_.Get(name).Detach().pdispVal;
        CCmdTarget* object = CCmdTarget::FromIDispatch(first);
        first->Release();
        IDispatch* second = disp_.Get(name).Detach().pdispVal;
        EXPECT_EQ(CCmdTarget::FromIDispatch(second), object) << WToUtf8(name);
        second->Release();
        EXPECT_EQ(object->GetRefCount(), 1u) << WToUtf8(name);  // the document's own
    }
    EXPECT_EQ(doc_.GetRecordsObject()->GetCount(), 0);
    // The criteria collection copies the document's extraction criteria.
    doc_.GetExtractionCriteria().m_nType = CRITERIA_SOLD;
    CRefPtr<CComCriteria> added = CRefPtr<CComCriteria>::Adopt(doc_.GetCriteriaObject()->AddCriteria(u"S"));
    EXPECT_EQ(added->GetType(), CRITERIA_SOLD);
    EXPECT_EQ(doc_.GetCriteria(), &doc_.GetExtractionCriteria());
}

TEST_F(DocumentAutomationTest, TheXMLPropertyReadsAndWritesTheExchangeFile) {
    disp_.Put(u"XML", COleVariant(u"<Corvalen xmlns=\"http://corvalen.example/Schemas/Corvalen\">"
                                  u"<Attribute ID=\"1030\">\u00e9t\u00e9</Attribute></Corvalen>"));
    EXPECT_EQ(doc_.GetDocString(1030), u"\u00e9t\u00e9");
    const WString text = BstrToW(disp_.Get(u"XML").bstrVal);
    EXPECT_NE(text.find(u"<Attribute ID=\"1030\">\u00e9t\u00e9</Attribute>"), WString::npos);
    EXPECT_NE(text.find(u"</Definition>\r\n</Corvalen>\r\n"), WString::npos);
}

TEST_F(DocumentAutomationTest, WhatIsNotThereYetIsRefusedClearly) {
    EXPECT_EQ(Failure([&] { disp_.Call(u"Print", {}); }), E_NOTIMPL);
    EXPECT_EQ(Failure([&] { disp_.Call(u"PrintOut", {}); }), E_NOTIMPL);
    // Without the program's windows.
    for (const char16_t* name : {u"Save", u"Activate"})
        EXPECT_EQ(Failure([&] { disp_.Call(name, {}); }), E_NOTIMPL) << WToUtf8(name);
    EXPECT_EQ(Failure([&] { disp_.Call(u"Close", {}); }), E_NOTIMPL);
    EXPECT_EQ(Failure([&] { disp_.Get(u"Visible"); }), E_NOTIMPL);
    EXPECT_EQ(Failure([&] { disp_.Get(u"Windows"); }), E_NOTIMPL);
}

TEST_F(DocumentAutomationTest, SummaryTextsInTheAnsiCodePage) {
    const struct {
        const char16_t* name;
        std::string CSummaryInfo::*field;
    } texts[] = {{u"Author", &CSummaryInfo::m_author},
                 {u"Comments", &CSummaryInfo::m_comments},
                 {u"Keywords", &CSummaryInfo::m_keywords}};
    for (const auto& t : texts) {
        disp_.Put(t.name, COleVariant(u"M\u00fcller \u20ac"));
        EXPECT_EQ(doc_.GetSummaryInfo().*t.field, "M\xfcller \x80") << WToUtf8(t.name);
        EXPECT_EQ(BstrToW(disp_.Get(t.name).bstrVal), u"M\u00fcller \u20ac") << WToUtf8(t.name);
    }
    EXPECT_FALSE(doc_.IsModified());
    CComBSTR author;
    EXPECT_EQ(dual_->get_Author(&author), S_OK);
    EXPECT_EQ(author.ToW(), u"M\u00fcller \u20ac");
}

TEST_F(DocumentAutomationTest, TheBreedOfTheDocument) {
    doc_.SetAttribute(FARM_BREED, u"Texel");
    IDispatch* breed = nullptr;
    ASSERT_EQ(dual_->get_Breed(&breed), S_OK);
    ASSERT_NE(breed, nullptr);
    COleDispatchDriver texel(breed, false);
    EXPECT_EQ(BstrToW(texel.Get(u"Name").bstrVal), u"Texel");
    EXPECT_EQ(CCmdTarget::FromIDispatch(texel.Get(u"Parent").pdispVal), static_cast<CCmdTarget*>(&doc_));
    IDispatch* again = nullptr;
    ASSERT_EQ(dual_->get_Breed(&again), S_OK);
    EXPECT_EQ(again, breed);
    again->Release();
    doc_.SetAttribute(FARM_BREED, u"Lleyn");
    ASSERT_EQ(dual_->get_Breed(&again), S_OK);
    EXPECT_NE(again, breed);
    again->Release();
    // The old breed object refuses further calls.
    EXPECT_THROW(texel.Get(u"Name"), COleDispatchException);
    breed->Release();
}

TEST_F(DocumentAutomationTest, SaveCloseAndWindowsThroughTheFrame) {
    doc_.SetFrame(&frame_);
    // Never saved: there is no name to save under.
    EXPECT_EQ(Failure([&] { disp_.Call(u"Save", {}); }), E_INVALIDARG);
    disp_.Call(u"SaveAs", {COleVariant(u"/tmp/a.cvl")});
    disp_.Call(u"Save", {});
    disp_.Call(u"SaveAs", {});  // omitted: as Save
    EXPECT_EQ(frame_.saves, (std::vector<WString>{u"/tmp/a.cvl", u"/tmp/a.cvl", u"/tmp/a.cvl"}));
    frame_.saveWorks = false;
    EXPECT_EQ(Failure([&] { disp_.Call(u"Save", {}); }), E_FAIL);

    // Close with no arguments discards the changes.
    frame_.saves.clear();
    doc_.SetModifiedFlag(true);
    disp_.Call(u"Close", {});
    EXPECT_FALSE(doc_.IsModified());
    EXPECT_TRUE(frame_.saves.empty());
    EXPECT_EQ(frame_.closed, 1);
    frame_.saveWorks = true;
    disp_.Call(u"Close", {COleVariant(SHORT(-1), VT_BOOL), COleVariant(u"/tmp/b.cvl")});
    EXPECT_EQ(frame_.saves, (std::vector<WString>{u"/tmp/b.cvl"}));
    EXPECT_EQ(frame_.closed, 2);
    doc_.SetModifiedFlag(true);
    disp_.Call(u"Close", {COleVariant(SHORT(0), VT_BOOL)});
    EXPECT_FALSE(doc_.IsModified());

    disp_.Put(u"Visible", COleVariant(SHORT(-1), VT_BOOL));
    EXPECT_TRUE(frame_.visible);
    EXPECT_EQ(disp_.Get(u"Visible").boolVal, VARIANT_TRUE);
    EXPECT_EQ(dual_->put_Visible(1), S_OK);  // only -1 shows
    EXPECT_FALSE(frame_.visible);
    disp_.Call(u"Activate", {});
    EXPECT_EQ(frame_.activated, 1);
    disp_.Get(u"Windows");
    disp_.Get(u"Windows");
    EXPECT_EQ(frame_.windowsMade, 1);
}

TEST_F(DocumentAutomationTest, DualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<IDocument>());
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Name), 7u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_FullName), 8u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_Attribute), 9u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Attribute), 10u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_Author), 11u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Author), 12u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_Comments), 13u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Comments), 14u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_Keywords), 15u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Keywords), 16u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Application), 17u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Parent), 18u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Records), 19u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Criteria), 20u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Saved), 21u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_ReadOnly), 22u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Path), 23u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_Visible), 24u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Visible), 25u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Windows), 26u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Addresses), 27u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_DefaultEartagColour), 28u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_DefaultEartagColour), 29u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_XML), 30u);
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Breed), 31u);
    EXPECT_EQ(SlotIndexOf(&IDocument::LookupSignetAverages), 32u);
    EXPECT_EQ(SlotIndexOf(&IDocument::Save), 33u);
    EXPECT_EQ(SlotIndexOf(&IDocument::SaveAs), 34u);
    EXPECT_EQ(SlotIndexOf(&IDocument::Close), 35u);
    EXPECT_EQ(SlotIndexOf(&IDocument::Print), 36u);
    EXPECT_EQ(SlotIndexOf(&IDocument::Activate), 37u);
    EXPECT_EQ(SlotIndexOf(&IDocument::PrintOut), 38u);
    EXPECT_EQ(SlotIndexOf(&IDocument::put_XML), 39u);

    IDocument* dual = doc_.GetDocumentDual();
    EXPECT_EQ(static_cast<void*>(dual), static_cast<void*>(dual_));
    BSTR name = nullptr;
    ASSERT_EQ(CallSlot(dual, 7, &name), S_OK);
    EXPECT_EQ(BstrToW(name), u"Home Flock");
    SysFreeString(name);
    CComBSTR fax(u"0987");
    EXPECT_EQ(CallSlot(dual, 9, SHORT(FARM_FAX), static_cast<BSTR>(fax)), S_OK);
    BSTR got = nullptr;
    EXPECT_EQ(CallSlot(dual, 10, SHORT(FARM_FAX), &got), S_OK);
    EXPECT_EQ(BstrToW(got), u"0987");
    SysFreeString(got);
    const struct {
        std::size_t slot;
        void* expected;
    } objects[] = {
        {19, doc_.GetRecordsObject()->GetInterface(IID_IRecords)},
        {20, doc_.GetCriteriaObject()->GetInterface(IID_ICriterias)},
        {27, doc_.GetAddressesObject()->GetInterface(IID_IAddresses)},
    };
    for (const auto& o : objects) {
        IDispatch* p = nullptr;
        ASSERT_EQ(CallSlot(dual, o.slot, &p), S_OK) << o.slot;
        EXPECT_EQ(static_cast<void*>(p), o.expected) << o.slot;
        p->Release();
    }
    VARIANT_BOOL b = 0;
    EXPECT_EQ(CallSlot(dual, 21, &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    EXPECT_EQ(CallSlot(dual, 22, &b), S_OK);
    EXPECT_EQ(b, VARIANT_TRUE);
    VARIANT none[3];
    for (VARIANT& v : none) {
        VariantInit(&v);
        v.vt = VT_ERROR;
        v.scode = DISP_E_PARAMNOTFOUND;
    }
    EXPECT_EQ(CallSlot(dual, 36, none[0], none[1], none[2]), E_NOTIMPL);
    EXPECT_EQ(CallSlot(dual, 38, none[0], none[1], none[2]), E_NOTIMPL);
    // The XML property: a text that brings nothing in, and the document's exchange file out.
    CComBSTR xml(u"<x/>");
    EXPECT_EQ(CallSlot(dual, 39, static_cast<BSTR>(xml)), S_OK);
    EXPECT_EQ(CallSlot(dual, 30, &got), S_OK);
    EXPECT_EQ(BstrToW(got).rfind(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Corvalen ", 0), 0u);
    SysFreeString(got);

    doc_.SetFrame(&frame_);
    frame_.path = u"/tmp/c.cvl";
    EXPECT_EQ(CallSlot(dual, 33), S_OK);
    EXPECT_EQ(CallSlot(dual, 34, none[0]), S_OK);
    EXPECT_EQ(CallSlot(dual, 37), S_OK);
    EXPECT_EQ(CallSlot(dual, 35, none[0], none[1]), S_OK);
    EXPECT_EQ(frame_.saves.size(), 2u);
    EXPECT_EQ(frame_.activated, 1);
    EXPECT_EQ(frame_.closed, 1);

    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDocument), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IRecords), S_FALSE);
    support->Release();
}

TEST(DocumentLifetime, CollectionsOutliveTheirDocumentSafely) {
    CScopedScriptedHost host;
    IDispatch* records = nullptr;
    IDispatch* criterias = nullptr;
    {
        CSheepDoc doc;
        records = doc.GetRecords();
        criterias = doc.GetCriteriaCollection();
    }
    COleDispatchDriver r(records), c(criterias);
    EXPECT_THROW(r.Get(u"Count"), COleDispatchException);
    EXPECT_THROW(c.Call(u"Add", {COleVariant(u"x")}), COleDispatchException);
}

}  // namespace

namespace {

TEST(DocumentCriteria, TheBreedPlugInAnswersForABirthWithBothInterfaces) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(CVL_DOCAUTO_BREED, true), BREED_LOADED);
    auto log = reinterpret_cast<const char* (*)()>(doc.GetBreedProc("TestBreedLog"));
    auto clear = reinterpret_cast<void (*)()>(doc.GetBreedProc("TestBreedClearLog"));
    ASSERT_TRUE(log && clear);
    auto* lamb = new CSheep(u"LAMB1", SEX_EWE, nullptr);
    ASSERT_GE(doc.AddSheep(lamb, false), 0);
    lamb->AddEvent(new CEvent(COleDateTime(2003, 3, 1, 0, 0, 0), EVENT_BORN), false);
    CCriteria criteria;
    criteria.m_dtDate = COleDateTime(2003, 7, 15, 0, 0, 0);
    clear();
    EXPECT_TRUE(lamb->MatchesCriteria(criteria));
    EXPECT_EQ(std::string(log()), "BornOnFarm(doc,sheep);");
    doc.UnloadBreedPlugIn();
    EXPECT_FALSE(lamb->MatchesCriteria(criteria));
}

}  // namespace
