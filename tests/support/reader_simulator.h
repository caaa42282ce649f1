// A stick reader on a pseudo-terminal: the tests give its slave's path to the code under test as the
// port and script the reader's side. It answers the reader's commands from its tables, can be told
// to answer otherwise (wrong replies, silence, replies split with pauses), sends tag messages when
// asked, hangs up, and logs every byte it receives.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CReaderSimulator {
public:
    CReaderSimulator();
    ~CReaderSimulator();
    CReaderSimulator(const CReaderSimulator&) = delete;
    CReaderSimulator& operator=(const CReaderSimulator&) = delete;

    // The port to open: the pseudo-terminal's slave.
    const std::string& Path() const { return m_path; }

    // Every byte received so far.
    std::string Received() const;
    void ClearReceived();
    // Waits until the received bytes contain `bytes`; false at the time limit.
    bool WaitForReceived(const std::string& bytes, std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

    // The reader's own data.
    void SetIdentity(const std::string& identity) { Locked([&] { m_identity = identity; }); }
    // Records sent for "[CSE]" and "[CSW]", each followed by CR LF, then the OK record.
    void SetEquivalenceRecords(std::vector<std::string> records) { Locked([&] { m_equivalence = std::move(records); }); }
    void SetControlRecords(std::vector<std::string> records) { Locked([&] { m_control = std::move(records); }); }
    // The equivalence records uploaded since the last "[CEE]", as received.
    std::vector<std::string> Uploaded() const;
    bool ControlErased() const;

    // Faults. The reply to a command ("[CSS]", "[CEE]", "[CSE]", "[CSW]", "[CEW]", or "[EA" for every
    // record) replaced by these bytes; nothing at all for std::nullopt.
    void SetReply(const std::string& command, std::optional<std::string> reply);
    // The echo of upload record `index` (from 0) altered in its last character.
    void CorruptEchoAt(int index) { Locked([&] { m_corruptEcho = index; }); }
    // Replies go out in pieces of `size` bytes with `pause` between them.
    void SetChunks(size_t size, std::chrono::milliseconds pause) {
        Locked([&] {
            m_chunk = size;
            m_pause = pause;
        });
    }
    // Unsolicited bytes, such as a tag message, sent at once.
    void Send(const std::string& bytes);
    // "[EA" and the EID as 22 digits: the 25-byte message a tag read gives.
    static std::string TagMessage(uint64_t eid);
    // Closes the terminal: the port's reads fail from now on.
    void HangUp();

private:
    template <typename F>
    void Locked(F f) {
        std::lock_guard lock(m_mutex);
        f();
    }
    void Run();
    void OnCommand(const std::string& command);
    void Reply(const std::string& command, const std::string& normal);
    void Write(const std::string& bytes);

    std::string m_path;
    int m_master = -1;
    int m_slave = -1;  // held open so that the master never sees the port closed between exchanges
    int m_wake[2] = {-1, -1};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_received_cv;
    std::mutex m_writeMutex;
    std::string m_received;
    std::string m_pending;  // a command not yet complete
    std::string m_identity = "2S v1.0";
    std::vector<std::string> m_equivalence;
    std::vector<std::string> m_control;
    std::vector<std::string> m_uploaded;
    bool m_controlErased = false;
    std::map<std::string, std::optional<std::string>> m_replies;
    int m_corruptEcho = -1;
    size_t m_chunk = 0;
    std::chrono::milliseconds m_pause{0};
};
