// Taking a picture of the current animal from a scanner or camera that SANE sees: the device is
// picked and set up on the UI thread, the transfer runs on a worker that reaches the UI only through
// queued calls, and the file goes into the first image folder that takes it, named after the animal
// that was current when the command started.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "platform/host.h"
#include "platform/object.h"
#include "platform/scanner.h"
#include "platform/text.h"

class CSheep;
class CSheepView;
class wxDialog;
class wxWindow;

// What the user is told about a scan's status, with the program's texts; false for a status that
// needs no message.
bool ScanStatusMessage(int status, CvlMessage& message);
// ... and about a picture file that could not be written (an errno value).
CvlMessage PictureFileMessage(int error);

// Writes the picture as a new file (never over an existing one); 0 or an errno value. The
// extension is the caller's: ".jpg", or ".bmp" where no JPEG encoder is present.
int WriteScannedPicture(const ScannedPicture& picture, const std::string& path);
const char* ScannedPictureExtension();

class CImageAcquisition {
public:
    explicit CImageAcquisition(CSheepView& view);
    ~CImageAcquisition();
    CImageAcquisition(const CImageAcquisition&) = delete;
    CImageAcquisition& operator=(const CImageAcquisition&) = delete;

    // The command: pick a device, set it up, start the transfer. Nothing while one runs.
    void Start();
    bool IsRunning() const { return m_worker.joinable(); }
    // Asks the running transfer to stop; its end is reported as usual.
    void Cancel();
    // Cancels and waits for the worker, a bounded time; the view may go after it.
    void Stop();

    // The window that offers Cancel while the transfer runs (null otherwise).
    wxDialog* GetCancelWindow() const { return m_pCancelWindow; }

private:
    struct Shared;
    void OnFinished(int status, int fileError, const WString& path);
    void EndTransferUi();

    CSheepView& m_view;
    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
    CRefPtr<CSheep> m_sheep;
    WString m_path;
    wxDialog* m_pCancelWindow = nullptr;
    std::unique_ptr<class wxWindowDisabler> m_pDisabler;
    bool m_bProgress = false;
};
