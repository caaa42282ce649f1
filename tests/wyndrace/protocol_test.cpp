#include <gtest/gtest.h>

#include "wyndrace/protocol.h"

namespace {

std::vector<std::string> Cut(const std::vector<std::string>& blocks, std::string* pending = nullptr) {
    CRecordCutter cutter;
    std::vector<std::string> records;
    for (const auto& block : blocks) cutter.Append(block, records);
    if (pending) *pending = cutter.Pending();
    return records;
}

TEST(RecordCutting, RecordsAreCutBehindEveryBracketWithTheirLineEndsStripped) {
    struct Case {
        const char* name;
        std::vector<std::string> blocks;
        std::vector<std::string> records;
        std::string pending;
    };
    const Case cases[] = {
        {"one block", {"[EA1|A]\r\n[EA2|B]\r\n[CSEOK]\r\n"}, {"[EA1|A]", "[EA2|B]", "[CSEOK]"}, "\r\n"},
        {"split inside a record", {"[EA0000|TA", "TTOO]\r\n[CSE", "OK]\r\n"}, {"[EA0000|TATTOO]", "[CSEOK]"}, "\r\n"},
        {"split between CR and LF", {"[A1]\r", "\n[A2]"}, {"[A1]", "[A2]"}, ""},
        {"bare LF and leading line ends", {"\n\r\n[A1]\n\n[A2]"}, {"[A1]", "[A2]"}, ""},
        {"an unfinished record stays pending", {"[A1]\r\n[A2|x\r\n"}, {"[A1]"}, "\r\n[A2|x\r\n"},
        {"line ends inside a record do not depend on the blocks", {"[A1|x\r", "\ny]"}, {"[A1|x\r\ny]"}, ""},
        {"a record without its opening bracket", {"garbage]\r\n[A1]"}, {"garbage]", "[A1]"}, ""},
        {"nothing but line ends", {"\r\n\r\n"}, {}, "\r\n\r\n"},
        {"an empty record", {"]"}, {"]"}, ""},
    };
    for (const auto& c : cases) {
        std::string pending;
        EXPECT_EQ(Cut(c.blocks, &pending), c.records) << c.name;
        EXPECT_EQ(pending, c.pending) << c.name;
    }
}

TEST(RecordCutting, ABlockOfEveryLengthGivesTheSameRecords) {
    const std::string stream = "[CSW][A0000000826000000000001|20240102|030405|T1|1.5|x]\r\n[A2||||]\r\n[CSWOK]\r\n";
    const std::vector<std::string> whole = Cut({stream.substr(5)});
    for (size_t size = 1; size <= 20; ++size) {
        std::vector<std::string> blocks;
        for (size_t at = 5; at < stream.size(); at += size) blocks.push_back(stream.substr(at, size));
        EXPECT_EQ(Cut(blocks), whole) << "blocks of " << size;
    }
}

TEST(ReaderFields, AnEidIsReadFromItsOffsetAsAnUnsigned64BitNumber) {
    struct Case {
        const char* text;
        size_t offset;
        bool ok;
        uint64_t eid;
    };
    const Case cases[] = {
        {"[EA0000000826000000123456", 7, true, 826000000123456ull},
        {"1234567  42rest", 7, true, 42},
        {"1234567+42", 7, true, 42},
        {"123456718446744073709551615", 7, true, UINT64_MAX},
        {"123456718446744073709551616", 7, false, 0},  // one past the largest
        {"1234567-42", 7, false, 0},
        {"1234567abc", 7, false, 0},
        {"1234567", 7, false, 0},  // nothing from the 8th character on
        {"123", 7, false, 0},
    };
    for (const auto& c : cases) {
        uint64_t eid = 0;
        EXPECT_EQ(ReadEidField(c.text, c.offset, eid), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(eid, c.eid) << c.text;
        }
    }
}

TEST(TagMessages, MessagesAreCutAtTheirLineEndSoTwoCloseReadsStayApart) {
    std::string received = "[EA0000000000000000000012\r\n[EA00000000000000000000";
    std::string message;
    ASSERT_TRUE(TakeTagMessage(received, false, message));
    EXPECT_EQ(message, "[EA0000000000000000000012");
    // The second message is not complete yet: it waits for its remaining bytes.
    EXPECT_FALSE(TakeTagMessage(received, false, message));
    received += "99";
    ASSERT_TRUE(TakeTagMessage(received, false, message));
    uint64_t eid = 0;
    ASSERT_TRUE(ParseTagMessage(message, eid));
    EXPECT_EQ(eid, 99u);
    EXPECT_TRUE(received.empty());
}

TEST(TagMessages, ShortMessagesEndAtTheirLineEndOrAtTheDeadline) {
    std::string received = "[EA00001234\r\n[EA000056";
    std::string message;
    uint64_t eid = 0;
    ASSERT_TRUE(TakeTagMessage(received, false, message));
    ASSERT_TRUE(ParseTagMessage(message, eid));
    EXPECT_EQ(eid, 1234u);
    EXPECT_FALSE(TakeTagMessage(received, false, message));
    ASSERT_TRUE(TakeTagMessage(received, true, message));
    ASSERT_TRUE(ParseTagMessage(message, eid));
    EXPECT_EQ(eid, 56u);
}

TEST(TagMessages, OnlyTheFirst25BytesAreParsed) {
    // 25 bytes with no terminator, the next message straight behind.
    std::string received = "[EA0000000000000000000001[EA0000000000000000000002";
    std::string message;
    uint64_t eid = 0;
    ASSERT_TRUE(TakeTagMessage(received, false, message));
    ASSERT_TRUE(ParseTagMessage(message, eid));
    EXPECT_EQ(eid, 1u);
    ASSERT_TRUE(TakeTagMessage(received, false, message));
    ASSERT_TRUE(ParseTagMessage(message, eid));
    EXPECT_EQ(eid, 2u);
    // A message without a number after its 7th character is ignored.
    EXPECT_FALSE(ParseTagMessage("[EA0000", eid));
    EXPECT_FALSE(ParseTagMessage("[STATUS:LOWBATTERY]", eid));
}

TEST(TestReply, TheIdentityFollowsTheEchoUpToTheOkRecord) {
    struct Case {
        std::string reply;
        std::string identity;
    };
    const Case cases[] = {
        {"[CSS]2S v1.0[CSSOK]\r\n", "2S v1.0"},
        {"[CSS]2S v1.0", "2S v1.0"},     // no OK record: the rest of the reply
        {"[CSS][CSSOK]", ""},
        {"[C", ""},                       // shorter than the echo
        {"", ""},
        {"[CSS]ABCDEFGHIJKLMNOPQRSTUVWXYZ0", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0"},  // 32 bytes, no terminator
    };
    for (const auto& c : cases) EXPECT_EQ(TestReplyIdentity(c.reply), c.identity) << c.reply;
}

TEST(EquivalenceRecord, TheEidTakesAll22DigitsAndTheTattooIs8Bit) {
    EXPECT_EQ(FormatEquivalenceRecord(826000000123456ull, u"UK0123 00045"), "[EA0000000826000000123456|UK0123 00045]");
    EXPECT_EQ(FormatEquivalenceRecord(UINT64_MAX, u""), "[EA0018446744073709551615|]");
    EXPECT_EQ(FormatEquivalenceRecord(1, u"\u00c9t\u00e9"), "[EA0000000000000000000001|\xC9t\xE9]");
}

TEST(ControlRecord, FieldsAreTakenInOrderAndABrokenRecordKeepsWhatWasRead) {
    CControlRecord r;
    ASSERT_TRUE(ParseControlRecord("[A0|EA00000826000000123456|20240315|134502|UK01|12.5||x]", r));
    EXPECT_EQ(r.eid, 826000000123456ull);
    EXPECT_EQ(std::vector<int>({r.year, r.month, r.day, r.hour, r.minute, r.second}),
              std::vector<int>({2024, 3, 15, 13, 45, 2}));
    EXPECT_EQ(r.text, "UK01");
    EXPECT_EQ(r.values, std::vector<std::string>({"12.5", "", "x"}));

    ASSERT_TRUE(ParseControlRecord("[A|1234567890|2024", r));
    EXPECT_EQ(r.eid, 890u);
    EXPECT_EQ(r.year, -1);  // a date that breaks off is not a date
    EXPECT_TRUE(r.text.empty());
    EXPECT_TRUE(r.values.empty());

    EXPECT_FALSE(ParseControlRecord("[CSWOK]", r));
    EXPECT_FALSE(ParseControlRecord("[]", r));
    EXPECT_FALSE(ParseControlRecord("", r));
}

}  // namespace
