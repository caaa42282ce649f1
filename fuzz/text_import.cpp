// The text import of File Import: any bytes as a tab-separated file of animals.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "document/file_exchange.h"
#include "document/sheep_doc.h"
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
    static const std::string path = "/tmp/cvl-fuzz-text-" + std::to_string(getpid()) + ".txt";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    CSheepDoc doc;
    ImportTextFile(doc, path);
    return 0;
}
