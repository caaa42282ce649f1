// The list of picture folders as the Images page edits it: entries, selection, one entry edited in
// place, moves and deletes.
#pragma once

#include <functional>
#include <vector>

#include "platform/text.h"

class CImageFolderList {
public:
    // The application's folders, each shown without its trailing separator.
    explicit CImageFolderList(const std::vector<WString>& folders);

    const std::vector<WString>& Entries() const { return m_entries; }
    int GetSelection() const { return m_nSelection; }
    void Select(int index);
    bool IsEditing() const { return m_nEditing >= 0; }
    int GetEditIndex() const { return m_nEditing; }

    // A new empty entry at the end, selected and edited.
    void New();
    bool BeginEdit(int index);
    // Finishes the edit with the typed text: an empty text takes the entry out; a folder that does
    // not exist is kept only when confirm says so (else the entry keeps its previous text).
    void EndEdit(const WString& text, const std::function<bool(const WString& folder)>& confirm);
    // Drops the edit without storing; a new entry that never got a text goes.
    void CancelEdit();

    // Each acts on the selected entry; an edit in progress must have been finished first (it is
    // cancelled otherwise). False when nothing changed.
    bool Delete();
    bool MoveUp();
    bool MoveDown();
    bool CanDelete() const { return m_nSelection >= 0; }
    bool CanMoveUp() const { return m_nSelection > 0; }
    bool CanMoveDown() const { return m_nSelection >= 0 && m_nSelection + 1 < int(m_entries.size()); }

    // What OK hands to the application: the entries in order, empty ones left out.
    std::vector<WString> Result() const;

    // Whether a folder exists, without touching the working directory.
    static bool FolderExists(const WString& folder);

private:
    void Remove(int index);

    std::vector<WString> m_entries;
    int m_nSelection = -1;
    int m_nEditing = -1;
};
