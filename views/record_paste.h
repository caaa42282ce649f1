// The document's paste of animals and addresses from the clipboard or a dragged data object.
#pragma once

#include <wx/dataobj.h>

#include "platform/text.h"

class CSheepDoc;

// The clipboard format of a program-wide format name.
wxDataFormat GetClipboardDataFormat(const WString& name);
// The data offers the animal format (the clipboard when data is null).
bool CanPasteRecords(const wxDataObject* data = nullptr);
// Animals when the data offers them, else addresses, else nothing (the clipboard when data is
// null). Damaged data is reported; what was pasted before the damage stays.
void PasteRecords(CSheepDoc& doc, const wxDataObject* data = nullptr);
// Puts one block on the clipboard in the given format, beside a text when one is given.
bool CopyBlockToClipboard(const WString& format, const std::vector<uint8_t>& block, const WString& text = {});
