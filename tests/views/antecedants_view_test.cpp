#include "views/antecedants_view.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "document/command_ids.h"
#include "document/sheep_doc.h"
#include "document/ui/page_setup_sheet.h"
#include "document/ui/wx_strings.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/sheep_document.h"

namespace {

class AntecedantsViewTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
    }
    void TearDown() override {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
        ShellTest::TearDown();
    }
    CSheepDoc& core() { return doc->GetCore(); }
    void AddFlock() {
        const struct {
            const char16_t *tattoo, *sire, *dam;
            int32_t sex;
        } flock[] = {{u"R1", u"S1", u"D1", 1}, {u"S1", u"", u"", 1}, {u"D1", u"", u"", 2}};
        for (const auto& a : flock) {
            auto* sheep = new CSheep(a.tattoo, a.sex, &core());
            sheep->SetSire(a.sire);
            sheep->SetDam(a.dam);
            sheep->SetName(WString(u"Name of ") + a.tattoo);
            ASSERT_GE(core().AddSheep(sheep, false), 0);
        }
        core().SelectSheep(u"R1", false, false, nullptr);
    }
    CAntecedantsView* Open() {
        EXPECT_TRUE(Frame()->SwitchView(wxCLASSINFO(CAntecedantsView)));
        Pump();
        for (wxView* v : doc->GetViewsVector())
            if (auto* pedigree = dynamic_cast<CAntecedantsView*>(v)) return pedigree;
        return nullptr;
    }
    // Both parents shown.
    void Grow(CAntecedantsView* view) {
        view->GetTree().SetSelected(view->GetTree().GetRoot());
        view->OnViewParent(true);
        view->OnViewParent(false);
    }

    CSheepDocument* doc = nullptr;
};

bool Enabled(wxView* view, int id) {
    wxUpdateUIEvent event(WxCommandId(id));
    view->ProcessEvent(event);
    return event.GetEnabled();
}

}  // namespace

TEST_F(AntecedantsViewTest, WithoutACurrentAnimalTheViewIsEmptyAndItsCommandsGrey) {
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->GetTree().IsEmpty());
    EXPECT_EQ(view->GetScrollSizes(), wxSize(0, 0));
    for (int id : {ID_VIEW_SIRE, ID_VIEW_DAM, ID_HIDE, ID_RECORD_DETAILS, ID_EDIT_COPY, ID_FILE_PRINT,
                   ID_FILE_PRINT_PREVIEW})
        EXPECT_FALSE(Enabled(view, id)) << id;
    view->OnViewParent(true);
    view->OnCopy();
    view->GetCanvas()->Refresh();
    view->GetCanvas()->Update();
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(FromWx(view->GetFrame()->GetLabel()),
              FromWx(doc->GetUserReadableName()) + u" : Antecedants View");
}

TEST_F(AntecedantsViewTest, ZoomScalesTheScrollSizesButNotThePicture) {
    AddFlock();
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    Grow(view);
    const wxSize full = view->GetScrollSizes();
    const wxBitmap picture = view->RenderPicture();
    ASSERT_TRUE(picture.IsOk());
    view->SetZoom(50);
    EXPECT_NEAR(view->GetScrollSizes().x, full.x / 2, 1);
    EXPECT_NEAR(view->GetScrollSizes().y, full.y / 2, 1);
    EXPECT_EQ(view->RenderPicture().GetSize(), picture.GetSize());
    view->SetZoom(200);
    EXPECT_NEAR(view->GetScrollSizes().x, full.x * 2, 2);
    EXPECT_NEAR(view->GetScrollSizes().y, full.y * 2, 2);
    EXPECT_EQ(view->RenderPicture().GetSize(), picture.GetSize());
}

TEST_F(AntecedantsViewTest, MissingParentAndTheContextMenu) {
    AddFlock();
    core().FindSheep(u"S1")->SetSire(u"NOBODY");
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    Grow(view);
    CAntecedantNode* sire = view->GetTree().GetRoot()->m_pSire.get();
    ASSERT_NE(sire, nullptr);
    // The box's centre on the canvas.
    const CPedigreeMapping mapping = view->GetMapping();
    const wxPoint centre = mapping.ToDevice((sire->m_rect.left + sire->m_rect.right) / 2,
                                            (sire->m_rect.top + sire->m_rect.bottom) / 2);
    wxMenu menu;
    ASSERT_TRUE(view->BuildContextMenu(centre, menu));
    EXPECT_EQ(view->GetTree().GetSelected(), sire);
    EXPECT_TRUE(menu.IsEnabled(WxCommandId(ID_VIEW_SIRE)));
    EXPECT_FALSE(menu.IsEnabled(WxCommandId(ID_VIEW_DAM)));  // no dam named
    EXPECT_TRUE(menu.IsEnabled(WxCommandId(ID_HIDE)));
    view->OnViewParent(true);
    ASSERT_EQ(host.MessageIds(), std::vector<unsigned>{168});
    EXPECT_EQ(host.Messages()[0].text, u"No information exists for NOBODY");
    EXPECT_EQ(host.Messages()[0].helpId, CvlPromptHelpId(168));
    EXPECT_EQ(sire->m_pSire, nullptr);
    wxMenu none;
    EXPECT_FALSE(view->BuildContextMenu(wxPoint(1, 1), none));

    // A click on a box makes its animal current.
    view->MouseDown(centre, false);
    view->MouseUp(centre);
    EXPECT_EQ(core().GetCurrentKey(), u"S1");
}

TEST_F(AntecedantsViewTest, DeletingAnAnimalShownPrunesItsBox) {
    AddFlock();
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    Grow(view);
    int index = -1;
    ASSERT_TRUE(core().FindSheepIndex(u"D1", &index));
    core().DeleteSheep(index);
    core().UpdateAllViews(nullptr, HINT_SHEEP, nullptr);
    EXPECT_EQ(view->GetTree().GetRoot()->m_pDam, nullptr);
    view->GetCanvas()->Refresh();
    view->GetCanvas()->Update();
    ASSERT_TRUE(core().FindSheepIndex(u"R1", &index));
    core().DeleteSheep(index);
    core().UpdateAllViews(nullptr, HINT_SHEEP, nullptr);
    EXPECT_TRUE(view->GetTree().IsEmpty());
    EXPECT_FALSE(Enabled(view, ID_FILE_PRINT));
}

TEST_F(AntecedantsViewTest, PrintingStampsTheLastPrintedTimeButPreviewDoesNot) {
    AddFlock();
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetPrintTitle(), u"Antecedants of R1 Name of R1");  // a ram: his name follows
    auto printPage = [&](bool preview) {
        CAntecedantsPrintout printout(view, *core().GetPageSetup(view), preview);
        wxBitmap paper(850, 1100);
        wxMemoryDC dc(paper);
        printout.SetDC(&dc);
        printout.SetPPIScreen(96, 96);
        printout.SetPPIPrinter(100, 100);
        printout.SetPageSizePixels(850, 1100);
        printout.SetPaperRectPixels(wxRect(0, 0, 850, 1100));
        printout.SetPageSizeMM(216, 279);
        EXPECT_TRUE(printout.OnPrintPage(1));
        EXPECT_FALSE(printout.HasPage(2));
    };
    core().GetSummaryInfo().m_lastPrinted = 0;
    printPage(true);
    EXPECT_EQ(core().GetSummaryInfo().m_lastPrinted, 0u);
    printPage(false);
    const uint64_t first = core().GetSummaryInfo().m_lastPrinted;
    EXPECT_NE(first, 0u);
    core().GetSummaryInfo().m_lastPrinted = 1;
    printPage(false);
    EXPECT_NE(core().GetSummaryInfo().m_lastPrinted, 1u);
}

TEST_F(AntecedantsViewTest, PageSetupReachesTheRecordAndReopensAnOpenPreview) {
    AddFlock();
    CAntecedantsView* view = Open();
    ASSERT_NE(view, nullptr);
    Grow(view);
    core().SetModifiedFlag(false);
    const int left = core().GetPageSetup(view)->m_nLeftMargin;

    // From the menu: cancelled, nothing changes.
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCustPageSetupDialog&>(dialog);
            sheet.PressCancel();
            return int(wxID_CANCEL);
        }});
        wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_FILE_PAGE_SETUP));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }
    EXPECT_EQ(core().GetPageSetup(view)->m_nLeftMargin, left);
    EXPECT_FALSE(core().IsModified());

    view->OnPrintPreview();
    wxFrame* first = view->GetPreviewFrame();
    ASSERT_NE(first, nullptr);
    {
        ModalScript script({[](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCustPageSetupDialog&>(dialog);
            sheet.GetFlow().SetActivePage(1);
            sheet.GetMarginsPage().GetEdit(1125)->ChangeValue("2");
            sheet.PressOk();
            return int(wxID_OK);
        }});
        view->OnPageSetup();
    }
    EXPECT_EQ(core().GetPageSetup(view)->m_nLeftMargin, 200);
    EXPECT_TRUE(core().IsModified()) << "the page setup is saved with the flock";
    EXPECT_TRUE(view->IsPreviewing());
    ASSERT_NE(view->GetPreviewFrame(), nullptr);
    EXPECT_NE(view->GetPreviewFrame(), first) << "the preview reopened with the new setup";
    view->GetPreviewFrame()->Close(true);
    Pump();
    EXPECT_FALSE(view->IsPreviewing());
}
