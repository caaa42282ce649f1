// The web service's replies: any bytes as the body of a status-200 reply, read by the reply reader
// (which takes only SheepResponse) and by the document as the upload takes it.
#include <cstdint>
#include <string>

#include "document/sheep_doc.h"
#include "document/web_upload.h"
#include "platform/host.h"

namespace {

class CQuietHost : public CCvlHost {
public:
    int DoMessageBox(const CvlMessage& msg) override { return CvlDefaultButton(msg.type); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CQuietHost host;
    static CCvlHostScope scope(host);
    CHttpReply reply;
    reply.outcome = CHttpReply::Done;
    reply.status = 200;
    reply.body.assign(reinterpret_cast<const char*>(data), size);
    CSheepDoc doc;
    const CWebReplyOutcome outcome = doc.TakeWebReply("http://127.0.0.1/", reply);
    if (outcome.ok && !outcome.response) __builtin_trap();
    if (doc.GetSheepCount() != 0) __builtin_trap();  // nothing in a reply reaches the flock
    return 0;
}
