#include "quillmere/ui/host_window.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/html/helpctrl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <atomic>
#include <thread>

#include "briefcase_support.h"
#include "quillmere/ui/merge_dialogs.h"
#include "support/modal_script.h"

namespace {

constexpr double kMinute = 1.0 / 24 / 60;
using Step = std::function<int(wxDialog&)>;

// A1 and A2 renamed in both copies after pairing: both animals need a decision.
struct CConflictingEdits : CBriefcase {
    CConflictingEdits()
        : CBriefcase([](CSheepDoc& d) {
              AddAnimal(d, u"A1", kBefore, u"Ann");
              AddAnimal(d, u"A2", kBefore, u"Bea");
          }) {
        Change(replica, [](CSheepDoc& d, double ref) {
            Rename(d, u"A1", u"Ada", ref + kMinute);
            Rename(d, u"A2", u"Bel", ref + kMinute);
        });
        Change(original, [](CSheepDoc& d, double ref) {
            Rename(d, u"A1", u"Amy", ref + 2 * kMinute);
            Rename(d, u"A2", u"Bo", ref + 2 * kMinute);
        });
    }
};

CMergeDialog& AsMerge(wxDialog& dialog) {
    auto* merge = dynamic_cast<CMergeDialog*>(&dialog);
    EXPECT_NE(merge, nullptr);
    return *merge;
}

bool UpdateEnabled(wxDialog& dialog) {
    return dialog.FindWindow(wxID_OK)->IsEnabled();
}

// The row whose left (this copy's) description starts with the animal's tattoo.
int RowOf(CReconcilerListBox& list, const wxString& tattoo) {
    for (size_t i = 0; i < list.GetItemCount(); ++i) {
        const wxRect rect = list.GetItemRect(i);
        if (list.TooltipAt(rect.GetLeftTop() + wxPoint(4, 2)).Contains(tattoo == "A1" ? "Ada" : "Bel"))
            return int(i);
    }
    ADD_FAILURE() << "no row for " << tattoo;
    return 0;
}

// Runs the window's update, pumping events until it has ended.
bool RunUpdate(CHostFrame& frame) {
    bool ended = false, result = false;
    frame.onUpdateDone = [&](bool ok) {
        ended = true;
        result = ok;
    };
    EXPECT_TRUE(frame.StartUpdate());
    while (!ended) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxMilliSleep(2);
    }
    return result;
}

wxString StateOf(CHostFrame& frame, long row) {
    return frame.GetPairs().GetItemText(row, 2);
}

}  // namespace

// The window over a folder whose pair both changed the same two animals: the merge dialogs come up,
// the farmer takes this copy's name for one and the file's for the other (after cancelling a first
// try in the animal's own dialog), and both files end up with the chosen names.
TEST(HostWindow, ConflictsAreDecidedInTheMergeDialogs) {
    CConflictingEdits b;
    auto* frame = new CHostFrame(b.stick, CVL_QUILLMERE_LIBRARY);
    ASSERT_EQ(frame->GetPairs().GetItemCount(), 1);
    EXPECT_EQ(StateOf(*frame, 0), CHostFrame::StateText(CReplicaHost::bothChanged));

    int a1 = -1, a2 = -1;
    ModalScript script(std::vector<Step>{
        [&](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetTitle(), "Update Corvalen");
            CReconcilerListBox& list = AsMerge(dialog).GetList();
            EXPECT_EQ(list.GetId(), 1001);
            EXPECT_EQ(list.GetItemCount(), 2u);
            EXPECT_FALSE(UpdateEnabled(dialog));
            a1 = RowOf(list, "A1");
            a2 = RowOf(list, "A2");
            // The two halves of a row explain the two copies: this one on the left, the file on the right.
            const wxRect rect = list.GetItemRect(size_t(a1));
            EXPECT_TRUE(list.TooltipAt(rect.GetLeftTop() + wxPoint(4, 2)).Contains("Ada"));
            EXPECT_TRUE(list.TooltipAt(wxPoint(rect.GetRight() - 4, rect.y + 2)).Contains("Amy"));

            // First try in A1's own dialog cancelled: A1 stays undecided.
            list.RunCommand(a1, CMergeCommands::cmdShowMe);
            EXPECT_FALSE(UpdateEnabled(dialog));
            // Second try taken: this copy's name for A1.
            list.RunCommand(a1, CMergeCommands::cmdShowMe);
            EXPECT_FALSE(UpdateEnabled(dialog));
            // The file's name for A2, from the context menu's command: nothing is left undecided.
            list.RunCommand(a2, CMergeCommands::cmdReplaceFromOther);
            EXPECT_TRUE(UpdateEnabled(dialog));

            list.RunCommand(a2, CMergeCommands::cmdWhatsThis);
            EXPECT_NE(MergeHelpController(), nullptr);
            if (MergeHelpController()) {
                EXPECT_NE(MergeHelpController()->GetFrame(), nullptr);
            }
            return UpdateEnabled(dialog) ? wxID_OK : wxID_CANCEL;
        },
        [&](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetTitle(), "Merge Tattoo");
            CReconcilerListBox& list = AsMerge(dialog).GetList();
            EXPECT_EQ(list.GetId(), 1002);
            EXPECT_EQ(list.GetItemCount(), 1u);
            EXPECT_FALSE(UpdateEnabled(dialog));
            list.RunCommand(0, CMergeCommands::cmdReplaceFromOther);
            EXPECT_TRUE(UpdateEnabled(dialog));
            return int(wxID_CANCEL);
        },
        [&](wxDialog& dialog) {
            CReconcilerListBox& list = AsMerge(dialog).GetList();
            EXPECT_FALSE(UpdateEnabled(dialog));  // the cancelled choice is gone
            list.RunCommand(0, CMergeCommands::cmdReplaceFromThis);
            EXPECT_TRUE(UpdateEnabled(dialog));
            return int(wxID_OK);
        },
    });
    EXPECT_TRUE(RunUpdate(*frame)) << frame->GetLog().GetValue().utf8_string();

    for (const std::string& path : {b.original, b.replica}) {
        auto flock = ReadFlock(path);
        EXPECT_EQ(NameOf(*flock, u"A1"), u"Ada") << path;
        EXPECT_EQ(NameOf(*flock, u"A2"), u"Bo") << path;
    }
    EXPECT_EQ(StateOf(*frame, 0), CHostFrame::StateText(CReplicaHost::inStep));
    EXPECT_EQ(frame->GetGauge().GetValue(), frame->GetGauge().GetRange());
    EXPECT_TRUE(frame->GetLog().GetValue().Contains("Reconciled"));
    frame->Destroy();
    wxTheApp->ProcessIdle();
}

// Cancel in the flock's dialog: nothing is written, the window says so
// and the pair still needs its update.
TEST(HostWindow, ACancelledUpdateWritesNothing) {
    CConflictingEdits b;
    const auto mine = FileBytes(b.replica), theirs = FileBytes(b.original);
    auto* frame = new CHostFrame(b.stick, CVL_QUILLMERE_LIBRARY);
    {
        ModalScript script(std::vector<Step>{[](wxDialog& dialog) {
            AsMerge(dialog).GetList().RunCommand(0, CMergeCommands::cmdSkip);
            return int(wxID_CANCEL);
        }});
        EXPECT_FALSE(RunUpdate(*frame));
    }
    EXPECT_EQ(FileBytes(b.replica), mine);
    EXPECT_EQ(FileBytes(b.original), theirs);
    EXPECT_TRUE(frame->GetLog().GetValue().Contains("cancelled")) << frame->GetLog().GetValue();
    EXPECT_EQ(StateOf(*frame, 0), CHostFrame::StateText(CReplicaHost::bothChanged));
    EXPECT_TRUE(frame->GetUpdateButton().IsEnabled());
    frame->Destroy();
    wxTheApp->ProcessIdle();
}

// The window forced shut while the update waits on an animal's dialog (over the flock's): both
// dialogs are answered with Cancel whatever they would have said, the worker ends without writing,
// and the window goes once the update has ended.
TEST(HostWindow, AForcedCloseCancelsTheDialogsTheUpdateWaitsOn) {
    CConflictingEdits b;
    const auto mine = FileBytes(b.replica), theirs = FileBytes(b.original);
    auto* frame = new CHostFrame(b.stick, CVL_QUILLMERE_LIBRARY);
    wxWeakRef<CHostFrame> alive(frame);
    ModalScript script(std::vector<Step>{
        [&](wxDialog& dialog) {
            CReconcilerListBox& list = AsMerge(dialog).GetList();
            list.RunCommand(RowOf(list, "A2"), CMergeCommands::cmdReplaceFromOther);
            list.RunCommand(RowOf(list, "A1"), CMergeCommands::cmdShowMe);
            return int(wxID_OK);
        },
        [&](wxDialog& dialog) {
            AsMerge(dialog).GetList().RunCommand(0, CMergeCommands::cmdReplaceFromThis);
            EXPECT_TRUE(UpdateEnabled(dialog));
            EXPECT_TRUE(frame->Close(true));
            EXPECT_TRUE(alive);  // not while the worker may still call it
            EXPECT_FALSE(frame->IsShown());
            return int(wxID_OK);
        },
    });
    EXPECT_FALSE(RunUpdate(*frame));
    EXPECT_EQ(FileBytes(b.replica), mine);
    EXPECT_EQ(FileBytes(b.original), theirs);
    for (int i = 0; i < 50 && alive; ++i) wxTheApp->ProcessIdle();
    EXPECT_FALSE(alive);
}

// The reconciler's boxes come from the worker that runs the update: they are shown on the GUI thread,
// and the button chosen goes back to the worker.
TEST(HostWindow, TheReconcilersBoxesAreShownOnTheGuiThread) {
    CTempFolder dir;
    auto* frame = new CHostFrame(dir.Path(""), CVL_QUILLMERE_LIBRARY);
    wxString shown;
    bool onGuiThread = false;
    ModalScript script(std::vector<Step>{[&](wxDialog& dialog) {
        onGuiThread = wxIsMainThread();
        shown = dialog.GetTitle() + ": " + static_cast<wxMessageDialog&>(dialog).GetMessage();
        return int(wxID_CANCEL);
    }});
    std::atomic<int> answer{0};
    std::thread worker([&] {
        IReplicaHostUI& ui = *frame;
        answer = ui.ShowMessage("Error", "Access Denied", MB_OKCANCEL | MB_ICONEXCLAMATION);
    });
    while (answer == 0) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxMilliSleep(2);
    }
    worker.join();
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(shown, "Error: Access Denied");
    EXPECT_EQ(answer, IDCANCEL);
    frame->Destroy();
    wxTheApp->ProcessIdle();
}

namespace {

std::vector<unsigned char> PixelsOf(const wxBitmap& bitmap) {
    const wxImage image = bitmap.ConvertToImage();
    return std::vector<unsigned char>(image.GetData(), image.GetData() + image.GetWidth() * image.GetHeight() * 3);
}

}  // namespace

// Every node kind a list can hold has its own image, with a transparent background; others have none.
TEST(MergeDialogs, EachKindHasItsOwnImage) {
    std::vector<std::vector<unsigned char>> seen;
    for (int kind : {5, 6, 7, 8, 9, 10, 11}) {
        SCOPED_TRACE(kind);
        const wxBitmap image = CReconcilerListBox::KindImage(kind);
        ASSERT_TRUE(image.IsOk());
        EXPECT_EQ(image.GetSize(), wxSize(16, 16));
        const wxImage pixels = image.ConvertToImage();
        ASSERT_TRUE(pixels.HasMask());
        EXPECT_TRUE(pixels.IsTransparent(0, 15));
        auto mine = PixelsOf(image);
        for (const auto& other : seen) EXPECT_NE(mine, other);
        seen.push_back(std::move(mine));
    }
    for (int kind : {-1, 0, 4, 12}) EXPECT_FALSE(CReconcilerListBox::KindImage(kind).IsOk()) << kind;
}

// A selected row's image is mixed toward the highlight; its transparent pixels stay transparent, and
// no painted pixel may turn transparent by landing on the mask colour.
TEST(MergeDialogs, BlendingKeepsTheMask) {
    wxImage source(2, 1);
    source.SetRGB(0, 0, 255, 0, 255);  // transparent
    source.SetRGB(1, 0, 255, 0, 0);
    source.SetMaskColour(255, 0, 255);
    const wxBitmap image(source);
    struct Case {
        int percent;
        wxColour colour;
        int red, green, blue;
    } const cases[] = {
        {0, *wxBLACK, 255, 0, 0},
        {50, wxColour(0, 0, 0), 128, 0, 0},
        {25, wxColour(0, 0, 200), 192, 0, 50},
        {100, wxColour(255, 0, 255), -1, -1, -1},  // lands on the mask colour: only stays painted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        const wxImage out = CReconcilerListBox::Blend(image, c.percent, c.colour).ConvertToImage();
        EXPECT_TRUE(out.IsTransparent(0, 0));
        EXPECT_FALSE(out.IsTransparent(1, 0));
        if (c.red < 0) continue;
        EXPECT_EQ(out.GetRed(1, 0), c.red);
        EXPECT_EQ(out.GetGreen(1, 0), c.green);
        EXPECT_EQ(out.GetBlue(1, 0), c.blue);
    }
}
