// Bytes from a reader: download blocks cut into records (whole and in chunks, which must agree),
// each record parsed as a control record, tag messages taken and parsed, and the test reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "wyndrace/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = size_t(data[0] % 64) + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::string> whole, chunked;
    CRecordCutter a, b;
    a.Append(bytes, whole);
    for (size_t at = 0; at < bytes.size(); at += chunk) b.Append(std::string_view(bytes).substr(at, chunk), chunked);
    if (whole != chunked || a.Pending() != b.Pending()) std::abort();

    for (const std::string& record : whole) {
        CControlRecord control;
        if (ParseControlRecord(record, control) && record.find('|') == std::string::npos && !control.values.empty())
            std::abort();
    }

    std::string received;
    std::string message;
    uint64_t eid = 0;
    for (size_t at = 0; at < bytes.size(); at += chunk) {
        received.append(bytes, at, chunk);
        while (TakeTagMessage(received, false, message)) {
            if (message.size() > kTagMessageSize) std::abort();
            ParseTagMessage(message, eid);
        }
        if (received.size() >= kTagMessageSize) std::abort();
    }
    while (TakeTagMessage(received, true, message)) ParseTagMessage(message, eid);
    if (!received.empty()) std::abort();

    if (TestReplyIdentity(bytes).size() > bytes.size()) std::abort();
    return 0;
}
