// The serial port of a reader: opened by name for one exchange, raw, with the total read deadline
// that paces the whole protocol. Every failure is a reader result code (abi/reader_abi.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "abi/reader_abi.h"

// The total time one read or write may take. Tests shorten it; the reader needs the full second.
constexpr int kReaderDeadlineMs = 1000;
int ReaderDeadlineMs();
void SetReaderDeadlineMsForTesting(int ms);  // 0: back to kReaderDeadlineMs

// The port settings as termios applies them; false with errno set when the record asks for
// something the line cannot do (an unknown baud rate or byte size).
struct termios;
bool ApplyCommConfigToTermios(const COMMCONFIG& config, termios& tio);

class CReaderPort {
public:
    CReaderPort() = default;
    ~CReaderPort() { Close(); }
    CReaderPort(const CReaderPort&) = delete;
    CReaderPort& operator=(const CReaderPort&) = delete;

    // Opens the port for this process alone, applies the settings in raw mode and purges both
    // directions. A port in use elsewhere gives the code of EBUSY.
    uint32_t Open(const std::string& path, const COMMCONFIG& config);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // Purges both directions, then writes the bytes. EID_OK when at least one byte went out,
    // EID_PORT_NOT_FOUND when none did, else a system error code.
    uint32_t Write(const std::string& bytes);
    // Reads until n bytes came or the deadline passed. EID_NO_REPLY when nothing came, EID_OK
    // otherwise (out holds what came, at most n bytes), a system error code when the line failed.
    // A readable stopFd ends the wait at once with EID_SCAN_STOPPED.
    uint32_t Read(std::string& out, size_t n, int stopFd = -1);
    // Waits without limit for the first byte, or for stopFd. EID_OK, EID_SCAN_STOPPED or an error.
    uint32_t WaitReadable(int stopFd);

private:
    int m_fd = -1;
};
