#include "views/record_breeding_pages.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/imaglist.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "document/ui/wx_strings.h"
#include "platform/strings.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"
#include "views/record_view.h"

namespace {

constexpr unsigned IDS_TREE_DATE = 34;
constexpr long kTreeStyle = wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE;

// Small square images 20 pixels wide: a record, a ram, a ewe (magenta is the transparent colour).
wxImageList* MakeImages(std::initializer_list<wxColour> colours) {
    auto* images = new wxImageList(20, 16, true);
    for (const wxColour& colour : colours) {
        wxBitmap bitmap(20, 16);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(wxBrush(wxColour(255, 0, 255)));
            dc.Clear();
            dc.SetBrush(wxBrush(colour));
            dc.SetPen(*wxBLACK_PEN);
            dc.DrawRectangle(4, 3, 11, 10);
        }
        images->Add(bitmap, wxColour(255, 0, 255));
    }
    return images;
}

// A lambing tree item carries its record.
struct CLambingItem : wxTreeItemData {
    explicit CLambingItem(CEweLambingData* r) : record(r) {}
    CRefPtr<CEweLambingData> record;
};

class CTreeSink : public CLambingTreeSink {
public:
    explicit CTreeSink(wxTreeCtrl* tree) : m_pTree(tree), m_root(tree->GetRootItem()) {}
    void* InsertItem(void* parent, const WString& text, int image, int selectedImage, void* data) override {
        const wxTreeItemId under = parent ? wxTreeItemId(parent) : m_root;
        const wxTreeItemId item = m_pTree->AppendItem(under, ToWx(text), image, selectedImage,
                                                      new CLambingItem(static_cast<CEweLambingData*>(data)));
        return item.GetID();
    }

private:
    wxTreeCtrl* m_pTree;
    wxTreeItemId m_root;
};

// The position of an item among its siblings.
int SiblingIndex(const wxTreeCtrl& tree, const wxTreeItemId& item) {
    int index = 0;
    for (wxTreeItemId sibling = tree.GetPrevSibling(item); sibling.IsOk();
         sibling = tree.GetPrevSibling(sibling))
        ++index;
    return index;
}

// Selects the animal (history pushed, the views told) once the tree's own event is over: the
// pages are rebuilt for the new animal.
void SelectLater(wxWindow* window, CSheepView* view, const WString& key) {
    window->CallAfter([view, key] {
        if (CSheepDoc* core = view->GetCore()) core->SelectSheep(key, true, true, nullptr);
    });
}

using LambingHelp = CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF,
                                   IDC_LAMBING_TREE, IDC_LAMBING_DETAILS>;
CVL_HELP_TABLE(LambingHelp::table);
using TuppingHelp =
    CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF, IDC_TUPPING_TREE>;
CVL_HELP_TABLE(TuppingHelp::table);

}  // namespace

// ---- Lambing ---------------------------------------------------------------------------------------

CSheepViewLambingTab::CSheepViewLambingTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_LAMBING, "Lambing") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_pTree = new wxTreeCtrl(this, IDC_LAMBING_TREE, wxDefaultPosition, wxSize(240, 240), kTreeStyle);
    m_pTree->AssignImageList(MakeImages({*wxLIGHT_GREY, wxColour(70, 110, 200), wxColour(230, 150, 180)}));
    m_pDetails = new wxTextCtrl(this, IDC_LAMBING_DETAILS, "", wxDefaultPosition, wxSize(240, 240),
                                wxTE_MULTILINE | wxTE_READONLY);
    row->Add(m_pTree, 1, wxEXPAND | wxALL, 6);
    row->Add(m_pDetails, 1, wxEXPAND | wxALL, 6);
    top->Add(row, 1, wxEXPAND);
    SetSizer(top);
    m_pTree->AddRoot("");
    m_pTree->Bind(wxEVT_TREE_SEL_CHANGED,
                  [this](wxTreeEvent& event) { OnSelectionChanged(event.GetItem()); });
    m_pTree->Bind(wxEVT_TREE_ITEM_ACTIVATED,
                  [this](wxTreeEvent& event) { OnItemActivated(event.GetItem()); });
    CvlAttachContextHelp(this, LambingHelp::table);
}

void CSheepViewLambingTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    m_pDetails->Clear();
    m_pTree->DeleteAllItems();
    m_pTree->AddRoot("");
    if (!sheep) return;
    CTreeSink sink(m_pTree);
    for (int i = 0; i < sheep->GetLambingCount(); ++i) sheep->GetLambingAt(i)->AddToTree(sink);
}

void CSheepViewLambingTab::OnSelectionChanged(const wxTreeItemId& item) {
    auto* data = item.IsOk() ? static_cast<CLambingItem*>(m_pTree->GetItemData(item)) : nullptr;
    if (!data) return;
    const bool isRoot = m_pTree->GetItemParent(item) == m_pTree->GetRootItem();
    m_pDetails->ChangeValue(
        ToWx(data->record->DescribeTreeItem(isRoot, isRoot ? -1 : SiblingIndex(*m_pTree, item))));
}

void CSheepViewLambingTab::OnItemActivated(const wxTreeItemId& item) {
    auto* data = item.IsOk() ? static_cast<CLambingItem*>(m_pTree->GetItemData(item)) : nullptr;
    if (!data) return;
    const CEweLambingData& record = *data->record;
    WString key = record.GetTup();
    if (!m_pTree->ItemHasChildren(item) && record.GetLambCount() > 0) {
        const int index = SiblingIndex(*m_pTree, item);
        if (index < record.GetLambCount()) key = record.GetLambAt(index)->GetTattoo();
    }
    SelectLater(this, GetView(), key);
}

// ---- Tupping ---------------------------------------------------------------------------------------

CTuppingTreeCtrl::CTuppingTreeCtrl(wxWindow* parent, int id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxSize(240, 240), kTreeStyle) {}

CSheepViewTuppingTab::CSheepViewTuppingTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_TUPPING, "Tupping") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    m_pTree = new CTuppingTreeCtrl(this, IDC_TUPPING_TREE);
    m_pTree->AssignImageList(MakeImages({wxColour(230, 150, 180), *wxLIGHT_GREY}));
    top->Add(m_pTree, 1, wxEXPAND | wxALL, 6);
    SetSizer(top);
    m_pTree->AddRoot("");
    // Only a double click on an item's label goes to the animal it names.
    m_pTree->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& event) {
        event.Skip();
        int flags = 0;
        const wxTreeItemId item = m_pTree->HitTest(event.GetPosition(), flags);
        if (item.IsOk() && (flags & wxTREE_HITTEST_ONITEMLABEL)) OnItemActivated(item);
    });
    CvlAttachContextHelp(this, TuppingHelp::table);
}

void CSheepViewTuppingTab::ShowSheep(CSheep* sheep) {
    m_pTree->DeleteAllItems();
    CSheepViewPage::ShowSheep(sheep);
    const wxTreeItemId root = m_pTree->AddRoot("");
    if (!sheep) return;
    const std::string format = WToUtf8(LoadCvlString(IDS_TREE_DATE));
    wxTreeItemId last;
    for (int i = 0; i < sheep->GetTuppingCount(); ++i) {
        const CRamLambingData& record = *sheep->GetTuppingAt(i);
        const COleDateTime& in = record.GetDateIn();
        last = m_pTree->AppendItem(
            root, in.GetStatus() == COleDateTime::valid ? ToWx(in.Format(format.c_str())) : "", 1, 1);
        for (const WString& ewe : record.GetEwes()) m_pTree->AppendItem(last, ToWx(ewe), 0, 0);
        m_pTree->SortChildren(last);
    }
    m_pTree->SortChildren(root);
    if (last.IsOk()) m_pTree->Expand(last);
}

void CSheepViewTuppingTab::OnItemActivated(const wxTreeItemId& item) {
    if (!item.IsOk()) return;
    // A date names no animal: selecting it changes nothing.
    SelectLater(this, GetView(), FromWx(m_pTree->GetItemText(item)));
}
