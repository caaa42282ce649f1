// The animal's pictures: the picture control, the Picture page, and a picture taken from SANE's
// `test` backend through the record view's Get Image command.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/choicdlg.h>
#include <wx/image.h>
#include <wx/quantize.h>
#include <wx/spinctrl.h>

#include <dlfcn.h>
#include <sane/sane.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "document/sheep_doc.h"
#include "document/ui/small_controls.h"
#include "records/app_services.h"
#include "records/sheep.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/image_acquisition.h"
#include "views/picture_ctrl.h"
#include "views/record_picture_page.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

namespace fs = std::filesystem;

// SANE's test backend leaks its reader's buffer when a scan is cancelled; kept loaded, the leak is
// named after it (and suppressed) rather than after an unloaded module.
void KeepTestBackendLoaded() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&sane_init), &info) || !info.dli_fname) return;
    const fs::path backend = fs::path(info.dli_fname).parent_path() / "sane" / "libsane-test.so.1";
    dlopen(backend.c_str(), RTLD_NOW | RTLD_NODELETE);
}

void WritePicture(const fs::path& path, wxBitmapType type, int width = 30, int height = 20) {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), 200, 30, 30);
    if (type == wxBITMAP_TYPE_GIF) {  // a GIF needs a palette
        wxImage quantized;
        ASSERT_TRUE(wxQuantize::Quantize(image, quantized, 256));
        image = quantized;
    }
    ASSERT_TRUE(image.SaveFile(path.string(), type)) << path;
}

class PictureTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        CvlEnsureImageHandlers();
        dir = folders.Root() / "pictures";
        other = folders.Root() / "more pictures";
        fs::create_directories(dir);
        fs::create_directories(other);
        saved = CSheepAppServices::Get().GetImageSearchPath();
        CSheepAppServices::Get().SetImageSearchPath({Utf8ToW(dir.string()), Utf8ToW(other.string())});
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        view = dynamic_cast<CSheepView*>(doc->GetFirstView());
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (view) view->GetAcquisition().Stop();
        for (wxObject* open : App().GetDocManager()->GetDocuments()) static_cast<wxDocument*>(open)->Modify(false);
        CSheepAppServices::Get().SetImageSearchPath(saved);
        ShellTest::TearDown();
    }
    CSheep* Add(const char16_t* tattoo) {
        auto* sheep = new CSheep(tattoo, SEX_EWE, &core());
        EXPECT_GE(core().AddSheep(sheep, false), 0);
        return sheep;
    }
    void Show(CSheep* sheep) {
        core().SelectSheep(sheep->GetTattoo(), true, false, nullptr);
        Pump();
        ASSERT_TRUE(view->ActivatePage(PAGE_PICTURE));
        page()->OnPageActivated();
        Pump();
    }
    CSheepDoc& core() { return doc->GetCore(); }
    CSheepViewImageTab* page() { return static_cast<CSheepViewImageTab*>(view->GetPage(PAGE_PICTURE)); }

    fs::path dir, other;
    std::vector<WString> saved;
    CSheepDocument* doc = nullptr;
    CSheepView* view = nullptr;
};

TEST_F(PictureTest, ControlDecodesEachPictureKindAndKeepsItsPictureWhenAFileCannotBeOpened) {
    CPictureCtrl control(Frame(), 1344);
    const struct {
        const char* name;
        wxBitmapType type;
    } kinds[] = {{"p.bmp", wxBITMAP_TYPE_BMP}, {"p.JPG", wxBITMAP_TYPE_JPEG}, {"p.gif", wxBITMAP_TYPE_GIF},
                 {"p.tif", wxBITMAP_TYPE_TIFF}, {"p.pcx", wxBITMAP_TYPE_PCX}};
    for (const auto& kind : kinds) {
        WritePicture(dir / kind.name, kind.type, 30, 20);
        control.Clear();
        EXPECT_TRUE(control.LoadFromFile(Utf8ToW((dir / kind.name).string()))) << kind.name;
        EXPECT_EQ(control.GetPictureSize(), wxSize(30, 20)) << kind.name;
    }
    // Not there: false, the picture stays.
    EXPECT_FALSE(control.LoadFromFile(Utf8ToW((dir / "missing.jpg").string())));
    EXPECT_TRUE(control.HasPicture());
    // Opened but not a picture: true, and no picture is left.
    std::ofstream(dir / "garbage.jpg") << "not a picture at all";
    EXPECT_TRUE(control.LoadFromFile(Utf8ToW((dir / "garbage.jpg").string())));
    EXPECT_FALSE(control.HasPicture());
    EXPECT_EQ(control.GetPictureSize(), wxSize(0, 0));
    // Built-in pictures by id: an id without one, and id 0, load nothing.
    EXPECT_FALSE(control.LoadFromResource(4711));
    CPictureCtrl byZero(Frame(), 0, true);
    EXPECT_FALSE(byZero.HasPicture());
}

TEST_F(PictureTest, PageStepsThroughThePicturesOfEveryFolderWhateverTheirCase) {
    CSheep* none = Add(u"N1");
    CSheep* one = Add(u"A1");
    CSheep* three = Add(u"B2");
    WritePicture(dir / "a1_0.jpg", wxBITMAP_TYPE_JPEG);
    WritePicture(dir / "B2_0.BMP", wxBITMAP_TYPE_BMP);
    WritePicture(other / "b2_1.Jpg", wxBITMAP_TYPE_JPEG);
    WritePicture(other / "B2_2.gif", wxBITMAP_TYPE_GIF);
    WritePicture(dir / "B2_9.png", wxBITMAP_TYPE_PNG);  // not a picture kind the animal looks for

    Show(none);
    EXPECT_FALSE(page()->GetPicture()->IsShown());
    EXPECT_FALSE(page()->GetPreviousButton()->IsShown());
    EXPECT_FALSE(page()->GetNextButton()->IsShown());

    Show(one);
    EXPECT_TRUE(page()->GetPicture()->IsShown());
    EXPECT_TRUE(page()->GetPicture()->HasPicture());
    EXPECT_FALSE(page()->GetPreviousButton()->IsShown());
    EXPECT_FALSE(page()->GetNextButton()->IsShown());

    Show(three);
    ASSERT_EQ(three->FindImages().size(), 3u);
    EXPECT_TRUE(page()->GetNextButton()->IsShown());
    EXPECT_TRUE(page()->GetNextButton()->IsEnabled());
    EXPECT_FALSE(page()->GetPreviousButton()->IsEnabled());
    page()->OnNext();
    page()->OnNext();
    EXPECT_EQ(page()->GetIndex(), 2);
    EXPECT_FALSE(page()->GetNextButton()->IsEnabled());
    EXPECT_TRUE(page()->GetPreviousButton()->IsEnabled());
    page()->OnNext();  // past the last: nothing
    EXPECT_EQ(page()->GetIndex(), 2);
    page()->OnPrevious();
    page()->OnPrevious();
    EXPECT_EQ(page()->GetIndex(), 0);
    EXPECT_FALSE(page()->GetPreviousButton()->IsEnabled());
    EXPECT_TRUE(page()->GetPicture()->HasPicture());
}

TEST_F(PictureTest, APictureThatCannotBeReadHidesThePage) {
    CSheep* sheep = Add(u"C3");
    std::ofstream(dir / "C3_0.jpg") << "broken";
    Show(sheep);
    EXPECT_FALSE(page()->GetPicture()->IsShown());
    EXPECT_FALSE(page()->GetPreviousButton()->IsShown());
    EXPECT_FALSE(page()->GetNextButton()->IsShown());
}

// ---- a picture from the scanner ------------------------------------------------------------------

class AcquisitionTest : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        KeepTestBackendLoaded();
        ASSERT_TRUE(CScanDeviceList::Get().WaitIdle(60000));
        ASSERT_GE(CScanDeviceList::Get().Count(), 1) << "SANE's test backend is not installed";
    }
    bool WaitForEnd(int seconds = 120) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (view->GetAcquisition().IsRunning() && std::chrono::steady_clock::now() < until) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return !view->GetAcquisition().IsRunning();
    }
    // Picks the first device, then sets the options dialog's mode and resolution.
    static std::function<int(wxDialog&)> PickFirst() {
        return [](wxDialog& dialog) {
            auto* picker = dynamic_cast<wxSingleChoiceDialog*>(&dialog);
            EXPECT_NE(picker, nullptr);
            if (!picker) return int(wxID_CANCEL);
            picker->SetSelection(0);
            return int(wxID_OK);
        };
    }
    static std::function<int(wxDialog&)> Options(const char* mode, bool highestResolution) {
        return [mode, highestResolution](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetName(), "ScanOptions");
            auto* modes = dynamic_cast<wxChoice*>(dialog.FindWindowByName("mode", &dialog));
            EXPECT_NE(modes, nullptr) << "the device's own mode option";
            if (modes) {
                EXPECT_TRUE(modes->SetStringSelection(mode));
            }
            wxWindow* resolution = dialog.FindWindowByName("resolution", &dialog);
            EXPECT_NE(resolution, nullptr);
            if (auto* spin = dynamic_cast<wxSpinCtrlDouble*>(resolution); spin && highestResolution)
                spin->SetValue(spin->GetMax());
            if (auto* list = dynamic_cast<wxChoice*>(resolution); list && highestResolution)
                list->SetSelection(int(list->GetCount()) - 1);
            return int(wxID_OK);
        };
    }
};

TEST_F(AcquisitionTest, APictureTakenGoesToTheAnimalCurrentWhenItStarted) {
    CSheep* first = Add(u"A100");
    CSheep* second = Add(u"B200");
    WritePicture(other / "a100_4.jpg", wxBITMAP_TYPE_JPEG);
    Show(first);
    {
        ModalScript script({PickFirst(), Options("Color", false)});
        view->GetAcquisition().Start();
    }
    ASSERT_TRUE(view->GetAcquisition().IsRunning());
    EXPECT_NE(view->GetAcquisition().GetCancelWindow(), nullptr);
    // Another animal becomes current while the transfer runs.
    core().SelectSheep(u"B200", true, false, nullptr);
    ASSERT_TRUE(WaitForEnd());

    EXPECT_TRUE(host.Messages().empty()) << WToUtf8(host.Messages().front().text);
    const fs::path taken = dir / (std::string("A100_5") + ScannedPictureExtension());
    ASSERT_TRUE(fs::exists(taken));
    wxImage image;
    EXPECT_TRUE(image.LoadFile(taken.string()));
    EXPECT_GT(image.GetWidth(), 0);
    const std::vector<WString>& pictures = first->FindImages();
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(WToUtf8(pictures.back()), taken.string());
    EXPECT_TRUE(second->FindImages().empty());
    EXPECT_EQ(view->GetAcquisition().GetCancelWindow(), nullptr);
    EXPECT_FALSE(host.IsProgressShown());
}

TEST_F(AcquisitionTest, CancelShowsOneMessageAndAddsNoPicture) {
    CSheep* sheep = Add(u"A100");
    Show(sheep);
    {
        ModalScript script({PickFirst(), Options("Color", true)});
        view->GetAcquisition().Start();
    }
    ASSERT_TRUE(view->GetAcquisition().IsRunning());
    wxDialog* cancelWindow = view->GetAcquisition().GetCancelWindow();
    ASSERT_NE(cancelWindow, nullptr);
    auto* cancel = dynamic_cast<wxButton*>(cancelWindow->FindWindow(wxID_CANCEL));
    ASSERT_NE(cancel, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
    click.SetEventObject(cancel);
    cancel->GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(WaitForEnd());

    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, u"Operation Cancelled");
    EXPECT_TRUE(sheep->FindImages().empty());
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_FALSE(host.IsProgressShown());
}

TEST_F(AcquisitionTest, ClosingTheViewDuringATransferStopsIt) {
    CSheep* sheep = Add(u"A100");
    Show(sheep);
    {
        ModalScript script({PickFirst(), Options("Color", true)});
        view->GetAcquisition().Start();
    }
    ASSERT_TRUE(view->GetAcquisition().IsRunning());
    const auto start = std::chrono::steady_clock::now();
    view->GetAcquisition().Stop();
    EXPECT_FALSE(view->GetAcquisition().IsRunning());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    Pump();  // a late report from the worker finds nobody
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_TRUE(sheep->FindImages().empty());
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(AcquisitionTest, ClosingTheViewAfterThePictureWasWrittenStillAddsIt) {
    CSheep* sheep = Add(u"A100");
    Show(sheep);
    {
        ModalScript script({PickFirst(), Options("Gray", false)});
        view->GetAcquisition().Start();
    }
    const fs::path taken = dir / (std::string("A100_0") + ScannedPictureExtension());
    // The worker's report stays queued: no events are run while it writes.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(taken) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(taken));
    view->GetAcquisition().Stop();
    Pump();
    EXPECT_TRUE(host.Messages().empty());
    ASSERT_EQ(sheep->FindImages().size(), 1u);
    EXPECT_EQ(WToUtf8(sheep->FindImages()[0]), taken.string());
}

TEST(ScanMessages, StatusesTakeTheProgramsTexts) {
    const struct {
        int status;
        const char16_t* text;
    } rows[] = {
        {SCAN_JAMMED, u"Paper is jammed in the scanner's document feeder."},
        {SCAN_NO_DOCS, u"The user requested a scan and there are no documents left in the document feeder."},
        {SCAN_DEVICE_BUSY, u"The SANE device is busy."},
        {SCAN_COVER_OPEN, u"An unspecified error occurred during an attempted communication with the SANE device."},
        {SCAN_IO_ERROR, u"An unspecified error occurred during an attempted communication with the SANE device."},
        {SCAN_CANCELLED, u"Operation Cancelled"},
        {SCAN_UNSUPPORTED, u"The device does not support this command."},
        {SCAN_ACCESS_DENIED, u"Unknown Error Code: b"},
    };
    for (const auto& row : rows) {
        CvlMessage message;
        ASSERT_TRUE(ScanStatusMessage(row.status, message)) << row.status;
        EXPECT_EQ(message.text, row.text) << row.status;
        EXPECT_EQ(message.type, MB_OK) << row.status;
    }
    CvlMessage none;
    EXPECT_FALSE(ScanStatusMessage(SCAN_GOOD, none));
    EXPECT_EQ(PictureFileMessage(ENOSPC).text.rfind(u"Insufficient disk space", 0), 0u);
    const CvlMessage system = PictureFileMessage(EACCES);
    EXPECT_EQ(system.caption, u"Error");
    EXPECT_EQ(system.type, MB_OK | MB_ICONINFORMATION);
}

TEST(ScannedPictureFile, NeverReplacesAFileAndLeavesNoHalfFile) {
    CvlEnsureImageHandlers();
    const fs::path dir = fs::temp_directory_path() / ("cvl-scan-file-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ScannedPicture picture{4, 2, std::vector<uint8_t>(4 * 2 * 3, 128)};
    const std::string path = (dir / "A1_0.jpg").string();
    EXPECT_EQ(WriteScannedPicture(picture, path), 0);
    const auto size = fs::file_size(path);
    EXPECT_EQ(WriteScannedPicture(picture, path), EEXIST);
    EXPECT_EQ(fs::file_size(path), size);
    EXPECT_EQ(WriteScannedPicture(picture, (dir / "no such folder" / "A1_1.jpg").string()), ENOENT);
    ScannedPicture shortData{4, 2, std::vector<uint8_t>(5, 0)};
    EXPECT_EQ(WriteScannedPicture(shortData, (dir / "A1_2.jpg").string()), EINVAL);
    EXPECT_FALSE(fs::exists(dir / "A1_2.jpg"));
    fs::remove_all(dir);
}

}  // namespace
