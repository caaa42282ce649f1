// The reader plug-in interface: what a reader plug-in library exports and how the program calls it.
//
// A reader plug-in is a shared library loaded with dlopen. It exports, extern "C":
//   int32_t InitEIDDevice(EIDDeviceFunctions* table, const char16_t* maker, const char16_t* model);
//   int32_t EIDUploadDlg(const EIDSourceWindow* parent, const char16_t* port, COMMCONFIG* config,
//                        IDocument* doc);
// InitEIDDevice fills the six-entry table and returns 1; the program calls nothing else by name.
// Texts are UTF-16 (char16_t); a port name is the device path, of any length. A wizard's parent is
// an EIDSourceWindow (below); its window is the program's wxWindow* (the plug-in links the same
// wxWidgets). The program owns
// the COMMCONFIG and the document interface; the plug-in keeps neither past the call (the scan
// copies the record when it starts).
//
// Scan notices do not go to a window: the program passes an EIDNotifySink whose notify function the
// scan thread calls. It must not block: it copies the code and value and queues them to the
// program's user-interface thread. Once EIDStopScan has returned, the sink is never called again.
//
// Version: the library carries a version note (abi/version_note.h) that the loader can read from
// the file before loading it.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct IDocument;  // the document's dual interface

// ---- port settings ---------------------------------------------------------------------------------

// The device control block inside COMMCONFIG, little-endian, as the stored "EID CommConfig" value
// holds it. Flag bits are reached through the masks below, never through bit-fields.
struct DCB {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t flags;
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits;  // 0 one, 1 one and a half, 2 two
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
};

struct COMMCONFIG {
    uint32_t dwSize;
    uint16_t wVersion;
    uint16_t wReserved;
    DCB dcb;
    uint32_t dwProviderSubType;
    uint32_t dwProviderOffset;
    uint32_t dwProviderSize;
    char16_t wcProviderData[1];
};

static_assert(sizeof(DCB) == 28, "DCB is 28 bytes");
static_assert(sizeof(COMMCONFIG) == 52, "COMMCONFIG is 52 bytes");
static_assert(offsetof(COMMCONFIG, dcb) == 8 && offsetof(COMMCONFIG, dwProviderSubType) == 36 &&
                  offsetof(COMMCONFIG, wcProviderData) == 48,
              "COMMCONFIG layout");
static_assert(offsetof(DCB, flags) == 8 && offsetof(DCB, ByteSize) == 18 && offsetof(DCB, EvtChar) == 25,
              "DCB layout");

constexpr uint32_t EID_COMMCONFIG_SIZE = 52;
constexpr uint32_t EID_DCB_SIZE = 28;

// DCB flag word.
constexpr uint32_t DCB_fBinary = 0x0001;
constexpr uint32_t DCB_fParity = 0x0002;
constexpr uint32_t DCB_fOutxCtsFlow = 0x0004;
constexpr uint32_t DCB_fOutxDsrFlow = 0x0008;
constexpr uint32_t DCB_fDtrControlMask = 0x0030;  // 0 disable, 1 enable, 2 handshake
constexpr uint32_t DCB_fDtrControlShift = 4;
constexpr uint32_t DCB_fDsrSensitivity = 0x0040;
constexpr uint32_t DCB_fTXContinueOnXoff = 0x0080;
constexpr uint32_t DCB_fOutX = 0x0100;
constexpr uint32_t DCB_fInX = 0x0200;
constexpr uint32_t DCB_fErrorChar = 0x0400;
constexpr uint32_t DCB_fNull = 0x0800;
constexpr uint32_t DCB_fRtsControlMask = 0x3000;  // 0 disable, 1 enable, 2 handshake, 3 toggle
constexpr uint32_t DCB_fRtsControlShift = 12;
constexpr uint32_t DCB_fAbortOnError = 0x4000;

constexpr uint32_t DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
constexpr uint32_t RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                   RTS_CONTROL_TOGGLE = 3;

// An empty record: size 52, DCB length 28, everything else zero.
inline COMMCONFIG EIDEmptyCommConfig() {
    COMMCONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwSize = EID_COMMCONFIG_SIZE;
    config.dcb.DCBlength = EID_DCB_SIZE;
    return config;
}

// ---- result codes ----------------------------------------------------------------------------------

// Every exchange with a reader gives one of these. The program shows the same codes.
constexpr uint32_t EID_OK = 0;
constexpr uint32_t EID_PORT_NOT_FOUND = 2;  // the port could not be opened
constexpr uint32_t EID_PATH_NOT_FOUND = 3;  // the port could not be opened
constexpr uint32_t EID_NO_REPLY = 11;       // no reply, an empty one, or not the one expected
constexpr uint32_t EID_SCAN_STOPPED = 1067; // internal to the scan; never reported
// A system error: errno tagged so that it can never be taken for one of the codes above.
constexpr uint32_t EID_SYSTEM_ERROR_FLAG = 0x20000000u;

inline uint32_t EIDErrorFromErrno(int error) {
    if (error == ENOENT) return EID_PORT_NOT_FOUND;
    if (error == ENOTDIR) return EID_PATH_NOT_FOUND;
    return EID_SYSTEM_ERROR_FLAG | uint32_t(error & 0xFFFF);
}
// The errno a code carries, or 0 when it is not a system error.
inline int EIDErrnoOf(uint32_t code) {
    return (code & EID_SYSTEM_ERROR_FLAG) ? int(code & 0xFFFF) : 0;
}
// The system's text for a code, as a message box shows it (UTF-8).
inline std::string EIDSystemErrorText(uint32_t code) {
    if (code == EID_PORT_NOT_FOUND || code == EID_PATH_NOT_FOUND) return std::strerror(ENOENT);
    if (int error = EIDErrnoOf(code)) return std::strerror(error);
    return "System error " + std::to_string(code);
}
// The port went away under the scan (unplugged): the program pauses the scan instead of reporting.
inline bool EIDIsPortGone(uint32_t code) {
    int error = EIDErrnoOf(code);
    return error == EIO || error == ENXIO || error == ENODEV;
}

// ---- scan notices ----------------------------------------------------------------------------------

constexpr uint32_t WM_EIDNOTIFY = 0x0407;
constexpr uint32_t EIDN_ERROR = 4;    // value: a result code
constexpr uint32_t EIDN_TAGREAD = 5;  // value: the EID read

struct EIDNotifySink {
    void* context;
    // Called on the scan thread; must return at once.
    void (*notify)(void* context, uint32_t code, uint64_t value);
};

// ---- transfers: the window that supplies the animals -------------------------------------------

// The wizards' parent is not a bare window: the program hands an EIDSourceWindow, which carries the
// window to parent the wizard on and the answer to the two messages below. send is called on the
// user-interface thread only.
constexpr uint32_t WM_EIDSOURCE = 0x0405;        // wParam one of EIDSOURCE_*, lParam an EIDSourceItem*
constexpr uint32_t WM_EIDTRANSFERPAGE = 0x0406;  // lParam an EIDTransferPage*, 0 when the page goes
constexpr uint32_t EIDSOURCE_BEGIN = 1;
constexpr uint32_t EIDSOURCE_NEXT = 2;   // fills text; non-zero while there was an animal
constexpr uint32_t EIDSOURCE_END = 3;
constexpr uint32_t EIDSOURCE_COUNT = 4;  // the result: animals in the universe

constexpr int32_t EIDSOURCE_ALL = 0;       // every row the window shows
constexpr int32_t EIDSOURCE_SELECTED = 1;  // the selected rows only

struct EIDSourceItem {
    int32_t universe;
    char16_t text[32];  // the animal's tattoo, terminated
    int32_t index;      // the row last handed out, -1 before the first
};

struct EIDSourceWindow {
    void* window;  // the program's wxWindow*: the wizard's parent
    void* context;
    intptr_t (*send)(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam);
};

// The transfer page while it exists: the program tells it that the reader's port was removed.
struct EIDTransferPage {
    void* context;
    void (*deviceRemoved)(void* context);
};

// ---- the function table ----------------------------------------------------------------------------

extern "C" {

typedef int32_t (*PFN_EIDDownloadDlg)(const EIDSourceWindow* parent, const char16_t* port, COMMCONFIG* config, IDocument* doc);
typedef int32_t (*PFN_EIDUploadDlg)(const EIDSourceWindow* parent, const char16_t* port, COMMCONFIG* config, IDocument* doc);
// Writes the reader's default settings into the record and returns it.
typedef COMMCONFIG* (*PFN_EIDGetDefaultConfig)(COMMCONFIG* config);
// flags: bit 0 show failures, bit 1 show success; 0 silent. TRUE when the reader answered.
typedef int32_t (*PFN_EIDTestDevice)(uint32_t flags, const char16_t* port, COMMCONFIG* config);
// Always TRUE; errors arrive as notices.
typedef int32_t (*PFN_EIDStartScan)(const EIDNotifySink* sink, const char16_t* port, COMMCONFIG* config);
// Ends the scan thread (waiting for it) and gives the sink of the last start.
typedef const EIDNotifySink* (*PFN_EIDStopScan)();

struct EIDDeviceFunctions {
    PFN_EIDDownloadDlg EIDDownloadDlg;
    PFN_EIDUploadDlg EIDUploadDlg;
    PFN_EIDGetDefaultConfig EIDGetDefaultConfig;
    PFN_EIDTestDevice EIDTestDevice;
    PFN_EIDStartScan EIDStartScan;
    PFN_EIDStopScan EIDStopScan;
};

typedef int32_t (*PFN_InitEIDDevice)(EIDDeviceFunctions* table, const char16_t* maker, const char16_t* model);

}  // extern "C"

constexpr uint32_t EIDTEST_SHOW_FAILURE = 1;
constexpr uint32_t EIDTEST_SHOW_SUCCESS = 2;

// "Supported Modes" of a registered reader.
constexpr uint32_t EID_MODE_UPLOAD = 1;
constexpr uint32_t EID_MODE_DOWNLOAD = 2;
constexpr uint32_t EID_MODE_SCAN = 4;
