// The program's document: a wx document around the flock document core. The core tells the views
// what changed through its own hints; this class adds what the framework needs (title, modified
// state, the save question).
#pragma once

#include <wx/docview.h>

#include "document/sheep_doc.h"

class CSheepDocument : public wxDocument {
    wxDECLARE_DYNAMIC_CLASS(CSheepDocument);

public:
    CSheepDocument();
    ~CSheepDocument() override;

    CSheepDoc& GetCore() { return m_core; }
    const CSheepDoc& GetCore() const { return m_core; }

    bool OnNewDocument() override;
    bool OnCloseDocument() override;
    bool DeleteContents() override;
    // Asks through the host, so that the question can be answered by a script.
    bool OnSaveModified() override;
    bool Save() override;
    bool IsModified() const override;
    void Modify(bool modified) override;
    void OnChangeFilename(bool notifyViews) override;

protected:
    bool DoSaveDocument(const wxString& file) override;
    bool DoOpenDocument(const wxString& file) override;

private:
    CSheepDoc m_core;
};
