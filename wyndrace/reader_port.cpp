#include "wyndrace/reader_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace {

std::atomic<int> g_deadlineMs{0};

struct BaudEntry {
    uint32_t rate;
    speed_t speed;
};
constexpr BaudEntry kBauds[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

bool StopRequested(int stopFd) {
    if (stopFd < 0) return false;
    pollfd p{stopFd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

void SetModemLine(int fd, int line, bool on) {
    // Pseudo-terminals and some adapters have no modem lines: not an error for the protocol.
    (void)::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

}  // namespace

int ReaderDeadlineMs() {
    int ms = g_deadlineMs.load();
    return ms > 0 ? ms : kReaderDeadlineMs;
}

void SetReaderDeadlineMsForTesting(int ms) {
    g_deadlineMs.store(ms);
}

bool ApplyCommConfigToTermios(const COMMCONFIG& config, termios& tio) {
    const DCB& dcb = config.dcb;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;

    speed_t speed = 0;
    bool known = false;
    for (const auto& b : kBauds) {
        if (b.rate == dcb.BaudRate) {
            speed = b.speed;
            known = true;
        }
    }
    if (!known) {
        errno = EINVAL;
        return false;
    }
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);

    tio.c_cflag &= ~CSIZE;
    switch (dcb.ByteSize) {
        case 5: tio.c_cflag |= CS5; break;
        case 6: tio.c_cflag |= CS6; break;
        case 7: tio.c_cflag |= CS7; break;
        case 8: tio.c_cflag |= CS8; break;
        default: errno = EINVAL; return false;
    }

    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (dcb.Parity) {
        case 0: break;
        case 1: tio.c_cflag |= PARENB | PARODD; break;
        case 2: tio.c_cflag |= PARENB; break;
        case 3: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 4: tio.c_cflag |= PARENB | CMSPAR; break;
        default: errno = EINVAL; return false;
    }
    if (dcb.Parity != 0 && (dcb.flags & DCB_fParity)) tio.c_iflag |= INPCK;

    // One and a half stop bits exist only for 5-bit words; termios offers one or two.
    if (dcb.StopBits == 0)
        tio.c_cflag &= ~CSTOPB;
    else
        tio.c_cflag |= CSTOPB;

    const uint32_t rts = (dcb.flags & DCB_fRtsControlMask) >> DCB_fRtsControlShift;
    if ((dcb.flags & DCB_fOutxCtsFlow) || rts == RTS_CONTROL_HANDSHAKE)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;

    if (dcb.flags & DCB_fOutX) tio.c_iflag |= IXON;
    if (dcb.flags & DCB_fInX) tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = dcb.XonChar ? cc_t(dcb.XonChar) : cc_t(0x11);
    tio.c_cc[VSTOP] = dcb.XoffChar ? cc_t(dcb.XoffChar) : cc_t(0x13);
    // Reads are paced by poll and a deadline of our own; with O_NONBLOCK and VMIN 1 an empty line
    // reads EAGAIN and a hung-up one 0, which VMIN 0 would not tell apart.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return true;
}

uint32_t CReaderPort::Open(const std::string& path, const COMMCONFIG& config) {
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return EIDErrorFromErrno(errno);
    // The lock keeps a second opener out even where TIOCEXCL does not (root).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return EIDErrorFromErrno(error);
    }
    (void)::ioctl(fd, TIOCEXCL);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0 || !ApplyCommConfigToTermios(config, tio) || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        int error = errno;
        ::close(fd);
        return EIDErrorFromErrno(error);
    }
    const uint32_t dtr = (config.dcb.flags & DCB_fDtrControlMask) >> DCB_fDtrControlShift;
    SetModemLine(fd, TIOCM_DTR, dtr != DTR_CONTROL_DISABLE);
    const uint32_t rts = (config.dcb.flags & DCB_fRtsControlMask) >> DCB_fRtsControlShift;
    // Toggle has no termios meaning: the line is left as the driver has it.
    if (rts == RTS_CONTROL_DISABLE || rts == RTS_CONTROL_ENABLE) SetModemLine(fd, TIOCM_RTS, rts == RTS_CONTROL_ENABLE);

    ::tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    return EID_OK;
}

void CReaderPort::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also drops the lock
        m_fd = -1;
    }
}

uint32_t CReaderPort::Write(const std::string& bytes) {
    if (m_fd < 0) return EIDErrorFromErrno(EBADF);
    ::tcflush(m_fd, TCIOFLUSH);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ReaderDeadlineMs());
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            if (done > 0) break;
            return EIDErrorFromErrno(errno);
        }
        int left = MsLeft(deadline);
        if (left == 0) break;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) return EIDErrorFromErrno(errno);
    }
    return done > 0 ? EID_OK : EID_PORT_NOT_FOUND;
}

uint32_t CReaderPort::Read(std::string& out, size_t n, int stopFd) {
    out.clear();
    if (m_fd < 0) return EIDErrorFromErrno(EBADF);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ReaderDeadlineMs());
    char buffer[256];
    while (out.size() < n) {
        ssize_t got = ::read(m_fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (got > 0) {
            out.append(buffer, size_t(got));
            continue;
        }
        if (got == 0) return out.empty() ? EIDErrorFromErrno(EIO) : EID_OK;  // hung up
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return out.empty() ? EIDErrorFromErrno(errno) : EID_OK;
        int left = MsLeft(deadline);
        if (left == 0) break;
        pollfd p[2] = {{m_fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        int r = ::poll(p, stopFd >= 0 ? 2 : 1, left);
        if (r < 0 && errno != EINTR) return EIDErrorFromErrno(errno);
        if (stopFd >= 0 && (p[1].revents & POLLIN)) return EID_SCAN_STOPPED;
    }
    return out.empty() ? EID_NO_REPLY : EID_OK;
}

uint32_t CReaderPort::WaitReadable(int stopFd) {
    if (m_fd < 0) return EIDErrorFromErrno(EBADF);
    for (;;) {
        if (StopRequested(stopFd)) return EID_SCAN_STOPPED;
        pollfd p[2] = {{m_fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        int r = ::poll(p, stopFd >= 0 ? 2 : 1, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            return EIDErrorFromErrno(errno);
        }
        if (stopFd >= 0 && (p[1].revents & POLLIN)) return EID_SCAN_STOPPED;
        if (p[0].revents & POLLNVAL) return EIDErrorFromErrno(EBADF);
        // A hang-up or error is reported by the read that follows.
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) return EID_OK;
    }
}
