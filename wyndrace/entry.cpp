// The library's two exports. Everything else reaches the program through the function table.
#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include "abi/reader_abi.h"
#include "abi/version_note.h"
#include "platform/host.h"
#include "wyndrace/exchanges.h"
#include "wyndrace/scan.h"
#include "wyndrace/download_wizard.h"
#include "wyndrace/upload_wizard.h"

CVL_VERSION_NOTE(1, 0, 0, 0, "1.0.0.0");

namespace {

int WxReaderMessage(const WString& text, unsigned type) {
    const bool question = (type & MB_TYPEMASK) == MB_YESNO;
    // Boxes belong to the user-interface thread; anywhere else the text goes to the log.
    if (!wxTheApp || !wxIsMainThread()) {
        std::fprintf(stderr, "%s\n", WToUtf8(text).c_str());
        return question ? IDNO : IDOK;
    }
    long style = question ? wxYES_NO : wxOK;
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR: style |= wxICON_ERROR; break;
        case MB_ICONWARNING: style |= wxICON_WARNING; break;
        case MB_ICONINFORMATION: style |= wxICON_INFORMATION; break;
        case MB_ICONQUESTION: style |= wxICON_QUESTION; break;
        default: break;
    }
    const int answer = wxMessageBox(wxString::FromUTF8(WToUtf8(text)), wxTheApp->GetAppDisplayName(), style);
    if (question) return answer == wxYES ? IDYES : IDNO;
    return IDOK;
}

int32_t DownloadDlg(const EIDSourceWindow* parent, const char16_t* port, COMMCONFIG* config, IDocument* doc) {
    return RunDownloadWizard(parent, port, config, doc);
}

int32_t TestDeviceEntry(uint32_t flags, const char16_t* port, COMMCONFIG* config) {
    return TestDevice(flags, port, config ? *config : EIDEmptyCommConfig()) ? 1 : 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t EIDUploadDlg(const EIDSourceWindow* parent,
                                                                       const char16_t* port, COMMCONFIG* config,
                                                                       IDocument* doc) {
    return RunUploadWizard(parent, port, config, doc);
}

extern "C" __attribute__((visibility("default"))) int32_t InitEIDDevice(EIDDeviceFunctions* table,
                                                                        const char16_t* /*maker*/,
                                                                        const char16_t* /*model*/) {
    SetReaderMessageFunction(&WxReaderMessage);
    if (!table) return 1;
    table->EIDDownloadDlg = &DownloadDlg;
    table->EIDUploadDlg = &EIDUploadDlg;
    table->EIDGetDefaultConfig = &EIDGetDefaultConfig;
    table->EIDTestDevice = &TestDeviceEntry;
    table->EIDStartScan = &EIDStartScan;
    table->EIDStopScan = &EIDStopScan;
    return 1;
}
