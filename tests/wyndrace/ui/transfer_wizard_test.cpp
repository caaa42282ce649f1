// The transfer page and the upload wizard on real windows against the simulated reader: what the
// reader receives byte for byte, the pages the wizard moves to by itself, and every way a running
// transfer is stopped (Cancel, Back, a session lock, the port removed).
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <chrono>
#include <set>
#include <thread>

#include "document/sheep_doc.h"
#include "platform/session_lock.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/scripted_host_fixture.h"
#include "wyndrace/reader_fixture.h"
#include "wyndrace/upload_wizard.h"

namespace {

bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxMilliSleep(2);
    }
    return true;
}

// The window that supplies the animals: rows of tattoos, some selected, answering as a list does.
struct FakeSource {
    std::vector<WString> rows;
    std::set<int> selected;
    const EIDTransferPage* page = nullptr;
    int pageMessages = 0;
    bool offThread = false;

    static intptr_t Send(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        auto* self = static_cast<FakeSource*>(context);
        if (!wxIsMainThread()) self->offThread = true;
        if (message == WM_EIDTRANSFERPAGE) {
            self->page = reinterpret_cast<const EIDTransferPage*>(lParam);
            ++self->pageMessages;
            return 0;
        }
        auto* item = reinterpret_cast<EIDSourceItem*>(lParam);
        const bool sel = item->universe == EIDSOURCE_SELECTED;
        switch (wParam) {
            case EIDSOURCE_BEGIN: item->index = -1; return 0;
            case EIDSOURCE_COUNT: return sel ? intptr_t(self->selected.size()) : intptr_t(self->rows.size());
            case EIDSOURCE_NEXT: {
                int row = item->index + 1;
                while (sel && row < int(self->rows.size()) && !self->selected.count(row)) ++row;
                if (row >= int(self->rows.size())) {
                    item->index = -1;
                    return 0;
                }
                item->index = row;
                const WString& t = self->rows[size_t(row)];
                std::copy(t.begin(), t.end(), item->text);
                item->text[t.size()] = 0;
                return 1;
            }
            default: return 0;
        }
    }
    EIDSourceWindow Window() { return EIDSourceWindow{nullptr, this, &FakeSource::Send}; }
};

// A page that stands for one of the download's later pages.
class MarkerPage : public CCvlPropertyPage {
public:
    explicit MarkerPage(unsigned id) : CCvlPropertyPage(id) {}

protected:
    void OnCreateControls(wxPanel*) override {}
};

// The session-lock double: the page's watcher, fired by the test.
struct LockDouble {
    std::function<void()> fire;
    int watchers = 0;
    LockDouble() {
        SetSessionLockFactory([this](std::function<void()> onLock) {
            struct Watcher : ISessionLockWatcher {
                LockDouble* owner;
                explicit Watcher(LockDouble* o) : owner(o) { ++owner->watchers; }
                ~Watcher() override {
                    --owner->watchers;
                    owner->fire = nullptr;
                }
            };
            fire = std::move(onLock);
            return std::make_unique<Watcher>(this);
        });
    }
    ~LockDouble() { SetSessionLockFactory({}); }
};

constexpr uint64_t kEidA = 826000000000001ull;

class TransferWizard : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        Answer() = IDYES;
    }
    void Add(const char16_t* tattoo, uint64_t eid) {
        auto* sheep = new CSheep(tattoo, SEX_EWE, &doc);
        if (eid) sheep->SetElectronicID(eid);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : Messages()) texts.push_back(m.text);
        return texts;
    }
    static CUploadWizard& Sheet(wxDialog& dialog) { return dynamic_cast<CUploadWizard&>(dialog); }
    static unsigned ActiveId(wxDialog& dialog) {
        CSheetPage* page = Sheet(dialog).GetFlow().GetActivePage();
        return page ? page->GetTemplateId() : 0;
    }
    // Until the transfer page has handed on to another page (or the sheet ended).
    static bool LeavesTransfer(wxDialog& dialog) {
        return PumpUntil([&] {
            return Sheet(dialog).GetFlow().IsEnded() || ActiveId(dialog) != kTransferPageId;
        });
    }
    int RunUpload(std::function<int(wxDialog&)> step) {
        ModalScript script({std::move(step)});
        const EIDSourceWindow window = source.Window();
        return RunUploadWizard(&window, Port().c_str(), &config, doc.GetDocumentDual());
    }
    static std::string Record(uint64_t eid, const char* tattoo) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%022llu", static_cast<unsigned long long>(eid));
        return std::string("[EA") + digits + "|" + tattoo + "]";
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    FakeSource source;
};

TEST_F(TransferWizard, UploadsEveryShownAnimalWithAnEidAndFinishesWithTheCount) {
    Add(u"A1", kEidA);
    Add(u"B2", 0);
    Add(u"C3", 7);
    // A row the document does not know is passed over.
    source.rows = {u"A1", u"B2", u"GONE", u"C3"};
    int finished = RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Wyndrace 2S Upload Wizard");
        EXPECT_EQ(ActiveId(dialog), 106u);
        EXPECT_FALSE(sheet.IsHeaderShown());
        EXPECT_FALSE(sheet.GetBackButton()->IsEnabled());
        EXPECT_TRUE(sheet.GetNextButton()->IsEnabled());
        sheet.PressNext();
        EXPECT_EQ(ActiveId(dialog), 109u);
        EXPECT_EQ(sheet.GetShownHeaderTitle(), u"Select data to download");
        auto* choice = dynamic_cast<CUploadWizard2*>(sheet.GetFlow().GetActivePage());
        EXPECT_TRUE(choice->GetAllButton()->GetValue());
        sheet.PressNext();
        EXPECT_EQ(ActiveId(dialog), kTransferPageId);
        EXPECT_EQ(sheet.GetShownHeaderTitle(), u"Uploading Data to Reader");
        auto* transfer = dynamic_cast<CUploadWizard10*>(sheet.GetFlow().GetActivePage());
        EXPECT_EQ(transfer->GetProgress()->GetRange(), 4);
        EXPECT_EQ(transfer->GetPercent()->GetLabel(), "0% Complete");
        // The transfer starts by itself; the buttons are off while it runs, then Next is pressed.
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(transfer->GetProgress()->GetValue(), 3);
        EXPECT_EQ(transfer->GetPercent()->GetLabel(), "75% Complete");
        EXPECT_EQ(transfer->GetStatus()->GetLabel(), "Uploading sheep C3");
        EXPECT_EQ(ActiveId(dialog), 108u);
        auto* finish = dynamic_cast<CUploadWizard20*>(sheet.GetFlow().GetActivePage());
        EXPECT_EQ(finish->GetCountText()->GetLabel(), "2 records were uploaded to the reader.");
        EXPECT_EQ(dynamic_cast<wxButton*>(dialog.FindWindow(wxID_CANCEL))->GetLabel(), "Close");
        EXPECT_TRUE(sheet.GetBackButton()->IsEnabled());
        EXPECT_TRUE(sheet.GetFinishButton()->IsShown());
        sheet.PressFinish();
        return int(wxID_OK);
    });
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(reader.Received(),
              "[CSS][CSS][CEE]\r\n" + Record(kEidA, "A1") + Record(7, "C3"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(source.offThread);
    // The page was announced to the window and withdrawn when it went.
    EXPECT_EQ(source.pageMessages, 2);
    EXPECT_EQ(source.page, nullptr);
}

TEST_F(TransferWizard, OnlySelectedWithNothingSelectedClearsTheReaderAndReportsNone) {
    Add(u"A1", kEidA);
    source.rows = {u"A1"};
    int finished = RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        sheet.PressNext();
        auto* choice = dynamic_cast<CUploadWizard2*>(sheet.GetFlow().GetActivePage());
        Click(choice->GetSelectedButton());
        sheet.PressNext();
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(sheet.universe, EIDSOURCE_SELECTED);
        auto* finish = dynamic_cast<CUploadWizard20*>(sheet.GetFlow().GetActivePage());
        EXPECT_EQ(finish->GetCountText()->GetLabel(), "0 records were uploaded to the reader.");
        // Back from the finish page gives Cancel its name again; Cancel then ends the wizard.
        sheet.PressBack();
        EXPECT_EQ(dynamic_cast<wxButton*>(dialog.FindWindow(wxID_CANCEL))->GetLabel(), "Cancel");
        sheet.PressCancel();
        return int(wxID_CANCEL);
    });
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(reader.Received(), "[CSS][CSS][CEE]\r\n");
}

TEST_F(TransferWizard, AReaderThatDoesNotAnswerKeepsTheChoicePage) {
    Add(u"A1", kEidA);
    source.rows = {u"A1"};
    reader.SetReply("[CSS]", std::nullopt);
    RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        sheet.PressNext();
        sheet.PressNext();
        EXPECT_EQ(ActiveId(dialog), 109u);
        sheet.PressCancel();
        return int(wxID_CANCEL);
    });
    EXPECT_EQ(Texts(), std::vector<std::string>{"Failed to receive a response from the Wyndrace. Please check that "
                                                "it is switched on and connected to " + reader.Path()});
    EXPECT_EQ(reader.Received(), "[CSS]");
}

// A transfer that fails is reported and the wizard goes back to the choice.
TEST_F(TransferWizard, FailuresAreShownAndTheWizardGoesBack) {
    struct Case {
        const char* name;
        std::function<void(CReaderSimulator&)> fault;
        const char* message;
        std::string received;
    } cases[] = {
        {"silent", [](CReaderSimulator& r) { r.SetReply("[CSS]", std::nullopt); },
         "Failed to connect to Wyndrace. Please ensure it is connected correctly and powered on", "[CSS]"},
        {"clear refused", [](CReaderSimulator& r) { r.SetReply("[CEE]", std::string("[CEE][CEEERR]\r\n")); },
         "The Wyndrace returned an error. Please ensure it is connected correctly and powered on",
         "[CSS][CEE]\r\n"},
        {"bad echo", [](CReaderSimulator& r) { r.CorruptEchoAt(0); },
         "The Wyndrace returned an error. Please ensure it is connected correctly and powered on",
         "[CSS][CEE]\r\n" + Record(kEidA, "A1")},
    };
    Add(u"A1", kEidA);
    Add(u"B2", 9);
    source.rows = {u"A1", u"B2"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CReaderSimulator faulty;
        c.fault(faulty);
        Messages().clear();
        CUploadWizard sheet(nullptr, u"Wyndrace 2S Upload Wizard");
        CUploadWizard2 choice(sheet, Utf8ToW(faulty.Path()), &config);
        const EIDSourceWindow window = source.Window();
        CUploadWizard10 transfer(sheet, window, Utf8ToW(faulty.Path()), &config, doc.GetDocumentDual());
        CUploadWizard20 finish(sheet);
        sheet.AddPage(&choice);
        sheet.AddPage(&transfer);
        sheet.AddPage(&finish);
        ModalScript script({[&](wxDialog& dialog) {
            EXPECT_TRUE(LeavesTransfer(dialog));
            EXPECT_EQ(ActiveId(dialog), 109u);
            EXPECT_TRUE(sheet.GetNextButton()->IsEnabled());
            sheet.PressCancel();
            return int(wxID_CANCEL);
        }});
        EXPECT_EQ(sheet.DoModal(1), SHEET_CANCEL);
        EXPECT_EQ(Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(faulty.Received(), c.received);
    }
}

TEST_F(TransferWizard, ATattooThatWouldSplitItsRecordIsRefusedBeforeTheReaderIsCleared) {
    Add(u"A1", kEidA);
    Add(u"X]9", 5);
    // Without an EID it is never sent, so it stands in no one's way.
    Add(u"N|0", 0);
    source.rows = {u"A1", u"N|0", u"X]9"};
    RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        sheet.PressNext();
        sheet.PressNext();
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(ActiveId(dialog), 109u);
        sheet.PressCancel();
        return int(wxID_CANCEL);
    });
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find("X]9"), std::string::npos) << Messages()[0].text;
    EXPECT_EQ(reader.Received(), "[CSS]");
}

class LongUpload : public TransferWizard {
protected:
    void SetUp() override {
        TransferWizard::SetUp();
        for (int i = 0; i < kAnimals; ++i) {
            const WString tattoo = u"T" + Utf8ToW(std::to_string(i));
            auto* sheep = new CSheep(tattoo.c_str(), SEX_RAM, &doc);
            sheep->SetElectronicID(uint64_t(1000 + i));
            ASSERT_GE(doc.AddSheep(sheep, false), 0);
            source.rows.push_back(tattoo);
        }
    }
    // On the transfer page with some animals sent.
    static bool Uploading(wxDialog& dialog, CReaderSimulator& reader) {
        Sheet(dialog).PressNext();
        Sheet(dialog).PressNext();
        return PumpUntil([&] { return reader.Uploaded().size() >= 50; });
    }
    static constexpr int kAnimals = 10000;
};

TEST_F(LongUpload, BackDuringTheUploadAsksThenStopsItAndGoesBack) {
    LockDouble lock;
    RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        EXPECT_TRUE(Uploading(dialog, reader));
        auto* transfer = dynamic_cast<CUploadWizard10*>(sheet.GetFlow().GetActivePage());
        EXPECT_FALSE(sheet.GetBackButton()->IsEnabled());
        // No keeps the transfer going with its buttons off.
        Answer() = IDNO;
        EXPECT_FALSE(sheet.PressButtonForProgram(true));
        EXPECT_TRUE(transfer->IsTransferring());
        EXPECT_FALSE(sheet.GetNextButton()->IsEnabled());
        // A call queued for the user-interface thread runs while Back waits for the worker.
        bool served = false;
        dialog.CallAfter([&] { served = true; });
        Answer() = IDYES;
        EXPECT_TRUE(sheet.PressButtonForProgram(true));
        EXPECT_TRUE(served);
        EXPECT_FALSE(transfer->IsTransferring());
        EXPECT_EQ(ActiveId(dialog), 109u);
        EXPECT_EQ(lock.watchers, 0);
        // Nothing of the stopped worker moves the wizard later.
        const size_t sent = reader.Uploaded().size();
        PumpUntil([] { return false; }, std::chrono::seconds(1));
        EXPECT_EQ(ActiveId(dialog), 109u);
        EXPECT_EQ(reader.Uploaded().size(), sent);
        EXPECT_LT(sent, size_t(kAnimals));
        sheet.PressCancel();
        return int(wxID_CANCEL);
    });
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "The download will be stopped and all changes lost. Are you sure you want to continue?",
                           "The download will be stopped and all changes lost. Are you sure you want to continue?"}));
    EXPECT_FALSE(source.offThread);
}

TEST_F(LongUpload, CancelDuringTheUploadIsRefusedWithAWarningAndTheWizardGoesBack) {
    int result = RunUpload([&](wxDialog& dialog) {
        CUploadWizard& sheet = Sheet(dialog);
        EXPECT_TRUE(Uploading(dialog, reader));
        sheet.PressCancel();
        EXPECT_FALSE(sheet.GetFlow().IsEnded());
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(ActiveId(dialog), 109u);
        // With no transfer running, Cancel closes.
        sheet.PressCancel();
        EXPECT_TRUE(sheet.GetFlow().IsEnded());
        return int(wxID_CANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{"The Wyndrace 2S will be left in an indeterminate state. Please "
                                                "complete a download before using it"});
    EXPECT_LT(reader.Uploaded().size(), size_t(kAnimals));
}

TEST_F(LongUpload, ALockOfTheSessionStopsTheUploadWithoutAWord) {
    LockDouble lock;
    RunUpload([&](wxDialog& dialog) {
        EXPECT_TRUE(Uploading(dialog, reader));
        EXPECT_EQ(lock.watchers, 1);
        EXPECT_TRUE(lock.fire);
        if (lock.fire) lock.fire();
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(ActiveId(dialog), 109u);
        Sheet(dialog).PressCancel();
        return int(wxID_CANCEL);
    });
    EXPECT_TRUE(Messages().empty());
    EXPECT_LT(reader.Uploaded().size(), size_t(kAnimals));
}

TEST_F(LongUpload, ThePortRemovedDuringTheUploadAbortsTheWizard) {
    RunUpload([&](wxDialog& dialog) {
        EXPECT_TRUE(Uploading(dialog, reader));
        EXPECT_NE(source.page, nullptr);
        if (!source.page) return int(wxID_CANCEL);
        source.page->deviceRemoved(source.page->context);
        // Cancel is refused while the worker runs; its end takes the wizard back.
        EXPECT_TRUE(LeavesTransfer(dialog));
        EXPECT_EQ(ActiveId(dialog), 109u);
        // While the page exists, a removal ends the wizard.
        source.page->deviceRemoved(source.page->context);
        EXPECT_TRUE(Sheet(dialog).GetFlow().IsEnded());
        return int(wxID_CANCEL);
    });
    const std::string removed = "The communications port has just been removed. This wizard will now abort";
    EXPECT_EQ(Texts(), (std::vector<std::string>{removed,
                                                 "The Wyndrace 2S will be left in an indeterminate state. Please "
                                                 "complete a download before using it",
                                                 removed}));
}

// The download modes: the records arrive in the sheet and the page jumps by what came.
TEST_F(TransferWizard, DownloadsKeepTheRecordsAndGoOnByWhatArrived) {
    struct Case {
        int mode;
        std::vector<std::string> records;
        bool erase;
        unsigned next;
    } cases[] = {
        {EID_TRANSFER_EQUIVALENCE, {Record(kEidA, "A1")}, false, kReviewPageId},
        {EID_TRANSFER_EQUIVALENCE, {}, false, kEmptyDownloadPageId},
        {EID_TRANSFER_CONTROL, {"[A|0000000826000000000001|20250301|101500|A1|55.5]"}, true, kEventTypePageId},
        {EID_TRANSFER_CONTROL, {}, false, kEmptyDownloadPageId},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode * 10 + int(c.records.size()));
        CReaderSimulator device;
        device.SetEquivalenceRecords(c.records);
        device.SetControlRecords(c.records);
        CUploadWizard sheet(nullptr, u"Wyndrace 2S Download Wizard");
        sheet.mode = c.mode;
        sheet.eraseAfterDownload = c.erase;
        MarkerPage before(111), empty(kEmptyDownloadPageId), review(kReviewPageId), events(kEventTypePageId);
        const EIDSourceWindow window = source.Window();
        CUploadWizard10 transfer(sheet, window, Utf8ToW(device.Path()), &config, doc.GetDocumentDual());
        for (CSheetPage* page : std::initializer_list<CSheetPage*>{&before, &transfer, &empty, &review, &events})
            sheet.AddPage(page);
        ModalScript script({[&](wxDialog& dialog) {
            EXPECT_TRUE(LeavesTransfer(dialog));
            EXPECT_EQ(ActiveId(dialog), c.next);
            sheet.PressCancel();
            return int(wxID_CANCEL);
        }});
        sheet.DoModal(1);
        std::vector<WString> expected;
        for (const std::string& r : c.records) expected.push_back(Utf8ToW(r));
        expected.push_back(c.mode == EID_TRANSFER_EQUIVALENCE ? u"[CSEOK]" : u"[CSWOK]");
        EXPECT_EQ(sheet.receivedRecords, expected);
        EXPECT_EQ(sheet.transferred, int(expected.size()));
        EXPECT_EQ(device.ControlErased(), c.erase);
        EXPECT_TRUE(Messages().empty());
    }
}

}  // namespace
