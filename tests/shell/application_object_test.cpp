#include <wx/docview.h>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "shell/application_site.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"

#ifdef CVL_GENERAL_BREED

namespace {

constexpr const char16_t* kBreed = u"General Sheep";

class ApplicationObjectTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        fixture = folders.Root() / "flock.cvl";
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        doc->SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(doc->LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        for (const char16_t* tattoo : {u"AB001", u"AB002"})
            ASSERT_GE(doc->AddSheep(new CSheep(tattoo, SEX_EWE, doc.Get()), false), 0);
        ASSERT_TRUE(doc->OnSaveDocument(fixture.string()));
    }

    // The registered Application, as a script holds it.
    COleDispatchDriver Application() { return COleDispatchDriver(AfxOleGetApplicationDispatch()); }

    // Opens the fixture through Documents.Open and marks the document changed.
    CSheepDoc* OpenChanged(COleDispatchDriver& app) {
        COleDispatchDriver documents(app.Get(u"Documents").Detach().pdispVal);
        COleVariant opened = documents.Call(u"Open", {COleVariant(WString(Utf8ToW(fixture.string())))});
        auto* doc = dynamic_cast<CSheepDoc*>(CCmdTarget::FromIDispatch(opened.pdispVal));
        if (doc) doc->SetModifiedFlag(true);
        Pump();
        return doc;
    }

    std::filesystem::path fixture;
};

TEST_F(ApplicationObjectTest, AUserStartIsTheUsers) {
    ASSERT_TRUE(Start());
    COleDispatchDriver app = Application();
    ASSERT_NE(app.m_lpDispatch, nullptr);
    EXPECT_EQ(BstrToW(app.Get(u"Caption").bstrVal), FromWx(Frame()->GetTitle()));
    app.Put(u"Caption", COleVariant(u"Lambing 2026"));
    EXPECT_EQ(Frame()->GetTitle(), "Lambing 2026");
    EXPECT_EQ(app.Get(u"UserControl").boolVal, VARIANT_TRUE);
    app.Put(u"Visible", COleVariant(SHORT(0), VT_BOOL));
    EXPECT_TRUE(Frame()->IsShown());
    EXPECT_EQ(app.Get(u"ActiveDocument").pdispVal, nullptr);
    EXPECT_EQ(app.Get(u"ActiveWindow").pdispVal, nullptr);
    // A script letting go never ends a program the user started.
    App().OnLastClientGone();
    Pump();
    EXPECT_NE(Frame(), nullptr);
}

TEST_F(ApplicationObjectTest, AHiddenAutomationStartDiscardsWhatNobodySaw) {
    ASSERT_TRUE(Start(wxArrayString(1, "--automation")));
    COleDispatchDriver app = Application();
    EXPECT_EQ(app.Get(u"Visible").boolVal, VARIANT_FALSE);
    EXPECT_EQ(app.Get(u"UserControl").boolVal, VARIANT_FALSE);
    CSheepDoc* doc = OpenChanged(app);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(CCmdTarget::FromIDispatch(app.Get(u"ActiveDocument").pdispVal), doc);
    app.Call(u"Quit");
    EXPECT_NE(Frame(), nullptr);  // the close comes after the call has returned
    Pump();
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_TRUE(host.Messages().empty());
    // The program's objects refuse a script that still holds them.
    EXPECT_EQ(AfxOleGetApplication(), nullptr);
    EXPECT_THROW(app.Get(u"Caption"), COleDispatchException);
}

TEST_F(ApplicationObjectTest, ADocumentTheUserSawGetsTheSaveQuestion) {
    for (int answer : {IDCANCEL, IDNO}) {
        ASSERT_TRUE(Start(wxArrayString(1, "--automation")));
        COleDispatchDriver app = Application();
        CSheepDoc* doc = OpenChanged(app);
        ASSERT_NE(doc, nullptr);
        app.Put(u"Visible", COleVariant(SHORT(VARIANT_TRUE), VT_BOOL));
        EXPECT_TRUE(Frame()->IsShown());
        app.Put(u"Visible", COleVariant(SHORT(0), VT_BOOL));
        EXPECT_FALSE(Frame()->IsShown());
        host.Reply(answer);
        App().OnLastClientGone();
        Pump();
        EXPECT_EQ(host.Messages().size(), 1u);
        // Cancel keeps the program and the document; No lets it end.
        EXPECT_EQ(Frame() != nullptr, answer == IDCANCEL);
        if (Frame()) doc->SetModifiedFlag(false);
        host.Clear();
        app.ReleaseDispatch();
        Stop();
    }
}

}  // namespace

#endif
