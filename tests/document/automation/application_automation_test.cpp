#include "document/application_automation.h"

#include "abi/dual_slots.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "document/documents_collection.h"
#include "document/page_setup.h"
#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "records/breeds.h"
#include "support/scripted_host_fixture.h"

namespace {

class CNoDocuments : public IOpenDocuments {
public:
    int GetDocumentCount() override { return 0; }
    CSheepDoc* GetDocumentAt(int) override { return nullptr; }
    CSheepDoc* CreateDocument() override { return nullptr; }
    CSheepDoc* OpenDocument(const WString&) override { return nullptr; }
    void CloseDocument(CSheepDoc*) override {}
    void CloseAllDocuments() override {}
};

struct HelpCall {
    WString file;
    UINT command;
    DWORD context;
    WString topic;
    bool operator==(const HelpCall&) const = default;
};

// The main window and application as a record of what was asked of them.
class CFakeSite : public IApplicationSite {
public:
    WString GetCaption() override { return caption; }
    void SetCaption(const WString& c) override { caption = c; }
    bool IsVisible() override { return visible; }
    void SetVisible(bool v) override { visible = v; }
    CCmdTarget* GetActiveDocument() override { return activeDocument; }
    CCmdTarget* GetActiveWindow() override { return activeWindow; }
    IOpenDocuments& GetOpenDocuments() override { return documents; }
    IDispatch* CreateWindows() override {
        ++windowsMade;
        return windows ? windows->GetIDispatch(true) : nullptr;
    }
    bool GetUserControl() override { return userControl; }
    void SetUserControl(bool u) override { userControl = u; }
    std::vector<WString> GetImageSearchPath() override { return folders; }
    void SetImageSearchPath(const std::vector<WString>& f) override { folders = f; }
    void PostQuit() override { ++quits; }
    void ShowHelp(const WString& file, UINT command, DWORD context, const WString& topic) override {
        help.push_back({file, command, context, topic});
    }

    WString caption = u"Corvalen";
    bool visible = false;
    bool userControl = false;
    CCmdTarget* activeDocument = nullptr;
    CCmdTarget* activeWindow = nullptr;
    CNoDocuments documents;
    CCmdTarget* windows = nullptr;
    int windowsMade = 0;
    std::vector<WString> folders{u"/pictures/"};
    int quits = 0;
    std::vector<HelpCall> help;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The settings written here go to a folder of the test's own.
        settingsDir_ = std::filesystem::temp_directory_path() / ("cvl_app_" + std::to_string(getpid()));
        std::filesystem::create_directories(settingsDir_);
        if (const char* old = getenv("CVL_USER_CONFIG_DIR")) oldSettings_ = old;
        setenv("CVL_USER_CONFIG_DIR", settingsDir_.c_str(), 1);
        AfxSetAutomationAppInfo(u"Corvalen", u"/help/corvalen.htb");
        app_ = CRefPtr<CApplicationAutomation>::Adopt(new CApplicationAutomation(&site_));
        AfxOleRegisterApplication(app_.Get(), IID_IApplication);
        disp_.AttachDispatch(app_->GetIDispatch(true));
        dual_ = app_->GetApplicationDual();
        places_ = CSheepAppServices::Get().GetDecimalPlaces();
    }
    void TearDown() override {
        CSheepAppServices::Get().SetDecimalPlaces(places_);
        disp_.ReleaseDispatch();
        AfxOleRevokeApplication(app_.Get());
        if (oldSettings_)
            setenv("CVL_USER_CONFIG_DIR", oldSettings_->c_str(), 1);
        else
            unsetenv("CVL_USER_CONFIG_DIR");
        std::filesystem::remove_all(settingsDir_);
    }
    // The status a dispatch call failed with (S_OK when it did not fail).
    template <class F>
    static HRESULT StatusOf(F&& call) {
        try {
            call();
        } catch (const COleDispatchException& e) {
            return e.m_scError != 0 ? e.m_scError : DispatchExceptionToHResult(e);
        } catch (const COleException& e) {
            return e.m_sc;
        }
        return S_OK;
    }

    CScopedScriptedHost host_;
    CFakeSite site_;
    CRefPtr<CApplicationAutomation> app_;
    COleDispatchDriver disp_;
    IApplication* dual_ = nullptr;
    int places_ = 2;
    std::filesystem::path settingsDir_;
    std::optional<std::string> oldSettings_;
};

TEST_F(ApplicationTest, DispatchIdsAreTheMapPositionsAndNameIsTheDefault) {
    const char16_t* names[] = {u"Caption",      u"Application",     u"Parent",           u"ActiveDocument",
                               u"Breeds",       u"Documents",       u"FullName",         u"Name",
                               u"Visible",      u"Windows",         u"DefaultFilePath",  u"ActiveWindow",
                               u"UserControl",  u"ImageSearchPath", u"DecimalPrecision", u"Quit",
                               u"Help"};
    for (DISPID id = 1; id <= 17; ++id) EXPECT_EQ(disp_.GetIDOfName(names[id - 1]), id) << WToUtf8(names[id - 1]);
    EXPECT_EQ(BstrToW(disp_.GetProperty(DISPID_VALUE).bstrVal), u"Corvalen");
    EXPECT_EQ(BstrToW(disp_.Get(u"caption").bstrVal), u"Corvalen");
    // Read-only properties refuse a put.
    for (const char16_t* name : {u"Name", u"FullName", u"Documents", u"Application"})
        EXPECT_NE(StatusOf([&] { disp_.Put(name, COleVariant(u"x")); }), S_OK) << WToUtf8(name);
}

TEST_F(ApplicationTest, SlotsInTheirFixedOrder) {
    static_assert(IsSlotSafeInterface<IApplication>());
    const std::size_t slots[] = {
        SlotIndexOf(&IApplication::get_Name),           SlotIndexOf(&IApplication::put_Caption),
        SlotIndexOf(&IApplication::get_Caption),        SlotIndexOf(&IApplication::get_Application),
        SlotIndexOf(&IApplication::get_Parent),         SlotIndexOf(&IApplication::get_ActiveDocument),
        SlotIndexOf(&IApplication::get_Documents),      SlotIndexOf(&IApplication::get_FullName),
        SlotIndexOf(&IApplication::put_Visible),        SlotIndexOf(&IApplication::get_Visible),
        SlotIndexOf(&IApplication::get_Windows),        SlotIndexOf(&IApplication::put_DefaultFilePath),
        SlotIndexOf(&IApplication::get_DefaultFilePath), SlotIndexOf(&IApplication::get_ActiveWindow),
        SlotIndexOf(&IApplication::put_UserControl),    SlotIndexOf(&IApplication::get_UserControl),
        SlotIndexOf(&IApplication::get_Breeds),         SlotIndexOf(&IApplication::put_ImageSearchPath),
        SlotIndexOf(&IApplication::get_ImageSearchPath), SlotIndexOf(&IApplication::put_DecimalPrecision),
        SlotIndexOf(&IApplication::get_DecimalPrecision), SlotIndexOf(&IApplication::Quit),
        SlotIndexOf(&IApplication::Help)};
    for (std::size_t i = 0; i < std::size(slots); ++i) EXPECT_EQ(slots[i], 7 + i);
    EXPECT_EQ(SlotIndexOf(&IApplication::get_DecimalPrecision), size_t(dual_slots::application::kGetDecimalPrecision));

    // Called the way the reader plug-in calls: by number through the raw table.
    BSTR text = nullptr;
    ASSERT_EQ(CallSlot(dual_, 7, &text), S_OK);
    EXPECT_EQ(BstrToW(text), u"Corvalen");
    SysFreeString(text);
    BSTR caption = SysAllocStringW(u"Flock");
    ASSERT_EQ(CallSlot(dual_, 8, caption), S_OK);
    SysFreeString(caption);
    EXPECT_EQ(site_.caption, u"Flock");

    EXPECT_EQ(CallSlot(dual_, 26, SHORT(3)), S_OK);
    SHORT places = -1;
    ASSERT_EQ(CallSlot(dual_, 27, &places), S_OK);
    EXPECT_EQ(places, 3);
    EXPECT_EQ(CallSlot(dual_, 28), S_OK);
    EXPECT_EQ(site_.quits, 1);
    VARIANT none = COleVariant::Missing().Detach();
    EXPECT_EQ(CallSlot(dual_, 29, none, none, none), E_NOTIMPL);
    EXPECT_TRUE(site_.help.empty());

    IDispatch* self = nullptr;
    ASSERT_EQ(CallSlot(dual_, 10, &self), S_OK);
    EXPECT_EQ(static_cast<void*>(self), static_cast<void*>(dual_));
    self->Release();
}

TEST_F(ApplicationTest, EveryObjectOfTheModelReachesTheRegisteredApplication) {
    auto breeds = CRefPtr<CBreeds>::Adopt(new CBreeds());
    COleDispatchDriver breedsDisp(breeds->GetIDispatch(true));
    for (const char16_t* member : {u"Application", u"Parent"}) {
        COleVariant got = breedsDisp.Get(member);
        ASSERT_EQ(got.vt, VT_DISPATCH);
        EXPECT_EQ(CCmdTarget::FromIDispatch(got.pdispVal), app_.Get()) << WToUtf8(member);
    }
    CPageSetup setup;
    IPageSetup* itf = nullptr;
    ASSERT_EQ(setup.ExternalQueryInterface(IID_IPageSetup, reinterpret_cast<void**>(&itf)), S_OK);
    IDispatch* app = nullptr;
    ASSERT_EQ(CallSlot(itf, 7, &app), S_OK);
    EXPECT_EQ(static_cast<void*>(app), static_cast<void*>(dual_));
    app->Release();
    itf->Release();
    // The Application's own Application and Parent are the object itself.
    EXPECT_EQ(CCmdTarget::FromIDispatch(disp_.Get(u"Parent").pdispVal), app_.Get());
}

TEST_F(ApplicationTest, CollectionsAreMadeOnceAndKept) {
    for (const char16_t* name : {u"Documents", u"Breeds"}) {
        COleVariant first = disp_.Get(name);
        COleVariant second = disp_.Get(name);
        ASSERT_EQ(first.vt, VT_DISPATCH);
        EXPECT_NE(first.pdispVal, nullptr);
        EXPECT_EQ(first.pdispVal, second.pdispVal) << WToUtf8(name);
    }
    IDispatch* documents = nullptr;
    ASSERT_EQ(dual_->get_Documents(&documents), S_OK);
    EXPECT_EQ(documents, disp_.Get(u"Documents").pdispVal);
    documents->Release();

    // A collection that cannot be made is refused, and asked for again next time.
    EXPECT_EQ(StatusOf([&] { disp_.Get(u"Windows"); }), E_OUTOFMEMORY);
    IDispatch* windows = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(dual_->get_Windows(&windows), E_OUTOFMEMORY);
    EXPECT_EQ(windows, nullptr);
    CRefPtr<CBreeds> stand = CRefPtr<CBreeds>::Adopt(new CBreeds());
    site_.windows = stand.Get();
    EXPECT_EQ(CCmdTarget::FromIDispatch(disp_.Get(u"Windows").pdispVal), stand.Get());
    disp_.Get(u"Windows");
    EXPECT_EQ(site_.windowsMade, 3);
}

TEST_F(ApplicationTest, WithoutAnActiveWindowDocumentAndWindowAreNothing) {
    for (const char16_t* name : {u"ActiveDocument", u"ActiveWindow"}) {
        COleVariant got = disp_.Get(name);
        EXPECT_EQ(got.vt, VT_DISPATCH);
        EXPECT_EQ(got.pdispVal, nullptr) << WToUtf8(name);
    }
    CRefPtr<CSheepDoc> doc = MakeRef<CSheepDoc>();
    site_.activeDocument = doc.Get();
    EXPECT_EQ(CCmdTarget::FromIDispatch(disp_.Get(u"ActiveDocument").pdispVal), doc.Get());
    IDispatch* got = nullptr;
    ASSERT_EQ(dual_->get_ActiveDocument(&got), S_OK);
    EXPECT_EQ(CCmdTarget::FromIDispatch(got), doc.Get());
    got->Release();
}

TEST_F(ApplicationTest, VisibleFollowsTheWindowButNeverHidesItFromTheUser) {
    disp_.Put(u"Visible", COleVariant(SHORT(VARIANT_TRUE), VT_BOOL));
    EXPECT_TRUE(site_.visible);
    EXPECT_EQ(disp_.Get(u"Visible").boolVal, VARIANT_TRUE);
    disp_.Put(u"Visible", COleVariant(SHORT(0), VT_BOOL));
    EXPECT_FALSE(site_.visible);
    EXPECT_EQ(disp_.Get(u"Visible").boolVal, VARIANT_FALSE);

    disp_.Put(u"Visible", COleVariant(SHORT(VARIANT_TRUE), VT_BOOL));
    disp_.Put(u"UserControl", COleVariant(SHORT(VARIANT_TRUE), VT_BOOL));
    EXPECT_TRUE(site_.userControl);
    disp_.Put(u"Visible", COleVariant(SHORT(0), VT_BOOL));
    EXPECT_TRUE(site_.visible);
    EXPECT_EQ(dual_->put_Visible(VARIANT_FALSE), S_OK);
    EXPECT_TRUE(site_.visible);
    // Only TRUE itself counts through the dual interface.
    EXPECT_EQ(dual_->put_UserControl(1), S_OK);
    EXPECT_FALSE(site_.userControl);
    EXPECT_EQ(dual_->put_Visible(1), S_OK);
    EXPECT_FALSE(site_.visible);
}

TEST_F(ApplicationTest, ImageSearchPathTakesOnlyAOneDimensionalArrayOfTexts) {
    COleVariant got = disp_.Get(u"ImageSearchPath");
    ASSERT_EQ(got.vt, VT_ARRAY | VT_BSTR);
    std::vector<WString> read;
    ASSERT_EQ(ReadStringArray(got, read), StringArrayCheck::Ok);
    EXPECT_EQ(read, std::vector<WString>{u"/pictures/"});
    LONG lower = -1;
    SafeArrayGetLBound(got.parray, 1, &lower);
    EXPECT_EQ(lower, 0);

    SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
    SAFEARRAY* numbers = SafeArrayCreateVector(VT_I4, 0, 2);
    const COleVariant refused[] = {COleVariant::FromSafeArray(SafeArrayCreate(VT_BSTR, 2, square), VT_BSTR),
                                   COleVariant::FromSafeArray(numbers, VT_I4), COleVariant(u"/a/")};
    for (const COleVariant& value : refused) {
        EXPECT_EQ(StatusOf([&] { disp_.Put(u"ImageSearchPath", value); }), E_INVALIDARG) << value.vt;
        EXPECT_EQ(dual_->put_ImageSearchPath(value), E_INVALIDARG);
        EXPECT_EQ(site_.folders, std::vector<WString>{u"/pictures/"});
    }
    disp_.Put(u"ImageSearchPath",
              COleVariant::FromSafeArray(SafeArrayFromStrings({u"/b/", u"/c/"}), VT_BSTR));
    EXPECT_EQ(site_.folders, (std::vector<WString>{u"/b/", u"/c/"}));
}

TEST_F(ApplicationTest, DecimalPrecisionIsStoredOnlyInItsRange) {
    for (SHORT places : {SHORT(0), SHORT(3)}) {
        disp_.Put(u"DecimalPrecision", COleVariant(places));
        EXPECT_EQ(CSheepAppServices::Get().GetDecimalPlaces(), places);
        EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 99),
                  DWORD(places));
        EXPECT_EQ(disp_.Get(u"DecimalPrecision").iVal, places);
    }
    for (SHORT places : {SHORT(-1), SHORT(4), SHORT(32767)}) {
        EXPECT_EQ(StatusOf([&] { disp_.Put(u"DecimalPrecision", COleVariant(places)); }), E_INVALIDARG);
        EXPECT_EQ(dual_->put_DecimalPrecision(places), E_INVALIDARG);
        EXPECT_EQ(CSheepAppServices::Get().GetDecimalPlaces(), 3);
        EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 99), 3u);
    }
    // The refusal carries error information for the Application interface.
    ISupportErrorInfo* support =
        QueryInterfaceAs<ISupportErrorInfo>(app_->GetControllingUnknown(), IID_ISupportErrorInfo);
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IApplication), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDocuments), S_FALSE);
    support->Release();
}

TEST_F(ApplicationTest, DefaultFilePathIsTheStoredSetting) {
    disp_.Put(u"DefaultFilePath", COleVariant(u"/srv/flocks"));
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Default Path", u""), u"/srv/flocks");
    BSTR path = nullptr;
    ASSERT_EQ(dual_->get_DefaultFilePath(&path), S_OK);
    EXPECT_EQ(BstrToW(path), u"/srv/flocks");
    SysFreeString(path);
    EXPECT_FALSE(BstrToW(disp_.Get(u"FullName").bstrVal).empty());
}

TEST_F(ApplicationTest, HelpArgumentsByType) {
    const COleVariant none = COleVariant::Missing();
    WString refText = u"topic.htm";
    BSTR refBstr = SysAllocStringW(refText);
    COleVariant byRef;
    byRef.vt = VT_BSTR | VT_BYREF;
    byRef.pbstrVal = &refBstr;
    LONG refContext = 42;
    COleVariant contextRef;
    contextRef.vt = VT_I4 | VT_BYREF;
    contextRef.plVal = &refContext;
    const struct {
        COleVariant file, context, text;
        HRESULT status;
        std::vector<HelpCall> shown;
    } cases[] = {
        {none, none, none, S_OK, {{u"/help/corvalen.htb", HH_DISPLAY_INDEX, 0, u""}}},
        {COleVariant(u"other.htb"), COleVariant(LONG(7)), none, S_OK, {{u"other.htb", HH_HELP_CONTEXT, 7, u""}}},
        {none, contextRef, none, S_OK, {{u"/help/corvalen.htb", HH_HELP_CONTEXT, 42, u""}}},
        {none, COleVariant(LONG(0)), byRef, S_OK, {{u"/help/corvalen.htb", HH_DISPLAY_TOPIC, 0, u"topic.htm"}}},
        {COleVariant(LONG(1)), none, none, E_INVALIDARG, {}},
        {none, COleVariant(u"7"), none, E_INVALIDARG, {}},
        {none, COleVariant(SHORT(7)), none, E_INVALIDARG, {}},
        {none, none, COleVariant(LONG(3)), E_INVALIDARG, {}},
    };
    for (const auto& c : cases) {
        site_.help.clear();
        // Help's optional arguments are left out when missing, as a script would.
        std::vector<COleVariant> args{c.file, c.context, c.text};
        while (!args.empty() && IsMissingArgument(args.back())) args.pop_back();
        EXPECT_EQ(StatusOf([&] { disp_.Call(u"Help", args); }), c.status);
        EXPECT_EQ(site_.help, c.shown);
    }
    byRef.vt = VT_EMPTY;
    contextRef.vt = VT_EMPTY;
    SysFreeString(refBstr);
}

TEST_F(ApplicationTest, AfterTheWindowsGoEveryCallIsRefused) {
    app_->DetachSite();
    EXPECT_EQ(StatusOf([&] { disp_.Get(u"Caption"); }), RPC_E_DISCONNECTED);
    SHORT places = 0;
    EXPECT_EQ(dual_->get_DecimalPrecision(&places), RPC_E_DISCONNECTED);
    EXPECT_EQ(dual_->Quit(), RPC_E_DISCONNECTED);
    EXPECT_EQ(site_.quits, 0);
}

}  // namespace
