// Registered breeds and their event codes, by slot and by name, over the test breed libraries.
#include "records/breeds.h"

#include <gtest/gtest.h>

#include "automation_support.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/event_codes.h"

namespace {

void SetBreeds(const std::vector<std::pair<WString, std::string>>& breeds) {
    if (auto app = CSettingsKey::Create(HKEY_LOCAL_MACHINE, CRegistrySettings::AppKeyPath))
        app->DeleteSubkey(u"Breeds");
    for (const auto& [name, path] : breeds)
        ASSERT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", name, Utf8ToW(path)));
}

class BreedsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetBreeds({{u"Texel", CVL_AUTOREC_BREED_B},
                   {u"Bare", CVL_AUTOREC_BREED_BARE},
                   {u"Lleyn", CVL_AUTOREC_BREED_A},
                   {u"Missing", "/nonexistent/breed.so"}});
        m_breeds = CRefPtr<CBreeds>::Adopt(new CBreeds());
    }
    // Lleyn's breed object through a fresh collection (the collection goes, the breed stays held).
    CRefPtr<CComBreed> Breed(const char16_t* name) {
        auto breeds = CRefPtr<CBreeds>::Adopt(new CBreeds());
        for (LONG i = 0; i < breeds->GetCount(); ++i)
            if (breeds->GetBreedAt(i)->GetName() == name) return CRefPtr<CComBreed>(breeds->GetBreedAt(i));
        return {};
    }
    // A breed whose collection lives as long as the test.
    CComBreed* HeldBreed(const char16_t* name) {
        for (LONG i = 0; i < m_breeds->GetCount(); ++i)
            if (m_breeds->GetBreedAt(i)->GetName() == name) return m_breeds->GetBreedAt(i);
        return nullptr;
    }
    CRefPtr<CEventCodes> Codes() { return CRefPtr<CEventCodes>(HeldBreed(u"Lleyn")->GetEventCodesObject()); }

    CRefPtr<CBreeds> m_breeds;
};

COleVariant Short(SHORT n) {
    return COleVariant(n);
}

}  // namespace

TEST(BreedVersion, KeepsOnlyBitZeroOfTheMostSignificantWord) {
    EXPECT_EQ(BreedVersionNumber(0x00010002, 0x00030004), 196612.0);
    EXPECT_EQ(BreedVersionNumber(0x00010003, 0x00030004), 2147680260.0);
    EXPECT_EQ(BreedVersionNumber(0xFFFFFFFF, 0xFFFFFFFF), 4294967295.0);
    EXPECT_EQ(BreedVersionNumber(0, 0), 0.0);
}

TEST_F(BreedsTest, CollectionCountsAndOrdersTheRegisteredBreeds) {
    EXPECT_EQ(m_breeds->GetCount(), 4);
    IDispatch* disp = m_breeds->GetIDispatch(false);
    std::vector<WString> names;
    for (SHORT i = 0; i < 4; ++i) {
        InvokeResult r = InvokeByName(disp, u"Item", {Short(i)});
        ASSERT_EQ(r.hr, S_OK);
        COleDispatchDriver breed(r.value.pdispVal, false);
        names.push_back(BstrToW(breed.Get(u"Name").bstrVal));
    }
    EXPECT_EQ(names, (std::vector<WString>{u"Bare", u"Lleyn", u"Missing", u"Texel"}));
    // The default member is Item; a numeric text is an index too.
    InvokeResult byDefault = InvokeGet(disp, DISPID_VALUE, {COleVariant(u"1")});
    ASSERT_EQ(byDefault.hr, S_OK);
    EXPECT_EQ(IdentityOf(byDefault.value), HeldBreed(u"Lleyn")->GetControllingUnknown());
    for (SHORT bad : {SHORT(-1), SHORT(4)}) {
        InvokeResult r = InvokeByName(disp, u"Item", {Short(bad)});
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(r.wCode, 5);
        EXPECT_EQ(r.description, LoadCvlString(110));
        EXPECT_EQ(r.helpContext, CvlPromptHelpId(110));
    }
}

TEST_F(BreedsTest, MissingOrEmptyListAndOverlongNames) {
    SetBreeds({});
    EXPECT_EQ(CRefPtr<CBreeds>::Adopt(new CBreeds())->GetCount(), 0);
    if (auto app = CSettingsKey::Create(HKEY_LOCAL_MACHINE, CRegistrySettings::AppKeyPath))
        app->DeleteSubkey(u"Breeds");
    EXPECT_EQ(CRefPtr<CBreeds>::Adopt(new CBreeds())->GetCount(), 0);
    // A name that does not fit the 32-character buffer ends the list.
    SetBreeds({{u"Suffolk", CVL_AUTOREC_BREED_A},
               {WString(32, u'x'), CVL_AUTOREC_BREED_A},
               {u"Jacob", CVL_AUTOREC_BREED_A}});
    EXPECT_EQ(CRefPtr<CBreeds>::Adopt(new CBreeds())->GetCount(), 1);
    SetBreeds({{WString(31, u'y'), CVL_AUTOREC_BREED_A}, {u"Jacob", CVL_AUTOREC_BREED_A}});
    EXPECT_EQ(CRefPtr<CBreeds>::Adopt(new CBreeds())->GetCount(), 2);
}

TEST_F(BreedsTest, BreedsDispatchTableAndReadOnlyProperties) {
    IDispatch* disp = m_breeds->GetIDispatch(false);
    ExpectDispIds(disp,
                  {{u"Application", 1}, {u"Parent", 2}, {u"Count", 3}, {u"Item", 4}, {u"_NewEnum", -4}});
    EXPECT_EQ(IdOf(disp, u"Name"), DISPID_UNKNOWN);
    InvokeResult app = InvokeByName(disp, u"Application");
    EXPECT_EQ(IdentityOf(app.value), TestApplication().GetControllingUnknown());
    InvokeResult parent = InvokeByName(disp, u"Parent");
    EXPECT_EQ(IdentityOf(parent.value), TestApplication().GetControllingUnknown());
    EXPECT_EQ(InvokeByName(disp, u"Count").value.lVal, 4);
    InvokeResult put = InvokePut(disp, 3, COleVariant(LONG(1)));
    EXPECT_EQ(put.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(put.wCode, 383);
    InvokeResult newEnum = InvokeGet(disp, DISPID_NEWENUM);
    EXPECT_EQ(IdentityOf(newEnum.value), m_breeds->GetControllingUnknown());
}

TEST_F(BreedsTest, BreedDispatchTableCountsTheDefaultEntry) {
    IDispatch* disp = HeldBreed(u"Lleyn")->GetIDispatch(false);
    ExpectDispIds(disp, {{u"Application", 1},
                         {u"Parent", 2},
                         {u"Name", 3},
                         {u"Version", 4},
                         {u"EventCodes", 5},
                         {u"ValidateTattoo", 7}});
    EXPECT_EQ(BstrToW(InvokeGet(disp, DISPID_VALUE).value.bstrVal), u"Lleyn");
    EXPECT_EQ(IdentityOf(InvokeGet(disp, 2).value), m_breeds->GetControllingUnknown());
    EXPECT_EQ(InvokeGet(disp, 4).value.dblVal, 196612.0);
    InvokeResult valid = InvokeGet(disp, 7, {COleVariant(u"UK123")});
    EXPECT_EQ(valid.value.vt, VT_BOOL);
    EXPECT_EQ(valid.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(InvokeGet(disp, 7, {COleVariant(u"!bad")}).value.boolVal, VARIANT_FALSE);
    for (DISPID id : {1, 2, 3, 4, 5}) EXPECT_EQ(InvokePut(disp, id, COleVariant(u"x")).wCode, 383) << id;
}

TEST_F(BreedsTest, VersionValidateAndEventCodesOfUnusableBreeds) {
    struct Case {
        const char16_t* name;
        double version;
        BOOL valid;
        bool codes;
        LONG count;
    } cases[] = {
        {u"Lleyn", 196612.0, TRUE, true, 5}, {u"Texel", 2147680260.0, TRUE, true, 5},
        {u"Bare", 1.0, FALSE, true, 0},      // no version note, no exports: empty codes
        {u"Missing", 1.0, FALSE, false, 0},  // registered, but the library does not load
        {u"Unknown", 1.0, FALSE, false, 0},  // not registered at all
    };
    for (const Case& c : cases) {
        auto breed = CRefPtr<CComBreed>::Adopt(new CComBreed(nullptr, c.name));
        EXPECT_EQ(breed->GetVersion(), c.version) << WToUtf8(c.name);
        EXPECT_EQ(breed->ValidateTattoo(u"UK1"), c.valid) << WToUtf8(c.name);
        IDispatch* codes = breed->GetEventCodes();
        EXPECT_EQ(codes != nullptr, c.codes) << WToUtf8(c.name);
        if (codes) {
            EXPECT_EQ(COleDispatchDriver(codes).Get(u"Count").lVal, c.count);
        }
        // The dual slot gives no object with success, as dispatch gives Nothing.
        void* dual = nullptr;
        ASSERT_EQ(breed->ExternalQueryInterface(IID_IBreed, &dual), S_OK);
        IEventCodes* out = reinterpret_cast<IEventCodes*>(1);
        EXPECT_EQ(CallSlot(dual, 11, &out), S_OK);
        EXPECT_EQ(out != nullptr, c.codes);
        if (out) out->Release();
        static_cast<IUnknown*>(dual)->Release();
    }
}

TEST_F(BreedsTest, EveryBreedsSlotByNumber) {
    void* itf = nullptr;
    ASSERT_EQ(m_breeds->ExternalQueryInterface(IID_IBreeds, &itf), S_OK);
    IUnknown* unk = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &unk), S_OK);  // _NewEnum
    EXPECT_EQ(unk, m_breeds->GetControllingUnknown());
    unk->Release();
    COleVariant index(SHORT(1));
    IBreed* breed = nullptr;
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(index), &breed), S_OK);  // Item
    ASSERT_NE(breed, nullptr);
    EXPECT_EQ(IdentityOf(breed), HeldBreed(u"Lleyn")->GetControllingUnknown());
    breed->Release();
    IDispatch* app = nullptr;
    EXPECT_EQ(CallSlot(itf, 9, &app), S_OK);  // Application
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    app = nullptr;
    EXPECT_EQ(CallSlot(itf, 10, &app), S_OK);  // Parent: the Application too
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(itf, 11, &count), S_OK);  // Count
    EXPECT_EQ(count, 4);
    // Out of range through the dual: error 5 with its information for IBreeds.
    COleVariant bad(SHORT(9));
    breed = reinterpret_cast<IBreed*>(1);
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(bad), &breed), DualErrorOf(5));
    EXPECT_EQ(breed, nullptr);
    ErrorInfoSeen info = TakeErrorInfo();
    EXPECT_TRUE(info.present);
    EXPECT_EQ(info.guid, IID_IBreeds);
    EXPECT_EQ(info.description, LoadCvlString(110));
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IBreeds);
    static_cast<IUnknown*>(itf)->Release();
}

TEST_F(BreedsTest, EveryBreedSlotByNumber) {
    CComBreed* lleyn = HeldBreed(u"Lleyn");
    void* itf = nullptr;
    ASSERT_EQ(lleyn->ExternalQueryInterface(IID_IBreed, &itf), S_OK);
    // Name reallocates a text the caller passes in.
    BSTR name = SysAllocString(u"old text");
    EXPECT_EQ(CallSlot(itf, 7, &name), S_OK);
    EXPECT_EQ(BstrToW(name), u"Lleyn");
    SysFreeString(name);
    IDispatch* app = nullptr;
    EXPECT_EQ(CallSlot(itf, 8, &app), S_OK);
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    IDispatch* parent = nullptr;
    EXPECT_EQ(CallSlot(itf, 9, &parent), S_OK);
    EXPECT_EQ(IdentityOf(parent), m_breeds->GetControllingUnknown());
    parent->Release();
    double version = 0;
    EXPECT_EQ(CallSlot(itf, 10, &version), S_OK);
    EXPECT_EQ(version, 196612.0);
    IEventCodes* codes = nullptr;
    EXPECT_EQ(CallSlot(itf, 11, &codes), S_OK);
    ASSERT_NE(codes, nullptr);
    EXPECT_EQ(IdentityOf(codes), lleyn->GetEventCodesObject()->GetControllingUnknown());  // kept
    codes->Release();
    VARIANT_BOOL valid = 0;
    CComBSTR good(u"UK1");
    EXPECT_EQ(CallSlot(itf, 12, BSTR(good), &valid), S_OK);
    EXPECT_EQ(valid, VARIANT_TRUE);
    CComBSTR bad(u"!1");
    EXPECT_EQ(CallSlot(itf, 12, BSTR(bad), &valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IBreed);
    static_cast<IUnknown*>(itf)->Release();
}

TEST_F(BreedsTest, BreedHeldAfterItsCollectionWentRefusesCalls) {
    CRefPtr<CComBreed> breed = Breed(u"Lleyn");  // the collection is already gone
    ASSERT_TRUE(breed);
    IDispatch* disp = breed->GetIDispatch(false);
    InvokeResult r = InvokeByName(disp, u"Name");
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.scode, RPC_E_DISCONNECTED);
    void* itf = nullptr;
    ASSERT_EQ(breed->ExternalQueryInterface(IID_IBreed, &itf), S_OK);
    BSTR name = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    static_cast<IUnknown*>(itf)->Release();
}

// ---- event codes -------------------------------------------------------------------------------

TEST_F(BreedsTest, CodesCountNamesAndItemByCodeNumber) {
    CRefPtr<CEventCodes> codes = Codes();
    EXPECT_EQ(codes->GetCount(), 5);  // "Sold" is listed twice
    EXPECT_EQ(codes->GetNames(), (std::vector<WString>{u"Sold", u"Treated", u"Born", u"Weighed", u"Sold"}));
    IDispatch* disp = codes->GetIDispatch(false);
    ExpectDispIds(disp,
                  {{u"Count", 1}, {u"Parent", 2}, {u"Application", 3}, {u"Item", 4}, {u"_NewEnum", -4}});
    EXPECT_EQ(IdentityOf(InvokeByName(disp, u"Parent").value), HeldBreed(u"Lleyn")->GetControllingUnknown());
    EXPECT_EQ(IdentityOf(InvokeByName(disp, u"Application").value),
              TestApplication().GetControllingUnknown());
    // 4 is a code number, not a position: the weighing code, fourth in the list.
    InvokeResult weighed = InvokeGet(disp, DISPID_VALUE, {Short(4)});
    ASSERT_EQ(weighed.hr, S_OK);
    EXPECT_EQ(BstrToW(COleDispatchDriver(weighed.value.pdispVal, false).Get(u"Value").bstrVal), u"Weighed");
    // A name works too.
    InvokeResult born = InvokeByName(disp, u"Item", {COleVariant(u"Born")});
    ASSERT_EQ(born.hr, S_OK);
    EXPECT_EQ(BstrToW(COleDispatchDriver(born.value.pdispVal, false).Get(u"Value").bstrVal), u"Born");
    for (COleVariant bad : {Short(99), Short(-1), COleVariant(u"Shorn")}) {
        InvokeResult r = InvokeByName(disp, u"Item", {bad});
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(r.wCode, 5);
        EXPECT_EQ(r.description, LoadCvlString(110));
    }
    EXPECT_EQ(InvokePut(disp, 1, COleVariant(LONG(2))).wCode, 383);
}

TEST_F(BreedsTest, CodesEnumerateEveryNameAndShareTheDuplicate) {
    CRefPtr<CEventCodes> codes = Codes();
    auto* enumerator = QueryInterfaceAs<IEnumVARIANT>(codes->GetControllingUnknown(), IID_IEnumVARIANT);
    ASSERT_NE(enumerator, nullptr);
    VARIANT items[6];
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(6, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 5u);
    std::vector<WString> names;
    for (ULONG i = 0; i < fetched; ++i) {
        ASSERT_EQ(items[i].vt, VT_DISPATCH);
        names.push_back(BstrToW(COleDispatchDriver(items[i].pdispVal, false).Get(u"Value").bstrVal));
    }
    EXPECT_EQ(names, codes->GetNames());
    EXPECT_EQ(IdentityOf(items[0]), IdentityOf(items[4]));  // one object for the repeated name
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&items[i]);
    EXPECT_EQ(enumerator->Next(1, items, nullptr), S_FALSE);  // the position is shared and at the end
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(4), S_OK);
    EXPECT_EQ(enumerator->Skip(2), S_FALSE);
    EXPECT_EQ(enumerator->Next(2, items, nullptr), E_INVALIDARG);
    enumerator->Release();
}

TEST_F(BreedsTest, EveryEventCodesSlotByNumber) {
    CRefPtr<CEventCodes> codes = Codes();
    void* itf = nullptr;
    ASSERT_EQ(codes->ExternalQueryInterface(IID_IEventCodes, &itf), S_OK);
    IUnknown* unk = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &unk), S_OK);
    EXPECT_EQ(unk, codes->GetControllingUnknown());
    unk->Release();
    IEventCode* code = nullptr;
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(Short(30)), &code), S_OK);
    ASSERT_NE(code, nullptr);
    BSTR name = nullptr;
    EXPECT_EQ(code->get_Value(&name), S_OK);
    EXPECT_EQ(BstrToW(name), u"Treated");
    SysFreeString(name);
    code->Release();
    IDispatch* app = nullptr;
    EXPECT_EQ(CallSlot(itf, 9, &app), S_OK);
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    IBreed* breed = nullptr;
    EXPECT_EQ(CallSlot(itf, 10, &breed), S_OK);
    EXPECT_EQ(IdentityOf(breed), HeldBreed(u"Lleyn")->GetControllingUnknown());
    breed->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(itf, 11, &count), S_OK);
    EXPECT_EQ(count, 5);
    code = reinterpret_cast<IEventCode*>(1);
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(Short(77)), &code), DualErrorOf(5));
    EXPECT_EQ(code, nullptr);
    ErrorInfoSeen info = TakeErrorInfo();
    EXPECT_EQ(info.guid, IID_IEventCodes);
    EXPECT_EQ(info.description, LoadCvlString(110));
    EXPECT_EQ(info.helpContext, CvlPromptHelpId(110));
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IEventCodes);
    static_cast<IUnknown*>(itf)->Release();
}

TEST_F(BreedsTest, EveryEventCodeSlotByNumberWithTheTypeBits) {
    CRefPtr<CEventCodes> codes = Codes();
    struct Case {
        SHORT code;
        bool bits[5];
    } cases[] = {
        {0, {true, false, true, false, false}},   // 0x05
        {30, {true, true, true, true, true}},     // 0xFFFFFFFF
        {4, {false, true, false, false, false}},  // 0x02
    };
    for (const Case& c : cases) {
        CEventCode* code = codes->ItemObject(Short(c.code));
        void* itf = nullptr;
        ASSERT_EQ(code->ExternalQueryInterface(IID_IEventCode, &itf), S_OK);
        for (int bit = 0; bit < 5; ++bit) {
            VARIANT_BOOL set = 7;
            EXPECT_EQ(CallSlot(itf, 11 + bit, &set), S_OK);
            EXPECT_EQ(set, c.bits[bit] ? VARIANT_TRUE : VARIANT_FALSE) << c.code << " bit " << bit;
        }
        BSTR name = nullptr;
        EXPECT_EQ(CallSlot(itf, 7, &name), S_OK);
        EXPECT_EQ(BstrToW(name), code->GetValue());
        SysFreeString(name);
        IEventCodeProperties* props = nullptr;
        EXPECT_EQ(CallSlot(itf, 8, &props), S_OK);
        EXPECT_EQ(IdentityOf(props), code->GetPropertiesObject()->GetControllingUnknown());
        props->Release();
        IDispatch* app = nullptr;
        EXPECT_EQ(CallSlot(itf, 9, &app), S_OK);
        EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
        app->Release();
        IEventCodes* parent = nullptr;
        EXPECT_EQ(CallSlot(itf, 10, &parent), S_OK);
        EXPECT_EQ(IdentityOf(parent), codes->GetControllingUnknown());
        parent->Release();
        ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IEventCode);
        static_cast<IUnknown*>(itf)->Release();
    }
    IDispatch* disp = codes->ItemObject(Short(0))->GetIDispatch(false);
    ExpectDispIds(disp, {{u"Value", 1}, {u"EventCodeProperties", 2}});
    EXPECT_EQ(IdOf(disp, u"Application"), DISPID_UNKNOWN);
}

TEST_F(BreedsTest, ParameterListsByPositionAndEveryPropertySlot) {
    CRefPtr<CEventCodes> codes = Codes();
    CEventCode* treated = codes->ItemObject(Short(30));
    CEventCodeProperties* props = treated->GetPropertiesObject();
    EXPECT_EQ(props, treated->GetPropertiesObject());  // made once
    IDispatch* disp = props->GetIDispatch(false);
    ExpectDispIds(disp,
                  {{u"Count", 1}, {u"Parent", 2}, {u"Application", 3}, {u"Item", 4}, {u"_NewEnum", -4}});
    EXPECT_EQ(InvokeByName(disp, u"Count").value.lVal, 2);
    EXPECT_EQ(IdentityOf(InvokeByName(disp, u"Parent").value), treated->GetControllingUnknown());
    for (SHORT bad : {SHORT(-1), SHORT(2)}) {
        InvokeResult r = InvokeGet(disp, DISPID_VALUE, {Short(bad)});
        EXPECT_EQ(r.wCode, 5);
        EXPECT_EQ(r.description, LoadCvlString(110));
    }
    // The second parameter: its type is cut to 16 bits through dispatch, whole through the dual.
    InvokeResult dose = InvokeGet(disp, DISPID_VALUE, {Short(1)});
    ASSERT_EQ(dose.hr, S_OK);
    IDispatch* doseDisp = dose.value.pdispVal;
    ExpectDispIds(doseDisp, {{u"Value", 1}, {u"Parent", 2}, {u"Application", 3}, {u"DataType", 4}});
    EXPECT_EQ(BstrToW(InvokeGet(doseDisp, DISPID_VALUE).value.bstrVal), u"Dose");
    InvokeResult type = InvokeGet(doseDisp, 4);
    EXPECT_EQ(type.value.vt, VT_I2);
    EXPECT_EQ(type.value.iVal, 1);
    EXPECT_EQ(IdentityOf(InvokeGet(doseDisp, 2).value), props->GetControllingUnknown());
    EXPECT_EQ(InvokePut(doseDisp, 1, COleVariant(u"x")).wCode, 383);

    void* itf = nullptr;
    ASSERT_EQ(props->ExternalQueryInterface(IID_IEventCodeProperties, &itf), S_OK);
    IUnknown* unk = nullptr;
    EXPECT_EQ(CallSlot(itf, 7, &unk), S_OK);
    EXPECT_EQ(unk, props->GetControllingUnknown());
    unk->Release();
    IEventCodeProperty* prop = nullptr;
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(Short(1)), &prop), S_OK);
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(IdentityOf(prop), IdentityOf(doseDisp));
    {
        // The property's own order: Value, Application, Parent, DataType (32 bits).
        BSTR tag = nullptr;
        EXPECT_EQ(CallSlot(prop, 7, &tag), S_OK);
        EXPECT_EQ(BstrToW(tag), u"Dose");
        SysFreeString(tag);
        IDispatch* app = nullptr;
        EXPECT_EQ(CallSlot(prop, 8, &app), S_OK);
        EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
        app->Release();
        IEventCodeProperties* list = nullptr;
        EXPECT_EQ(CallSlot(prop, 9, &list), S_OK);
        EXPECT_EQ(IdentityOf(list), props->GetControllingUnknown());
        list->Release();
        LONG dataType = 0;
        EXPECT_EQ(CallSlot(prop, 10, &dataType), S_OK);
        EXPECT_EQ(dataType, 0x10001);
        ExpectSupportsErrorInfo(prop, IID_IEventCodeProperty);
        prop->Release();
    }
    IDispatch* app = nullptr;
    EXPECT_EQ(CallSlot(itf, 9, &app), S_OK);
    EXPECT_EQ(IdentityOf(app), TestApplication().GetControllingUnknown());
    app->Release();
    IEventCode* parent = nullptr;
    EXPECT_EQ(CallSlot(itf, 10, &parent), S_OK);
    EXPECT_EQ(IdentityOf(parent), treated->GetControllingUnknown());
    parent->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(itf, 11, &count), S_OK);
    EXPECT_EQ(count, 2);
    IEventCodeProperty* none = reinterpret_cast<IEventCodeProperty*>(1);
    EXPECT_EQ(CallSlot(itf, 8, VARIANT(Short(2)), &none), DualErrorOf(5));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(TakeErrorInfo().guid, IID_IEventCodeProperties);
    ExpectSupportsErrorInfo(static_cast<IUnknown*>(itf), IID_IEventCodeProperties);
    static_cast<IUnknown*>(itf)->Release();

    // A code without parameters has an empty list.
    EXPECT_EQ(codes->ItemObject(Short(9))->GetPropertiesObject()->GetCount(), 0);
    EXPECT_EQ(codes->ItemObject(Short(0))->GetPropertiesObject()->GetCount(), 1);
    // A code taking any number of parameters has no list to give (not four billion entries).
    auto any =
        CRefPtr<CEventCodeProperties>::Adopt(new CEventCodeProperties(nullptr, codes->GetLibrary(), 40));
    EXPECT_EQ(any->GetCount(), 0);
}

TEST_F(BreedsTest, EventCodesKeepTheLibraryLoadedWhileAnyLives) {
    IDispatch* code = nullptr;
    IDispatch* parameter = nullptr;
    {
        auto breed = Breed(u"Texel");
        ASSERT_TRUE(breed);
        CEventCodes* codes = breed->GetEventCodesObject();
        CEventCode* weighed = codes->ItemObject(COleVariant(SHORT(4)));
        code = weighed->GetIDispatch(true);
        parameter = COleDispatchDriver(weighed->GetEventCodeProperties())
                        .Call(u"Item", {COleVariant(SHORT(0))})
                        .pdispVal;
        parameter->AddRef();
    }
    m_breeds.Reset();
    // The breed, its collection and the breeds list are gone; the code still asks the library.
    EXPECT_EQ(BstrToW(InvokeByName(code, u"Value").value.bstrVal), u"Weighed");
    EXPECT_EQ(BstrToW(InvokeByName(parameter, u"Value").value.bstrVal), u"Weight");
    void* dual = nullptr;
    ASSERT_EQ(CCmdTarget::FromIDispatch(code)->ExternalQueryInterface(IID_IEventCode, &dual), S_OK);
    VARIANT_BOOL bit = 0;
    EXPECT_EQ(CallSlot(dual, 12, &bit), S_OK);
    EXPECT_EQ(bit, VARIANT_TRUE);
    IEventCodes* parent = reinterpret_cast<IEventCodes*>(1);
    EXPECT_EQ(CallSlot(dual, 10, &parent), S_OK);  // its collection went: no parent
    EXPECT_EQ(parent, nullptr);
    static_cast<IUnknown*>(dual)->Release();
    parameter->Release();
    code->Release();
}
