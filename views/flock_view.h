// The flock list: one row per animal of the document that matches its criteria, in the columns the
// user chose, in its own child window.
#pragma once

#include <wx/dataobj.h>
#include <wx/docmdi.h>

#include "abi/reader_abi.h"
#include "views/base_list_view.h"

class CSheep;

class CFlockChildWnd : public wxDocMDIChildFrame {
public:
    CFlockChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
};

class CFlockView : public CBaseListView {
    wxDECLARE_DYNAMIC_CLASS(CFlockView);

public:
    CFlockView();
    ~CFlockView() override;

    int GetViewKind() const override { return VIEW_KIND_FLOCK; }
    bool IsListView() const override { return true; }

    CSheep* GetRowSheep(long row) const;
    // The kind of list shown: the document's criteria kind (0, the animals on the farm, until the
    // document keeps criteria).

    void OnColumnsChanged(CObject* hint) override;
    void FillList() override;
    // Rows whose animal left the document (deleted from any view) go.
    void OnRecordChanged(CObject* hint) override;
    void SortItems(unsigned sortWord) override;
    WString GetTitle() const override;
    void ShowContextMenu(wxWindow* window, const wxPoint& screen) override;
    void CopyToDataSource(wxDataObjectComposite& source) override;
    bool CanPaste() const override;
    void PasteFromDataObject(wxDataObject& data) override;
    bool ConfirmDelete() override;
    void DeleteRow(long row) override;
    void OpenRow(long row) override;

    void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) override;
    // Shows the animal's row as the only selected one, offering to show all animals when the
    // criteria hide it.
    void ShowSheep(CSheep* sheep);

    // The reader plug-in's requests to this window: WM_EIDSOURCE and WM_EIDTRANSFERPAGE.
    intptr_t OnReaderMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // What the reader wizards are given as their parent.
    EIDSourceWindow GetReaderSource();
    // Upload to the reader: the wizard takes the animals from this list.
    void OnUploadToReader();
    bool CanUploadToReader() const;

    // The clipboard format of copied animals.
    static const wxDataFormat& GetClipboardFormat();
    // The private block of a copy: the document's title, the count, then each animal's archive form.
    std::vector<uint8_t> BuildClipboardBlock(const std::vector<long>& rows) const;
    // The text of a copy: a byte-order mark, then each row's cells separated by tabs, lines ended by CR LF.
    WString BuildClipboardText(const std::vector<long>& rows) const;

protected:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

    // Multiple Data Entry: the wizard for the selected rows' animals, top row first.
    void OnMultipleDataEntry();

private:
    void OnDetails();
};
