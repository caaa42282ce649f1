#include "views/sheep_document.h"

#include "platform/host.h"
#include "records/sheep.h"
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

std::vector<unsigned> CSheepDocument::GetColumnLayout() const {
    // The layout of a list that shows the animals on the farm or all animals.
    return {SF_TATTOO, SF_EARTAG_NUMBER, SF_EARTAG_COLOUR, SF_SEX, SF_NAME, SF_SIRE, SF_DAM};
}

bool CSheepDocument::GetFieldCaption(unsigned field, WString& caption) const {
    static const char16_t* const kCaptions[] = {
        u"",
        u"Tattoo",
        u"Eartag Number",
        u"Eartag Colour",
        u"Date of Birth",
        u"Date of Purchase",
        u"Date of Depart",
        u"Reason for Depart",
        u"Sex",
        u"One of",
        u"Sire",
        u"Dam",
        u"Name",
        u"Record",
        u"Row",
        u"Comments",
        u"Signet Lean Index",
        u"Signet 8wk Weight",
        u"Signet Fat Depth",
        u"Signet Litter EBV",
        u"Signet Maternal EBV",
        u"Signet Mature EBV",
        u"Signet Muscle Weight EBV",
        u"Signet Scan Weight EBV",
        u"Signet Maternal Weight",
        u"Signet Scan Weight",
        u"Signet Muscle Depth",
        u"Signet Fat Depth",
        u"Signet AWT",
        u"Electronic ID",
        u"Scrapie Genotype",
    };
    int32_t readOnly = 0;
    if (field >= SF_FLAG_FIRST && field <= SF_FLAG_LAST)
        caption = m_core.GetBreedFlag(int32_t(field - SF_FLAG_FIRST), &readOnly);
    else if (field < std::size(kCaptions))
        caption = kCaptions[field];
    else
        caption.clear();
    return !caption.empty();
}
