// Scanners and cameras through SANE: the devices SANE sees (counted in the background, because a
// scan of the backends can take seconds), one opened device with the options a user sets before
// scanning (mode, resolution, area), and one scan into an 8-bit RGB picture that another thread can
// cancel.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// SANE's status numbers (SANE_Status), kept as plain ints so that callers need not include SANE.
enum ScanStatus : int {
    SCAN_GOOD = 0,
    SCAN_UNSUPPORTED = 1,
    SCAN_CANCELLED = 2,
    SCAN_DEVICE_BUSY = 3,
    SCAN_INVAL = 4,
    SCAN_EOF = 5,
    SCAN_JAMMED = 6,
    SCAN_NO_DOCS = 7,
    SCAN_COVER_OPEN = 8,
    SCAN_IO_ERROR = 9,
    SCAN_NO_MEM = 10,
    SCAN_ACCESS_DENIED = 11,
};

struct ScanDeviceInfo {
    std::string name;  // what sane_open takes
    std::string vendor, model, type;
    // "vendor model (name)", as a user picks it.
    std::string Label() const;
};

// The devices SANE sees, counted off the caller's thread. One per process.
class CScanDeviceList {
public:
    static CScanDeviceList& Get();

    // Starts a count in the background; a call while one runs asks for one more after it.
    void Refresh();
    // -1 until the first count ends.
    int Count() const { return m_count.load(); }
    std::vector<ScanDeviceInfo> Devices() const;
    // Waits for the counts asked so far; false when they did not end in time.
    bool WaitIdle(int milliseconds);
    // Called (on the counting thread) after each count.
    void SetListener(std::function<void()> listener);
    // Ends the counting: waits for a running count at most that long, then leaves it behind
    // (a later Refresh starts again).
    void Shutdown(int milliseconds);

private:
    CScanDeviceList() = default;
    void Run();

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::thread m_thread;
    bool m_bRunning = false;
    bool m_bAgain = false;
    std::vector<ScanDeviceInfo> m_devices;
    std::function<void()> m_listener;
    std::atomic<int> m_count{-1};
};

// One option a user may set before scanning.
struct ScanOption {
    enum Kind { Choice, Range, Numbers } kind = Choice;
    std::string name, title;
    bool fixed = false;                 // SANE's fixed-point numbers (millimetres, fractional dpi)
    std::vector<std::string> choices;   // Choice
    double minimum = 0, maximum = 0, quant = 0;  // Range
    std::vector<double> numbers;        // Numbers
    std::string text;                   // Choice: the current value
    double value = 0;                   // Range, Numbers: the current value
};

// The scanned picture, 8 bits per channel, rows of width * 3 bytes.
struct ScannedPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

class CScanDevice {
public:
    CScanDevice();
    ~CScanDevice();
    CScanDevice(const CScanDevice&) = delete;
    CScanDevice& operator=(const CScanDevice&) = delete;

    int Open(const std::string& name);
    bool IsOpen() const { return m_handle != nullptr; }
    void Close();

    // The device's mode, resolution and area options that are active and settable, as it has them.
    std::vector<ScanOption> GetUserOptions();
    // Sets one of them (a text for a choice, else the number); the device may round it.
    int SetOption(const std::string& name, const std::string& text, double value);

    // Scans one picture (every frame of it). progress gets 0..100 when the size is known. Runs on
    // any one thread; Cancel may come from another.
    int Scan(ScannedPicture& picture, const std::function<void(int percent)>& progress);
    void Cancel();
    bool IsCancelled() const { return m_bCancel.load(); }

private:
    int FindOption(const std::string& name);

    void* m_handle = nullptr;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bScanning{false};
    std::mutex m_cancelMutex;
};
