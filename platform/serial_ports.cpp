#include "platform/serial_ports.h"

#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

bool SerialPortEvent::Names(const std::string& port) const {
    if (port.empty()) return false;
    return port == node || std::find(links.begin(), links.end(), port) != links.end();
}

namespace {

constexpr const char* kById = "/dev/serial/by-id/";

std::vector<std::string> LinksOf(udev_device* device) {
    std::vector<std::string> links;
    for (udev_list_entry* e = udev_device_get_devlinks_list_entry(device); e; e = udev_list_entry_get_next(e))
        if (const char* name = udev_list_entry_get_name(e)) links.emplace_back(name);
    return links;
}

// A tty with hardware behind it: virtual consoles have no parent, and the placeholders of the
// legacy serial driver sit on the platform bus with nothing connected.
bool IsSerialPort(udev_device* device) {
    udev_device* parent = udev_device_get_parent(device);
    if (!parent) return false;
    const char* subsystem = udev_device_get_subsystem(parent);
    const char* driver = udev_device_get_driver(parent);
    return !(subsystem && std::strcmp(subsystem, "platform") == 0 && driver && std::strcmp(driver, "serial8250") == 0);
}

std::string StableName(udev_device* device) {
    for (const auto& link : LinksOf(device))
        if (link.rfind(kById, 0) == 0) return link;
    const char* node = udev_device_get_devnode(device);
    return node ? node : "";
}

WString FriendlyName(udev_device* device) {
    std::string model;
    for (const char* property : {"ID_MODEL_FROM_DATABASE", "ID_MODEL"}) {
        const char* value = udev_device_get_property_value(device, property);
        if (value && *value) {
            model = value;
            break;
        }
    }
    std::replace(model.begin(), model.end(), '_', ' ');
    const char* sysname = udev_device_get_sysname(device);
    const std::string name = sysname ? sysname : "";
    return Utf8ToW(model.empty() ? name : model + " (" + name + ")");
}

class CUdevPortWatcher : public ISerialPortWatcher {
public:
    explicit CUdevPortWatcher(UiPost post) : m_post(std::move(post)), m_udev(udev_new()) {}
    ~CUdevPortWatcher() override {
        StopThread();
        if (m_udev) udev_unref(m_udev);
    }

    std::vector<SerialPortInfo> ListPorts() override {
        std::vector<SerialPortInfo> ports;
        if (!m_udev) return ports;
        udev_enumerate* enumerate = udev_enumerate_new(m_udev);
        if (!enumerate) return ports;
        udev_enumerate_add_match_subsystem(enumerate, "tty");
        udev_enumerate_scan_devices(enumerate);
        for (udev_list_entry* e = udev_enumerate_get_list_entry(enumerate); e; e = udev_list_entry_get_next(e)) {
            udev_device* device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(e));
            if (!device) continue;
            if (IsSerialPort(device) && udev_device_get_devnode(device))
                ports.push_back({StableName(device), FriendlyName(device)});
            udev_device_unref(device);
        }
        udev_enumerate_unref(enumerate);
        return ports;
    }

    void Watch(std::function<void(const SerialPortEvent&)> listener) override {
        StopThread();
        {
            std::lock_guard lock(m_mutex);
            m_listener = std::make_shared<std::function<void(const SerialPortEvent&)>>(std::move(listener));
        }
        if (!*m_listener || !m_udev || ::pipe(m_wake) != 0) return;
        udev_monitor* monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (!monitor) {
            CloseWake();
            return;
        }
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr);
        if (udev_monitor_enable_receiving(monitor) < 0) {
            udev_monitor_unref(monitor);
            CloseWake();
            return;
        }
        m_thread = std::thread([this, monitor] { Run(monitor); });
    }

private:
    void Run(udev_monitor* monitor) {
        pollfd fds[2] = {{udev_monitor_get_fd(monitor), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (fds[1].revents) break;
            if (!(fds[0].revents & POLLIN)) continue;
            udev_device* device = udev_monitor_receive_device(monitor);
            if (!device) continue;
            const char* action = udev_device_get_action(device);
            const char* node = udev_device_get_devnode(device);
            if (action && node && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0)) {
                SerialPortEvent event;
                event.added = std::strcmp(action, "add") == 0;
                event.node = node;
                event.links = LinksOf(device);
                std::shared_ptr<std::function<void(const SerialPortEvent&)>> listener;
                {
                    std::lock_guard lock(m_mutex);
                    listener = m_listener;
                }
                // A later Watch or the destructor empties this listener, so a call still queued then
                // does nothing.
                if (listener && *listener) m_post([listener, event] {
                        if (*listener) (*listener)(event);
                    });
            }
            udev_device_unref(device);
        }
        udev_monitor_unref(monitor);
    }

    void StopThread() {
        if (m_thread.joinable()) {
            const char byte = 0;
            (void)!::write(m_wake[1], &byte, 1);
            m_thread.join();
        }
        CloseWake();
        std::lock_guard lock(m_mutex);
        if (m_listener) *m_listener = nullptr;
        m_listener.reset();
    }
    void CloseWake() {
        for (int& fd : m_wake)
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
    }

    UiPost m_post;
    udev* m_udev;
    std::thread m_thread;
    int m_wake[2] = {-1, -1};
    std::mutex m_mutex;
    std::shared_ptr<std::function<void(const SerialPortEvent&)>> m_listener;
};

}  // namespace

std::unique_ptr<ISerialPortWatcher> CreateUdevPortWatcher(UiPost post) {
    return std::make_unique<CUdevPortWatcher>(std::move(post));
}
