// The reader's exchanges: each opens the port by name, trades commands and replies, closes the
// port, and gives one result code. Nothing is retried.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "abi/reader_abi.h"
#include "platform/text.h"

// The reader's defaults written into the record: 9600 baud, 8N1, binary, DTR on, XON/XOFF both
// ways, RTS toggle; every other byte stays.
COMMCONFIG* EIDGetDefaultConfig(COMMCONFIG* config);

// Port names travel as UTF-16; the device path is their UTF-8.
std::string PortPath(const char16_t* port);

// "[CSS]": the reader answers with its identity. EID_OK when at least one byte came back.
uint32_t RunTestExchange(const std::string& port, const COMMCONFIG& config, std::string* identity = nullptr);

// The test with its messages: flags bit 0 shows failures, bit 1 success; 0 is silent.
bool TestDevice(uint32_t flags, const char16_t* port, const COMMCONFIG& config);

// One animal for the reader's equivalence table.
struct CEquivalenceItem {
    uint64_t eid = 0;
    WString tattoo;
};
// Gives the next animal, false at the end.
using EquivalenceSource = std::function<bool(CEquivalenceItem& item)>;
// Called with each record received, in order, as text; the count includes the closing OK record.
using RecordSink = std::function<void(const WString& record)>;
// Asked after each block; true ends the transfer quietly.
using StopCheck = std::function<bool()>;

// Called after each animal, sent or (without an EID) passed over; true ends the upload quietly.
using UploadProgress = std::function<bool(const CEquivalenceItem& item)>;

// Clears the reader's table and sends every animal with an EID. `sent` counts the records the
// reader echoed back. 2 when the reader did not answer the test first. A stop gives EID_OK with
// `stopped` set.
uint32_t UploadEquivalenceTable(const std::string& port, const COMMCONFIG& config, const EquivalenceSource& next,
                                int* sent = nullptr, const UploadProgress& progress = {}, bool* stopped = nullptr);

// Reads the reader's equivalence table. EID_OK when "[CSEOK]" arrived (or the user stopped it).
uint32_t DownloadEquivalenceTable(const std::string& port, const COMMCONFIG& config, const RecordSink& sink,
                                  const StopCheck& stop = {}, bool* stopped = nullptr);

enum class EraseResult {
    NotAsked,   // no erase was asked for, or the download did not succeed
    Erased,      // the reader confirmed the erase
    NotSent,     // the port could not be opened again: the reader keeps its readings
    Unconfirmed  // sent but not confirmed: the reader may or may not have been erased
};
// Reads the reader's control table; with `erase`, clears it on the reader once the download
// succeeded. Records that arrived intact stay the caller's whatever the erase did.
uint32_t DownloadControlTable(const std::string& port, const COMMCONFIG& config, bool erase, const RecordSink& sink,
                              const StopCheck& stop = {}, EraseResult* eraseResult = nullptr, bool* stopped = nullptr);

// Message boxes of the plug-in. The library shows them with wxWidgets; tests replace the function.
// type: the message-box style (MB_ICONEXCLAMATION, MB_YESNO and the like); the result is the button
// chosen (IDOK, IDYES, IDNO).
using ReaderMessageFn = int (*)(const WString& text, unsigned type);
void SetReaderMessageFunction(ReaderMessageFn fn);
int ShowReaderMessage(const WString& text, unsigned type);
// A box with the system's text for a code.
void ShowSystemError(uint32_t code);
