#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "document/ui/context_help.h"
#include "platform/host.h"
#include "records/sheep.h"
#include "views/record_pages.h"
#include "views/record_view.h"

namespace {
constexpr unsigned IDS_BOTH_ALLELES = 188;
using GeneticsHelp = CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF,
                                    IDC_GENETICS_FIRST, IDC_GENETICS_SECOND>;
CVL_HELP_TABLE(GeneticsHelp::table);
}  // namespace

CSheepViewGeneticsTab::CSheepViewGeneticsTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_GENETICS, "Genetics") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    auto* group = new wxStaticBoxSizer(wxHORIZONTAL, this, "Scrapie");
    m_pFirst = new wxChoice(group->GetStaticBox(), IDC_GENETICS_FIRST);
    m_pSecond = new wxChoice(group->GetStaticBox(), IDC_GENETICS_SECOND);
    // The item data is the allele's number; the lists keep this order.
    for (wxChoice* list : {m_pFirst, m_pSecond})
        for (const char* allele : {"---", "ARR", "AHQ", "ARH", "ARQ", "VRQ"}) list->Append(allele);
    group->Add(m_pFirst, 0, wxALL, 6);
    group->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "/"), 0, wxALIGN_CENTER_VERTICAL);
    group->Add(m_pSecond, 0, wxALL, 6);
    top->Add(group, 0, wxALL, 6);
    SetSizer(top);

    WatchEdit(m_pFirst, [this] { return WriteGenotype(); });
    WatchEdit(m_pSecond, [this] { return WriteGenotype(); });
    m_pFirst->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
        event.Skip();
        OnAlleleChanged(m_pFirst, m_pSecond);
    });
    m_pSecond->Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) {
        event.Skip();
        OnAlleleChanged(m_pSecond, m_pFirst);
    });
    CvlAttachContextHelp(this, GeneticsHelp::table);
}

void CSheepViewGeneticsTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    m_pFirst->Enable(sheep != nullptr);
    m_pSecond->Enable(sheep != nullptr);
    m_pLastChanged = nullptr;
    int first = 0, second = 0;
    if (sheep) SplitGenotype(sheep->GetGeneticScrapie(), &first, &second);
    m_pFirst->SetSelection(first);
    m_pSecond->SetSelection(second);
}

void CSheepViewGeneticsTab::OnAlleleChanged(wxChoice* changed, wxChoice* other) {
    m_pLastChanged = changed;
    if (changed->GetSelection() == 0 && other->GetSelection() != 0) {
        other->SetSelection(0);
        SetPending(other, true);
    }
}

bool CSheepViewGeneticsTab::WriteGenotype() {
    // Both lists write together: the decision is the one for the list being left.
    if (!IsPending(m_pFirst) && !IsPending(m_pSecond) && !m_pLastChanged) return true;
    wxWindow* focus = FindFocus();
    const bool leavingFirst = focus == m_pFirst || (focus != m_pSecond && m_pLastChanged == m_pFirst);
    SetPending(m_pFirst, false);
    SetPending(m_pSecond, false);
    m_pLastChanged = nullptr;
    const GenotypeOutcome outcome =
        DecideGenotype(leavingFirst, std::max(0, m_pFirst->GetSelection()), std::max(0, m_pSecond->GetSelection()));
    switch (outcome.kind) {
        case GenotypeOutcome::Store:
            if (m_shown->SetFieldValue(SF_GENETIC_SCRAPIE, &outcome.genotype)) AnimalChanged(m_shown.Get());
            // A genotype completed after a half choice no longer holds the animal.
            GetView()->GetNavigator().ClearVeto();
            break;
        case GenotypeOutcome::FocusSecond:
            m_pSecond->SetFocus();
            Veto();
            break;
        case GenotypeOutcome::Refuse:
            CvlMessageBox(IDS_BOTH_ALLELES, MB_OK | MB_ICONEXCLAMATION);
            Veto();
            break;
    }
    return true;
}
