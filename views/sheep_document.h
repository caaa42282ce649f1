// The program's document: a wx document around the flock document core. The core tells the views
// what changed through its own hints; this class adds what the framework needs (title, modified
// state, the save question) and serves the core as its shell and as its automation frame.
#pragma once

#include <wx/docview.h>

#include <functional>

#include "document/sheep_doc.h"
#include "platform/object.h"

class CSheepDocument : public wxDocument, public IDocumentShell, public IDocumentFrame {
    wxDECLARE_DYNAMIC_CLASS(CSheepDocument);

public:
    CSheepDocument();
    ~CSheepDocument() override;

    CSheepDoc& GetCore() { return *m_core; }
    const CSheepDoc& GetCore() const { return *m_core; }

    // What File New runs in place of the New Database wizard; the program's wizard when unset.
    // Automation's Documents.Add and tests make documents without it.
    using NewDocumentHook = std::function<bool(CSheepDocument& doc)>;
    static void SetNewDocumentHook(NewDocumentHook hook);
    // A new document skips the wizard while set (automation's Documents.Add).
    static void SkipNewDatabaseWizard(bool skip);

    bool OnNewDocument() override;
    bool OnOpenDocument(const wxString& file) override;
    bool OnCloseDocument() override;
    bool DeleteContents() override;
    // Asks through the host, so that the question can be answered by a script.
    bool OnSaveModified() override;
    // A document opened read-only (another program holds its file) asks for a name first.
    bool Save() override;
    bool IsModified() const override;
    void Modify(bool modified) override;
    void OnChangeFilename(bool notifyViews) override;

    // ---- IDocumentShell ------------------------------------------------------------------------
    int GetOpenDocumentCount() const override;
    void ClearRecordPane() override;
    void EnableExtractionMenu(bool grey) override;
    bool RunNewEventDialog(CNewEventModel& model) override;
    void RunMultiEventWizard(CSheepDoc& doc, const std::vector<WString>& names, int32_t typeFilter) override;

    // ---- IDocumentFrame ------------------------------------------------------------------------
    WString GetPathName() const override;
    bool IsFirstViewVisible() const override;
    void ShowFirstView(bool show) override;
    void ActivateFirstView() override;
    bool SaveDocument(const WString& path) override;
    // Save As that gives a name typed without an extension the data file's.
    bool SaveAs() override;
    void CloseDocument() override;
    IDispatch* CreateWindows() override;
    bool RunAddressBrowser(long windowHandle, WString* name) override;

protected:
    bool DoSaveDocument(const wxString& file) override;
    bool DoOpenDocument(const wxString& file) override;

private:
    // The views show the whole flock again (after a new or opened flock).
    void RefreshViews();

    CRefPtr<CSheepDoc> m_core;
};
