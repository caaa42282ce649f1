// A reader on a pseudo-terminal, short deadlines, and the plug-in's message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/reader_abi.h"
#include "platform/host.h"
#include "support/reader_simulator.h"
#include "wyndrace/exchanges.h"
#include "wyndrace/reader_port.h"

struct ShownMessage {
    std::string text;
    unsigned type;
};

class ReaderTest : public ::testing::Test {
protected:
    // Long enough for a loaded machine to pass bytes through a pseudo-terminal, short enough that a
    // silent read (the end of every download) does not slow the suite down.
    static constexpr int kDeadlineMs = 250;

    void SetUp() override {
        SetReaderDeadlineMsForTesting(kDeadlineMs);
        Messages().clear();
        Answer() = IDYES;
        SetReaderMessageFunction(&Record);
    }
    void TearDown() override {
        SetReaderMessageFunction(nullptr);
        SetReaderDeadlineMsForTesting(0);
    }

    static std::vector<ShownMessage>& Messages() {
        static std::vector<ShownMessage> messages;
        return messages;
    }
    // The answer to the next questions.
    static int& Answer() {
        static int answer = IDYES;
        return answer;
    }
    static int Record(const WString& text, unsigned type) {
        Messages().push_back({WToUtf8(text), type});
        return (type & MB_TYPEMASK) == MB_YESNO ? Answer() : IDOK;
    }

    static COMMCONFIG Defaults() {
        COMMCONFIG config = EIDEmptyCommConfig();
        EIDGetDefaultConfig(&config);
        return config;
    }
    WString Port() const { return Utf8ToW(reader.Path()); }

    CReaderSimulator reader;
    COMMCONFIG config = Defaults();
};
