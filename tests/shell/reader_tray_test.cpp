// The reader in the running program: the Auto Scan command, notifications of scanned tags and what
// their click does, reader errors, and the scan ending with the documents and the window.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include <cstring>

#include <chrono>
#include <thread>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/reader_options_page.h"
#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "shell/reader_tray.h"
#include "support/modal_script.h"
#include "support/reader_plugin.h"
#include "support/reader_simulator.h"
#include "support/scripted_ports.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"

#if defined(CVL_GENERAL_BREED) && defined(CVL_WYNDRACE_PLUGIN)

namespace {

constexpr const char16_t* kBreed = u"General Sheep";
constexpr uint64_t kKnownEid = 826000000000001ull;

struct Notice {
    WString title;
    WString text;
    std::function<void()> click;
};

class RecordingNotifier : public IReaderNotifier {
public:
    explicit RecordingNotifier(std::vector<Notice>& notices) : m_notices(notices) {}
    void Show(const WString& title, const WString& text, std::function<void()> onClick) override {
        m_notices.push_back({title, text, std::move(onClick)});
    }

private:
    std::vector<Notice>& m_notices;
};


class ReaderTrayTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        KeepReaderPluginLoaded(CVL_WYNDRACE_PLUGIN);
        RegisterReaderPlugin(CVL_WYNDRACE_PLUGIN);
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings\\EID Configuration\\Default", u"EID Device",
                                     Utf8ToW(reader.Path()) + u";Wyndrace;2S");

        fixture = folders.Root() / "flock.cvl";
        WriteFixture();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
        auto ports = std::make_unique<CScriptedPortWatcher>();
        watcher = ports.get();
        watcher->ports = {{reader.Path(), u"Reader"}};
        Manager().SetPortWatcher(std::move(ports));
        ASSERT_NE(Tray(), nullptr);
        Tray()->SetNotifier(std::make_unique<RecordingNotifier>(notices));
    }

    // Written without the program's windows (and closed before the program opens it).
    void WriteFixture() {
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        doc->SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(doc->LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        // Bought a year ago, so that the flock list shows them.
        const COleDateTime bought = COleDateTime::GetCurrentTime() - COleDateTimeSpan(365, 0, 0, 0);
        auto* known = new CSheep(u"AB001", SEX_EWE, doc.Get());
        known->SetElectronicID(kKnownEid);
        known->AddEvent(new CEvent(bought, EVENT_PURCHASED, u"Market"), false);
        ASSERT_GE(doc->AddSheep(known, false), 0);
        auto* other = new CSheep(u"AB002", SEX_RAM, doc.Get());
        other->AddEvent(new CEvent(bought, EVENT_PURCHASED, u"Market"), false);
        ASSERT_GE(doc->AddSheep(other, false), 0);
        ASSERT_TRUE(doc->OnSaveDocument(fixture.string()));
        doc->OnCloseDocument();
    }

    CEIDReaderManager& Manager() { return App().GetReaderManager(); }
    CReaderTray* Tray() { return Frame() ? Frame()->GetReaderTray() : nullptr; }
    CSheepDocument* Document() {
        auto& docs = App().GetDocManager()->GetDocuments();
        return docs.empty() ? nullptr : dynamic_cast<CSheepDocument*>(docs.GetFirst()->GetData());
    }
    void Command(int id) {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(id));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }
    // Tags are sent until one is noticed (the scan may not have its port open yet).
    bool Scan(uint64_t eid) {
        const size_t before = notices.size();
        for (int attempt = 0; attempt < 100 && notices.size() == before; ++attempt) {
            reader.Send(CReaderSimulator::TagMessage(eid));
            for (int i = 0; i < 10 && notices.size() == before; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                Pump();
            }
        }
        return notices.size() > before;
    }

    CReaderSimulator reader;
    std::filesystem::path fixture;
    CScriptedPortWatcher* watcher = nullptr;
    std::vector<Notice> notices;
};

TEST_F(ReaderTrayTest, AutoScanNotifiesEveryTagAndAClickBringsUpTheAnimal) {
    EXPECT_TRUE(Tray()->IsIconShown());
    EXPECT_FALSE(Tray()->IsIconScanning());
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    EXPECT_TRUE(Tray()->IsIconScanning());
    EXPECT_TRUE(CEIDReaderManager::GetAutoScanSetting());

    ASSERT_TRUE(Scan(kKnownEid));
    EXPECT_EQ(notices.back().title, u"AB001 scanned");
    EXPECT_EQ(notices.back().text, u"Click here to navigate to the scanned sheep");
    EXPECT_EQ(Tray()->GetLastIdentity(), u"AB001");
    CSheepDoc& core = Document()->GetCore();
    core.SelectSheep(u"AB002", true, true, nullptr);
    notices.back().click();
    Pump();
    EXPECT_EQ(core.GetCurrentKey(), u"AB001");

    ASSERT_TRUE(Scan(42));
    EXPECT_EQ(notices.back().title, u"Please click here to set it up");
    EXPECT_EQ(notices.back().text, u"The EID 0000000000000042 is not setup in this file.");
    EXPECT_EQ(Tray()->GetLastIdentity(), u"");
    EXPECT_EQ(Tray()->GetLastScannedEid(), 42u);
    {
        bool shown = false;
        ModalScript script({[&](wxDialog&) {
            shown = true;
            return int(wxID_CANCEL);
        }});
        notices.back().click();
        Pump();
        EXPECT_TRUE(shown) << "the new-animal dialog";
    }
    // The tag was set up meanwhile: the click looks it up again.
    const auto stale = notices.back().click;
    core.FindSheep(u"AB002")->SetElectronicID(42);
    stale();
    Pump();
    EXPECT_EQ(core.GetCurrentKey(), u"AB002");

    Command(ID_EID_AUTOSCAN);
    EXPECT_FALSE(Manager().IsScanning());
    EXPECT_FALSE(Tray()->IsIconScanning());
    EXPECT_FALSE(CEIDReaderManager::GetAutoScanSetting());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderTrayTest, ATagWithNoDocumentIsKeptButNotShown) {
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    // Closing the last document ends the scan.
    Command(ID_FILE_CLOSE);
    ASSERT_EQ(Document(), nullptr);
    EXPECT_FALSE(Manager().IsScanning());
    Tray()->OnTagScanned(77);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(Tray()->GetLastScannedEid(), 77u);
}

TEST_F(ReaderTrayTest, UnpluggingPausesAndAMissingPortOffersTheOptions) {
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    watcher->Remove(reader.Path());
    EXPECT_FALSE(Manager().IsScanning());
    EXPECT_FALSE(Tray()->IsIconScanning());
    watcher->Add(reader.Path());
    EXPECT_TRUE(Manager().IsScanning());
    EXPECT_TRUE(host.Messages().empty());

    host.Reply(16, IDYES);
    WString caption;
    {
        ModalScript script({[&](wxDialog& sheet) {
            caption = FromWx(sheet.GetTitle());
            return int(wxID_CANCEL);
        }});
        Manager().OnReaderError(EIDN_ERROR, EID_PORT_NOT_FOUND);
        Pump();
    }
    EXPECT_EQ(caption, u"View Options");
    EXPECT_FALSE(Manager().IsScanning());
}

TEST_F(ReaderTrayTest, TheOptionsPageShowsTheStoredReaderAndConfigureWritesThePortRecord) {
    COMMCONFIG before = Manager().GetCommConfig();
    ModalScript script({[&](wxDialog& dialog) {
                            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
                            auto* page = dynamic_cast<CEIDReaderOptions*>(sheet.GetFlow().GetPage(0));
                            EXPECT_NE(page, nullptr);
                            if (!page || !page->GetMakerList()) return int(wxID_CANCEL);
                            EXPECT_EQ(page->GetMakerList()->GetStringSelection(), "Wyndrace");
                            EXPECT_EQ(page->GetModelList()->GetStringSelection(), "2S");
                            EXPECT_EQ(page->GetPortList()->GetStringSelection(), "Reader");
                            EXPECT_TRUE(page->GetTestButton()->IsEnabled());
                            EXPECT_TRUE(page->GetConfigureButton()->IsEnabled());
                            page->OnConfigure();
                            const DCB& dcb = page->GetModel().GetCommConfig().dcb;
                            EXPECT_EQ(dcb.BaudRate, 19200u);
                            EXPECT_EQ(dcb.StopBits, 2);
                            EXPECT_NE(dcb.flags & DCB_fOutxCtsFlow, 0u);
                            EXPECT_FALSE(page->GetModel().IsVerified());
                            return int(wxID_CANCEL);
                        },
                        [&](wxDialog& dialog) {
                            auto& settings = dynamic_cast<CPortSettingsDlg&>(dialog);
                            EXPECT_EQ(settings.GetBaudBox()->GetValue(), "9600");
                            EXPECT_EQ(settings.GetDataBitsBox()->GetStringSelection(), "8");
                            // A speed that is not a number is refused.
                            settings.GetBaudBox()->SetValue("fast");
                            EXPECT_FALSE(settings.TransferDataFromWindow());
                            settings.GetBaudBox()->SetValue("19200");
                            settings.GetStopBitsBox()->SetSelection(2);
                            settings.GetFlowBox()->SetSelection(2);
                            EXPECT_TRUE(settings.TransferDataFromWindow());
                            return int(wxID_OK);
                        }});
    RunReaderOptionsSheet(Frame(), Manager());
    EXPECT_EQ(host.Messages().size(), 1u) << "the refusal of the speed";
    // Cancelled: the manager keeps its record.
    EXPECT_EQ(std::memcmp(&before, &Manager().GetCommConfig(), sizeof before), 0);
}

TEST_F(ReaderTrayTest, DatabaseOptionsHoldsTheReaderPageAndTheScanRestsWhileItIsOpen) {
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    // The sheet runs, with the scan off, and how it ends decides whether the scan comes back.
    auto runOptions = [&](const std::function<void(CCvlPropertySheet&, CEIDReaderOptions&)>& step) {
        ModalScript script({[&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            EXPECT_FALSE(Manager().IsScanning());
            CSheetFlow& flow = sheet.GetFlow();
            int images = -1, readerAt = -1;
            for (int i = 0; i < flow.GetPageCount(); ++i) {
                if (flow.GetPage(i)->GetCaption() == u"Images") images = i;
                if (dynamic_cast<CEIDReaderOptions*>(flow.GetPage(i))) readerAt = i;
            }
            EXPECT_NE(images, -1);
            EXPECT_EQ(readerAt, images + 1) << "the reader page follows Images";
            if (readerAt < 0) return int(wxID_CANCEL);
            auto* page = dynamic_cast<CEIDReaderOptions*>(flow.GetPage(readerAt));
            flow.SetActivePage(readerAt);
            step(sheet, *page);
            return int(flow.GetResult() == SHEET_OK ? wxID_OK : wxID_CANCEL);
        }});
        Command(WxCommandId(ID_OPTIONS_FARM));
    };
    runOptions([](CCvlPropertySheet& sheet, CEIDReaderOptions&) { sheet.PressOk(); });
    EXPECT_TRUE(Manager().IsScanning()) << "the same reader: scanning again";
    runOptions([](CCvlPropertySheet& sheet, CEIDReaderOptions&) { sheet.PressCancel(); });
    EXPECT_TRUE(Manager().IsScanning());
    // The reader forgotten on the page: nothing left to scan with.
    runOptions([](CCvlPropertySheet& sheet, CEIDReaderOptions& page) {
        page.GetModel().SelectMaker(0);
        sheet.PressOk();
    });
    EXPECT_FALSE(Manager().IsScanning());
    EXPECT_FALSE(Manager().CanScan());
    Document()->Modify(false);  // OK stored the General page
}

TEST_F(ReaderTrayTest, ClosingTheWindowEndsTheScan) {
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    Stop();
    EXPECT_FALSE(Manager().IsScanning());
}

// Works a wizard of the plug-in as a user does, from a timer inside its modal loop: Next while it is
// offered, then Finish, keeping the text of the finish page.
class WizardClicker : public wxTimer {
public:
    explicit WizardClicker(wxString title) : m_title(std::move(title)) { Start(20); }
    ~WizardClicker() override { Stop(); }
    wxString finishText;
    bool finished = false;

    void Notify() override {
        for (wxWindow* top : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(top);
            if (!dialog || !dialog->IsShown() || dialog->GetTitle() != m_title) continue;
            for (wxWindow* child : dialog->GetChildren()) {
                auto* button = dynamic_cast<wxButton*>(child);
                if (!button || !button->IsShown() || !button->IsEnabled()) continue;
                const bool finish = button->GetLabel() == "Finish";
                if (!finish && button->GetId() != wxID_FORWARD) continue;
                if (finish) {
                    if (wxWindow* text = dialog->FindWindow(2009)) finishText = text->GetLabel();
                    finished = true;
                }
                wxCommandEvent click(wxEVT_BUTTON, button->GetId());
                click.SetEventObject(button);
                button->ProcessWindowEvent(click);
                return;
            }
        }
    }

private:
    wxString m_title;
};

TEST_F(ReaderTrayTest, UploadFromTheFlockListWritesTheAnimalsWithAnEidIntoTheReader) {
    wxUpdateUIEvent update(WxCommandId(ID_EID_UPLOAD));
    Frame()->ProcessWindowEvent(update);
    EXPECT_TRUE(update.GetEnabled());
    Command(ID_EID_AUTOSCAN);
    ASSERT_TRUE(Manager().IsScanning());
    reader.ClearReceived();
    {
        WizardClicker clicker("Wyndrace 2S Upload Wizard");
        Command(WxCommandId(ID_EID_UPLOAD));
        EXPECT_TRUE(clicker.finished);
        EXPECT_EQ(clicker.finishText, "1 records were uploaded to the reader.");
    }
    // The scan let go of the port for the wizard and has it again.
    EXPECT_EQ(reader.Received(), "[CSS][CSS][CEE]\r\n[EA0000000826000000000001|AB001]");
    EXPECT_TRUE(Manager().IsScanning());
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ReaderTrayTest, UploadIsGreyForAReaderThatTakesNoUpload) {
    RegisterReaderPlugin(CVL_WYNDRACE_PLUGIN, EID_MODE_DOWNLOAD | EID_MODE_SCAN);
    Manager().ReadSupportedModes();
    wxUpdateUIEvent update(WxCommandId(ID_EID_UPLOAD));
    Frame()->ProcessWindowEvent(update);
    EXPECT_FALSE(update.GetEnabled());
}

}  // namespace

#endif
