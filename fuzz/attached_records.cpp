// The readers of an animal's stored forms with everything attached to it (lambings, lambs, tuppings),
// of addresses and of Signet averages: an archive that loads must store, re-load and store again to
// the same bytes (a loaded animal is also exported); XML text goes through the records' reading
// hooks, and what was read exports to text that reads back to the same export.
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/archive.h"
#include "records/address.h"
#include "records/app_services.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "tests/support/attached_records.h"

namespace {

template <class Load>
void RoundTrip(const uint8_t* data, size_t size, Load load) {
    try {
        std::vector<uint8_t> first, second;
        {
            CArchive in(data, size);
            load(in, first);
        }
        {
            CArchive in{std::span<const uint8_t>(first)};
            load(in, second);
        }
        if (first != second) __builtin_trap();
    } catch (const CArchiveException&) {
    }
}

// Loads one object of a class from in and stores it into out.
template <class T>
void LoadStore(CArchive& in, std::vector<uint8_t>& out) {
    CRefPtr<T> object = MakeRef<T>();
    object->Serialize(in);
    // An animal opened from a file may be exported as it is.
    if constexpr (std::is_same_v<T, CSheep>) {
        CAddressKeySet keys;
        object->WriteXML({}, keys, nullptr);
    }
    CArchive ar(out, CArchive::store);
    object->Serialize(ar);
}

void LoadStoreAddress(CArchive& in, std::vector<uint8_t>& out) {
    CRefPtr<CAddress> address = in.ReadObjectAs<CAddress>();
    CArchive ar(out, CArchive::store);
    ar.WriteObject(address.Get());
}

// Reads the text and exports every record that was read whole; count is how many there were.
std::string ReadWrite(const std::string& xml, bool address, size_t& count) {
    r2::TestXmlReader reader(address ? r2::MakeTop<CLocalAddress>() : r2::MakeTop<CSheep>());
    reader.SetMode(1);
    reader.Parse(xml);
    std::string out;
    count = reader.Finished().size();
    for (const auto& object : reader.Finished()) {
        if (auto* sheep = dynamic_cast<CSheep*>(object.Get())) {
            CAddressKeySet keys;
            out += sheep->WriteXML({}, keys, nullptr);
        } else if (auto* local = dynamic_cast<CAddress*>(object.Get())) {
            out += local->WriteXML();
        }
    }
    return out;
}

// A record read from XML exports to text that reads back to the same export.
void Xml(const uint8_t* data, size_t size, bool address) {
    size_t count = 0;
    const std::string once =
        ReadWrite(std::string(reinterpret_cast<const char*>(data), size), address, count);
    if (count != 1) return;
    if (ReadWrite(once, address, count) != once || count != 1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Writing an animal looks for its pictures: there are none to find.
    static const bool noPictures = (CSheepAppServices::Get().SetImageSearchPath({}), true);
    (void)noPictures;
    if (size == 0) return 0;
    switch (data[0] % 5) {
        case 0:
            RoundTrip(data + 1, size - 1, LoadStore<CSheep>);
            break;
        case 1:
            RoundTrip(data + 1, size - 1, LoadStoreAddress);
            break;
        case 2:
            RoundTrip(data + 1, size - 1, LoadStore<CSignetData>);
            break;
        case 3:
            Xml(data + 1, size - 1, false);
            break;
        default:
            Xml(data + 1, size - 1, true);
            break;
    }
    return 0;
}
