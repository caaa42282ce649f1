#include "wyndrace/exchanges.h"

#include <atomic>
#include <cstdio>

#include "platform/host.h"
#include "platform/strings.h"
#include "wyndrace/protocol.h"
#include "wyndrace/reader_port.h"

namespace {

constexpr unsigned IDS_DETECTED = 19;
constexpr unsigned IDS_NO_PORT = 20;
constexpr unsigned IDS_NO_RESPONSE = 21;
constexpr size_t kTestReplySize = 32;
constexpr size_t kBlockSize = 128;

int DefaultMessage(const WString& text, unsigned type) {
    std::fprintf(stderr, "%s\n", WToUtf8(text).c_str());
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

std::atomic<ReaderMessageFn> g_message{&DefaultMessage};

WString ReaderString(unsigned id, const std::vector<WString>& args) {
    return FormatCvlString(id, args, CvlStringTable::Wyndrace);
}

// "[CEE]" and "[CEW]": one command, one fixed reply.
uint32_t CommandWithReply(CReaderPort& port, const std::string& command, const std::string& expected) {
    uint32_t code = port.Write(command);
    if (code != EID_OK) return code;
    std::string reply;
    code = port.Read(reply, kBlockSize);
    if (code != EID_OK) return code;
    return reply == expected ? EID_OK : EID_NO_REPLY;
}

// The block loop shared by both downloads. `okSeen` tells whether any record was `okRecord`,
// `lastIsOk` whether the last one was.
struct DownloadOutcome {
    uint32_t code = EID_OK;
    bool stopped = false;
    bool okSeen = false;
    bool lastIsOk = false;
};

DownloadOutcome RunDownload(CReaderPort& port, const std::string& command, const std::string& okRecord,
                            const RecordSink& sink, const StopCheck& stop) {
    DownloadOutcome outcome;
    outcome.code = port.Write(command + "\r\n");
    if (outcome.code != EID_OK) return outcome;
    std::string echo;
    outcome.code = port.Read(echo, command.size());
    if (outcome.code != EID_OK) return outcome;
    // A late or foreign echo would otherwise be taken for the start of the records.
    if (echo != command) {
        outcome.code = EID_NO_REPLY;
        return outcome;
    }
    CRecordCutter cutter;
    std::vector<std::string> records;
    for (;;) {
        std::string block;
        uint32_t code = port.Read(block, kBlockSize);
        if (code == EID_NO_REPLY) break;  // the silent read ends the transfer
        if (code != EID_OK) {
            outcome.code = code;
            return outcome;
        }
        records.clear();
        cutter.Append(block, records);
        for (const std::string& record : records) {
            bool ok = record == okRecord;
            outcome.okSeen = outcome.okSeen || ok;
            outcome.lastIsOk = ok;
            if (sink) sink(AnsiToW(record));
        }
        if (stop && stop()) {
            outcome.stopped = true;
            return outcome;
        }
    }
    outcome.code = EID_OK;
    return outcome;
}

}  // namespace

COMMCONFIG* EIDGetDefaultConfig(COMMCONFIG* config) {
    if (!config) return config;
    config->dcb.BaudRate = 9600;
    config->dcb.ByteSize = 8;
    config->dcb.Parity = 0;
    config->dcb.StopBits = 0;
    config->dcb.flags = (config->dcb.flags & ~uint32_t(0x6E)) | 0x3311u;
    return config;
}

std::string PortPath(const char16_t* port) {
    return port ? WToUtf8(port) : std::string();
}

uint32_t RunTestExchange(const std::string& port, const COMMCONFIG& config, std::string* identity) {
    CReaderPort serial;
    uint32_t code = serial.Open(port, config);
    std::string reply;
    if (code == EID_OK) code = serial.Write("[CSS]");
    if (code == EID_OK) code = serial.Read(reply, kTestReplySize);
    serial.Close();
    if (code == EID_OK && identity) *identity = TestReplyIdentity(reply);
    return code;
}

bool TestDevice(uint32_t flags, const char16_t* port, const COMMCONFIG& config) {
    std::string identity;
    const uint32_t code = RunTestExchange(PortPath(port), config, &identity);
    if (flags == 0) return code == EID_OK;
    const WString portName = port ? WString(port) : WString();
    if (code == EID_OK) {
        if (flags & EIDTEST_SHOW_SUCCESS)
            ShowReaderMessage(ReaderString(IDS_DETECTED, {AnsiToW(identity)}), MB_ICONINFORMATION);
        return true;
    }
    if (code == EID_PORT_NOT_FOUND || code == EID_PATH_NOT_FOUND) {
        if (flags & EIDTEST_SHOW_FAILURE) ShowReaderMessage(ReaderString(IDS_NO_PORT, {portName}), MB_ICONEXCLAMATION);
    } else if (code == EID_NO_REPLY) {
        if (flags & EIDTEST_SHOW_FAILURE)
            ShowReaderMessage(ReaderString(IDS_NO_RESPONSE, {portName}), MB_ICONEXCLAMATION);
    } else {
        ShowSystemError(code);
    }
    return false;
}

uint32_t UploadEquivalenceTable(const std::string& port, const COMMCONFIG& config, const EquivalenceSource& next,
                                int* sent, const UploadProgress& progress, bool* stopped) {
    if (sent) *sent = 0;
    if (stopped) *stopped = false;
    if (RunTestExchange(port, config) != EID_OK) return EID_PORT_NOT_FOUND;
    CReaderPort serial;
    uint32_t code = serial.Open(port, config);
    if (code != EID_OK) return code;
    code = CommandWithReply(serial, "[CEE]\r\n", "[CEE][CEEOK]\r\n\r\n");
    CEquivalenceItem item;
    while (code == EID_OK && next && next(item)) {
        if (item.eid != 0) {
            const std::string record = FormatEquivalenceRecord(item.eid, item.tattoo);
            code = serial.Write(record);
            if (code != EID_OK) break;
            std::string echo;
            code = serial.Read(echo, record.size());
            if (code == EID_OK && echo != record) code = EID_NO_REPLY;
            if (code != EID_OK) break;
            if (sent) ++*sent;
        }
        if (progress && progress(item)) {
            if (stopped) *stopped = true;
            break;
        }
    }
    return code;
}

uint32_t DownloadEquivalenceTable(const std::string& port, const COMMCONFIG& config, const RecordSink& sink,
                                  const StopCheck& stop, bool* stopped) {
    if (stopped) *stopped = false;
    if (RunTestExchange(port, config) != EID_OK) return EID_PORT_NOT_FOUND;
    CReaderPort serial;
    uint32_t code = serial.Open(port, config);
    if (code != EID_OK) return code;
    DownloadOutcome outcome = RunDownload(serial, "[CSE]", "[CSEOK]", sink, stop);
    if (stopped) *stopped = outcome.stopped;
    if (outcome.stopped) return EID_OK;
    if (outcome.code != EID_OK) return outcome.code;
    return outcome.okSeen ? EID_OK : EID_NO_REPLY;
}

uint32_t DownloadControlTable(const std::string& port, const COMMCONFIG& config, bool erase, const RecordSink& sink,
                              const StopCheck& stop, EraseResult* eraseResult, bool* stopped) {
    if (eraseResult) *eraseResult = EraseResult::NotAsked;
    if (stopped) *stopped = false;
    if (RunTestExchange(port, config) != EID_OK) return EID_PORT_NOT_FOUND;
    DownloadOutcome outcome;
    {
        CReaderPort serial;
        uint32_t code = serial.Open(port, config);
        if (code != EID_OK) return code;
        outcome = RunDownload(serial, "[CSW]", "[CSWOK]", sink, stop);
    }
    if (stopped) *stopped = outcome.stopped;
    if (outcome.stopped) return EID_OK;
    if (outcome.code != EID_OK) return outcome.code;
    if (!outcome.lastIsOk) return EID_NO_REPLY;
    // Only a complete download may clear the reader: its readings exist nowhere else.
    if (erase) {
        CReaderPort serial;
        EraseResult result = EraseResult::NotSent;
        if (serial.Open(port, config) == EID_OK && serial.Write("[CEW]\r\n") == EID_OK) {
            std::string reply;
            result = serial.Read(reply, kBlockSize) == EID_OK && reply == "[CEW][CEWOK]\r\n\r\n"
                         ? EraseResult::Erased
                         : EraseResult::Unconfirmed;
        }
        if (eraseResult) *eraseResult = result;
    }
    return EID_OK;
}

void SetReaderMessageFunction(ReaderMessageFn fn) {
    g_message.store(fn ? fn : &DefaultMessage);
}

int ShowReaderMessage(const WString& text, unsigned type) {
    return g_message.load()(text, type);
}

void ShowSystemError(uint32_t code) {
    ShowReaderMessage(Utf8ToW(EIDSystemErrorText(code)), MB_ICONEXCLAMATION);
}
