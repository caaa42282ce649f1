#include "views/sheep_document.h"

#include "platform/host.h"
#include "views/wx_text.h"

wxIMPLEMENT_DYNAMIC_CLASS(CSheepDocument, wxDocument);

CSheepDocument::CSheepDocument() = default;
CSheepDocument::~CSheepDocument() = default;

bool CSheepDocument::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    m_core.SetTitle(FromWx(GetUserReadableName()));
    m_core.SetModifiedFlag(false);
    return true;
}

bool CSheepDocument::OnCloseDocument() {
    return wxDocument::OnCloseDocument();
}

bool CSheepDocument::DeleteContents() {
    m_core.DeleteContents();
    return true;
}

bool CSheepDocument::IsModified() const {
    return m_core.IsModified();
}

void CSheepDocument::Modify(bool modified) {
    m_core.SetModifiedFlag(modified);
    wxDocument::Modify(modified);
}

void CSheepDocument::OnChangeFilename(bool notifyViews) {
    wxDocument::OnChangeFilename(notifyViews);
    m_core.SetTitle(FromWx(GetUserReadableName()));
}

bool CSheepDocument::OnSaveModified() {
    if (!IsModified()) return true;
    const int answer = CvlMessageBoxText(u"Save changes to " + FromWx(GetUserReadableName()) + u"?",
                                         MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) {
        Modify(false);
        return true;
    }
    return Save();
}

bool CSheepDocument::Save() {
    // Data files are written by the data-file layer, which this build does not have yet.
    return false;
}

bool CSheepDocument::DoSaveDocument(const wxString&) {
    // Data files are written by the data-file layer, which this build does not have yet.
    return false;
}

bool CSheepDocument::DoOpenDocument(const wxString&) {
    return false;
}
