// The address operations that involve the user: new, edit with its rename, delete by object.
#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {
constexpr unsigned IDS_UPDATE_HISTORY = 55;
constexpr unsigned IDS_REPLACEMENTS_MADE = 56;
constexpr unsigned IDS_NAME_IN_USE = 54;
constexpr int32_t PARAMETER_ADDRESS = 2;
}  // namespace

bool CSheepDoc::FindAddressKey(const CAddress* address, WString* key) const {
    if (!address) return false;
    for (const auto& [name, filed] : m_stores.Addresses()) {
        if (filed.Get() == address) {
            *key = name;
            return true;
        }
    }
    return false;
}

CAddress* CSheepDoc::NewAddress(long parentHandle, CDocView* sender) {
    int type = CAddress::typeLocal;
    if (GetAddressBook()) {
        IAddressDialogs* dialogs = GetAddressDialogs();
        if (!dialogs || !dialogs->ChooseAddressType(parentHandle, &type)) return nullptr;
    }
    CRefPtr<CAddress> address;
    if (type == CAddress::typeMAPI)
        address = CRefPtr<CAddress>::Adopt(new CMAPIAddress);
    else
        address = CRefPtr<CAddress>::Adopt(new CLocalAddress);
    if (address->EditNew(parentHandle, this) != IDOK) return nullptr;
    if (!ReplaceAddress(address->GetDisplayName(), address)) return nullptr;
    UpdateAllViews(sender, HINT_ADDRESS_ADDED, address.Get());
    return address.Get();
}

CAddress* CSheepDoc::NewLocalAddress(long parentHandle, const WString& name, CDocView* sender) {
    CRefPtr<CAddress> address = CRefPtr<CAddress>::Adopt(new CLocalAddress(name));
    if (address->EditNew(parentHandle, this) != IDOK) return nullptr;
    if (!ReplaceAddress(address->GetDisplayName(), address)) return nullptr;
    UpdateAllViews(sender, HINT_ADDRESS_ADDED, address.Get());
    return address.Get();
}

bool CSheepDoc::EditAddress(CAddress* address, long parentHandle, CDocView* sender, bool askRename) {
    if (!address) return false;
    const WString oldName = address->GetDisplayName();
    if (address->Edit(parentHandle, this) != IDOK) return false;
    const WString newName = address->GetDisplayName();
    WString key;
    if (askRename && newName != oldName && FindAddressKey(address, &key) && key != newName &&
        CvlMessageBox(IDS_UPDATE_HISTORY, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        // Another address filed under the new name would be dropped by the move: keep both.
        if (m_stores.LookupAddress(newName)) {
            CvlMessageBox(IDS_NAME_IN_USE, MB_OK | MB_ICONEXCLAMATION);
        } else {
            m_stores.RenameAddress(key, newName);
            // Every address parameter: the first of the movement events and those of list events.
            const std::map<WString, WString> rename{{key, newName}};
            const int count = ReplaceParameterValues(rename, PARAMETER_ADDRESS, 0) +
                              ReplaceParameterValues(rename, PARAMETER_ADDRESS, -1);
            CvlMessage msg;
            msg.stringId = IDS_REPLACEMENTS_MADE;
            msg.helpId = CVL_HELP_FROM_ID;
            msg.text = FormatW(WToUtf8(LoadCvlString(IDS_REPLACEMENTS_MADE)).c_str(), count);
            CvlShowMessage(msg);
        }
    }
    SetModifiedFlag();
    UpdateAllViews(sender, HINT_ADDRESS, address);
    return true;
}

bool CSheepDoc::DeleteAddressObject(const CAddress* address) {
    WString key;
    return FindAddressKey(address, &key) && m_stores.DeleteAddress(key);
}
