// The program's binding to the system's address book: loading it when the system offers one, logging
// on with the user's profile, opening entries for the addresses that refer to them, the book's own
// details and selection dialogs, and its change notices. The book itself is a provider behind an
// interface; Linux offers none, so the program runs without one and a test double stands in for it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "records/address.h"

// Table events of a change notice; a notice whose event has a bit of 5 set refreshes the addresses.
constexpr uint32_t TABLE_CHANGED = 1;
constexpr uint32_t TABLE_ERROR = 2;
constexpr uint32_t TABLE_ROW_ADDED = 3;
constexpr uint32_t TABLE_SETCOL_DONE = 8;

// One opened entry of the provider.
class IProviderEntry {
public:
    enum ReadResult { read, noValue, failed };
    virtual ~IProviderEntry() = default;
    // read: the text; noValue: the entry has no such property; failed: the call failed.
    virtual ReadResult GetStringProp(uint32_t propTag, WString* value) = 0;
};

// The system's address book.
class IAddressBookProvider {
public:
    enum OpenStatus { ok, unknownEntry, failed };
    virtual ~IAddressBookProvider() = default;
    // A session with the named profile (empty: the default one); the profile used comes back.
    virtual bool Logon(long parentHandle, const WString& profile, WString* sessionProfile) = 0;
    virtual void Logoff() = 0;
    virtual OpenStatus OpenEntry(const std::vector<uint8_t>& entryId,
                                 std::unique_ptr<IProviderEntry>* entry) = 0;
    // The last error's text and the component that gave it; false when there is none.
    virtual bool GetLastError(WString* text, WString* component) = 0;
    // The book's details dialog for an entry: true when it was shown.
    virtual bool ShowDetails(long parentHandle, const std::vector<uint8_t>& entryId) = 0;
    // The book's dialog that picks one entry: false when cancelled.
    virtual bool SelectEntry(long parentHandle, const WString& caption, std::vector<uint8_t>* entryId,
                             WString* displayName) = 0;
    // Change notices go to the sink from now on (table events), delivered by DispatchNotifications.
    virtual void Advise(std::function<void(uint32_t tableEvent)> sink) = 0;
    virtual void DispatchNotifications() = 0;
};

class CAddressBookBinding : public IAddressBook {
public:
    enum State { notChecked = 0, notOffered = 1, offered = 2, loggedOn = 3 };

    // provider null: the system offers no address book.
    explicit CAddressBookBinding(IAddressBookProvider* provider);
    ~CAddressBookBinding();
    CAddressBookBinding(const CAddressBookBinding&) = delete;
    CAddressBookBinding& operator=(const CAddressBookBinding&) = delete;

    State GetState() const { return m_state; }
    // At start: offered or not. Only an offered book is installed for the records (SetAddressBook).
    void Load();
    // Logs on with the "MAPI Profile" setting; false leaves the state offered.
    bool Logon(long parentHandle);
    void Logoff();
    // At exit: logs off and uninstalls the book.
    void Unload();
    // Called when a change notice asks for it: re-read every open document's address-book entries.
    void SetRefreshHandler(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    // The application's idle time: deliver the provider's notices while logged on.
    void DispatchNotifications();

    // ---- IAddressBook ---------------------------------------------------------------------------
    // Logs on first. An unknown entry asks 65: Yes loads without it, No stops the load. Another
    // failure shows the provider's error and loads without the entry.
    OpenResult OpenEntry(const std::vector<uint8_t>& entryId,
                         std::unique_ptr<IAddressBookEntry>* entry) override;
    int ShowDetails(long parentHandle, const std::vector<uint8_t>& entryId) override;
    int SelectEntry(long parentHandle, std::vector<uint8_t>* entryId, WString* displayName) override;

private:
    void OnNotice(uint32_t tableEvent);
    void ShowLastError();
    bool EnsureLoggedOn(long parentHandle);

    IAddressBookProvider* m_provider;
    State m_state = notChecked;
    bool m_installed = false;
    std::function<void()> m_refresh;
};
