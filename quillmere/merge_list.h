// What a merge dialog shows and lets the user change, without the window: the children of one node
// of the merge tree, the state each had when listed (so that Cancel can take the choices back), the
// actions its context menu offers, the tooltips of a row's two halves, and whether Update may be
// pressed.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"
#include "quillmere/merge_tree.h"
#include "quillmere/reconciler_abi.h"

class CMergeListModel : public CMergeCommands {
public:
    struct CMenuEntry {
        int id;
        int32_t state;  // the state the action chooses (0 for Show Me and What's This?)
        bool enabled;
        bool operator==(const CMenuEntry&) const = default;
    };
    // A tool id's top bit: the right half of a row, the other copy's record.
    static constexpr unsigned kRightHalf = 0x80000000u;
    static constexpr int kTooltipLength = 80;

    explicit CMergeListModel(CStateInfo& node);

    CStateInfo& GetNode() const { return m_node; }
    int GetCount() const { return int(m_items.size()); }
    CStateInfo& GetItem(int index) const { return *m_items[size_t(index)].node; }

    // The context menu of a row, in menu order.
    std::vector<CMenuEntry> MenuFor(int index) const;
    // The user's choice for a row; the undecided counts of the whole tree follow it.
    void UpdateState(int index, int32_t state);
    // Every row back to the state it had when listed, and the counts with them.
    void Revoke();
    // The row's own dialog ended with Update: its state becomes what its children's states make.
    void ShowMeAccepted(int index);
    // Update may be pressed once nothing below the node is undecided.
    bool CanUpdate() const { return m_node.GetOpenItems() == 0; }
    // The tip of a tool (row number + 1, with kRightHalf for the right half) with the list scrolled to
    // topIndex; empty when the row is out of range or that side has no record.
    WString TooltipText(unsigned toolId, int topIndex) const;

private:
    struct CItem {
        CStateInfo* node;
        int32_t listedState;
    };
    void Recount();

    CStateInfo& m_node;
    std::vector<CItem> m_items;
};

// A node's list as the host's dialogs see it; Show Me asks the owner for the row's own dialog.
class CMergeList : public IMergeList {
public:
    CMergeList(CStateInfo& node, IReconcileOwner* owner) : m_model(node), m_owner(owner) {}
    virtual ~CMergeList() = default;

    // The node's dialog through the owner; a dialog that does not end with Update leaves every row
    // as it was listed.
    int Run();

    UINT GetDialog() override;
    int GetCount() override { return m_model.GetCount(); }
    LONG GetState(int row) override;
    int GetKind(int row) override;
    WString GetText(int row, UINT text) override;
    WString GetActionName(LONG state) override { return CStateInfo::GetActionText(state); }
    int GetMenu(int row, MenuEntry* entries, int max) override;
    void Choose(int row, LONG state) override;
    int ShowMe(int row) override;
    BOOL CanUpdate() override { return m_model.CanUpdate(); }
    WString GetTooltip(UINT toolId, int topIndex) override { return m_model.TooltipText(toolId, topIndex); }

private:
    bool InRange(int row) const { return row >= 0 && row < m_model.GetCount(); }

    CMergeListModel m_model;
    IReconcileOwner* m_owner;
};
