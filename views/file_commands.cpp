#include "views/file_commands.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/mimetype.h>

#include <fstream>

#include "document/doc_views.h"
#include "document/file_exchange.h"
#include "document/sheep_doc.h"
#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "views/base_list_view.h"

namespace {

constexpr unsigned IDS_UNKNOWN_TYPE = 125;
constexpr unsigned IDS_FILE_FILTER = 166;
constexpr unsigned IDS_RECORDS_EXPORTED = 1015;

// The table's filter ends with "||"; wx wants the pairs only.
wxString FileFilter() {
    WString filter = LoadCvlString(IDS_FILE_FILTER);
    while (!filter.empty() && filter.back() == u'|') filter.pop_back();
    return ToWx(filter);
}

// The filter index is kept 1-based, as it always was.
int StoredFilterIndex() {
    const uint32_t index = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Import Filter", 1);
    return index >= 1 && index <= 3 ? int(index) - 1 : 0;
}

void StoreFilterIndex(int index) {
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Import Filter", uint32_t(index + 1));
}

}  // namespace

bool RunFileImport(wxWindow* parent, CSheepDoc& doc) {
    wxFileDialog dialog(parent, "Import", wxEmptyString, wxEmptyString, FileFilter(),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dialog.SetFilterIndex(StoredFilterIndex());
    if (CvlRunModal(dialog) != wxID_OK) return false;
    StoreFilterIndex(dialog.GetFilterIndex());
    return ImportFile(doc, dialog.GetPath().utf8_string());
}

void RunFileExport(wxWindow* parent, CSheepDoc& doc, wxView* activeView) {
    wxFileDialog dialog(parent, "Export", wxEmptyString, wxEmptyString, FileFilter(),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    dialog.SetFilterIndex(StoredFilterIndex());
    if (CvlRunModal(dialog) != wxID_OK) return;
    StoreFilterIndex(dialog.GetFilterIndex());
    std::string path = dialog.GetPath().utf8_string();
    if (wxFileName(dialog.GetPath()).GetExt().empty()) path += ".TXT";
    ExportToPath(doc, activeView, path);
}

int ExportToPath(CSheepDoc& doc, wxView* activeView, const std::string& path) {
    const int mode = ExportModeOfPath(path);
    if (mode < 0) {
        wxString type = wxFileName(wxString::FromUTF8(path)).GetExt();
        if (wxFileType* fileType = wxTheMimeTypesManager->GetFileTypeFromExtension(type)) {
            wxString description;
            if (fileType->GetDescription(&description) && !description.empty()) type = description;
            delete fileType;
        }
        CvlMessageBox(IDS_UNKNOWN_TYPE, {FromWx(type)}, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    int written = 0;
    auto* docView = dynamic_cast<CDocView*>(activeView);
    const int kind = docView ? docView->GetViewKind() : VIEW_KIND_OTHER;
    const bool recordView = kind == VIEW_KIND_SHEEP;
    if (mode == EXPORT_XML && (recordView || kind == VIEW_KIND_FLOCK)) {
        written = ExportXMLFile(doc, path, recordView);
        if (written < 0) return -1;
    } else if (auto* list = dynamic_cast<CBaseListView*>(activeView)) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            CvlMessageBoxText(Utf8ToW(path + " could not be created."), MB_OK | MB_ICONERROR);
            return -1;
        }
        list->Export(mode, out);
        written = mode == EXPORT_XML ? 0 : int(list->GetRowCount());
    } else {
        // The record view's text modes and any other view write nothing: the file is made empty.
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
    }
    CvlGetHost().SetMessageText(FormatW(WToUtf8(LoadCvlString(IDS_RECORDS_EXPORTED)).c_str(), written));
    return written;
}
