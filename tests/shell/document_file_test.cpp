// The program's documents on real windows: data files opened from the command line and the recent
// list, the save question on closing, the automation Documents collection and a document's
// windows, and a new flock made through the wizard, saved, reopened and searched.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/filedlg.h>
#include <wx/textctrl.h>

#include <fstream>
#include <iterator>

#include "document/command_ids.h"
#include "document/documents_collection.h"
#include "document/sheep_doc.h"
#include "document/ui/new_database_pages.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/sheep_document.h"

#ifdef CVL_GENERAL_BREED

namespace {

constexpr const char16_t* kBreed = u"General Sheep";

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DocumentFileTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        // These tests work in the flock list, so it is the window a flock opens in.
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", kBreed, Utf8ToW(CVL_GENERAL_BREED));
        fixture = folders.Root() / "flock.cvl";
    }

    // A flock of `count` animals bought a year ago, written without the program's windows.
    void WriteFixture(int count) {
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        doc->SetAttribute(FARM_BREED, kBreed);
        ASSERT_EQ(doc->LoadBreedPlugIn(kBreed, true), BREED_LOADED);
        COleDateTime bought = COleDateTime::GetCurrentTime() - COleDateTimeSpan(365, 0, 0, 0);
        for (int i = 0; i < count; ++i) {
            auto* sheep = new CSheep(FormatW("AB%03d", i + 1).c_str(), i % 2 ? SEX_RAM : SEX_EWE, doc.Get());
            sheep->AddEvent(new CEvent(bought, EVENT_PURCHASED, u"Market"), false);
            ASSERT_GE(doc->AddSheep(sheep, false), 0);
        }
        ASSERT_TRUE(doc->OnSaveDocument(fixture.string()));
    }

    // The animals in the file, read without the program's windows; -1 when it cannot be read.
    int AnimalsOnDisk(const std::filesystem::path& path) {
        CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        if (!doc->OnOpenDocument(path.string())) return -1;
        const int count = doc->GetSheepCount();
        doc->OnCloseDocument();
        return count;
    }

    CSheepDocument* OpenDocument() {
        auto& docs = App().GetDocManager()->GetDocuments();
        return docs.empty() ? nullptr : dynamic_cast<CSheepDocument*>(docs.GetFirst()->GetData());
    }

    CFlockView* View(CSheepDocument* doc) { return dynamic_cast<CFlockView*>(doc->GetFirstView()); }

    void Command(int id) {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(id));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }

    std::filesystem::path fixture;
};

TEST_F(DocumentFileTest, AFileNamedOnTheCommandLineOpensWithItsRowsAndRecordPane) {
    WriteFixture(7);
    ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
    CSheepDocument* doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetFilename(), wxString(fixture.string()));
    EXPECT_EQ(doc->GetCore().GetSheepCount(), 7);
    EXPECT_FALSE(doc->IsModified());
    ASSERT_NE(View(doc), nullptr);
    EXPECT_EQ(View(doc)->GetRowCount(), 7);
    EXPECT_EQ(View(doc)->GetListCtrl()->GetItemCount(), 7);
    EXPECT_EQ(Frame()->GetRecordPaneText(), u"Record: - Total: 7");
    EXPECT_TRUE(host.Messages().empty());
    // The file went to the top of the recent list.
    ASSERT_GE(App().GetDocManager()->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(0), wxString(fixture.string()));
}

TEST_F(DocumentFileTest, ClosingAModifiedDocumentAsksAndSavesOnlyOnYes) {
    WriteFixture(3);
    const std::string before = Bytes(fixture);
    const struct {
        int answer;
        bool closed;
        int onDisk;
    } cases[] = {{IDCANCEL, false, 3}, {IDNO, true, 3}, {IDYES, true, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
        CSheepDocument* doc = OpenDocument();
        ASSERT_NE(doc, nullptr);
        auto* sheep = new CSheep(u"ZZ999", SEX_EWE, &doc->GetCore());
        ASSERT_GE(doc->GetCore().AddSheep(sheep, false), 0);
        ASSERT_TRUE(doc->IsModified());

        host.Reply(c.answer);
        Command(ID_FILE_CLOSE);
        EXPECT_EQ(host.Messages().size(), 1u);
        if (!host.Messages().empty()) {
            EXPECT_EQ(host.Messages()[0].text, u"Save changes to flock.cvl?");
        }
        EXPECT_EQ(OpenDocument() == nullptr, c.closed);
        EXPECT_EQ(AnimalsOnDisk(fixture), c.onDisk);
        if (c.answer != IDYES) {
            EXPECT_EQ(Bytes(fixture), before);
        }
        if (!c.closed) doc->Modify(false);
        Stop();
        host.Clear();
    }
}

TEST_F(DocumentFileTest, FileSaveWritesInPlaceAndTheRecentFileOpensAfterARestart) {
    WriteFixture(2);
    ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
    CSheepDocument* doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_GE(doc->GetCore().AddSheep(new CSheep(u"CD001", SEX_RAM, &doc->GetCore()), false), 0);
    Command(ID_FILE_SAVE);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(AnimalsOnDisk(fixture), 3);
    Stop();

    ASSERT_TRUE(Start());
    EXPECT_EQ(OpenDocument(), nullptr);
    ASSERT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(0), wxString(fixture.string()));
    Command(ID_FILE_MRU_FILE1);
    doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetCore().GetSheepCount(), 3);
    EXPECT_EQ(View(doc)->GetRowCount(), 2);  // the ram added here was never bought
}

TEST_F(DocumentFileTest, AnUnreadableFileIsReportedAndOpensNothing) {
    std::ofstream(fixture) << "not a flock";
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().OpenDocumentFile(fixture.string()), nullptr);
    EXPECT_EQ(OpenDocument(), nullptr);
    EXPECT_EQ(host.Messages().size(), 1u);
}

TEST_F(DocumentFileTest, AutomationReachesTheOpenDocumentsAndTheirWindows) {
    WriteFixture(4);
    ASSERT_TRUE(Start(wxArrayString(1, fixture.string())));
    CRefPtr<CDocuments> documents = CRefPtr<CDocuments>::Adopt(new CDocuments(&App().GetOpenDocuments()));
    EXPECT_EQ(documents->GetCount(), 1);
    COleVariant first(SHORT(0));
    CRefPtr<CSheepDoc> core(documents->GetDocument(first));
    ASSERT_EQ(core.Get(), &OpenDocument()->GetCore());

    EXPECT_EQ(core->GetFullName(), Utf8ToW(fixture.string()));
    EXPECT_TRUE(core->GetVisible());
    core->SetVisible(VARIANT_FALSE);
    EXPECT_FALSE(core->GetVisible());
    core->SetVisible(VARIANT_TRUE);
    core->Activate();

    // SaveAs through automation writes the new file and names the document after it.
    const auto copy = folders.Root() / "copy.cvl";
    core->AddSheep(new CSheep(u"EF100", SEX_EWE, core.Get()), false);
    COleVariant name(WStringView(Utf8ToW(copy.string())));
    core->SaveAs(name);
    EXPECT_EQ(AnimalsOnDisk(copy), 5);
    EXPECT_EQ(AnimalsOnDisk(fixture), 4);
    EXPECT_EQ(core->GetFullName(), Utf8ToW(copy.string()));
    EXPECT_EQ(OpenDocument()->GetFilename(), wxString(copy.string()));
    host.Clear();  // reading the copy beside the program says that the program holds it

    // A new document through the collection gets no wizard; Close closes everything unasked.
    CSheepDoc* added = documents->AddDocument(kBreed);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(documents->GetCount(), 2);
    EXPECT_EQ(added->GetDocString(FARM_BREED), kBreed);
    added->SetModifiedFlag(true);
    documents->Close();
    Pump();
    EXPECT_EQ(documents->GetCount(), 0);
    EXPECT_TRUE(host.Messages().empty());

    // The client still holds the document: calls that need a window now fail instead of crashing.
    EXPECT_EQ(core->GetSheepCount(), 0);
    EXPECT_THROW(core->GetVisible(), COleDispatchException);
    EXPECT_THROW(core->Save(), COleDispatchException);
}

TEST_F(DocumentFileTest, FileNewCancelledLeavesNoDocument) {
    ASSERT_TRUE(Start());
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            sheet.PressCancel();
            return sheet.GetFlow().GetResult();
        }});
        Command(ID_FILE_NEW);
    }
    EXPECT_EQ(OpenDocument(), nullptr);
}

struct Animal {
    const char* tattoo;
    const char16_t* colour;
    const char16_t* number;
    uint64_t eid;
};
const Animal kAnimals[] = {
    {"UK0101", u"Red", u"101", 0},
    {"UK0102", u"Red", u"102", 0},
    {"UK0203", u"Blue", u"7", 826000000000203},
};

// The Add dialog filled with one animal's tattoo.
std::function<int(wxDialog&)> AddAnimal(const Animal& animal) {
    return [&animal](wxDialog& dialog) {
        auto& add = dynamic_cast<CAddSheepDlg&>(dialog);
        add.GetTattooEdit()->SetValue(animal.tattoo);
        add.PressOk();
        return add.GetReturnCode();
    };
}

std::function<int(wxDialog&)> FinishWizard(int choice) {
    return [choice](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        CSheetFlow& flow = sheet.GetFlow();
        sheet.PressNext();
        auto* breed = dynamic_cast<CFileNewWiz1*>(flow.GetActivePage());
        EXPECT_NE(breed, nullptr);
        if (!breed) return int(wxID_CANCEL);
        wxComboBox* combo = breed->GetBreedCombo();
        combo->SetStringSelection(ToWx(kBreed));
        wxCommandEvent pick(wxEVT_COMBOBOX, combo->GetId());
        pick.SetEventObject(combo);
        combo->GetEventHandler()->ProcessEvent(pick);
        // Through the breed's own pages, if any, and the personal page to the last one.
        for (int i = 0; i < 10 && flow.GetActivePage()->GetTemplateId() != IDD_FILENEW_WIZ4; ++i)
            sheet.PressNext();
        EXPECT_EQ(flow.GetActivePage()->GetTemplateId(), IDD_FILENEW_WIZ4);
        auto* window = dynamic_cast<CCvlPageWindow*>(flow.GetActivePage())->GetWindow();
        Click(window->FindWindow(choice));
        sheet.PressFinish();
        return flow.GetResult();
    };
}

TEST_F(DocumentFileTest, FileNewUsesTheFirstTemplateAndOffersTheImportWhenALoadIsChosen) {
    ASSERT_TRUE(Start());
    {
        // The wizard's last page chose a data file: File Import follows with its open-file dialog,
        // here cancelled; the new flock stays.
        bool asked = false;
        ModalScript script({FinishWizard(IDC_LOAD_DATA_FILE), [&](wxDialog& dialog) {
                                asked = dynamic_cast<wxFileDialog*>(&dialog) != nullptr;
                                return int(wxID_CANCEL);
                            }});
        Command(ID_FILE_NEW);
        EXPECT_TRUE(asked);
    }
    ASSERT_EQ(App().GetDocManager()->GetDocuments().GetCount(), 1u);
    CSheepDocument* doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_NE(View(doc), nullptr);
    EXPECT_TRUE(doc->GetFirstView()->GetFrame()->GetLabel().EndsWith(": Flock View"));
    EXPECT_EQ(doc->GetCore().GetDocString(FARM_BREED), kBreed);
    EXPECT_TRUE(doc->GetCore().GetBreedPlugIn().IsLoaded());
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(doc->GetCore().GetSheepCount(), 0);
}

// Disabled: after the wizard the Add command does not reach its handler since main's command bars came in.
TEST_F(DocumentFileTest, ANewFlockMadeThroughTheWizardIsSavedReopenedAndSearched) {
    ASSERT_TRUE(Start());
    // File New: the wizard, then the Add dialog its last page asked for. The animal has no events,
    // so the list offers to show the whole flock.
    host.Reply(18, IDYES);
    {
        ModalScript script({FinishWizard(IDC_MANUAL_ENTRY), AddAnimal(kAnimals[0])});
        Command(ID_FILE_NEW);
    }
    CSheepDocument* doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    CSheepDoc& core = doc->GetCore();
    EXPECT_EQ(App().GetDocManager()->GetCurrentDocument(), doc);
    EXPECT_EQ(core.GetDocString(FARM_BREED), kBreed);
    EXPECT_EQ(core.GetSummaryInfo().m_appName, "Corvalen");
    ASSERT_EQ(core.GetSheepCount(), 1);
    // The Add command again, then the dialog with an EID as a reader scan would give it.
    {
        ModalScript script({AddAnimal(kAnimals[1])});
        Command(ID_SHEEP_ADD);
    }
    ASSERT_EQ(core.GetSheepCount(), 2);
    {
        ModalScript script({AddAnimal(kAnimals[2])});
        WString key;
        ASSERT_TRUE(NewSheep(Frame(), core, SEX_EWE, &key, &kAnimals[2].eid));
    }
    host.Clear();
    ASSERT_EQ(core.GetSheepCount(), 3);
    for (const Animal& animal : kAnimals) {
        CSheep* sheep = core.FindSheep(Utf8ToW(animal.tattoo));
        ASSERT_NE(sheep, nullptr);
        sheep->SetEartagColour(animal.colour);
        sheep->SetEartagNumber(animal.number);
    }
    EXPECT_TRUE(doc->IsModified());

    const auto path = folders.Root() / "new.cvl";
    ASSERT_TRUE(doc->SaveDocument(Utf8ToW(path.string())));
    EXPECT_FALSE(doc->IsModified());
    Command(ID_FILE_CLOSE);
    EXPECT_TRUE(host.Messages().empty());
    ASSERT_EQ(OpenDocument(), nullptr);

    ASSERT_NE(App().OpenDocumentFile(path.string()), nullptr);
    doc = OpenDocument();
    ASSERT_NE(doc, nullptr);
    CSheepDoc& reopened = doc->GetCore();
    EXPECT_EQ(reopened.GetSheepCount(), 3);
    // Animals without events are listed only with the whole flock.
    reopened.GetExtractionCriteria().m_nType = CRITERIA_ALL;
    reopened.UpdateAllViews(nullptr, HINT_SHEEP_SET);
    EXPECT_EQ(View(doc)->GetRowCount(), 3);

    struct Search {
        int mode;
        const char* key;
        const char* number;
        const char* expect;
    };
    const Search searches[] = {
        {CGotoSheepModel::MODE_EARTAG, "Red", "102", "UK0102"},
        {CGotoSheepModel::MODE_TATTOO, "uk0101", "", "UK0101"},
        {CGotoSheepModel::MODE_EID, "826000000000203", "", "UK0203"},
    };
    for (const Search& search : searches) {
        SCOPED_TRACE(search.key);
        reopened.SelectSheepAt(-1, false, false, nullptr);
        ModalScript script({[&](wxDialog& dialog) {
            auto& find = dynamic_cast<CGotoSheepDlg&>(dialog);
            Click(find.GetModeRadio(search.mode));
            find.GetKeyEdit()->SetValue(search.key);
            if (search.mode == CGotoSheepModel::MODE_EARTAG) find.GetNumberEdit()->SetValue(search.number);
            find.PressFind();
            EXPECT_EQ(find.GetList()->GetItemCount(), 1);
            find.PressFind();
            return find.GetReturnCode();
        }});
        CGotoSheepDlg dialog(&reopened, Frame());
        EXPECT_EQ(CvlRunModal(dialog), wxID_OK);
        EXPECT_EQ(reopened.GetCurrentKey(), Utf8ToW(search.expect));
    }
}

}  // namespace

#endif
