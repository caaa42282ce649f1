#include "support/reader_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

CReaderSimulator::CReaderSimulator() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_path = ::ptsname(m_master);
    m_slave = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) throw std::runtime_error("cannot open " + m_path);
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (::pipe2(m_wake, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    m_thread = std::thread(&CReaderSimulator::Run, this);
}

CReaderSimulator::~CReaderSimulator() {
    HangUp();
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

void CReaderSimulator::HangUp() {
    if (m_thread.joinable()) {
        char c = 'x';
        (void)!::write(m_wake[1], &c, 1);
        m_thread.join();
    }
    std::lock_guard lock(m_writeMutex);
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
}

std::string CReaderSimulator::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void CReaderSimulator::ClearReceived() {
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

bool CReaderSimulator::WaitForReceived(const std::string& bytes, std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_received_cv.wait_for(lock, limit, [&] { return m_received.find(bytes) != std::string::npos; });
}

std::vector<std::string> CReaderSimulator::Uploaded() const {
    std::lock_guard lock(m_mutex);
    return m_uploaded;
}

bool CReaderSimulator::ControlErased() const {
    std::lock_guard lock(m_mutex);
    return m_controlErased;
}

void CReaderSimulator::SetReply(const std::string& command, std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_replies[command] = std::move(reply);
}

std::string CReaderSimulator::TagMessage(uint64_t eid) {
    char text[32];
    std::snprintf(text, sizeof text, "[EA%022llu", static_cast<unsigned long long>(eid));
    return text;
}

void CReaderSimulator::Send(const std::string& bytes) {
    std::lock_guard lock(m_writeMutex);
    size_t done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

void CReaderSimulator::Write(const std::string& bytes) {
    size_t chunk;
    std::chrono::milliseconds pause;
    {
        std::lock_guard lock(m_mutex);
        chunk = m_chunk;
        pause = m_pause;
    }
    if (chunk == 0) {
        Send(bytes);
        return;
    }
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        if (at > 0) std::this_thread::sleep_for(pause);
        Send(bytes.substr(at, chunk));
    }
}

void CReaderSimulator::Run() {
    char buffer[512];
    for (;;) {
        pollfd p[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[1].revents) return;
        ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            // EIO while no slave is open: wait a little for the next opener.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        std::vector<std::string> commands;
        {
            std::lock_guard lock(m_mutex);
            m_received.append(buffer, size_t(n));
            for (ssize_t i = 0; i < n; ++i) {
                char c = buffer[i];
                if (m_pending.empty() && (c == '\r' || c == '\n')) continue;
                m_pending += c;
                if (c == ']') {
                    commands.push_back(m_pending);
                    m_pending.clear();
                }
            }
        }
        m_received_cv.notify_all();
        for (const auto& command : commands) OnCommand(command);
    }
}

void CReaderSimulator::Reply(const std::string& command, const std::string& normal) {
    std::optional<std::string> reply = normal;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_replies.find(command);
        if (it != m_replies.end()) reply = it->second;
    }
    if (reply) Write(*reply);
}

void CReaderSimulator::OnCommand(const std::string& command) {
    if (command == "[CSS]") {
        std::string identity;
        Locked([&] { identity = m_identity; });
        Reply(command, "[CSS]" + identity + "[CSSOK]\r\n");
    } else if (command == "[CEE]") {
        Locked([&] { m_uploaded.clear(); });
        Reply(command, "[CEE][CEEOK]\r\n\r\n");
    } else if (command.rfind("[EA", 0) == 0) {
        std::string echo = command;
        Locked([&] {
            if (int(m_uploaded.size()) == m_corruptEcho) echo.back() = '?';
            m_uploaded.push_back(command);
        });
        Reply("[EA", echo);
    } else if (command == "[CSE]" || command == "[CSW]") {
        std::string reply = command;
        Locked([&] {
            for (const auto& record : command == "[CSE]" ? m_equivalence : m_control) reply += record + "\r\n";
        });
        reply += command == "[CSE]" ? "[CSEOK]\r\n" : "[CSWOK]\r\n";
        Reply(command, reply);
    } else if (command == "[CEW]") {
        Locked([&] { m_controlErased = true; });
        Reply(command, "[CEW][CEWOK]\r\n\r\n");
    }
}
