#include "document/menu_model.h"

uint32_t CMenuModel::GetItemCommand(int position) const {
    if (position < 0 || position >= int(items.size()) || items[size_t(position)].IsSubmenu()) return 0;
    return items[size_t(position)].command;
}

void CMenuModel::InsertItem(int position, uint32_t command, WString text) {
    if (position < 0) position = 0;
    if (position > int(items.size())) position = int(items.size());
    items.insert(items.begin() + position, CMenuModelItem{command, std::move(text), nullptr});
}

std::shared_ptr<CMenuModel> CMenuModel::AppendSubmenu(WString text) {
    auto submenu = std::make_shared<CMenuModel>();
    items.push_back(CMenuModelItem{0, std::move(text), submenu});
    return submenu;
}
