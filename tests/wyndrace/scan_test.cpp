#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "reader_fixture.h"
#include "wyndrace/scan.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Notice {
    uint32_t code;
    uint64_t value;
    bool operator==(const Notice&) const = default;
};

class Scan : public ReaderTest {
protected:
    void TearDown() override {
        EIDStopScan();
        EXPECT_EQ(LiveScanThreads(), 0);
        ReaderTest::TearDown();
    }

    static void OnNotice(void* context, uint32_t code, uint64_t value) {
        auto* self = static_cast<Scan*>(context);
        std::lock_guard lock(self->mutex);
        self->notices.push_back({code, value});
        self->changed.notify_all();
    }

    bool WaitForNotices(size_t count, std::chrono::milliseconds limit = 5s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return notices.size() >= count; });
    }
    std::vector<Notice> Notices() {
        std::lock_guard lock(mutex);
        return notices;
    }

    // True while somebody holds the port's lock: the scan has opened it.
    bool PortHeld() const {
        int fd = ::open(reader.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }
    void StartAndWaitForPort() {
        EIDStartScan(&sink, Port().c_str(), &config);
        const auto limit = Clock::now() + 5s;
        while (!PortHeld() && Clock::now() < limit) std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(PortHeld());
        // The open purges the line once more after it took the lock.
        std::this_thread::sleep_for(100ms);
    }

    EIDNotifySink sink{this, &OnNotice};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Notice> notices;
};

TEST_F(Scan, EveryTagReadGivesOneNoticeWithItsEid) {
    StartAndWaitForPort();
    reader.Send(CReaderSimulator::TagMessage(826000000123456ull));
    ASSERT_TRUE(WaitForNotices(1));
    // Two 25-byte messages straight after each other stay two reads.
    reader.Send(CReaderSimulator::TagMessage(1) + CReaderSimulator::TagMessage(2));
    ASSERT_TRUE(WaitForNotices(3));
    // A short message with its line end, and one with no number, which is ignored.
    reader.Send("[STATUS]\r\n[EA00000042\r\n");
    ASSERT_TRUE(WaitForNotices(4));
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * kDeadlineMs));
    EXPECT_EQ(Notices(), std::vector<Notice>({{EIDN_TAGREAD, 826000000123456ull},
                                              {EIDN_TAGREAD, 1},
                                              {EIDN_TAGREAD, 2},
                                              {EIDN_TAGREAD, 42}}));
    // Nothing is ever sent to the reader while scanning.
    EXPECT_EQ(reader.Received(), "");
}

TEST_F(Scan, AMissingPortGivesOneErrorNoticeAndThenSilence) {
    const WString missing = u"/dev/no-such-reader";
    EIDStartScan(&sink, missing.c_str(), &config);
    ASSERT_TRUE(WaitForNotices(1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Notices(), std::vector<Notice>({{EIDN_ERROR, EID_PORT_NOT_FOUND}}));
    const auto before = Clock::now();
    EXPECT_EQ(EIDStopScan(), &sink);
    EXPECT_LT(Clock::now() - before, 1s);
    EXPECT_EQ(LiveScanThreads(), 0);
}

TEST_F(Scan, StoppingWhileWaitingForATagReturnsPromptlyAndReleasesThePort) {
    StartAndWaitForPort();
    const auto before = Clock::now();
    EXPECT_EQ(EIDStopScan(), &sink);
    EXPECT_LT(Clock::now() - before, 500ms);
    EXPECT_FALSE(PortHeld());
    EXPECT_EQ(LiveScanThreads(), 0);
    EXPECT_TRUE(Notices().empty());
    // Stopping again without a scan only gives the last sink.
    EXPECT_EQ(EIDStopScan(), &sink);
}

TEST_F(Scan, AReaderThatGoesAwayIsReportedAsThePortGone) {
    StartAndWaitForPort();
    reader.HangUp();
    ASSERT_TRUE(WaitForNotices(1));
    const Notice notice = Notices()[0];
    EXPECT_EQ(notice.code, EIDN_ERROR);
    EXPECT_TRUE(EIDIsPortGone(uint32_t(notice.value))) << notice.value;
}

TEST_F(Scan, AStartOverARunningScanLeavesOneThread) {
    EIDStartScan(&sink, Port().c_str(), &config);
    EIDStartScan(&sink, Port().c_str(), &config);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(LiveScanThreads(), 1);
    // An error leaves its thread waiting for the stop; a new start ends it.
    const WString missing = u"/dev/no-such-reader";
    EIDStartScan(&sink, missing.c_str(), &config);
    ASSERT_TRUE(WaitForNotices(1));
    EIDStartScan(&sink, missing.c_str(), &config);
    ASSERT_TRUE(WaitForNotices(2));
    EXPECT_EQ(LiveScanThreads(), 1);
}

TEST_F(Scan, SwitchingTheScanOnAndOffWhileTagsArriveNeverDeliversALateNotice) {
    std::atomic<bool> active{false};
    std::atomic<int> late{0};
    std::atomic<int> delivered{0};
    struct Context {
        std::atomic<bool>* active;
        std::atomic<int>* late;
        std::atomic<int>* delivered;
    } context{&active, &late, &delivered};
    EIDNotifySink stressSink{&context, [](void* c, uint32_t code, uint64_t) {
                                 auto* ctx = static_cast<Context*>(c);
                                 if (!ctx->active->load()) ctx->late->fetch_add(1);
                                 if (code == EIDN_TAGREAD) ctx->delivered->fetch_add(1);
                             }};
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        uint64_t eid = 1;
        while (feeding.load()) {
            reader.Send(CReaderSimulator::TagMessage(eid++));
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        active.store(true);
        EIDStartScan(&stressSink, Port().c_str(), &config);
        if (i % 50 == 0) std::this_thread::sleep_for(20ms);
        EIDStopScan();
        active.store(false);
        EXPECT_LE(LiveScanThreads(), 0);
    }
    feeding.store(false);
    feeder.join();
    EXPECT_EQ(late.load(), 0);
    EXPECT_GT(delivered.load(), 0);
    EXPECT_EQ(LiveScanThreads(), 0);
}

}  // namespace
