#include "quillmere/merge_list.h"

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
