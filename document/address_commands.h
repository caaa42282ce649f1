// What the address browser does to a flock without windows: the blocks and texts of a copy of
// addresses, and the drop of animals on an address.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "document/sheep_doc.h"

class CEvent;

// The block of a copy of addresses: the document's title, a 32-bit count, then each address with its
// class, so that a paste makes a local or an address-book address again.
std::vector<uint8_t> BuildAddressBlock(const WString& title, const std::vector<CAddress*>& addresses);
// The text of a copy: a byte-order mark, then each row's six cells separated by tabs, each line
// ended by CR LF.
WString BuildAddressText(const std::vector<CAddress*>& addresses);

// What a drop of animals on an address runs.
struct CAnimalDropActions {
    // The New Event dialog for one animal of this flock with the address key as its first
    // parameter: the event made (not yet among the animal's events), or null when cancelled.
    std::function<CRefPtr<CEvent>(CSheep* sheep, const WString& addressKey)> addEvent;
    // The multiple-event wizard on the tattoos.
    std::function<void(const std::vector<WString>& tattoos)> multiEvent;
};
// The animals of a clipboard block (title, count, animals) dropped on the address filed under
// addressKey. One animal: the animal of the same tattoo in this flock gets the event (hint 4 with
// it); one unknown here is refused with 51. Any other count: the wizard on their tattoos. A damaged
// block throws CArchiveException before anything is run.
void DropAnimalsOnAddress(CSheepDoc& doc, std::span<const uint8_t> block, const WString& addressKey,
                          const CAnimalDropActions& actions, CDocView* sender);
