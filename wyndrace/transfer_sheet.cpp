#include "wyndrace/transfer_sheet.h"

#include <wx/activityindicator.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <cstdio>

#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {

constexpr unsigned IDS_INDETERMINATE = 15;
constexpr unsigned IDS_UPLOADING_SHEEP = 17;
constexpr unsigned IDS_PORT_REMOVED = 18;
constexpr unsigned IDS_CONNECT_FAILED = 25;
constexpr unsigned IDS_READER_ERROR = 26;
constexpr unsigned IDS_PERCENT = 29;
constexpr unsigned IDS_STOP_DOWNLOAD = 2001;
constexpr unsigned IDS_TATTOO_UNSENDABLE = 2100;

constexpr int IDC_PROGRESS = 2000;
constexpr int IDC_STATUS = 2001;
constexpr int IDC_PERCENT = 2007;
constexpr int IDC_ANIMATION = 2010;

WString PercentText(double percent) {
    // The format is our own string table's, never outside text.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, WToUtf8(WyndraceString(IDS_PERCENT)).c_str(), percent);
    return Utf8ToW(buffer);
}

void ServeQueuedCalls() {
    if (wxTheApp) wxTheApp->ProcessPendingEvents();
}

}  // namespace

WString WyndraceString(unsigned id) {
    return LoadCvlString(CvlStringTable::Wyndrace, id);
}

WString ReplacePercentS(WString text, const WString& value) {
    if (size_t at = text.find(u"%s"); at != WString::npos) text.replace(at, 2, value);
    return text;
}

// ---- the sheet -----------------------------------------------------------------------------------

CUploadWizard::CUploadWizard(wxWindow* parent, const WString& caption)
    : CCvlPropertySheet(parent, caption, true) {}

bool CUploadWizard::PressButtonForProgram(bool back) {
    CSheetFlow& flow = GetFlow();
    const unsigned before = flow.GetWizardButtons();
    const CSheetPage* page = flow.GetActivePage();
    flow.SetWizardButtons(before | (back ? PSWIZB_BACK : PSWIZB_NEXT));
    const bool moved = back ? flow.Back() : flow.Next();
    if (!moved && !flow.IsEnded() && flow.GetActivePage() == page) flow.SetWizardButtons(before);
    return moved;
}

void CUploadWizard::SetCancelToClose(bool close) {
    if (auto* cancel = dynamic_cast<wxButton*>(FindWindow(wxID_CANCEL)))
        cancel->SetLabel(close ? "Close" : "Cancel");
}

// ---- the transfer page ---------------------------------------------------------------------------

CUploadWizard10::CUploadWizard10(CUploadWizard& sheet, const EIDSourceWindow& source, const WString& port,
                                 const COMMCONFIG* config, IDocument* doc)
    : CCvlPropertyPage(kTransferPageId), m_sheet(sheet), m_source(source), m_port(WToUtf8(port)), m_doc(doc) {
    if (config) m_config = *config;
    m_pageRecord.context = this;
    m_pageRecord.deviceRemoved = [](void* context) {
        static_cast<CUploadWizard10*>(context)->OnDeviceRemoved();
    };
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { StartTransfer(); });
}

CUploadWizard10::~CUploadWizard10() {
    m_timer.Stop();
    StopWorker();
    m_lock.reset();
    // The window's end calls back into this page: it goes while the page is whole.
    DestroyPageWindow();
    SendTransferPage(false);
}

void CUploadWizard10::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pStatus =
        new wxStaticText(panel, IDC_STATUS, "", wxDefaultPosition, wxSize(360, -1), wxST_NO_AUTORESIZE);
    sizer->Add(m_pStatus, 0, wxEXPAND | wxALL, 12);
    m_pProgress = new wxGauge(panel, IDC_PROGRESS, 1, wxDefaultPosition, wxSize(360, -1));
    sizer->Add(m_pProgress, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    m_pPercent = new wxStaticText(panel, IDC_PERCENT, "");
    sizer->Add(m_pPercent, 0, wxALL, 12);
    m_pAnimation = new wxActivityIndicator(panel, IDC_ANIMATION);
    sizer->Add(m_pAnimation, 0, wxALIGN_CENTER | wxALL, 12);
    panel->SetSizer(sizer);
    // The program keeps the page for port-removal notices while its window exists.
    SendTransferPage(true);
    panel->Bind(wxEVT_DESTROY, [this, panel](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != panel) return;
        // Its reports are queued to this window.
        StopWorker();
        m_pProgress = nullptr;
        m_pStatus = nullptr;
        m_pPercent = nullptr;
        m_pAnimation = nullptr;
        SendTransferPage(false);
    });
}

const CvlHelpPair* CUploadWizard10::GetHelpTable() const {
    return CvlControlHelp<IDC_PROGRESS, IDC_STATUS, IDC_PERCENT>::table;
}

void CUploadWizard10::SendTransferPage(bool present) {
    if (present == m_pageSent || !m_source.send) return;
    m_pageSent = present;
    m_source.send(m_source.context, WM_EIDTRANSFERPAGE, 0,
                  present ? reinterpret_cast<intptr_t>(&m_pageRecord) : 0);
}

void CUploadWizard10::OnSetActive() {
    // Nothing may move the wizard on before the transfer has run.
    if (CSheetFlow* flow = GetSheet()) flow->SetWizardButtons(0);
    m_lock = WatchSessionLock([this] { OnSessionLock(); });
    const bool upload = m_sheet.mode == EID_TRANSFER_UPLOAD;
    if (m_pAnimation) {
        m_pAnimation->Show(!upload);
        m_pProgress->Show(upload);
        m_pPercent->Show(upload);
    }
    m_sheet.receivedRecords.clear();
    const int count = upload ? CountSourceItems(m_source, m_sheet.universe) : 0;
    if (m_pProgress) {
        m_pProgress->SetRange(std::max(count, 1));
        m_pProgress->SetValue(0);
        m_pPercent->SetLabel(ToWx(PercentText(0)));
        m_pStatus->SetLabel("");
    }
    if (m_pAnimation && !upload) m_pAnimation->Start();
    if (wxWindow* window = GetWindow()) window->Layout();
    // The page is drawn before the transfer starts.
    m_timer.StartOnce(100);
}

void CUploadWizard10::StartTransfer() {
    CSheetFlow* flow = GetSheet();
    if (!flow || flow->GetActivePage() != this || m_worker) return;
    flow->SetWizardButtons(0);
    CTransferContext context;
    context.mode = m_sheet.mode;
    context.erase = m_sheet.eraseAfterDownload;
    context.port = m_port;
    context.config = m_config;
    if (context.mode == EID_TRANSFER_UPLOAD) {
        // The animals are read here, on the user-interface thread; the worker only talks to the reader.
        CDocumentTattoos tattoos(m_doc);
        context.items = CollectUploadItems(
            m_source, m_sheet.universe,
            [&](const WString& tattoo, uint64_t& eid) { return tattoos.Find(tattoo, eid); });
        // Such a tattoo would end its record early or open a new one: nothing is sent, the reader
        // keeps its table.
        for (const CEquivalenceItem& item : context.items) {
            if (item.eid != 0 && !IsUploadableTattoo(item.tattoo)) {
                ShowReaderMessage(
                    FormatCvlString(IDS_TATTOO_UNSENDABLE, {item.tattoo}, CvlStringTable::Wyndrace),
                    MB_ICONEXCLAMATION);
                m_sheet.PressButtonForProgram(true);
                return;
            }
        }
    }
    m_worker = std::make_unique<CTransferWorker>();
    wxWindow* window = GetWindow();
    std::weak_ptr<int> generation = m_generation;
    const int current = *m_generation;
    auto post = [window, generation, current, this](const CTransferReport& report) {
        window->CallAfter([generation, current, report, this] {
            auto alive = generation.lock();
            if (alive && *alive == current) OnReport(report);
        });
    };
    m_worker->Start(std::move(context), post);
}

void CUploadWizard10::OnReport(const CTransferReport& report) {
    switch (report.code) {
        case TRANSFER_SUCCEEDED:
            m_sheet.transferred = m_worker ? m_worker->Count() : 0;
            ForgetWorker();
            m_sheet.PressButtonForProgram(false);
            break;
        case TRANSFER_UNSUCCESSFUL:
            ForgetWorker();
            m_sheet.PressButtonForProgram(true);
            break;
        case TRANSFER_SHEEP_SENT:
            if (m_pProgress) {
                m_pProgress->SetValue(std::min(m_pProgress->GetValue() + 1, m_pProgress->GetRange()));
                m_pStatus->SetLabel(ToWx(ReplacePercentS(WyndraceString(IDS_UPLOADING_SHEEP), report.text)));
                m_pPercent->SetLabel(
                    ToWx(PercentText(m_pProgress->GetValue() * 100.0 / m_pProgress->GetRange())));
            }
            break;
        case TRANSFER_FAILED:
            ForgetWorker();
            if (report.result == EID_PORT_NOT_FOUND || report.result == EID_PATH_NOT_FOUND)
                ShowReaderMessage(WyndraceString(IDS_CONNECT_FAILED), MB_ICONEXCLAMATION);
            else if (report.result == EID_NO_REPLY)
                ShowReaderMessage(WyndraceString(IDS_READER_ERROR), MB_ICONEXCLAMATION);
            else
                ShowSystemError(report.result);
            // Staying would leave the worker gone and Back and Next off, with only Cancel to press.
            m_sheet.PressButtonForProgram(true);
            break;
        case TRANSFER_RECEIVED:
            m_sheet.receivedRecords.push_back(report.text);
            break;
        default:
            break;
    }
}

void CUploadWizard10::ForgetWorker() {
    if (!m_worker) return;
    ++*m_generation;
    m_worker->Wait(&ServeQueuedCalls);
    m_worker.reset();
}

void CUploadWizard10::StopWorker() {
    if (!m_worker) return;
    m_worker->RequestStop();
    ++*m_generation;
    m_worker->Wait(&ServeQueuedCalls);
    m_worker.reset();
}

void CUploadWizard10::Leave() {
    m_timer.Stop();
    m_lock.reset();
    if (m_pAnimation) m_pAnimation->Stop();
}

int CUploadWizard10::OnWizardBack() {
    if (m_worker) {
        if (ShowReaderMessage(WyndraceString(IDS_STOP_DOWNLOAD), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return WIZ_STAY;
        StopWorker();
    }
    Leave();
    if (CSheetFlow* flow = GetSheet()) flow->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return WIZ_NEXT;
}

int CUploadWizard10::OnWizardNext() {
    if (m_worker) return WIZ_STAY;
    Leave();
    if (m_sheet.mode == EID_TRANSFER_UPLOAD) return WIZ_NEXT;
    // Only the reader's own OK record: there is nothing to review.
    if (m_sheet.receivedRecords.size() == 1) return int(kEmptyDownloadPageId);
    return int(m_sheet.mode == EID_TRANSFER_EQUIVALENCE ? kReviewPageId : kEventTypePageId);
}

bool CUploadWizard10::OnQueryCancel() {
    if (!m_worker) return true;
    // The worker ends and reports; its report takes the wizard back.
    m_worker->RequestStop();
    if (m_sheet.mode == EID_TRANSFER_UPLOAD)
        ShowReaderMessage(WyndraceString(IDS_INDETERMINATE), MB_ICONEXCLAMATION);
    return false;
}

void CUploadWizard10::OnReset() {
    Leave();
    StopWorker();
}

void CUploadWizard10::OnDeviceRemoved() {
    ShowReaderMessage(WyndraceString(IDS_PORT_REMOVED), MB_ICONEXCLAMATION);
    m_sheet.PressCancel();
}

void CUploadWizard10::OnSessionLock() {
    if (m_worker) m_worker->RequestStop();
}
