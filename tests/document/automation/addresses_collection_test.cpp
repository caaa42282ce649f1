#include "records/addresses_collection.h"

#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "support/fake_address_dialogs.h"
#include "support/scripted_host_fixture.h"

namespace {

class CBrowserFrame : public IDocumentFrame {
public:
    WString GetPathName() const override { return {}; }
    bool IsFirstViewVisible() const override { return false; }
    void ShowFirstView(bool) override {}
    void ActivateFirstView() override {}
    bool SaveDocument(const WString&) override { return false; }
    void CloseDocument() override {}
    IDispatch* CreateWindows() override { return nullptr; }
    bool RunAddressBrowser(long windowHandle, WString* name) override {
        calls.push_back({windowHandle, *name});
        if (!answer) return false;
        *name = *answer;
        return true;
    }
    std::optional<WString> answer;
    std::vector<std::pair<long, WString>> calls;
};

CAddress* AddressOf(const VARIANT& v) {
    return v.vt == VT_DISPATCH ? dynamic_cast<CAddress*>(CCmdTarget::FromIDispatch(v.pdispVal)) : nullptr;
}

class AddressesTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc_.SetTitle(u"Home Flock");
        doc_.GetStores().SetAddressAt(u"Market", MakeRef<CLocalAddress>(u"Market"));
        doc_.GetStores().SetAddressAt(u"Vet", MakeRef<CLocalAddress>(u"Vet"));
        disp_.AttachDispatch(doc_.GetAddresses());
    }
    HRESULT Failure(const std::function<void()>& call, WString* text = nullptr) {
        try {
            call();
        } catch (const COleDispatchException& e) {
            if (text) *text = e.m_strDescription;
            return e.m_wCode ? HRESULT(0x80040000 | (0x200 + e.m_wCode)) : e.m_scError;
        }
        return S_OK;
    }

    CScopedScriptedHost host_;
    CSheepDoc doc_;
    COleDispatchDriver disp_;
};

TEST_F(AddressesTest, DispatchIdsArePositions) {
    const std::pair<const char16_t*, DISPID> members[] = {
        {u"Application", 1}, {u"Parent", 2},       {u"Count", 3},
        {u"Item", 4},        {u"Add", 5},          {u"Delete", 6},
        {u"AddDialog", 7},   {u"BrowseDialog", 8}, {u"_NewEnum", DISPID_NEWENUM}};
    for (const auto& [name, id] : members) EXPECT_EQ(disp_.GetIDOfName(name), id) << WToUtf8(name);
    EXPECT_EQ(disp_.Get(u"Count").lVal, 2);
    EXPECT_EQ(CCmdTarget::FromIDispatch(disp_.Get(u"Parent").pdispVal), static_cast<CCmdTarget*>(&doc_));
}

TEST_F(AddressesTest, ItemSetsTheIdToTheNameUsed) {
    doc_.GetStores().LookupAddress(u"Vet")->SetID(u"Old name");
    CAddress* vet = AddressOf(disp_.Call(u"Item", {COleVariant(u"Vet")}));
    ASSERT_NE(vet, nullptr);
    EXPECT_EQ(vet->GetID(), u"Vet");
    WString text;
    EXPECT_EQ(Failure([&] { disp_.Call(u"Item", {COleVariant(u"Abattoir")}); }, &text), HRESULT(0x80040204));
    EXPECT_EQ(text, u"The Address Abattoir does not exist in Home Flock");
    IAddresses* dual = CRecordInterface<IAddresses>(doc_.GetAddressesObject(), IID_IAddresses).Detach();
    IAddress* address = nullptr;
    EXPECT_EQ(dual->Item(COleVariant(u"Abattoir"), &address), HRESULT(0x80040204));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    DWORD help = 0;
    info->GetHelpContext(&help);
    EXPECT_EQ(help, 0x30000u + 165);
    info->Release();
    dual->Release();
}

TEST_F(AddressesTest, AddLocalAddressesOnly) {
    CAddress* added = AddressOf(disp_.Call(u"Add", {COleVariant(u"Haulier"), COleVariant(SHORT(0))}));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetID(), u"Haulier");
    EXPECT_EQ(added->GetType(), CAddress::typeLocal);
    EXPECT_EQ(doc_.GetStores().LookupAddress(u"Haulier"), added);
    EXPECT_TRUE(doc_.IsModified());

    // Anything but a local address is refused and nothing is filed, with or without an address book.
    for (SHORT type : {SHORT(1), SHORT(2), SHORT(-1)}) {
        WString text;
        EXPECT_EQ(Failure(
                      [&] {
                          disp_.Call(u"Add", {COleVariant(u"Book"), COleVariant(type)});
                      },
                      &text),
                  HRESULT(0x80040000 | (0x200 + 160)))
            << type;
        EXPECT_EQ(text, u"Invalid Argument");
    }
    EXPECT_EQ(disp_.Get(u"Count").lVal, 3);
}

TEST_F(AddressesTest, AddingATakenNameAsksFirst) {
    CAddress* market = doc_.GetStores().LookupAddress(u"Market");
    host_.Reply(123, IDNO);
    COleVariant kept = disp_.Call(u"Add", {COleVariant(u"Market"), COleVariant(SHORT(0))});
    EXPECT_EQ(kept.pdispVal, nullptr);  // nothing filed, nothing handed out
    EXPECT_EQ(doc_.GetStores().LookupAddress(u"Market"), market);
    host_.Reply(123, IDYES);
    CAddress* replaced = AddressOf(disp_.Call(u"Add", {COleVariant(u"Market"), COleVariant(SHORT(0))}));
    EXPECT_NE(replaced, market);
    EXPECT_EQ(doc_.GetStores().LookupAddress(u"Market"), replaced);
    EXPECT_EQ(host_.MessageIds(), (std::vector<unsigned>{123, 123}));
}

TEST_F(AddressesTest, DeleteAndExists) {
    IAddresses* dual = CRecordInterface<IAddresses>(doc_.GetAddressesObject(), IID_IAddresses).Detach();
    VARIANT_BOOL exists = 0;
    EXPECT_EQ(dual->Exists(COleVariant(u"Vet"), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    EXPECT_EQ(dual->Exists(COleVariant(u"Abattoir"), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_FALSE);
    disp_.Call(u"Delete", {COleVariant(u"Vet")});
    EXPECT_EQ(dual->Exists(COleVariant(u"Vet"), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_FALSE);
    EXPECT_EQ(Failure([&] { disp_.Call(u"Delete", {COleVariant(u"Vet")}); }), HRESULT(0x80040204));
    dual->Release();
}

TEST_F(AddressesTest, BrowseDialogAlwaysRunsThePicker) {
    // Without the program's windows there is no dialog to run.
    EXPECT_EQ(Failure([&] {
                  disp_.Call(u"BrowseDialog", {COleVariant(LONG(0)), COleVariant(u"")});
              }),
              E_NOTIMPL);
    CBrowserFrame frame;
    doc_.SetFrame(&frame);
    CFakeAddressDialogs dialogs;
    COleVariant cancelled = disp_.Call(u"BrowseDialog", {COleVariant(LONG(42)), COleVariant(u"Ve")});
    EXPECT_EQ(cancelled.pdispVal, nullptr);
    ASSERT_EQ(frame.calls.size(), 1u);
    EXPECT_EQ(frame.calls[0], (std::pair<long, WString>{42, u"Ve"}));
    frame.answer = u"Vet";
    CAddress* chosen = AddressOf(disp_.Call(u"BrowseDialog", {COleVariant(LONG(42)), COleVariant(u"Ve")}));
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->GetID(), u"Vet");
    frame.answer = u"Nobody";
    EXPECT_EQ(disp_.Call(u"BrowseDialog", {COleVariant(LONG(1)), COleVariant(u"")}).pdispVal, nullptr);
    EXPECT_TRUE(dialogs.calls.empty());  // never the details sheet
    doc_.SetFrame(nullptr);
}

TEST_F(AddressesTest, AddDialogMakesANewAddressUnlessTheNameIsFiled) {
    CBrowserFrame frame;
    doc_.SetFrame(&frame);
    EXPECT_EQ(Failure([&] {
                  disp_.Call(u"AddDialog", {COleVariant(LONG(7)), COleVariant(u"Haulier")});
              }),
              E_NOTIMPL);  // no sheet without the program's windows

    CFakeAddressDialogs dialogs;
    // A filed name runs the picker.
    frame.answer = u"Market";
    CAddress* market = AddressOf(disp_.Call(u"AddDialog", {COleVariant(LONG(7)), COleVariant(u"Vet")}));
    EXPECT_EQ(market, doc_.GetStores().LookupAddress(u"Market"));
    EXPECT_EQ(frame.calls.size(), 1u);
    EXPECT_TRUE(dialogs.calls.empty());

    // Another name (an empty one too) opens the sheet of a new local address with that name.
    for (const char16_t* name : {u"Haulier", u""}) {
        dialogs.calls.clear();
        dialogs.edit = {};
        EXPECT_EQ(disp_.Call(u"AddDialog", {COleVariant(LONG(7)), COleVariant(name)}).pdispVal, nullptr);
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].parent, 7);
        EXPECT_EQ(dialogs.calls[0].details.displayName, name);
        EXPECT_TRUE(dialogs.calls[0].isNew);
        EXPECT_EQ(disp_.Get(u"Count").lVal, 2);  // cancelled: nothing filed
    }
    doc_.SetModifiedFlag(false);
    dialogs.edit = [](IAddressDialogs::CDetails& d) {
        d.displayName = u"Haulier Ltd";
        d.postal = u"1 Lane\r\nTown";
        return true;
    };
    CAddress* added = AddressOf(disp_.Call(u"AddDialog", {COleVariant(LONG(7)), COleVariant(u"Haulier")}));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetType(), CAddress::typeLocal);
    EXPECT_EQ(doc_.GetStores().LookupAddress(u"Haulier Ltd"), added);  // filed under its display name
    EXPECT_EQ(added->GetAddress(), u"1 Lane\r\nTown");
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(frame.calls.size(), 1u);
    doc_.SetFrame(nullptr);
}

TEST_F(AddressesTest, Enumerator) {
    IEnumVARIANT* e =
        QueryInterfaceAs<IEnumVARIANT>(doc_.GetAddressesObject()->GetControllingUnknown(), IID_IEnumVARIANT);
    VARIANT v[3];
    ULONG got = 0;
    EXPECT_EQ(e->Next(3, v, &got), S_FALSE);
    ASSERT_EQ(got, 2u);
    EXPECT_EQ(AddressOf(v[0])->GetID(), u"Market");
    EXPECT_EQ(AddressOf(v[1])->GetID(), u"Vet");
    for (ULONG i = 0; i < got; ++i) VariantClear(&v[i]);
    e->Reset();
    EXPECT_EQ(e->Skip(1), S_OK);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_EQ(clone->Next(1, v, nullptr), S_OK);
    EXPECT_EQ(AddressOf(v[0])->GetID(), u"Vet");
    VariantClear(&v[0]);
    EXPECT_EQ(e->Skip(2), S_FALSE);
    clone->Release();
    e->Release();
}

TEST_F(AddressesTest, DualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<IAddresses>());
    EXPECT_EQ(SlotIndexOf(&IAddresses::get__NewEnum), 7u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::Item), 8u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::get_Application), 9u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::get_Parent), 10u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::get_Count), 11u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::Add), 12u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::Delete), 13u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::Exists), 14u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::AddDialog), 15u);
    EXPECT_EQ(SlotIndexOf(&IAddresses::BrowseDialog), 16u);

    IAddresses* dual = CRecordInterface<IAddresses>(doc_.GetAddressesObject(), IID_IAddresses).Detach();
    const COleVariant vet(u"Vet"), market(u"Market");
    const VARIANT rawVet = static_cast<const VARIANT&>(vet), rawMarket = static_cast<const VARIANT&>(market);
    IUnknown* unk = nullptr;
    ASSERT_EQ(CallSlot(dual, 7, &unk), S_OK);
    EXPECT_EQ(unk, doc_.GetAddressesObject()->GetControllingUnknown());
    unk->Release();
    IAddress* address = nullptr;
    ASSERT_EQ(CallSlot(dual, 8, rawVet, &address), S_OK);
    EXPECT_EQ(static_cast<void*>(address),
              doc_.GetStores().LookupAddress(u"Vet")->GetInterface(IID_IAddress));
    reinterpret_cast<IUnknown*>(address)->Release();
    IDispatch* parent = nullptr;
    ASSERT_EQ(CallSlot(dual, 10, &parent), S_OK);
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent), static_cast<CCmdTarget*>(&doc_));
    parent->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(dual, 11, &count), S_OK);
    EXPECT_EQ(count, 2);
    CComBSTR name(u"Haulier");
    address = nullptr;
    EXPECT_EQ(CallSlot(dual, 12, static_cast<BSTR>(name), SHORT(2), &address), HRESULT(0x800402A0));
    EXPECT_EQ(CallSlot(dual, 12, static_cast<BSTR>(name), SHORT(0), &address), S_OK);
    ASSERT_NE(address, nullptr);
    reinterpret_cast<IUnknown*>(address)->Release();
    EXPECT_EQ(CallSlot(dual, 13, rawMarket), S_OK);
    VARIANT_BOOL exists = 0;
    EXPECT_EQ(CallSlot(dual, 14, rawMarket, &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_FALSE);
    CBrowserFrame frame;
    frame.answer = u"Vet";
    doc_.SetFrame(&frame);
    for (std::size_t slot : {15u, 16u}) {
        address = nullptr;
        ASSERT_EQ(CallSlot(dual, slot, LONG(3), static_cast<BSTR>(name), &address), S_OK) << slot;
        EXPECT_NE(address, nullptr) << slot;
        if (address) reinterpret_cast<IUnknown*>(address)->Release();
    }
    doc_.SetFrame(nullptr);
    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IAddresses), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDocument), S_FALSE);
    support->Release();
    dual->Release();
}

}  // namespace
