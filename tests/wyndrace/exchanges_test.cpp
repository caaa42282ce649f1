#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "reader_fixture.h"
#include "wyndrace/protocol.h"

namespace {

using namespace std::chrono_literals;

TEST(DefaultConfig, OnlyTheLineSettingsAndTheirFlagsChange) {
    for (uint32_t flags : {0u, 0xFFFFFFFFu, 0x6Eu, 0x4080u}) {
        COMMCONFIG before;
        std::memset(&before, 0xA5, sizeof before);
        before.dcb.flags = flags;
        COMMCONFIG after = before;
        EXPECT_EQ(EIDGetDefaultConfig(&after), &after);
        EXPECT_EQ(after.dcb.flags, (flags & ~0x6Eu) | 0x3311u) << std::hex << flags;
        EXPECT_EQ(after.dcb.BaudRate, 9600u);
        EXPECT_EQ(after.dcb.ByteSize, 8);
        EXPECT_EQ(after.dcb.Parity, 0);
        EXPECT_EQ(after.dcb.StopBits, 0);
        // Every other byte of the record is as it was.
        COMMCONFIG expected = before;
        expected.dcb.flags = after.dcb.flags;
        expected.dcb.BaudRate = 9600;
        expected.dcb.ByteSize = 8;
        expected.dcb.Parity = 0;
        expected.dcb.StopBits = 0;
        EXPECT_EQ(std::memcmp(&after, &expected, sizeof after), 0);
    }
}

TEST(DefaultConfig, TheLineIsRawAndCarriesTheRecordsSettings) {
    COMMCONFIG config = EIDEmptyCommConfig();
    EIDGetDefaultConfig(&config);
    termios tio{};
    tio.c_iflag = ICRNL | INLCR;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ECHO | ICANON;
    ASSERT_TRUE(ApplyCommConfigToTermios(config, tio));
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));

    config.dcb.BaudRate = 19200;
    config.dcb.Parity = 2;
    config.dcb.StopBits = 2;
    config.dcb.ByteSize = 7;
    ASSERT_TRUE(ApplyCommConfigToTermios(config, tio));
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CSTOPB | CSIZE), tcflag_t(PARENB | CSTOPB | CS7));

    config.dcb.BaudRate = 12345;
    EXPECT_FALSE(ApplyCommConfigToTermios(config, tio));
}

class TestExchange : public ReaderTest {};

TEST_F(TestExchange, TheReaderIsAskedWithExactlyTheTestCommand) {
    std::string identity;
    EXPECT_EQ(RunTestExchange(reader.Path(), config, &identity), EID_OK);
    EXPECT_EQ(reader.Received(), "[CSS]");
    EXPECT_EQ(identity, "2S v1.0");
}

TEST_F(TestExchange, EachOutcomeShowsItsMessageOnlyWhenTheFlagsAskForIt) {
    struct Case {
        const char* name;
        std::optional<std::string> reply;  // the reader's reply; nullopt: silence
        bool missingPort;
        uint32_t flags;
        bool result;
        std::string message;  // empty: no message
    };
    const std::string missing = "/dev/no-such-reader";
    const Case cases[] = {
        {"success, silent", std::string("[CSS]X1[CSSOK]"), false, 0, true, ""},
        {"success, failures only", std::string("[CSS]X1[CSSOK]"), false, 1, true, ""},
        {"success shown", std::string("[CSS]X1[CSSOK]"), false, 2, true, "The Wyndrace X1 has been detected successfully"},
        {"no OK record", std::string("[CSS]X2"), false, 3, true, "The Wyndrace X2 has been detected successfully"},
        {"two bytes", std::string("OK"), false, 3, true, "The Wyndrace  has been detected successfully"},
        {"silence, silent", std::nullopt, false, 0, false, ""},
        {"silence, success only", std::nullopt, false, 2, false, ""},
        {"silence shown", std::nullopt, false, 1, false,
         "Failed to receive a response from the Wyndrace. Please check that it is switched on and connected to "},
        {"missing port shown", std::nullopt, true, 3, false,
         "Failed to connect to the port /dev/no-such-reader. Are you sure the Wyndrace is connected to it?"},
        {"missing port, success only", std::nullopt, true, 2, false, ""},
    };
    for (const auto& c : cases) {
        Messages().clear();
        reader.SetReply("[CSS]", c.reply);
        const WString port = c.missingPort ? Utf8ToW(missing) : Port();
        EXPECT_EQ(TestDevice(c.flags, port.c_str(), config), c.result) << c.name;
        std::string expected = c.message;
        if (!c.missingPort && !c.reply && !expected.empty()) expected += reader.Path();
        if (expected.empty()) {
            EXPECT_TRUE(Messages().empty()) << c.name;
        } else {
            ASSERT_EQ(Messages().size(), 1u) << c.name;
            EXPECT_EQ(Messages()[0].text, expected) << c.name;
        }
    }
}

TEST_F(TestExchange, AFullReplyIsTakenWithoutReadingPastIt) {
    reader.SetReply("[CSS]", std::string("[CSS]") + std::string(27, 'Z') + "overflow");
    std::string identity;
    EXPECT_EQ(RunTestExchange(reader.Path(), config, &identity), EID_OK);
    EXPECT_EQ(identity, std::string(27, 'Z'));
}

TEST_F(TestExchange, ABusyPortIsASystemErrorThatNeverPassesForAReaderCode) {
    CReaderPort holder;
    ASSERT_EQ(holder.Open(reader.Path(), config), EID_OK);
    const uint32_t code = RunTestExchange(reader.Path(), config);
    EXPECT_EQ(EIDErrnoOf(code), EBUSY);
    EXPECT_NE(code, EID_NO_REPLY);
    EXPECT_TRUE(TestDevice(0, Port().c_str(), config) == false);
    // Any flags show the system's text.
    TestDevice(2, Port().c_str(), config);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, std::strerror(EBUSY));
    holder.Close();
    EXPECT_EQ(RunTestExchange(reader.Path(), config), EID_OK);
}

TEST(ResultCodes, SystemErrorsNeverCollideWithTheReadersCodes) {
    EXPECT_EQ(EIDErrorFromErrno(ENOENT), EID_PORT_NOT_FOUND);
    EXPECT_EQ(EIDErrorFromErrno(ENOTDIR), EID_PATH_NOT_FOUND);
    for (int e : {EAGAIN, ESRCH, EINTR, EIO, EACCES, EBUSY, ENXIO, ENODEV}) {
        const uint32_t code = EIDErrorFromErrno(e);
        EXPECT_NE(code, EID_OK);
        EXPECT_NE(code, EID_PORT_NOT_FOUND);
        EXPECT_NE(code, EID_PATH_NOT_FOUND);
        EXPECT_NE(code, EID_NO_REPLY);
        EXPECT_NE(code, EID_SCAN_STOPPED);
        EXPECT_EQ(EIDErrnoOf(code), e);
        EXPECT_EQ(EIDSystemErrorText(code), std::strerror(e));
    }
    EXPECT_TRUE(EIDIsPortGone(EIDErrorFromErrno(EIO)));
    EXPECT_FALSE(EIDIsPortGone(EIDErrorFromErrno(EBUSY)));
    EXPECT_FALSE(EIDIsPortGone(EID_NO_REPLY));
}

class Upload : public ReaderTest {
protected:
    EquivalenceSource From(std::vector<CEquivalenceItem> items) {
        auto list = std::make_shared<std::vector<CEquivalenceItem>>(std::move(items));
        auto at = std::make_shared<size_t>(0);
        return [list, at](CEquivalenceItem& item) {
            if (*at >= list->size()) return false;
            item = (*list)[(*at)++];
            return true;
        };
    }
};

TEST_F(Upload, TheReaderIsClearedThenEachAnimalWithAnEidIsSentAndEchoed) {
    int sent = 0;
    EXPECT_EQ(UploadEquivalenceTable(reader.Path(), config,
                                     From({{826000000000001ull, u"UK1"}, {0, u"NOEID"}, {7, u"T7"}}), &sent),
              EID_OK);
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(reader.Received(),
              "[CSS][CEE]\r\n[EA0000000826000000000001|UK1][EA0000000000000000000007|T7]");
}

TEST_F(Upload, AWrongClearReplyEndsBeforeAnyRecord) {
    reader.SetReply("[CEE]", std::string("[CEE][CEEERR]\r\n"));
    EXPECT_EQ(UploadEquivalenceTable(reader.Path(), config, From({{1, u"A"}})), EID_NO_REPLY);
    EXPECT_EQ(reader.Received(), "[CSS][CEE]\r\n");
}

TEST_F(Upload, AWrongEchoEndsTheUploadAndNothingAfterItIsSent) {
    reader.CorruptEchoAt(1);
    int sent = 0;
    EXPECT_EQ(UploadEquivalenceTable(reader.Path(), config, From({{1, u"A"}, {2, u"B"}, {3, u"C"}}), &sent),
              EID_NO_REPLY);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(reader.Uploaded().size(), 2u);
    // The port was closed on the way out.
    EXPECT_EQ(RunTestExchange(reader.Path(), config), EID_OK);
}

TEST_F(Upload, AReaderThatDoesNotAnswerTheTestGivesTwoAndIsNotCleared) {
    reader.SetReply("[CSS]", std::nullopt);
    EXPECT_EQ(UploadEquivalenceTable(reader.Path(), config, From({{1, u"A"}})), EID_PORT_NOT_FOUND);
    EXPECT_EQ(reader.Received(), "[CSS]");
}

class Download : public ReaderTest {
protected:
    RecordSink Collect() {
        return [this](const WString& record) { records.push_back(WToUtf8(record)); };
    }
    std::vector<std::string> records;
};

TEST_F(Download, EquivalenceRecordsArriveInOrderWithTheOkRecordCounted) {
    reader.SetEquivalenceRecords({"[EA0000000826000000000001|UK1]", "[EA0000000826000000000002|UK2]"});
    EXPECT_EQ(DownloadEquivalenceTable(reader.Path(), config, Collect()), EID_OK);
    EXPECT_EQ(records, std::vector<std::string>({"[EA0000000826000000000001|UK1]",
                                                 "[EA0000000826000000000002|UK2]", "[CSEOK]"}));
    EXPECT_EQ(reader.Received(), "[CSS][CSE]\r\n");
}

TEST_F(Download, AnEmptyTableIsASuccessWithOneRecord) {
    EXPECT_EQ(DownloadEquivalenceTable(reader.Path(), config, Collect()), EID_OK);
    EXPECT_EQ(records, std::vector<std::string>({"[CSEOK]"}));
    records.clear();
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, false, Collect()), EID_OK);
    EXPECT_EQ(records, std::vector<std::string>({"[CSWOK]"}));
}

TEST_F(Download, RecordsSplitAcrossBlocksAndPausesShorterThanTheDeadlineAreJoined) {
    std::vector<std::string> table;
    for (int i = 0; i < 12; ++i) table.push_back(FormatEquivalenceRecord(826000000000000ull + i, u"TAG" + IntToW(i)));
    reader.SetEquivalenceRecords(table);
    // 37-byte pieces never line up with the 128-byte blocks; the pauses stay inside the deadline.
    reader.SetChunks(37, std::chrono::milliseconds(kDeadlineMs / 3));
    EXPECT_EQ(DownloadEquivalenceTable(reader.Path(), config, Collect()), EID_OK);
    table.push_back("[CSEOK]");
    EXPECT_EQ(records, table);
}

TEST_F(Download, WithoutTheOkRecordTheDownloadFails) {
    reader.SetReply("[CSE]", std::string("[CSE][EA0000000000000000000001|A]\r\n"));
    EXPECT_EQ(DownloadEquivalenceTable(reader.Path(), config, Collect()), EID_NO_REPLY);
    EXPECT_EQ(records, std::vector<std::string>({"[EA0000000000000000000001|A]"}));
}

TEST_F(Download, AnEchoOtherThanTheCommandFailsInsteadOfPassingForRecords) {
    reader.SetReply("[CSE]", std::string("[CSS][CSEOK]\r\n"));
    EXPECT_EQ(DownloadEquivalenceTable(reader.Path(), config, Collect()), EID_NO_REPLY);
    EXPECT_TRUE(records.empty());
}

TEST_F(Download, TheLastControlRecordDecides) {
    reader.SetReply("[CSW]", std::string("[CSW][A1|x]\r\n[CSWOK]\r\n[A2|y]\r\n"));
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, true, Collect()), EID_NO_REPLY);
    EXPECT_EQ(records.size(), 3u);
    // A failed download never erases the reader.
    EXPECT_EQ(reader.Received(), "[CSS][CSW]\r\n");
    EXPECT_FALSE(reader.ControlErased());
}

TEST_F(Download, TheEraseFollowsOnlyASuccessfulDownload) {
    reader.SetControlRecords({"[A0|EA00000826000000000001|20240315|134502|UK1|12.5]"});
    EraseResult erase = EraseResult::NotAsked;
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, true, Collect(), {}, &erase), EID_OK);
    EXPECT_EQ(erase, EraseResult::Erased);
    EXPECT_EQ(reader.Received(), "[CSS][CSW]\r\n[CEW]\r\n");
    EXPECT_EQ(records.size(), 2u);

    records.clear();
    reader.ClearReceived();
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, false, Collect(), {}, &erase), EID_OK);
    EXPECT_EQ(erase, EraseResult::NotAsked);
    EXPECT_EQ(reader.Received(), "[CSS][CSW]\r\n");
}

TEST_F(Download, AnUnconfirmedEraseKeepsTheRecordsAndSaysSo) {
    reader.SetControlRecords({"[A0|EA00000826000000000001|20240315|134502|UK1|12.5]"});
    reader.SetReply("[CEW]", std::nullopt);
    EraseResult erase = EraseResult::NotAsked;
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, true, Collect(), {}, &erase), EID_OK);
    EXPECT_EQ(erase, EraseResult::Unconfirmed);
    EXPECT_EQ(records.size(), 2u);
}

TEST_F(Download, AStopBetweenBlocksEndsQuietlyWithoutTheErase) {
    std::vector<std::string> table;
    for (int i = 0; i < 20; ++i) table.push_back("[A0|EA00000826000000000001|20240315|134502|UK1|12.5]");
    reader.SetControlRecords(table);
    bool stopped = false;
    EraseResult erase = EraseResult::Erased;
    int blocks = 0;
    EXPECT_EQ(DownloadControlTable(reader.Path(), config, true, Collect(), [&] { return ++blocks == 1; }, &erase,
                                   &stopped),
              EID_OK);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(erase, EraseResult::NotAsked);
    EXPECT_LT(records.size(), table.size());
    EXPECT_EQ(reader.Received().find("[CEW]"), std::string::npos);
}

TEST_F(Download, AReaderThatHangsUpMidTransferGivesASystemError) {
    reader.SetReply("[CSE]", std::string("[CSE][EA0000000000000000000001|A]\r\n"));
    RecordSink sink = [this](const WString& record) {
        records.push_back(WToUtf8(record));
        reader.HangUp();
    };
    const uint32_t code = DownloadEquivalenceTable(reader.Path(), config, sink);
    EXPECT_TRUE(code == EID_NO_REPLY || EIDIsPortGone(code)) << code;
    EXPECT_NE(code, EID_OK);
}

}  // namespace
