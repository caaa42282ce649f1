#include "wyndrace/scan.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "wyndrace/exchanges.h"
#include "wyndrace/protocol.h"
#include "wyndrace/reader_port.h"

namespace {

struct ScanState {
    const EIDNotifySink* lastSink = nullptr;
    EIDNotifySink sink{nullptr, nullptr};
    std::string port;
    COMMCONFIG config = EIDEmptyCommConfig();
    std::thread thread;
    int stopFd = -1;
};

std::mutex g_mutex;  // start and stop may come from more than one thread in a host's tests
ScanState g_scan;
std::atomic<int> g_liveThreads{0};

void Notify(const EIDNotifySink& sink, uint32_t code, uint64_t value) {
    if (sink.notify) sink.notify(sink.context, code, value);
}

// Runs until stopped or the line fails; the result is EID_SCAN_STOPPED or the failure's code.
uint32_t ScanPass(const EIDNotifySink& sink, const std::string& path, const COMMCONFIG& config, int stopFd) {
    CReaderPort port;
    uint32_t code = port.Open(path, config);
    if (code != EID_OK) return code;
    std::string received;
    for (;;) {
        if (received.empty()) {
            code = port.WaitReadable(stopFd);
            if (code != EID_OK) return code;
        }
        const size_t wanted = kTagMessageSize - received.size();
        std::string more;
        code = port.Read(more, wanted, stopFd);
        if (code != EID_OK && code != EID_NO_REPLY) return code;
        // A read that ran into the deadline ends whatever message was under way.
        const bool final = more.size() < wanted;
        received += more;
        std::string message;
        while (TakeTagMessage(received, final, message)) {
            uint64_t eid = 0;
            if (ParseTagMessage(message, eid)) Notify(sink, EIDN_TAGREAD, eid);
        }
    }
}

void WaitForStop(int stopFd) {
    pollfd p{stopFd, POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

void ScanThread(EIDNotifySink sink, std::string path, COMMCONFIG config, int stopFd) {
    uint32_t code = ScanPass(sink, path, config, stopFd);
    if (code != EID_SCAN_STOPPED) {
        // The program decides what follows an error; the thread only waits to be stopped.
        Notify(sink, EIDN_ERROR, code);
        WaitForStop(stopFd);
    }
    g_liveThreads.fetch_sub(1);
}

void StopLocked() {
    if (g_scan.thread.joinable()) {
        uint64_t one = 1;
        (void)!::write(g_scan.stopFd, &one, sizeof one);
        g_scan.thread.join();
    }
    if (g_scan.stopFd >= 0) {
        ::close(g_scan.stopFd);
        g_scan.stopFd = -1;
    }
}

}  // namespace

int32_t EIDStartScan(const EIDNotifySink* sink, const char16_t* port, COMMCONFIG* config) {
    std::lock_guard lock(g_mutex);
    StopLocked();
    g_scan.lastSink = sink;
    g_scan.sink = sink ? *sink : EIDNotifySink{nullptr, nullptr};
    g_scan.port = PortPath(port);
    g_scan.config = config ? *config : EIDEmptyCommConfig();
    g_scan.stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (g_scan.stopFd < 0) {
        Notify(g_scan.sink, EIDN_ERROR, EIDErrorFromErrno(errno));
        return 1;
    }
    g_liveThreads.fetch_add(1);
    try {
        g_scan.thread = std::thread(ScanThread, g_scan.sink, g_scan.port, g_scan.config, g_scan.stopFd);
    } catch (const std::system_error& e) {
        g_liveThreads.fetch_sub(1);
        Notify(g_scan.sink, EIDN_ERROR, EIDErrorFromErrno(e.code().value()));
    }
    return 1;
}

const EIDNotifySink* EIDStopScan() {
    std::lock_guard lock(g_mutex);
    StopLocked();
    return g_scan.lastSink;
}

int LiveScanThreads() {
    return g_liveThreads.load();
}

namespace {
// Unloading the library with a scan still running would pull the code from under its thread.
struct StopScanAtUnload {
    ~StopScanAtUnload() { EIDStopScan(); }
} g_stopScanAtUnload;
}  // namespace
