// The download wizard end to end against the simulated reader and a real document: what reaches
// the saved file, what the reader keeps, and a reader that hangs up.
#include "wyndrace/download_wizard.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <chrono>
#include <filesystem>

#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/scripted_host_fixture.h"
#include "wizard_steps.h"
#include "wyndrace/reader_fixture.h"
#include "wyndrace/ui/control_pages.h"
#include "wyndrace/ui/download_dialogs.h"
#include "wyndrace/ui/download_pages.h"

namespace {

bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
    return true;
}

std::string Eq(uint64_t eid, const char* tattoo) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%022llu", static_cast<unsigned long long>(eid));
    return std::string("[EA") + digits + "|" + tattoo + "]";
}

class DownloadWizard : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        char tmpl[] = "/tmp/cvl-download-XXXXXX";
        folder = mkdtemp(tmpl);
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel", Utf8ToW(CVL_DOWNLOAD_BREED));
        ASSERT_EQ(doc.LoadBreedPlugIn(u"Texel", true), BREED_LOADED);
        doc.SetAttribute(FARM_BREED, u"Texel");
        for (auto [tattoo, eid] : {std::pair{u"A1", 0ull}, std::pair{u"B2", 5ull}, std::pair{u"C3", 0ull}}) {
            auto* sheep = new CSheep(tattoo, SEX_EWE, &doc);
            if (eid) sheep->SetElectronicID(eid);
            ASSERT_GE(doc.AddSheep(sheep, false), 0);
        }
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        ReaderTest::TearDown();
    }
    static CUploadWizard& Sheet(wxDialog& dialog) { return dynamic_cast<CUploadWizard&>(dialog); }
    static unsigned ActiveId(wxDialog& dialog) {
        CSheetPage* page = Sheet(dialog).GetFlow().GetActivePage();
        return page ? page->GetTemplateId() : 0;
    }
    static bool LeavesTransfer(wxDialog& dialog) {
        return PumpUntil(
            [&] { return Sheet(dialog).GetFlow().IsEnded() || ActiveId(dialog) != kTransferPageId; });
    }
    // Welcome, then the type page with the table chosen, then the transfer.
    static void StartDownload(wxDialog& dialog, bool control, bool erase) {
        CUploadWizard& sheet = Sheet(dialog);
        sheet.PressNext();
        auto* type = dynamic_cast<CDownloadWizard2*>(sheet.GetFlow().GetActivePage());
        ASSERT_NE(type, nullptr);
        Click(control ? type->GetControl() : type->GetEquivalence());
        EXPECT_EQ(type->GetErase()->IsEnabled(), control);
        type->GetErase()->SetValue(erase);
        sheet.PressNext();
        EXPECT_EQ(ActiveId(dialog), kTransferPageId);
    }
    int Run(std::vector<std::function<int(wxDialog&)>> steps) {
        ModalScript script(std::move(steps));
        const EIDSourceWindow window{nullptr, nullptr, nullptr};
        return RunDownloadWizard(&window, Port().c_str(), &config, doc.GetDocumentDual());
    }
    // The flock as it comes back from its file.
    void Reopen(CSheepDoc& again) {
        const std::string path = folder + "/flock.cvl";
        ASSERT_TRUE(doc.OnSaveDocument(path));
        ASSERT_TRUE(again.OnOpenDocument(path));
    }

    std::string folder;
    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(DownloadWizard, EquivalenceTableSetsEidsAndSetsUpANewAnimal) {
    reader.SetEquivalenceRecords(
        {Eq(5, "B2"), Eq(12345678901234567890ull, "A1"), Eq(77, "NEW1"), Eq(9, "C3")});
    const int result = Run({
        [&](wxDialog& dialog) {
            StartDownload(dialog, false, false);
            EXPECT_TRUE(LeavesTransfer(dialog));
            EXPECT_EQ(ActiveId(dialog), kDownloadReviewPageId);
            auto* review = dynamic_cast<CDownloadWizard11*>(Sheet(dialog).GetFlow().GetActivePage());
            for (long i = 0; i < review->GetList()->GetItemCount(); ++i) review->DecideItem(i);
            EXPECT_EQ(review->GetModel().OpenQuestions(), 0);
            Sheet(dialog).PressNext();
            Pump();
            EXPECT_EQ(ActiveId(dialog), kDownloadFinishPageId);
            EXPECT_EQ(dynamic_cast<wxButton*>(dialog.FindWindow(wxID_CANCEL))->GetLabel(), "Close");
            Sheet(dialog).PressFinish();
            return int(wxID_OK);
        },
        Says("Please review the errors in the downloaded data."),
        Says("Do you want to update the EID of A1 to 12345678901234567890?", wxID_YES),
        [&](wxDialog& dialog) {
            auto& add = dynamic_cast<CAddSheep&>(dialog);
            add.GetSexChoice()->SetSelection(1);
            wxCommandEvent chosen(wxEVT_CHOICE, IDC_DL_SEX);
            add.GetSexChoice()->GetEventHandler()->ProcessEvent(chosen);
            add.PressCreate();
            return add.GetReturnCode();
        },
        Says("Do you want to update the EID of C3 to 0000000000000009?", wxID_NO),
    });
    EXPECT_EQ(result, 1);
    CSheepDoc again;
    Reopen(again);
    ASSERT_NE(again.FindSheep(u"A1"), nullptr);
    EXPECT_EQ(again.FindSheep(u"A1")->GetElectronicID(), 12345678901234567890ull);
    EXPECT_EQ(again.FindSheep(u"B2")->GetElectronicID(), 5u);
    EXPECT_EQ(again.FindSheep(u"C3")->GetElectronicID(), 0u);
    ASSERT_NE(again.FindSheep(u"NEW1"), nullptr);
    EXPECT_EQ(again.FindSheep(u"NEW1")->GetElectronicID(), 77u);
    EXPECT_EQ(again.FindSheep(u"NEW1")->GetSex(), SEX_RAM);
}

class ControlDownload : public DownloadWizard, public ::testing::WithParamInterface<bool> {};

TEST_P(ControlDownload, ReadingsBecomeWeighingsAndTheReaderIsErasedOnlyWhenAsked) {
    const bool erase = GetParam();
    reader.SetControlRecords({"[A1|XXXXXXX0000000000000005|20240105|083000|B2|50]",
                              "[A1|XXXXXXX0000000000000042|20240105|083100||25]"});
    const int result = Run({
        [&](wxDialog& dialog) {
            StartDownload(dialog, true, erase);
            EXPECT_TRUE(LeavesTransfer(dialog));
            EXPECT_EQ(ActiveId(dialog), kDownloadEventTypePageId);
            auto* type = dynamic_cast<CDownloadWizard15*>(Sheet(dialog).GetFlow().GetActivePage());
            EXPECT_TRUE(type->GetCodes()->SetStringSelection("Weighing"))
                << wxJoin(type->GetCodes()->GetStrings(), ',');
            Sheet(dialog).PressNext();
            auto* mapping = dynamic_cast<CDownloadWizard16*>(Sheet(dialog).GetFlow().GetActivePage());
            EXPECT_NE(mapping, nullptr);
            if (!mapping) return int(wxID_CANCEL);
            // The plug-in's parameter name whole, its last letter included.
            EXPECT_EQ(mapping->GetRow(0).label->GetLabel(),
                      "Please select how to process the 'param4.0' parameter");
            Click(mapping->GetRow(0).read);
            mapping->GetRow(0).field->SetSelection(0);
            Sheet(dialog).PressNext();
            auto* validation = dynamic_cast<CDownloadWizard17*>(Sheet(dialog).GetFlow().GetActivePage());
            EXPECT_NE(validation, nullptr);
            if (!validation) return int(wxID_CANCEL);
            EXPECT_TRUE(validation->ChooseUnit(WeightUnit::Kg));
            Sheet(dialog).PressNext();
            Pump();
            EXPECT_EQ(ActiveId(dialog), kDownloadFinishPageId);
            Sheet(dialog).PressFinish();
            return int(wxID_OK);
        },
        [&](wxDialog& dialog) {
            if (auto* box = dynamic_cast<wxMessageDialog*>(&dialog)) ADD_FAILURE() << box->GetMessage();
            auto& map = dynamic_cast<CMapSheep&>(dialog);
            map.GetAnimals()->SetStringSelection("C3");
            wxCommandEvent chosen(wxEVT_COMBOBOX, IDC_DL_ANIMALS);
            map.GetAnimals()->GetEventHandler()->ProcessEvent(chosen);
            map.PressOk();
            return map.GetReturnCode();
        },
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(reader.ControlErased(), erase);
    CSheepDoc again;
    Reopen(again);
    CSheep* b2 = again.FindSheep(u"B2");
    CSheep* c3 = again.FindSheep(u"C3");
    ASSERT_TRUE(b2 && c3);
    EXPECT_EQ(c3->GetElectronicID(), 42u);
    ASSERT_EQ(b2->GetEventCount(), 1);
    EXPECT_EQ(b2->GetEventAt(0)->GetParameters(), std::vector<WString>{u"106"});
    // The plug-in's template whole, its last letter included.
    EXPECT_EQ(WToUtf8(b2->GetEventAt(0)->FormatText(false)), "Weighed 50.00 lb");
    EXPECT_EQ(b2->GetEventAt(0)->GetDate().m_dt, COleDateTime(2024, 1, 5, 8, 30, 0).m_dt);
    ASSERT_EQ(c3->GetEventCount(), 1);
    EXPECT_EQ(c3->GetEventAt(0)->GetParameters(), std::vector<WString>{u"53"});
}

INSTANTIATE_TEST_SUITE_P(EraseOrNot, ControlDownload, ::testing::Bool());

// More Information tells what each kind of download does and leaves the choice as it was; each
// control of the page has a text in the help book.
TEST_F(DownloadWizard, TheTypePageExplainsItsChoices) {
    const int result = Run({[&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        sheet.PressNext();
        auto* type = dynamic_cast<CDownloadWizard2*>(sheet.GetFlow().GetActivePage());
        EXPECT_NE(type, nullptr);
        if (!type) return int(wxID_CANCEL);
        wxCommandEvent press(wxEVT_BUTTON, type->GetMoreInformation()->GetId());
        press.SetEventObject(type->GetMoreInformation());
        type->GetMoreInformation()->GetEventHandler()->ProcessEvent(press);
        EXPECT_EQ(Messages().size(), 1u);
        if (!Messages().empty()) {
            EXPECT_EQ(Messages()[0].type, unsigned(MB_ICONINFORMATION));
            EXPECT_NE(Messages()[0].text.find("equivalence table"), std::string::npos);
            EXPECT_NE(Messages()[0].text.find("control table"), std::string::npos);
        }
        EXPECT_EQ(ActiveId(dialog), kDownloadTypePageId);
        EXPECT_TRUE(type->GetControl()->GetValue());

        CCvlHelpContext book;
        std::string why;
        EXPECT_TRUE(book.Load(CVL_HELP_TEXTS, &why)) << why;
        for (const CvlHelpPair* pair = type->GetHelpTable(); pair->controlId != 0; ++pair) {
            EXPECT_NE(dialog.FindWindow(pair->controlId), nullptr) << pair->controlId;
            EXPECT_NE(book.Find(pair->topicId), nullptr) << pair->controlId;
        }
        sheet.PressCancel();
        return int(wxID_CANCEL);
    }});
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reader.Received(), "");
}

TEST_F(DownloadWizard, AReaderThatHangsUpErasesNothingAndChangesNothing) {
    reader.SetControlRecords({"[A1|XXXXXXX0000000000000005|20240105|083000|B2|50]"});
    // The reply trickles out; the reader hangs up once the download has begun.
    reader.SetChunks(4, std::chrono::milliseconds(40));
    const int result = Run({[&](wxDialog& dialog) {
        StartDownload(dialog, true, true);
        EXPECT_TRUE(PumpUntil([&] { return reader.Received().find("[CSW]") != std::string::npos; }));
        reader.HangUp();
        // The port's own failure is shown and the wizard is back at the choice with both ways open,
        // not stranded on the transfer page with Cancel alone.
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(Messages().size(), 1u);
        if (!Messages().empty()) {
            EXPECT_EQ(Messages()[0].text, "Input/output error");
        }
        EXPECT_EQ(ActiveId(dialog), kDownloadTypePageId);
        EXPECT_TRUE(Sheet(dialog).GetNextButton()->IsEnabled());
        EXPECT_TRUE(Sheet(dialog).GetBackButton()->IsEnabled());
        Sheet(dialog).PressCancel();
        return int(wxID_CANCEL);
    }});
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(reader.ControlErased());
    EXPECT_EQ(doc.FindSheep(u"B2")->GetEventCount(), 0);
    EXPECT_FALSE(Messages().empty());
}

}  // namespace
