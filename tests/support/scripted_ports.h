// Stand-ins for the program's event loop and the computer's serial ports, for tests of the reader
// manager: a queue of calls for the user-interface thread that the test drains, and a port watcher
// whose ports and hot-plug events the test scripts (CI has neither a udev database nor hot-plug).
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/serial_ports.h"

class CUiQueue {
public:
    UiPost Poster() {
        return [this](std::function<void()> fn) {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(fn));
        };
    }
    // Runs the queued calls on this thread, including those they queue; how many ran.
    int Drain() {
        int ran = 0;
        for (;;) {
            std::function<void()> fn;
            {
                std::lock_guard lock(m_mutex);
                if (m_calls.empty()) return ran;
                fn = std::move(m_calls.front());
                m_calls.pop_front();
            }
            fn();
            ++ran;
        }
    }
    // Drains until the condition holds; false at the time limit.
    bool DrainUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            Drain();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    size_t Pending() {
        std::lock_guard lock(m_mutex);
        return m_calls.size();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};

class CScriptedPortWatcher : public ISerialPortWatcher {
public:
    std::vector<SerialPortInfo> ports;

    std::vector<SerialPortInfo> ListPorts() override { return ports; }
    void Watch(std::function<void(const SerialPortEvent&)> listener) override { m_listener = std::move(listener); }

    // The port appears or goes, as udev would tell it (on the user-interface thread).
    void Add(const std::string& node, std::vector<std::string> links = {}) { Fire(true, node, std::move(links)); }
    void Remove(const std::string& node, std::vector<std::string> links = {}) { Fire(false, node, std::move(links)); }
    bool IsWatched() const { return bool(m_listener); }

private:
    void Fire(bool added, const std::string& node, std::vector<std::string> links) {
        if (!m_listener) return;
        SerialPortEvent event;
        event.added = added;
        event.node = node;
        event.links = std::move(links);
        m_listener(event);
    }
    std::function<void(const SerialPortEvent&)> m_listener;
};
