#include "platform/scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <chrono>
#include <cstring>

namespace {

// SANE's calls are not safe from several threads at once, except reading and cancelling a device;
// one lock orders the rest, and counts the users of the library between sane_init and sane_exit.
std::mutex g_saneMutex;
int g_saneUsers = 0;

bool AcquireSane() {
    std::lock_guard lock(g_saneMutex);
    if (g_saneUsers == 0) {
        SANE_Int version = 0;
        if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return false;
    }
    ++g_saneUsers;
    return true;
}

void ReleaseSane() {
    std::lock_guard lock(g_saneMutex);
    if (g_saneUsers > 0 && --g_saneUsers == 0) sane_exit();
}

std::string Text(SANE_String_Const text) {
    return text ? std::string(text) : std::string();
}

bool IsUserOption(const char* name) {
    for (const char* wanted : {SANE_NAME_SCAN_MODE, SANE_NAME_SCAN_RESOLUTION, SANE_NAME_SCAN_TL_X,
                               SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y})
        if (std::strcmp(name, wanted) == 0) return true;
    return false;
}

double FromWord(SANE_Word word, bool fixed) {
    return fixed ? SANE_UNFIX(word) : double(word);
}

SANE_Word ToWord(double value, bool fixed) {
    return fixed ? SANE_FIX(value) : SANE_Word(value < 0 ? value - 0.5 : value + 0.5);
}

// A picture larger than this is refused rather than allocated (about 40000 x 40000 pixels).
constexpr uint64_t kMaxPixels = 1600000000ull;

// One sample of a line (the channel-th of the pixel for interleaved data) as 8 bits.
uint8_t Sample(const uint8_t* line, int depth, int index) {
    switch (depth) {
        case 1:
            // Set bits are black.
            return (line[index / 8] & (0x80 >> (index % 8))) ? 0 : 255;
        case 16: {
            uint16_t v;
            std::memcpy(&v, line + 2 * index, 2);
            return uint8_t(v >> 8);
        }
        default:
            return line[index];
    }
}

}  // namespace

std::string ScanDeviceInfo::Label() const {
    std::string label = vendor;
    if (!model.empty()) label += (label.empty() ? "" : " ") + model;
    return label.empty() ? name : label + " (" + name + ")";
}

// ---- the device list -------------------------------------------------------------------------

CScanDeviceList& CScanDeviceList::Get() {
    // Never destroyed: a count left running at exit must still find it.
    static CScanDeviceList* list = new CScanDeviceList;
    return *list;
}

void CScanDeviceList::Refresh() {
    std::lock_guard lock(m_mutex);
    if (m_bRunning) {
        m_bAgain = true;
        return;
    }
    if (m_thread.joinable()) m_thread.join();
    m_bRunning = true;
    m_thread = std::thread([this] { Run(); });
}

void CScanDeviceList::Run() {
    for (;;) {
        std::vector<ScanDeviceInfo> found;
        if (AcquireSane()) {
            {
                std::lock_guard lock(g_saneMutex);
                const SANE_Device** devices = nullptr;
                if (sane_get_devices(&devices, SANE_TRUE) == SANE_STATUS_GOOD && devices) {
                    for (const SANE_Device** d = devices; *d; ++d)
                        found.push_back({Text((*d)->name), Text((*d)->vendor), Text((*d)->model), Text((*d)->type)});
                }
            }
            ReleaseSane();
        }
        std::function<void()> listener;
        {
            std::lock_guard lock(m_mutex);
            m_devices = std::move(found);
            m_count.store(int(m_devices.size()));
            listener = m_listener;
        }
        if (listener) listener();
        std::lock_guard lock(m_mutex);
        if (!m_bAgain) {
            m_bRunning = false;
            m_idle.notify_all();
            return;
        }
        m_bAgain = false;
    }
}

std::vector<ScanDeviceInfo> CScanDeviceList::Devices() const {
    std::lock_guard lock(m_mutex);
    return m_devices;
}

bool CScanDeviceList::WaitIdle(int milliseconds) {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !m_bRunning; });
}

void CScanDeviceList::SetListener(std::function<void()> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

void CScanDeviceList::Shutdown(int milliseconds) {
    const bool idle = WaitIdle(milliseconds);
    std::lock_guard lock(m_mutex);
    m_bAgain = false;
    m_listener = nullptr;
    if (!m_thread.joinable()) return;
    if (idle)
        m_thread.join();
    else
        m_thread.detach();  // a backend that hangs must not hold the program open
}

// ---- one device ------------------------------------------------------------------------------

CScanDevice::CScanDevice() = default;

CScanDevice::~CScanDevice() {
    Close();
}

int CScanDevice::Open(const std::string& name) {
    Close();
    m_bCancel = false;
    if (!AcquireSane()) return SCAN_IO_ERROR;
    SANE_Handle handle = nullptr;
    SANE_Status status;
    {
        std::lock_guard lock(g_saneMutex);
        status = sane_open(name.c_str(), &handle);
    }
    if (status != SANE_STATUS_GOOD || !handle) {
        ReleaseSane();
        return status == SANE_STATUS_GOOD ? SCAN_IO_ERROR : int(status);
    }
    std::lock_guard lock(m_cancelMutex);
    m_handle = handle;
    return SCAN_GOOD;
}

void CScanDevice::Close() {
    std::lock_guard cancel(m_cancelMutex);
    if (!m_handle) return;
    {
        std::lock_guard lock(g_saneMutex);
        sane_cancel(m_handle);
        sane_close(m_handle);
    }
    m_handle = nullptr;
    ReleaseSane();
}

int CScanDevice::FindOption(const std::string& name) {
    std::lock_guard lock(g_saneMutex);
    SANE_Int count = 0;
    if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return -1;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
        if (d && d->name && name == d->name) return i;
    }
    return -1;
}

std::vector<ScanOption> CScanDevice::GetUserOptions() {
    std::vector<ScanOption> options;
    if (!m_handle) return options;
    std::lock_guard lock(g_saneMutex);
    SANE_Int count = 0;
    if (sane_control_option(m_handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return options;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, i);
        if (!d || !d->name || !IsUserOption(d->name)) continue;
        if (!SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size <= 0) continue;
        ScanOption option;
        option.name = d->name;
        option.title = Text(d->title);
        if (d->type == SANE_TYPE_STRING && d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
            option.kind = ScanOption::Choice;
            for (const SANE_String_Const* s = d->constraint.string_list; s && *s; ++s) option.choices.push_back(*s);
            std::vector<char> value(size_t(d->size) + 1, '\0');
            if (sane_control_option(m_handle, i, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
                continue;
            option.text = value.data();
        } else if ((d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED) && d->size == sizeof(SANE_Word)) {
            option.fixed = d->type == SANE_TYPE_FIXED;
            if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
                option.kind = ScanOption::Range;
                option.minimum = FromWord(d->constraint.range->min, option.fixed);
                option.maximum = FromWord(d->constraint.range->max, option.fixed);
                option.quant = FromWord(d->constraint.range->quant, option.fixed);
            } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
                option.kind = ScanOption::Numbers;
                for (SANE_Int n = 1; n <= d->constraint.word_list[0]; ++n)
                    option.numbers.push_back(FromWord(d->constraint.word_list[n], option.fixed));
            } else {
                continue;
            }
            SANE_Word word = 0;
            if (sane_control_option(m_handle, i, SANE_ACTION_GET_VALUE, &word, nullptr) != SANE_STATUS_GOOD)
                continue;
            option.value = FromWord(word, option.fixed);
        } else {
            continue;
        }
        options.push_back(std::move(option));
    }
    return options;
}

int CScanDevice::SetOption(const std::string& name, const std::string& text, double value) {
    if (!m_handle) return SCAN_INVAL;
    const int index = FindOption(name);
    if (index < 0) return SCAN_UNSUPPORTED;
    std::lock_guard lock(g_saneMutex);
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(m_handle, index);
    if (!d) return SCAN_INVAL;
    SANE_Int info = 0;
    SANE_Status status;
    if (d->type == SANE_TYPE_STRING) {
        std::vector<char> buffer(std::max<size_t>(size_t(d->size), text.size() + 1), '\0');
        if (text.size() + 1 > size_t(d->size)) return SCAN_INVAL;
        std::memcpy(buffer.data(), text.data(), text.size());
        status = sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
    } else if (d->type == SANE_TYPE_INT || d->type == SANE_TYPE_FIXED || d->type == SANE_TYPE_BOOL) {
        SANE_Word word = d->type == SANE_TYPE_BOOL ? (value != 0 ? SANE_TRUE : SANE_FALSE)
                                                   : ToWord(value, d->type == SANE_TYPE_FIXED);
        status = sane_control_option(m_handle, index, SANE_ACTION_SET_VALUE, &word, &info);
    } else {
        return SCAN_UNSUPPORTED;
    }
    return int(status);
}

void CScanDevice::Cancel() {
    m_bCancel = true;
    std::lock_guard lock(m_cancelMutex);
    if (m_handle && m_bScanning) sane_cancel(m_handle);
}

int CScanDevice::Scan(ScannedPicture& picture, const std::function<void(int percent)>& progress) {
    picture = {};
    if (!m_handle) return SCAN_INVAL;
    m_bScanning = true;
    struct Done {
        std::atomic<bool>& flag;
        ~Done() { flag = false; }
    } done{m_bScanning};
    if (m_bCancel) return SCAN_CANCELLED;

    std::vector<uint8_t> line;
    for (int frame = 0;; ++frame) {
        SANE_Status status;
        SANE_Parameters params{};
        {
            std::lock_guard lock(g_saneMutex);
            status = sane_start(m_handle);
            if (status == SANE_STATUS_GOOD) status = sane_get_parameters(m_handle, &params);
        }
        if (m_bCancel) status = SANE_STATUS_CANCELLED;
        if (status != SANE_STATUS_GOOD) return int(status);
        const bool single = params.format == SANE_FRAME_GRAY || params.format == SANE_FRAME_RGB;
        if (params.pixels_per_line <= 0 || params.bytes_per_line <= 0 ||
            (params.depth != 1 && params.depth != 8 && params.depth != 16) ||
            (!single && params.format != SANE_FRAME_RED && params.format != SANE_FRAME_GREEN &&
             params.format != SANE_FRAME_BLUE))
            return SCAN_UNSUPPORTED;
        const int channels = params.format == SANE_FRAME_RGB ? 3 : 1;
        const uint64_t needed = (uint64_t(params.pixels_per_line) * uint64_t(channels) * uint64_t(params.depth) + 7) / 8;
        if (uint64_t(params.bytes_per_line) < needed) return SCAN_UNSUPPORTED;
        if (frame == 0) {
            picture.width = params.pixels_per_line;
        } else if (picture.width != params.pixels_per_line) {
            return SCAN_UNSUPPORTED;
        }
        if (params.lines > 0 && uint64_t(params.lines) * uint64_t(params.pixels_per_line) > kMaxPixels)
            return SCAN_NO_MEM;
        const int frames = single ? 1 : 3;
        const uint64_t total = params.lines > 0 ? uint64_t(params.lines) * uint64_t(params.bytes_per_line) : 0;
        line.assign(size_t(params.bytes_per_line), 0);
        size_t filled = 0;
        int row = 0;
        uint64_t read = 0;
        int lastPercent = -1;
        std::vector<uint8_t> buffer(65536);
        for (;;) {
            SANE_Int length = 0;
            status = sane_read(m_handle, buffer.data(), SANE_Int(buffer.size()), &length);
            if (m_bCancel) status = SANE_STATUS_CANCELLED;
            if (status == SANE_STATUS_EOF) break;
            if (status != SANE_STATUS_GOOD) {
                picture = {};
                return int(status);
            }
            read += uint64_t(length);
            for (SANE_Int i = 0; i < length;) {
                const size_t take = std::min(line.size() - filled, size_t(length - i));
                std::memcpy(line.data() + filled, buffer.data() + i, take);
                filled += int(take);
                i += SANE_Int(take);
                if (filled < line.size()) continue;
                filled = 0;
                if (params.lines > 0 && row >= params.lines) continue;  // more than announced
                if (row >= picture.height) {
                    if (uint64_t(row + 1) * uint64_t(picture.width) > kMaxPixels) return SCAN_NO_MEM;
                    picture.height = row + 1;
                    picture.rgb.resize(size_t(picture.height) * size_t(picture.width) * 3, 255);
                }
                uint8_t* out = picture.rgb.data() + size_t(row) * size_t(picture.width) * 3;
                for (int x = 0; x < picture.width; ++x) {
                    if (params.format == SANE_FRAME_RGB) {
                        for (int c = 0; c < 3; ++c) out[3 * x + c] = Sample(line.data(), params.depth, 3 * x + c);
                    } else if (params.format == SANE_FRAME_GRAY) {
                        out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = Sample(line.data(), params.depth, x);
                    } else {
                        const int c = params.format == SANE_FRAME_RED ? 0 : params.format == SANE_FRAME_GREEN ? 1 : 2;
                        out[3 * x + c] = Sample(line.data(), params.depth, x);
                    }
                }
                ++row;
            }
            if (progress && total > 0) {
                const int percent = int(std::min<uint64_t>(100, (uint64_t(frame) * 100 + read * 100 / total) / frames));
                if (percent != lastPercent) progress(lastPercent = percent);
            }
        }
        if (params.last_frame) break;
        if (frame >= 2) return SCAN_UNSUPPORTED;
    }
    {
        std::lock_guard lock(g_saneMutex);
        sane_cancel(m_handle);  // the scan is complete: the device goes back to idle
    }
    if (picture.height == 0) return SCAN_IO_ERROR;
    return SCAN_GOOD;
}
