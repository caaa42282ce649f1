#include "views/image_acquisition.h"

#include <fcntl.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/choicdlg.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "document/ui/sheet.h"
#include "platform/strings.h"
#include "records/sheep.h"
#include "views/picture_ctrl.h"
#include "views/record_view.h"
#include "document/ui/wx_strings.h"

namespace {

constexpr unsigned IDS_NO_SCANNER = 63;
constexpr unsigned IDS_SCANNING_IMAGE = 193;
// How long closing the view waits for a cancelled transfer before leaving it behind.
constexpr auto kStopWait = std::chrono::seconds(10);

const char16_t kDiskFull[] =
    u"Insufficient disk space - please add re-order your search path so that a writeable directory with "
    u"sufficient space is first in the list";

CvlMessage Plain(const WString& text) {
    CvlMessage message;
    message.text = text;
    message.type = MB_OK;
    return message;
}

// The device's options in a small dialog: a list for a choice, a number box for a range.
class CScanOptionsDialog : public wxDialog {
public:
    CScanOptionsDialog(wxWindow* parent, std::vector<ScanOption> options)
        : wxDialog(parent, wxID_ANY, "Scan", wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
          m_options(std::move(options)) {
        SetName("ScanOptions");
        auto* grid = new wxFlexGridSizer(2, 6, 8);
        for (const ScanOption& option : m_options) {
            grid->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(option.title)), 0, wxALIGN_CENTER_VERTICAL);
            wxWindow* control = nullptr;
            if (option.kind == ScanOption::Choice || option.kind == ScanOption::Numbers) {
                auto* choice = new wxChoice(this, wxID_ANY);
                if (option.kind == ScanOption::Choice) {
                    for (const std::string& text : option.choices) choice->Append(wxString::FromUTF8(text));
                    choice->SetStringSelection(wxString::FromUTF8(option.text));
                } else {
                    for (size_t i = 0; i < option.numbers.size(); ++i) {
                        choice->Append(wxString::Format("%g", option.numbers[i]));
                        if (option.numbers[i] == option.value) choice->SetSelection(int(i));
                    }
                }
                control = choice;
            } else {
                auto* spin = new wxSpinCtrlDouble(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                                  wxSP_ARROW_KEYS, option.minimum, option.maximum, option.value,
                                                  option.quant > 0 ? option.quant : 1.0);
                spin->SetDigits(option.fixed ? 1 : 0);
                control = spin;
            }
            control->SetName(wxString::FromUTF8(option.name));
            grid->Add(control, 1, wxEXPAND);
            m_controls.push_back(control);
        }
        auto* top = new wxBoxSizer(wxVERTICAL);
        top->Add(grid, 1, wxEXPAND | wxALL, 10);
        top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
        SetSizerAndFit(top);
    }

    // Sets the values on the device, the mode first (it may change what the others allow).
    void Apply(CScanDevice& device) {
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < m_options.size(); ++i) {
                const ScanOption& option = m_options[i];
                if ((pass == 0) != (option.kind == ScanOption::Choice)) continue;
                if (auto* choice = dynamic_cast<wxChoice*>(m_controls[i])) {
                    const int selection = choice->GetSelection();
                    if (selection < 0) continue;
                    if (option.kind == ScanOption::Choice) {
                        if (option.choices[size_t(selection)] != option.text)
                            device.SetOption(option.name, option.choices[size_t(selection)], 0);
                    } else if (option.numbers[size_t(selection)] != option.value) {
                        device.SetOption(option.name, {}, option.numbers[size_t(selection)]);
                    }
                } else if (auto* spin = dynamic_cast<wxSpinCtrlDouble*>(m_controls[i])) {
                    if (spin->GetValue() != option.value) device.SetOption(option.name, {}, spin->GetValue());
                }
            }
        }
    }

private:
    std::vector<ScanOption> m_options;
    std::vector<wxWindow*> m_controls;
};

}  // namespace

bool ScanStatusMessage(int status, CvlMessage& message) {
    switch (status) {
        case SCAN_GOOD:
            return false;
        case SCAN_UNSUPPORTED:
            message = Plain(u"The device does not support this command.");
            break;
        case SCAN_CANCELLED:
            message = Plain(u"Operation Cancelled");
            break;
        case SCAN_DEVICE_BUSY:
            message = Plain(u"The SANE device is busy.");
            break;
        case SCAN_INVAL:
            message = Plain(u"There is an incorrect setting on the SANE device.");
            break;
        case SCAN_JAMMED:
            message = Plain(u"Paper is jammed in the scanner's document feeder.");
            break;
        case SCAN_NO_DOCS:
            message = Plain(u"The user requested a scan and there are no documents left in the document feeder.");
            break;
        case SCAN_COVER_OPEN:
        case SCAN_IO_ERROR:
            message = Plain(u"An unspecified error occurred during an attempted communication with the SANE device.");
            break;
        default: {
            char text[64];
            std::snprintf(text, sizeof text, "Unknown Error Code: %lx", static_cast<unsigned long>(status));
            message = Plain(Utf8ToW(text));
            break;
        }
    }
    return true;
}

CvlMessage PictureFileMessage(int error) {
    if (error == ENOSPC || error == EDQUOT) return Plain(kDiskFull);
    // Any other failure of the system: its own text, in a box titled "Error".
    CvlMessage message = Plain(Utf8ToW(std::strerror(error)));
    message.caption = u"Error";
    message.type = MB_OK | MB_ICONINFORMATION;
    return message;
}

const char* ScannedPictureExtension() {
    return wxImage::FindHandler(wxBITMAP_TYPE_JPEG) ? ".jpg" : ".bmp";
}

int WriteScannedPicture(const ScannedPicture& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != size_t(picture.width) * size_t(picture.height) * 3)
        return EINVAL;
    wxLogNull quiet;
    wxImage image(picture.width, picture.height, const_cast<unsigned char*>(picture.rgb.data()), true);
    wxMemoryOutputStream encoded;
    const bool jpeg = std::strcmp(ScannedPictureExtension(), ".jpg") == 0;
    if (!image.SaveFile(encoded, jpeg ? wxBITMAP_TYPE_JPEG : wxBITMAP_TYPE_BMP)) return EIO;
    const size_t size = size_t(encoded.GetSize());
    std::vector<char> bytes(size);
    encoded.CopyTo(bytes.data(), size);

    // A new file only: whatever is there already stays as it is.
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int error = 0;
    for (size_t done = 0; done < size && !error;) {
        const ssize_t n = ::write(fd, bytes.data() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) error = n < 0 ? errno : EIO;
        else done += size_t(n);
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (error) ::unlink(path.c_str());  // no half picture is left behind
    return error;
}

// ---- the acquisition -------------------------------------------------------------------------

struct CImageAcquisition::Shared {
    CScanDevice device;
    CImageAcquisition* owner = nullptr;  // read and cleared on the UI thread only
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool wrote = false;  // the picture file is there
};

CImageAcquisition::CImageAcquisition(CSheepView& view) : m_view(view) {}

CImageAcquisition::~CImageAcquisition() {
    Stop();
}

void CImageAcquisition::Start() {
    if (IsRunning()) return;
    CSheep* sheep = m_view.GetCurrentSheep();
    if (!sheep) return;
    CvlEnsureImageHandlers();
    wxWindow* parent = wxTheApp->GetTopWindow();

    const std::vector<ScanDeviceInfo> devices = CScanDeviceList::Get().Devices();
    if (devices.empty()) {
        CvlMessageBox(IDS_NO_SCANNER);
        return;
    }
    wxArrayString labels;
    for (const ScanDeviceInfo& device : devices) labels.Add(wxString::FromUTF8(device.Label()));
    wxSingleChoiceDialog picker(parent, "Select the device to use", "Select Device", labels);
    picker.SetName("SelectDevice");
    if (CvlRunModal(picker) != wxID_OK) return;
    const int chosen = picker.GetSelection();
    if (chosen < 0 || size_t(chosen) >= devices.size()) return;

    auto shared = std::make_shared<Shared>();
    CvlMessage message;
    if (int status = shared->device.Open(devices[size_t(chosen)].name); status != SCAN_GOOD) {
        if (ScanStatusMessage(status, message)) CvlShowMessage(message);
        return;
    }
    {
        CScanOptionsDialog options(parent, shared->device.GetUserOptions());
        if (CvlRunModal(options) != wxID_OK) return;
        options.Apply(shared->device);
    }

    // Named now, after the animal current at the start; the file is added to that animal only.
    const WString base = sheep->MakeImageName();
    if (base.empty()) {
        CvlShowMessage(Plain(kDiskFull));
        return;
    }
    const WString path = base + Utf8ToW(ScannedPictureExtension());
    m_sheep = CRefPtr<CSheep>(sheep);
    m_path = path;
    m_shared = shared;
    shared->owner = this;

    m_bProgress = CvlGetHost().BeginProgress(IDS_SCANNING_IMAGE, 100);
    m_pCancelWindow = new wxDialog(parent, wxID_ANY, "Corvalen", wxDefaultPosition, wxDefaultSize, wxCAPTION);
    m_pCancelWindow->SetName("ScanCancel");
    {
        auto* top = new wxBoxSizer(wxVERTICAL);
        top->Add(new wxStaticText(m_pCancelWindow, wxID_ANY, ToWx(LoadCvlString(IDS_SCANNING_IMAGE))), 0, wxALL, 10);
        auto* cancel = new wxButton(m_pCancelWindow, wxID_CANCEL, "Cancel");
        top->Add(cancel, 0, wxALIGN_CENTER | wxBOTTOM, 10);
        m_pCancelWindow->SetSizerAndFit(top);
        m_pCancelWindow->SetEscapeId(wxID_CANCEL);
        cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Cancel(); });
    }
    // The main window takes no input while the transfer runs; the Cancel window does.
    m_pDisabler = std::make_unique<wxWindowDisabler>(m_pCancelWindow);
    m_pCancelWindow->Show();

    const std::weak_ptr<Shared> weak = shared;
    const std::string file = WToUtf8(path);
    m_worker = std::thread([shared, weak, file, path] {
        ScannedPicture picture;
        const int status = shared->device.Scan(picture, [weak](int percent) {
            wxTheApp->CallAfter([weak, percent] {
                if (auto s = weak.lock(); s && s->owner && s->owner->m_bProgress) CvlGetHost().SetProgressPos(percent);
            });
        });
        const int fileError = status == SCAN_GOOD ? WriteScannedPicture(picture, file) : 0;
        {
            std::lock_guard lock(shared->mutex);
            shared->done = true;
            shared->wrote = status == SCAN_GOOD && fileError == 0;
        }
        shared->finished.notify_all();
        wxTheApp->CallAfter([weak, status, fileError, path] {
            if (auto s = weak.lock(); s && s->owner) s->owner->OnFinished(status, fileError, path);
        });
    });
}

void CImageAcquisition::Cancel() {
    if (m_shared) m_shared->device.Cancel();
}

void CImageAcquisition::EndTransferUi() {
    if (m_bProgress) CvlGetHost().EndProgress();
    m_bProgress = false;
    m_pDisabler.reset();
    if (m_pCancelWindow) m_pCancelWindow->Destroy();
    m_pCancelWindow = nullptr;
}

void CImageAcquisition::OnFinished(int status, int fileError, const WString& path) {
    if (m_worker.joinable()) m_worker.join();
    std::shared_ptr<Shared> shared = std::move(m_shared);
    shared->owner = nullptr;
    shared->device.Close();
    EndTransferUi();
    CRefPtr<CSheep> sheep = std::move(m_sheep);
    CScanDeviceList::Get().Refresh();

    CvlMessage message;
    if (ScanStatusMessage(status, message)) {
        CvlShowMessage(message);
    } else if (fileError != 0) {
        CvlShowMessage(PictureFileMessage(fileError));
    } else if (sheep) {
        sheep->AddImage(path);
        m_view.RefreshPages();
    }
}

void CImageAcquisition::Stop() {
    if (!m_worker.joinable()) return;
    std::shared_ptr<Shared> shared = std::move(m_shared);
    shared->owner = nullptr;
    shared->device.Cancel();
    bool done, wrote;
    {
        std::unique_lock lock(shared->mutex);
        done = shared->finished.wait_for(lock, kStopWait, [&] { return shared->done; });
        wrote = shared->wrote;
    }
    if (done)
        m_worker.join();
    else
        m_worker.detach();  // it owns what it still uses; nothing of the view
    EndTransferUi();
    // A picture that was written before the cancel arrived still belongs to its animal.
    if (wrote && m_sheep) m_sheep->AddImage(m_path);
    m_sheep = CRefPtr<CSheep>();
}
