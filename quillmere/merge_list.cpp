#include "quillmere/merge_list.h"

#include <algorithm>

#include "platform/host.h"

CMergeListModel::CMergeListModel(CStateInfo& node) : m_node(node) {
    for (const auto& child : node.GetChildren()) m_items.push_back({child.get(), child->GetCurrentState()});
}

std::vector<CMergeListModel::CMenuEntry> CMergeListModel::MenuFor(int index) const {
    const CStateInfo& node = GetItem(index);
    const bool mine = node.GetSide(SIDE_THIS) != nullptr, theirs = node.GetSide(SIDE_OTHER) != nullptr;
    std::vector<CMenuEntry> menu;
    if (mine) menu.push_back({cmdReplaceFromThis, theirs ? STATE_OVERWRITE_THERE : STATE_ADD_THERE, true});
    if (theirs) menu.push_back({cmdReplaceFromOther, mine ? STATE_OVERWRITE_HERE : STATE_ADD_HERE, true});
    menu.push_back({cmdSkip, STATE_UP_TO_DATE, true});
    if (mine && theirs && node.GetAssessedState() == STATE_MERGE)
        menu.push_back({cmdMerge, STATE_MERGE, true});
    menu.push_back({cmdShowMe, 0, !node.GetChildren().empty()});
    menu.push_back({cmdWhatsThis, 0, true});
    return menu;
}

void CMergeListModel::UpdateState(int index, int32_t state) {
    GetItem(index).SetCurrentState(state);
    Recount();
}

void CMergeListModel::Revoke() {
    for (const CItem& item : m_items) item.node->SetCurrentState(item.listedState);
    Recount();
}

void CMergeListModel::ShowMeAccepted(int index) {
    CStateInfo& node = GetItem(index);
    node.SetCurrentState(STATE_UP_TO_DATE);
    for (const auto& child : node.GetChildren()) node.CombineState(false, child->GetCurrentState());
    Recount();
}

void CMergeListModel::Recount() {
    CStateInfo* root = &m_node;
    while (root->GetParent()) root = root->GetParent();
    root->RecountOpenItems();
}

WString CMergeListModel::TooltipText(unsigned toolId, int topIndex) const {
    const int row = int(toolId & ~kRightHalf) - 1 + topIndex;
    if (row < 0 || row >= GetCount()) return {};
    const int side = (toolId & kRightHalf) ? SIDE_OTHER : SIDE_THIS;
    char16_t buffer[kTooltipLength + 1];
    const int n = GetItem(row).GetTooltip(side, buffer, kTooltipLength);
    return WString(buffer, size_t(n > 0 ? n : 0));
}

// ---- the host's view of a list --------------------------------------------------------------------

int CMergeList::Run() {
    const int result = m_owner ? m_owner->RunMergeDialog(this) : IDCANCEL;
    if (result == IDOK) return IDOK;
    m_model.Revoke();
    return IDCANCEL;
}

UINT CMergeList::GetDialog() {
    return m_model.GetNode().GetDialogKind() == CStateInfo::documentDialog ? documentDialog : recordDialog;
}

LONG CMergeList::GetState(int row) {
    return InRange(row) ? m_model.GetItem(row).GetCurrentState() : STATE_UP_TO_DATE;
}

int CMergeList::GetKind(int row) {
    return InRange(row) ? m_model.GetItem(row).GetStateKind() : -1;
}

WString CMergeList::GetText(int row, UINT text) {
    if (!InRange(row)) return {};
    const CStateInfo& node = m_model.GetItem(row);
    switch (text) {
        case textThis:
            return node.GetSideText(SIDE_THIS);
        case textOther:
            return node.GetSideText(SIDE_OTHER);
        case textAction:
            return CStateInfo::GetActionText(node.GetCurrentState());
        default:
            return {};
    }
}

int CMergeList::GetMenu(int row, MenuEntry* entries, int max) {
    if (!InRange(row)) return 0;
    const auto menu = m_model.MenuFor(row);
    for (int i = 0; i < int(menu.size()) && i < max && entries; ++i)
        entries[i] = {UINT(menu[size_t(i)].id), menu[size_t(i)].state, menu[size_t(i)].enabled};
    return int(menu.size());
}

void CMergeList::Choose(int row, LONG state) {
    if (!InRange(row)) return;
    // Only what the row's menu offers: a state the apply does not know would be taken as Skip.
    const auto menu = m_model.MenuFor(row);
    if (std::any_of(menu.begin(), menu.end(), [&](const auto& e) { return e.enabled && e.state == state; }) &&
        state != 0)
        m_model.UpdateState(row, state);
}

int CMergeList::ShowMe(int row) {
    if (!InRange(row) || m_model.GetItem(row).GetChildren().empty()) return IDCANCEL;
    CMergeList child(m_model.GetItem(row), m_owner);
    if (child.Run() != IDOK) return IDCANCEL;
    m_model.ShowMeAccepted(row);
    return IDOK;
}
