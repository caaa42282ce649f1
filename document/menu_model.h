// A menu without a GUI: the document edits it, the shell renders it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/text.h"

class CMenuModel;

struct CMenuModelItem {
    uint32_t command = 0;  // 0 for a separator or a submenu
    WString text;
    std::shared_ptr<CMenuModel> submenu;  // set for a submenu

    bool IsSubmenu() const { return submenu != nullptr; }
};

class CMenuModel {
public:
    std::vector<CMenuModelItem> items;

    // The command of the item at position; 0 for a separator, a submenu or a position outside.
    uint32_t GetItemCommand(int position) const;
    void InsertItem(int position, uint32_t command, WString text);
    void AppendItem(uint32_t command, WString text) {
        InsertItem(int(items.size()), command, std::move(text));
    }
    std::shared_ptr<CMenuModel> AppendSubmenu(WString text);
};

// What the document needs of the main frame to rebuild its Reports menu: the menu bar and the
// Reporting toolbar's list of reports.
class IReportsMenuSite {
public:
    virtual CMenuModel* GetMenuBar() = 0;
    virtual void ResetReportList() = 0;
    virtual void AddReport(const WString& name, int reportId) = 0;
    // The menu changed: the shell renders it again.
    virtual void OnMenuChanged() {}

protected:
    ~IReportsMenuSite() = default;
};
