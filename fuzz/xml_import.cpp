// Exchange file readers: the file import's checking pass and, when it passes, the reading into a
// flock (mode 1); and the same bytes through the XML property's reader, which has no schema (mode 2).
#include <cstdint>
#include <string_view>

#include "document/sheep_doc.h"
#include "document/xml_reader.h"
#include "platform/host.h"

namespace {

// Answers every box with its default button, silently.
class CQuietHost : public CCvlHost {
public:
    int DoMessageBox(const CvlMessage& msg) override { return CvlDefaultButton(msg.type); }
};

CXmlSchema& Schema() {
    static CXmlSchema schema;
    static const bool loaded = schema.Load(CVL_XML_SCHEMA_FILE, nullptr);
    if (!loaded) __builtin_trap();
    return schema;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CQuietHost host;
    static CCvlHostScope scope(host);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const CXmlCheckResult check = CheckXmlText(text, &Schema());
    if (check.kind == CXmlCheckResult::Ok) {
        CSheepDoc doc;
        CXmlReader reader(1, &doc, &doc);
        reader.Parse(text);
    }
    CSheepDoc doc;
    doc.ReadXMLText(text);
    return 0;
}
