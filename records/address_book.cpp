#include "records/address_book.h"

#include "platform/host.h"
#include "platform/settings.h"
#include "platform/strings.h"

namespace {
constexpr unsigned IDS_NO_ADDRESS_BOOK = 65;

// An opened entry as the records read it: a property that cannot be read shows empty and never
// becomes an address's name.
class CBoundEntry : public IAddressBookEntry {
public:
    CBoundEntry(std::unique_ptr<IProviderEntry> entry, std::function<void()> failed)
        : m_entry(std::move(entry)), m_failed(std::move(failed)) {}
    bool GetStringProp(uint32_t propTag, WString* value) override {
        switch (m_entry->GetStringProp(propTag, value)) {
            case IProviderEntry::read:
                return true;
            case IProviderEntry::failed:
                m_failed();
                [[fallthrough]];
            case IProviderEntry::noValue:
                value->clear();
                return false;
        }
        return false;
    }

private:
    std::unique_ptr<IProviderEntry> m_entry;
    std::function<void()> m_failed;
};
}  // namespace

CAddressBookBinding::CAddressBookBinding(IAddressBookProvider* provider) : m_provider(provider) {}

CAddressBookBinding::~CAddressBookBinding() {
    Unload();
}

void CAddressBookBinding::Load() {
    if (m_state == notChecked) m_state = m_provider ? offered : notOffered;
    if (m_state != offered || m_installed) return;
    SetAddressBook(this);
    m_installed = true;
}

bool CAddressBookBinding::Logon(long parentHandle) {
    if (m_state == loggedOn) return true;
    if (m_state != offered) return false;
    const WString profile =
        CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", u"");
    WString used;
    if (!m_provider->Logon(parentHandle, profile, &used)) return false;
    if (!profile.empty() && !used.empty())
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", used);
    m_provider->Advise([this](uint32_t tableEvent) { OnNotice(tableEvent); });
    m_state = loggedOn;
    return true;
}

void CAddressBookBinding::Logoff() {
    if (m_state != loggedOn) return;
    m_provider->Logoff();
    m_state = offered;
}

void CAddressBookBinding::Unload() {
    Logoff();
    if (m_installed && GetAddressBook() == this) SetAddressBook(nullptr);
    m_installed = false;
}

bool CAddressBookBinding::EnsureLoggedOn(long parentHandle) {
    return m_state == loggedOn || Logon(parentHandle);
}

void CAddressBookBinding::DispatchNotifications() {
    if (m_state == loggedOn) m_provider->DispatchNotifications();
}

void CAddressBookBinding::OnNotice(uint32_t tableEvent) {
    if ((tableEvent & 5) && m_refresh) m_refresh();
}

void CAddressBookBinding::ShowLastError() {
    WString text, component;
    if (m_provider && m_provider->GetLastError(&text, &component)) {
        CvlMessage msg;
        msg.text = text;
        msg.caption = component;
        msg.type = MB_OK | MB_ICONSTOP;
        CvlShowMessage(msg);
    }
}

IAddressBook::OpenResult CAddressBookBinding::OpenEntry(const std::vector<uint8_t>& entryId,
                                                        std::unique_ptr<IAddressBookEntry>* entry) {
    entry->reset();
    if (!EnsureLoggedOn(0)) return notOpened;
    std::unique_ptr<IProviderEntry> opened;
    switch (m_provider->OpenEntry(entryId, &opened)) {
        case IAddressBookProvider::ok:
            if (!opened) return notOpened;
            *entry = std::make_unique<CBoundEntry>(std::move(opened), [this] { ShowLastError(); });
            return IAddressBook::opened;
        case IAddressBookProvider::unknownEntry:
            return CvlMessageBox(IDS_NO_ADDRESS_BOOK, MB_YESNO | MB_ICONEXCLAMATION) == IDYES ? notOpened
                                                                                              : stopLoading;
        case IAddressBookProvider::failed:
            ShowLastError();
            return notOpened;
    }
    return notOpened;
}

int CAddressBookBinding::ShowDetails(long parentHandle, const std::vector<uint8_t>& entryId) {
    if (!EnsureLoggedOn(parentHandle) || entryId.empty()) return IDCANCEL;
    m_provider->ShowDetails(parentHandle, entryId);
    return IDOK;
}

int CAddressBookBinding::SelectEntry(long parentHandle, std::vector<uint8_t>* entryId, WString* displayName) {
    if (!EnsureLoggedOn(parentHandle)) return IDCANCEL;
    return m_provider->SelectEntry(parentHandle, u"Please select Mail Address", entryId, displayName)
               ? IDOK
               : IDCANCEL;
}
