#include "document/image_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

CImageFolderList::CImageFolderList(const std::vector<WString>& folders) {
    for (WString folder : folders) {
        while (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
        if (!folder.empty()) m_entries.push_back(std::move(folder));
    }
}

void CImageFolderList::Select(int index) {
    m_nSelection = index >= 0 && index < int(m_entries.size()) ? index : -1;
}

void CImageFolderList::New() {
    if (IsEditing()) CancelEdit();
    m_entries.emplace_back();
    m_nSelection = int(m_entries.size()) - 1;
    m_nEditing = m_nSelection;
}

bool CImageFolderList::BeginEdit(int index) {
    if (index < 0 || index >= int(m_entries.size())) return false;
    if (IsEditing() && m_nEditing != index) CancelEdit();
    m_nEditing = index;
    m_nSelection = index;
    return true;
}

void CImageFolderList::EndEdit(const WString& text,
                               const std::function<bool(const WString& folder)>& confirm) {
    if (!IsEditing()) return;
    const int index = std::exchange(m_nEditing, -1);
    WString folder = text;
    while (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
    if (folder.empty()) {
        Remove(index);
        return;
    }
    if (FolderExists(folder) || (confirm && confirm(folder))) {
        m_entries[size_t(index)] = std::move(folder);
    } else if (m_entries[size_t(index)].empty()) {
        // A new entry refused before it ever had a text is not kept empty.
        Remove(index);
    }
}

void CImageFolderList::CancelEdit() {
    if (!IsEditing()) return;
    const int index = std::exchange(m_nEditing, -1);
    if (m_entries[size_t(index)].empty()) Remove(index);
}

void CImageFolderList::Remove(int index) {
    m_entries.erase(m_entries.begin() + index);
    if (m_nSelection >= int(m_entries.size())) m_nSelection = int(m_entries.size()) - 1;
}

bool CImageFolderList::Delete() {
    CancelEdit();
    if (!CanDelete()) return false;
    m_entries.erase(m_entries.begin() + m_nSelection);
    // Nothing is selected afterwards, as in a list whose selected entry went.
    m_nSelection = -1;
    return true;
}

bool CImageFolderList::MoveUp() {
    CancelEdit();
    if (!CanMoveUp()) return false;
    std::swap(m_entries[size_t(m_nSelection)], m_entries[size_t(m_nSelection - 1)]);
    --m_nSelection;
    return true;
}

bool CImageFolderList::MoveDown() {
    CancelEdit();
    if (!CanMoveDown()) return false;
    std::swap(m_entries[size_t(m_nSelection)], m_entries[size_t(m_nSelection + 1)]);
    ++m_nSelection;
    return true;
}

std::vector<WString> CImageFolderList::Result() const {
    std::vector<WString> folders;
    for (const WString& entry : m_entries)
        if (!entry.empty()) folders.push_back(entry);
    return folders;
}

bool CImageFolderList::FolderExists(const WString& folder) {
    struct stat info {};
    return ::stat(WToUtf8(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
