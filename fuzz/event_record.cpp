// Event record readers: the archive form (what loads must store, re-load and store again to the
// same bytes) and the XML element hooks driven by a small line script.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "records/event.h"

namespace {

class CFzReader : public CXMLContentHandler {
public:
    void SetError(const WString&, unsigned) override {}
    bool PopObject(const WString&, const WString&) override { return true; }
    IFlockDocument* GetDocument() override { return nullptr; }
};

void Archive(const uint8_t* data, size_t size) {
    try {
        CRefPtr<CEvent> event = MakeRef<CEvent>();
        {
            CArchive in(data, size);
            event->Serialize(in);
        }
        std::vector<uint8_t> first;
        {
            CArchive out(first, CArchive::store);
            event->Serialize(out);
        }
        CRefPtr<CEvent> again = MakeRef<CEvent>();
        {
            CArchive in{std::span<const uint8_t>(first)};
            again->Serialize(in);
        }
        std::vector<uint8_t> second;
        {
            CArchive out(second, CArchive::store);
            again->Serialize(out);
        }
        if (first != second) __builtin_trap();
    } catch (const CArchiveException&) {
    }
}

// Line 1: attributes "name=value" separated by '\t'. Then "S<name>\t<attr>=<value>" starts a
// child, "E<name>\t<text>" ends one.
void Xml(const uint8_t* data, size_t size) {
    const WString script = Utf8ToW(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<WString> lines = Split(script, u'\n');
    if (lines.empty()) return;
    CXMLAttributes attributes;
    for (const WString& pair : Split(lines[0], u'\t')) {
        const size_t eq = pair.find(u'=');
        if (eq != WString::npos) attributes.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    }
    CFzReader reader;
    bool ok = true;
    CRefPtr<CEvent> event = CRefPtr<CEvent>::Adopt(new CEvent(&reader, u"Event", attributes, &ok));
    for (size_t i = 1; i < lines.size() && ok; ++i) {
        if (lines[i].empty()) continue;
        const WString body = lines[i].substr(1);
        const size_t tab = body.find(u'\t');
        const WString name = body.substr(0, tab);
        const WString rest = tab == WString::npos ? WString() : body.substr(tab + 1);
        if (lines[i][0] == u'S') {
            const size_t eq = rest.find(u'=');
            CXMLAttributes child;
            if (eq != WString::npos) child.emplace_back(rest.substr(0, eq), rest.substr(eq + 1));
            ok = event->OnStartChildElement(&reader, name, child);
        } else {
            ok = event->OnEndElement(&reader, name, rest);
        }
    }
    CAddressKeySet keys;
    event->WriteXML(keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1)
        Xml(data + 1, size - 1);
    else
        Archive(data + 1, size - 1);
    return 0;
}
