#include "views/record_paste.h"

#include <wx/clipbrd.h>

#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/archive.h"
#include "platform/host.h"

namespace {

// What views copied before any document existed travels under the program's own name.
const char16_t kStartupSheepFormat[] = u"Corvalen Dedov";

bool Offers(const wxDataObject* data, const wxDataFormat& format) {
    if (data) return data->IsSupported(format, wxDataObject::Get);
    return wxTheClipboard->IsSupported(format);
}

// The block of that format, from the data or the clipboard (which is open).
bool ReadBlock(const wxDataObject* data, const wxDataFormat& format, std::vector<uint8_t>& block) {
    if (!Offers(data, format)) return false;
    if (data) {
        block.resize(data->GetDataSize(format));
        return block.empty() || data->GetDataHere(format, block.data());
    }
    wxCustomDataObject custom(format);
    if (!wxTheClipboard->GetData(custom)) return false;
    const auto* bytes = static_cast<const uint8_t*>(custom.GetData());
    block.assign(bytes, bytes + custom.GetSize());
    return true;
}

class CClipboardLock {
public:
    explicit CClipboardLock(bool needed) : m_open(needed && wxTheClipboard->Open()) {}
    ~CClipboardLock() {
        if (m_open) wxTheClipboard->Close();
    }
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

}  // namespace

wxDataFormat GetClipboardDataFormat(const WString& name) {
    return wxDataFormat(ToWx(name));
}

bool CanPasteRecords(const wxDataObject* data) {
    CClipboardLock lock(data == nullptr);
    if (!data && !lock.IsOpen()) return false;
    return Offers(data, GetClipboardDataFormat(GetSheepClipboardFormat()));
}

void PasteRecords(CSheepDoc& doc, const wxDataObject* data) {
    enum { Nothing, Animals, Addresses } kind = Nothing;
    std::vector<uint8_t> block;
    {
        // Closed again before any question: while a box is up, the Paste button's enabling opens
        // the clipboard again.
        CClipboardLock lock(data == nullptr);
        if (!data && !lock.IsOpen()) return;
        if (ReadBlock(data, GetClipboardDataFormat(GetSheepClipboardFormat()), block) ||
            ReadBlock(data, GetClipboardDataFormat(kStartupSheepFormat), block))
            kind = Animals;
        else if (ReadBlock(data, GetClipboardDataFormat(GetAddressClipboardFormat()), block))
            kind = Addresses;
    }
    try {
        if (kind == Animals)
            PasteSheepBlock(doc, block);
        else if (kind == Addresses)
            PasteAddressBlock(doc, block);
    } catch (const CArchiveException&) {
        CvlMessageBoxText(u"The pasted data is damaged; the records before the damage were pasted.",
                          MB_OK | MB_ICONEXCLAMATION);
    }
}

bool CopyBlockToClipboard(const WString& format, const std::vector<uint8_t>& block, const WString& text) {
    CClipboardLock lock(true);
    if (!lock.IsOpen()) return false;
    auto* composite = new wxDataObjectComposite;
    auto* custom = new wxCustomDataObject(GetClipboardDataFormat(format));
    custom->SetData(block.size(), block.data());
    composite->Add(custom, true);
    if (!text.empty()) composite->Add(new wxTextDataObject(ToWx(text)));
    return wxTheClipboard->SetData(composite);
}
