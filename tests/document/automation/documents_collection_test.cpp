#include "document/documents_collection.h"

#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "platform/settings.h"
#include "records/record_interfaces.h"
#include "support/scripted_host_fixture.h"

namespace {

// The program's open documents, as a list the test fills.
class CDocumentList : public IOpenDocuments {
public:
    int GetDocumentCount() override { return static_cast<int>(docs.size()); }
    CSheepDoc* GetDocumentAt(int index) override {
        return index >= 0 && index < GetDocumentCount() ? docs[index].Get() : nullptr;
    }
    CSheepDoc* CreateDocument() override {
        docs.push_back(MakeRef<CSheepDoc>());
        docs.back()->SetTitle(u"Untitled");
        return docs.back().Get();
    }
    CSheepDoc* OpenDocument(const WString& path) override {
        opened.push_back(path);
        if (path.empty()) return nullptr;
        docs.push_back(MakeRef<CSheepDoc>());
        docs.back()->SetTitle(path);
        return docs.back().Get();
    }
    void CloseDocument(CSheepDoc* doc) override {
        ++closedOne;
        std::erase_if(docs, [&](const CRefPtr<CSheepDoc>& d) { return d.Get() == doc; });
    }
    void CloseAllDocuments() override { docs.clear(); }

    std::vector<CRefPtr<CSheepDoc>> docs;
    std::vector<WString> opened;
    int closedOne = 0;
};

class DocumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* title : {u"First", u"Second"}) {
            list_.docs.push_back(MakeRef<CSheepDoc>());
            list_.docs.back()->SetTitle(title);
        }
        documents_ = CRefPtr<CDocuments>::Adopt(new CDocuments(&list_));
        disp_.AttachDispatch(documents_->GetIDispatch(true));
    }
    WString TitleOf(const VARIANT& v) {
        auto* doc = dynamic_cast<CSheepDoc*>(CCmdTarget::FromIDispatch(v.pdispVal));
        return doc ? doc->GetTitle() : WString(u"(none)");
    }

    CScopedScriptedHost host_;
    CDocumentList list_;
    CRefPtr<CDocuments> documents_;
    COleDispatchDriver disp_;
};

TEST_F(DocumentsTest, CountAndItemInTheListsOrder) {
    const std::pair<const char16_t*, DISPID> members[] = {
        {u"Application", 1}, {u"Parent", 2}, {u"Count", 3}, {u"Item", 4},
        {u"Add", 5},         {u"Open", 6},   {u"Close", 7}, {u"_NewEnum", DISPID_NEWENUM}};
    for (const auto& [name, id] : members) EXPECT_EQ(disp_.GetIDOfName(name), id) << WToUtf8(name);
    EXPECT_EQ(disp_.Get(u"Count").lVal, 2);
    EXPECT_EQ(TitleOf(disp_.Call(u"Item", {COleVariant(SHORT(0))})), u"First");
    EXPECT_EQ(TitleOf(disp_.InvokeHelper(DISPID_VALUE, DISPATCH_METHOD, {COleVariant(u"1")})), u"Second");
    for (SHORT index : {SHORT(2), SHORT(-1)}) {
        try {
            disp_.Call(u"Item", {COleVariant(index)});
            ADD_FAILURE() << index;
        } catch (const COleDispatchException& e) {
            EXPECT_EQ(e.m_wCode, 160);
            EXPECT_EQ(e.m_strDescription, u"Invalid Argument");
        }
    }
    try {
        disp_.Call(u"Item", {COleVariant(u"First")});
        ADD_FAILURE();
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_scError, DISP_E_TYPEMISMATCH);
    }
    disp_.Call(u"Close", {});
    EXPECT_EQ(disp_.Get(u"Count").lVal, 0);
}

TEST_F(DocumentsTest, Enumerator) {
    IEnumVARIANT* e = QueryInterfaceAs<IEnumVARIANT>(documents_->GetControllingUnknown(), IID_IEnumVARIANT);
    VARIANT v[2];
    EXPECT_EQ(e->Next(2, v, nullptr), E_INVALIDARG);
    ASSERT_EQ(e->Next(1, v, nullptr), S_OK);
    EXPECT_EQ(TitleOf(v[0]), u"First");
    VariantClear(&v[0]);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ULONG got = 0;
    EXPECT_EQ(clone->Next(2, v, &got), S_FALSE);
    ASSERT_EQ(got, 1u);
    EXPECT_EQ(TitleOf(v[0]), u"Second");
    VariantClear(&v[0]);
    EXPECT_EQ(e->Skip(2), S_FALSE);
    // A document that comes restarts an enumeration that had run out.
    disp_.Call(u"Open", {COleVariant(u"/tmp/third.cvl")});
    ASSERT_EQ(e->Next(1, v, nullptr), S_OK);
    EXPECT_EQ(TitleOf(v[0]), u"First");
    VariantClear(&v[0]);
    clone->Release();
    e->Release();
}

TEST_F(DocumentsTest, AddLoadsTheBreedOrDiscardsTheDocument) {
    ASSERT_TRUE(
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel", Utf8ToW(CVL_DOCAUTO_BREED)));
    COleVariant added = disp_.Call(u"Add", {COleVariant(u"Texel")});
    auto* doc = dynamic_cast<CSheepDoc*>(CCmdTarget::FromIDispatch(added.pdispVal));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocString(FARM_BREED), u"Texel");
    EXPECT_TRUE(doc->GetBreedPlugIn().IsLoaded());
    EXPECT_EQ(list_.docs.size(), 3u);

    COleVariant refused = disp_.Call(u"Add", {COleVariant(u"Unknown Breed")});
    EXPECT_EQ(refused.pdispVal, nullptr);
    EXPECT_EQ(list_.docs.size(), 3u);
    EXPECT_EQ(list_.closedOne, 1);
    EXPECT_EQ(host_.MessageIds(), (std::vector<unsigned>{112}));
}

TEST_F(DocumentsTest, OpenGivesTheDocumentOrNothing) {
    EXPECT_EQ(TitleOf(disp_.Call(u"Open", {COleVariant(u"/tmp/x.cvl")})), u"/tmp/x.cvl");
    EXPECT_EQ(disp_.Call(u"Open", {COleVariant(u"")}).pdispVal, nullptr);
    EXPECT_EQ(list_.opened, (std::vector<WString>{u"/tmp/x.cvl", u""}));
}

TEST_F(DocumentsTest, DualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<IDocuments>());
    EXPECT_EQ(SlotIndexOf(&IDocuments::Item), 7u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::get_Application), 8u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::get_Parent), 9u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::get_Count), 10u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::get__NewEnum), 11u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::Add), 12u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::Open), 13u);
    EXPECT_EQ(SlotIndexOf(&IDocuments::Close), 14u);

    IDocuments* dual = CRecordInterface<IDocuments>(documents_.Get(), IID_IDocuments).Detach();
    const COleVariant one(SHORT(1)), two(SHORT(2));
    IDispatch* doc = nullptr;
    ASSERT_EQ(CallSlot(dual, 7, static_cast<const VARIANT&>(one), &doc), S_OK);
    EXPECT_EQ(static_cast<void*>(doc), static_cast<void*>(list_.docs[1]->GetDocumentDual()));
    doc->Release();
    EXPECT_EQ(CallSlot(dual, 7, static_cast<const VARIANT&>(two), &doc), HRESULT(0x800402A0));
    LONG count = 0;
    EXPECT_EQ(CallSlot(dual, 10, &count), S_OK);
    EXPECT_EQ(count, 2);
    IUnknown* unk = nullptr;
    ASSERT_EQ(CallSlot(dual, 11, &unk), S_OK);
    EXPECT_EQ(unk, documents_->GetControllingUnknown());
    unk->Release();
    CComBSTR breed(u"Nobody"), file(u"/tmp/y.cvl");
    doc = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(CallSlot(dual, 12, static_cast<BSTR>(breed), &doc), S_OK);
    EXPECT_EQ(doc, nullptr);
    ASSERT_EQ(CallSlot(dual, 13, static_cast<BSTR>(file), &doc), S_OK);
    ASSERT_NE(doc, nullptr);
    doc->Release();
    EXPECT_EQ(CallSlot(dual, 14), S_OK);
    EXPECT_TRUE(list_.docs.empty());
    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDocuments), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDocument), S_FALSE);
    support->Release();
    dual->Release();
}

}  // namespace
