#include "records/address_book.h"

#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/fake_address_book_provider.h"
#include "support/scripted_host_fixture.h"

namespace {

const std::vector<uint8_t> kSmith = {0xDE, 0xAD, 0xBE, 0xEF};

// An address-book address as the data file stores it.
std::vector<uint8_t> Stored(const WString& id, const std::vector<uint8_t>& entry) {
    CMAPIAddress address(id);
    address.SetEntryID(entry);
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    address.Serialize(ar);
    return bytes;
}

// Loads the stored form; null when the load was stopped.
CRefPtr<CMAPIAddress> Load(const std::vector<uint8_t>& bytes) {
    auto address = MakeRef<CMAPIAddress>();
    try {
        CArchive ar(bytes);
        address->Serialize(ar);
    } catch (const CArchiveException&) {
        return {};
    }
    return address;
}

std::vector<uint8_t> Save(CMAPIAddress& address) {
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    address.Serialize(ar);
    return bytes;
}

class AddressBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        provider.entries[kSmith] = {{PR_DISPLAY_NAME, WString(u"Smith")},
                                    {PR_POSTAL_ADDRESS, WString(u"1 Lane")}};
    }
    CScopedScriptedHost host;
    CFakeAddressBookProvider provider;
};

}  // namespace

TEST_F(AddressBookTest, WithoutABookEntriesLoadUnaskedAndSaveAsTheyCame) {
    CAddressBookBinding binding(nullptr);
    binding.Load();
    EXPECT_EQ(binding.GetState(), CAddressBookBinding::notOffered);
    EXPECT_EQ(GetAddressBook(), nullptr);
    const std::vector<uint8_t> stored = Stored(u"Smith", kSmith);
    CRefPtr<CMAPIAddress> smith = Load(stored);
    ASSERT_TRUE(smith);
    EXPECT_TRUE(host.MessageIds().empty());  // 65 is never asked
    EXPECT_EQ(smith->GetDisplayName(), u"Smith");
    EXPECT_EQ(smith->GetAddress(), u"Could not be retrieved from MAPI");
    WString renamed;
    EXPECT_EQ(smith->RefreshName(u"Smith", &renamed), 2);
    EXPECT_EQ(smith->Edit(0, nullptr), IDCANCEL);
    EXPECT_EQ(Save(*smith), stored);
}

TEST_F(AddressBookTest, LoadingOpensEntriesAndAsksWhenTheBookLostOne) {
    CAddressBookBinding binding(&provider);
    binding.Load();
    ASSERT_EQ(GetAddressBook(), &binding);
    struct Case {
        const char* name;
        std::vector<uint8_t> entry;
        int answer;  // to 65; 0: not asked
        bool loads;
        const char16_t* shown;
    } cases[] = {
        {"known", kSmith, 0, true, u"1 Lane"},
        {"lost, continue", {1, 2}, IDYES, true, u"Could not be retrieved from MAPI"},
        {"lost, stop", {1, 2}, IDNO, false, u""},
        {"no identifier", {}, 0, true, u"Could not be retrieved from MAPI"},
    };
    for (const Case& c : cases) {
        host.Clear();
        if (c.answer) host.Reply(65, c.answer);
        const std::vector<uint8_t> stored = Stored(u"Smith", c.entry);
        CRefPtr<CMAPIAddress> address = Load(stored);
        EXPECT_EQ(bool(address), c.loads) << c.name;
        EXPECT_EQ(host.MessageIds(), c.answer ? std::vector<unsigned>{65} : std::vector<unsigned>{})
            << c.name;
        if (!address) continue;
        EXPECT_EQ(address->GetAddress(), c.shown) << c.name;
        EXPECT_EQ(address->GetDisplayName(), u"Smith") << c.name;
        EXPECT_EQ(Save(*address), stored) << c.name;
    }
    EXPECT_EQ(provider.logons, 1);
    binding.Unload();
    EXPECT_EQ(GetAddressBook(), nullptr);
    EXPECT_EQ(provider.logoffs, 1);
}

TEST_F(AddressBookTest, AnEntryThatCannotBeReadNeverRenamesItsAddress) {
    provider.entries[kSmith][PR_DISPLAY_NAME] = std::nullopt;  // the read fails
    provider.lastError = u"The book is busy";
    CAddressBookBinding binding(&provider);
    binding.Load();
    const std::vector<uint8_t> stored = Stored(u"Smith", kSmith);
    CRefPtr<CMAPIAddress> smith = Load(stored);
    ASSERT_TRUE(smith);
    EXPECT_EQ(smith->GetDisplayName(), u"Smith");
    ASSERT_FALSE(host.Messages().empty());
    EXPECT_EQ(host.Messages().back().text, u"The book is busy");
    EXPECT_EQ(host.Messages().back().caption, u"Fake Book");
    WString renamed = u"?";
    EXPECT_EQ(smith->RefreshName(u"Smith", &renamed), 2);
    EXPECT_EQ(Save(*smith), stored);

    // A failed open loads the address without its entry, after showing the book's error.
    provider.openFails = true;
    host.Clear();
    CRefPtr<CMAPIAddress> again = Load(stored);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->IsEntryOpen());
    EXPECT_EQ(host.MessageIds().size(), 1u);
}

TEST_F(AddressBookTest, LogonUsesTheProfileAndAFailedOneLeavesTheBookOffered) {
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", u"office");
    provider.logonWorks = false;
    CAddressBookBinding binding(&provider);
    binding.Load();
    std::unique_ptr<IAddressBookEntry> entry;
    EXPECT_EQ(binding.OpenEntry(kSmith, &entry), IAddressBook::notOpened);
    EXPECT_EQ(binding.GetState(), CAddressBookBinding::offered);
    EXPECT_EQ(provider.requestedProfile, u"office");
    EXPECT_TRUE(host.MessageIds().empty());
    provider.logonWorks = true;
    EXPECT_TRUE(binding.Logon(0));
    EXPECT_EQ(binding.GetState(), CAddressBookBinding::loggedOn);
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", u""),
              u"Farm Office");
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", u"");
}

TEST_F(AddressBookTest, OnlyTableChangesRefreshTheAddresses) {
    CAddressBookBinding binding(&provider);
    binding.Load();
    int refreshes = 0;
    binding.SetRefreshHandler([&] { ++refreshes; });
    provider.pending = {1};
    binding.DispatchNotifications();  // not logged on yet: nothing is delivered
    EXPECT_EQ(refreshes, 0);
    ASSERT_TRUE(binding.Logon(0));
    for (uint32_t event : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u}) {
        refreshes = 0;
        provider.pending = {event};
        binding.DispatchNotifications();
        EXPECT_EQ(refreshes, (event & 5) ? 1 : 0) << event;
    }
}

TEST_F(AddressBookTest, TheBooksDialogsChooseAndShowEntries) {
    CAddressBookBinding binding(&provider);
    binding.Load();
    CMAPIAddress address(u"Nobody");
    EXPECT_EQ(address.EditNew(0, nullptr), IDCANCEL);  // cancelled: unchanged
    EXPECT_EQ(address.GetID(), u"Nobody");
    EXPECT_TRUE(address.GetEntryID().empty());
    EXPECT_EQ(provider.selectionCaption, u"Please select Mail Address");
    provider.selection = std::pair{kSmith, WString(u"Smith")};
    EXPECT_EQ(address.EditNew(0, nullptr), IDOK);
    EXPECT_EQ(address.GetID(), u"Smith");
    EXPECT_EQ(address.GetEntryID(), kSmith);
    EXPECT_EQ(address.GetAddress(), u"1 Lane");
    EXPECT_EQ(address.Edit(0, nullptr), IDOK);
    EXPECT_EQ(provider.detailsShown, std::vector<std::vector<uint8_t>>{kSmith});
    CMAPIAddress empty(u"Empty");
    EXPECT_EQ(empty.Edit(0, nullptr), IDCANCEL);  // no entry identifier
}

TEST_F(AddressBookTest, RefreshRenamesChangedEntriesAndTheirEvents) {
    CAddressBookBinding binding(&provider);
    binding.Load();
    CSheepDoc doc;
    ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
              BREED_LOADED);
    CRefPtr<CMAPIAddress> smith = Load(Stored(u"Smith", kSmith));
    doc.GetStores().SetAddressAt(u"Smith", smith);
    doc.GetStores().SetAddressAt(u"Brown", MakeRef<CLocalAddress>(u"Brown"));
    auto* sheep = new CSheep(u"A1", 0, nullptr);
    doc.AddSheep(sheep, false);
    auto* sold = new CEvent(COleDateTime(2003, 4, 5, 0, 0, 0), 31, u"Smith");
    sheep->AddEvent(sold, false);
    doc.SetModifiedFlag(false);

    doc.RefreshMAPIAddresses();  // nothing changed in the book
    EXPECT_FALSE(doc.IsModified());
    provider.entries[kSmith][PR_DISPLAY_NAME] = WString(u"Smith & Sons");
    doc.RefreshMAPIAddresses();
    EXPECT_EQ(doc.LookupAddress(u"Smith & Sons"), smith.Get());
    EXPECT_EQ(doc.LookupAddress(u"Smith"), nullptr);
    EXPECT_EQ(sold->GetParameters().at(0), u"Smith & Sons");
    EXPECT_TRUE(doc.IsModified());
    // Renamed in the book to a name another address holds: both stay where they are.
    provider.entries[kSmith][PR_DISPLAY_NAME] = WString(u"Brown");
    doc.RefreshMAPIAddresses();
    EXPECT_EQ(doc.LookupAddress(u"Smith & Sons"), smith.Get());
    EXPECT_EQ(doc.LookupAddress(u"Brown")->GetType(), CAddress::typeLocal);
}
