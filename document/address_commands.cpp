#include "document/address_commands.h"

#include "platform/archive.h"
#include "platform/host.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {
constexpr unsigned IDS_SHEEP_NOT_IN_FLOCK = 51;
}  // namespace

std::vector<uint8_t> BuildAddressBlock(const WString& title, const std::vector<CAddress*>& addresses) {
    std::vector<uint8_t> block;
    CArchive ar(block, CArchive::store);
    ar << WStringView(title);
    ar << uint32_t(addresses.size());
    for (CAddress* address : addresses) ar.WriteObject(address);
    return block;
}

WString BuildAddressText(const std::vector<CAddress*>& addresses) {
    WString text(1, u'\xFEFF');
    for (CAddress* address : addresses) {
        const std::vector<WString> cells = address->GetListRow();
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i) text += u'\t';
            text += cells[i];
        }
        text += u"\r\n";
    }
    return text;
}

void DropAnimalsOnAddress(CSheepDoc& doc, std::span<const uint8_t> block, const WString& addressKey,
                          const CAnimalDropActions& actions, CDocView* sender) {
    CArchive ar(block);
    WString title;
    uint32_t count = 0;
    ar >> title >> count;
    std::vector<WString> tattoos;
    for (uint32_t i = 0; i < count; ++i) {
        auto dropped = MakeRef<CSheep>();
        dropped->Serialize(ar);
        tattoos.push_back(dropped->GetTattoo());
    }
    if (count != 1) {
        if (actions.multiEvent) actions.multiEvent(tattoos);
        return;
    }
    CSheep* sheep = doc.FindSheep(tattoos[0]);
    if (!sheep) {
        CvlMessageBox(IDS_SHEEP_NOT_IN_FLOCK);
        return;
    }
    if (!actions.addEvent) return;
    CRefPtr<CEvent> event = actions.addEvent(sheep, addressKey);
    if (!event) return;
    sheep->AddEvent(event.Get(), true);  // a refused event throws and stays ours
    event.Detach();
    doc.UpdateAllViews(sender, HINT_SHEEP, sheep);
}
