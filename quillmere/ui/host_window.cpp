#include "quillmere/ui/host_window.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dirdlg.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <future>
#include <type_traits>

#include "document/ui/sheet.h"
#include "quillmere/ui/merge_dialogs.h"

namespace {

// Runs f on the GUI thread and waits for its result; at once when called there.
template <class F>
auto OnGuiThread(wxEvtHandler& handler, F f) -> decltype(f()) {
    using R = decltype(f());
    if (wxIsMainThread()) return f();
    std::promise<R> done;
    auto result = done.get_future();
    handler.CallAfter([&] {
        if constexpr (std::is_void_v<R>) {
            f();
            done.set_value();
        } else {
            done.set_value(f());
        }
    });
    return result.get();
}

}  // namespace

CHostFrame::CHostFrame(std::string folder, std::string library)
    : wxFrame(nullptr, wxID_ANY, "Corvalen briefcase", wxDefaultPosition, wxSize(760, 480)),
      m_library(std::move(library)) {
    auto* panel = new wxPanel(this);
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* head = new wxBoxSizer(wxHORIZONTAL);
    m_pFolder = new wxStaticText(panel, wxID_ANY, "");
    head->Add(m_pFolder, 1, wxALIGN_CENTER_VERTICAL);
    m_pChoose = new wxButton(panel, wxID_ANY, "Folder...");
    head->Add(m_pChoose, 0, wxLEFT, 6);
    top->Add(head, 0, wxEXPAND | wxALL, 8);

    m_pPairs = new wxListCtrl(panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 160), wxLC_REPORT | wxLC_SINGLE_SEL);
    m_pPairs->AppendColumn("Briefcase copy", wxLIST_FORMAT_LEFT, 180);
    m_pPairs->AppendColumn("File", wxLIST_FORMAT_LEFT, 320);
    m_pPairs->AppendColumn("State", wxLIST_FORMAT_LEFT, 220);
    top->Add(m_pPairs, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_pUpdate = new wxButton(panel, wxID_ANY, "Update");
    row->Add(m_pUpdate, 0, wxRIGHT, 8);
    auto* help = new wxButton(panel, wxID_HELP, "Help");
    row->Add(help, 0, wxRIGHT, 8);
    m_pGauge = new wxGauge(panel, wxID_ANY, 100);
    row->Add(m_pGauge, 1, wxALIGN_CENTER_VERTICAL);
    top->Add(row, 0, wxEXPAND | wxALL, 8);
    m_pStatus = new wxStaticText(panel, wxID_ANY, "");
    top->Add(m_pStatus, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    m_pLog = new wxTextCtrl(panel, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 120),
                            wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2);
    top->Add(m_pLog, 1, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);

    m_pUpdate->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { StartUpdate(); });
    help->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowHostHelp(this, kHostHelpTopic); });
    m_pChoose->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        wxDirDialog dialog(this, "Choose the briefcase folder", wxString::FromUTF8(m_folder));
        if (CvlRunModal(dialog) == wxID_OK) SetFolder(dialog.GetPath().utf8_string());
    });
    Bind(wxEVT_CLOSE_WINDOW, &CHostFrame::OnClose, this);
    SetFolder(folder);
}

CHostFrame::~CHostFrame() {
    if (m_worker.joinable()) m_worker.join();
}

wxString CHostFrame::StateText(CReplicaHost::PairState state) {
    switch (state) {
        case CReplicaHost::inStep:
            return "In step";
        case CReplicaHost::originalChanged:
            return "The file has changed";
        case CReplicaHost::replicaChanged:
            return "The briefcase copy has changed";
        case CReplicaHost::bothChanged:
            return "Both have changed";
        case CReplicaHost::copyMissing:
            return "A copy is missing";
        case CReplicaHost::unreadable:
            return "A copy cannot be read";
    }
    return {};
}

void CHostFrame::SetFolder(const std::string& folder) {
    m_folder = folder;
    m_pFolder->SetLabel("Briefcase folder: " + wxString::FromUTF8(folder));
    RefreshPairs();
}

void CHostFrame::RefreshPairs() {
    wxBusyCursor busy;
    m_pPairs->DeleteAllItems();
    CSyncRecord record(m_folder);
    std::string error;
    if (!record.Load(error)) {
        m_pLog->AppendText(wxString::FromUTF8(error) + "\n");
    } else if (record.pairs.empty()) {
        m_pStatus->SetLabel("There is no briefcase copy in this folder.");
    }
    for (const CSyncPair& pair : record.pairs) {
        const long item = m_pPairs->InsertItem(m_pPairs->GetItemCount(), wxString::FromUTF8(pair.replica));
        m_pPairs->SetItem(item, 1, wxString::FromUTF8(pair.original));
        const CReplicaHost::PairState state = CReplicaHost::JudgePair(record, pair, error);
        m_pPairs->SetItem(item, 2, StateText(state));
        if (state == CReplicaHost::copyMissing || state == CReplicaHost::unreadable)
            m_pLog->AppendText(wxString::FromUTF8(error) + "\n");
    }
    m_pUpdate->Enable(!IsUpdating() && !record.pairs.empty());
}

bool CHostFrame::StartUpdate() {
    if (IsUpdating()) return false;
    m_pUpdate->Disable();
    m_pChoose->Disable();
    m_pGauge->SetValue(0);
    m_pStatus->SetLabel("Updating...");
    m_lastPercent = ~0u;
    m_worker = std::thread([this, folder = m_folder, library = m_library] {
        CReplicaHost host(library, *this);
        const bool ok = host.UpdateFolder(folder);
        CallAfter([this, ok] { UpdateDone(ok); });
    });
    return true;
}

void CHostFrame::UpdateDone(bool allInStep) {
    if (m_worker.joinable()) m_worker.join();
    m_pChoose->Enable();
    m_pGauge->SetValue(allInStep ? m_pGauge->GetRange() : m_pGauge->GetValue());
    m_pStatus->SetLabel(allInStep ? "Every copy is in step." : "Not every copy could be brought into step; see below.");
    RefreshPairs();
    if (onUpdateDone) onUpdateDone(allInStep);
    if (m_closing) Destroy();
}

void CHostFrame::OnClose(wxCloseEvent& event) {
    if (IsUpdating()) {
        if (event.CanVeto()) {
            event.Veto();
            m_pStatus->SetLabel("An update is running; the window closes when it has ended.");
            return;
        }
        // The worker may be waiting on a dialog: answer it, and go once the update has ended.
        m_closing = true;
        CancelMergeDialogs();
        Hide();
        return;
    }
    Destroy();
}

// ---- what the worker shows -----------------------------------------------------------------------

void CHostFrame::Report(Severity severity, const std::string& text) {
    const wxString line = wxString(severity == error     ? "Error: "
                                   : severity == warning ? "Warning: "
                                                         : "") +
                          wxString::FromUTF8(text) + "\n";
    CallAfter([this, line] { m_pLog->AppendText(line); });
}

int CHostFrame::ShowMessage(const std::string& caption, const std::string& text, UINT type) {
    return OnGuiThread(*this, [&] {
        if (m_closing) return int(IDCANCEL);
        wxMessageDialog box(this, wxString::FromUTF8(text), wxString::FromUTF8(caption), CvlMessageStyle(type));
        return CvlMessageResult(CvlRunModal(box));
    });
}

int CHostFrame::RunMergeDialog(IMergeList& list) {
    return OnGuiThread(*this, [&] { return m_closing ? IDCANCEL : ShowMergeDialog(list, this); });
}

void CHostFrame::Progress(unsigned long done, unsigned long total) {
    if (total == 0) return;
    const unsigned percent = unsigned(std::min<unsigned long>(done * 100 / total, 100));
    // One hand-over per step of the bar, not per record.
    if (m_lastPercent.exchange(percent) == percent) return;
    CallAfter([this, percent] { m_pGauge->SetValue(int(percent)); });
}

void CHostFrame::ProgressText(const std::string& text) {
    CallAfter([this, line = wxString::FromUTF8(text)] { m_pStatus->SetLabel(line); });
}

// ---- the program ---------------------------------------------------------------------------------

namespace {

class CHostApp : public wxApp {
public:
    explicit CHostApp(std::string folder) : m_folder(std::move(folder)) {}
    bool OnInit() override {
        auto* frame = new CHostFrame(m_folder);
        frame->Show();
        return true;
    }

private:
    std::string m_folder;
};

}  // namespace

int RunHostWindow(int argc, char** argv, const std::string& folder) {
    wxApp::SetInstance(new CHostApp(folder));
    return wxEntry(argc, argv);
}
