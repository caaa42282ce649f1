// The document's own commands without any GUI: which are enabled or checked, the extraction filter
// switches, moving through the flock, and paste of animals and addresses from clipboard blocks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "document/command_ids.h"
#include "platform/text.h"
#include "platform/wintypes.h"

class CCriteria;
class CDocView;
class CSheep;
class CSheepDoc;

struct CCommandState {
    bool handled = false;  // the document answers this command
    bool enabled = false;
    bool checked = false;
};

// The enabling of a document command. The upload rule reads the machine-wide SheepSyncURL.
CCommandState GetDocCommandState(const CSheepDoc& doc, int command);

// The criteria switch of a filter command (null for another command).
BOOL* GetFilterSwitch(CCriteria& criteria, int command);
// Inverts the switch of the document's criteria and tells the views that the shown set changed.
void ToggleFilter(CSheepDoc& doc, int command);

// Where First, Previous, Next and Last lead from the current index in a flock of count animals;
// Previous from no current animal leads to the last.
int GetNavigationTarget(int command, int current, int count);
// Makes that animal current, the previous one pushed on the history; with update the views are
// told (hint 8). False when the command leads nowhere.
bool MoveToSheep(CSheepDoc& doc, int command, bool update, CDocView* sender = nullptr);

// The program-wide names of the clipboard formats of animals and of addresses: the program's own
// names at start, the document's once a document exists.
const WString& GetSheepClipboardFormat();
const WString& GetAddressClipboardFormat();
// Each new document registers its own names.
void RegisterDocumentClipboardFormats();

// The block of a copy of animals: the document's title, a 32-bit count, then each animal in its
// archive form without a class tag.
std::vector<uint8_t> BuildSheepBlock(const WString& title, const std::vector<CSheep*>& animals);
// A block of animals: a text, a 32-bit count, then each animal in its archive form. Each is added
// (an existing key asks first; the refused animal is dropped), then the views are told (hint 1).
// A short or damaged block throws CArchiveException; the animals added before it stay and the views
// are still told. Gives the number added.
int PasteSheepBlock(CSheepDoc& doc, std::span<const uint8_t> block);
// A block of addresses: a text, a 32-bit count, then each address object with its class, filed
// under its display name (an existing name asks first; a refused address is dropped). Gives the
// number filed.
int PasteAddressBlock(CSheepDoc& doc, std::span<const uint8_t> block);
