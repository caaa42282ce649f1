#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/fake_address_dialogs.h"
#include "support/scripted_host_fixture.h"

namespace {

class HintView : public CDocView {
public:
    std::vector<std::pair<uint32_t, CObject*>> hints;
    void OnUpdate(CDocView*, uint32_t hint, CObject* object) override { hints.push_back({hint, object}); }
};

class AddressEditTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    // A new document with Smith and Brown and one animal whose events name them.
    void Fresh() {
        pDoc = MakeRef<CSheepDoc>();
        CSheepDoc& doc = *pDoc;
        view.hints.clear();
        ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
                  BREED_LOADED);
        doc.AddView(&view);
        auto smith = MakeRef<CLocalAddress>(u"Smith");
        smith->SetAddress(u"1 Lane");
        doc.GetStores().SetAddressAt(u"Smith", smith);
        doc.GetStores().SetAddressAt(u"Brown", MakeRef<CLocalAddress>(u"Brown"));
        auto* sheep = new CSheep(u"A1", 0, nullptr);
        doc.AddSheep(sheep, false);
        const COleDateTime day(2003, 4, 5, 0, 0, 0);
        sold = new CEvent(day, 31, u"Smith");                       // one address
        shown = new CEvent(day, 30, u"Smith", u"Brown", u"Smith");  // a list of addresses
        sheep->AddEvent(sold, false);
        sheep->AddEvent(shown, false);
        view.hints.clear();
        host.Clear();
        doc.SetModifiedFlag(false);
    }

    CScopedScriptedHost host;
    CFakeAddressDialogs dialogs;
    CRefPtr<CSheepDoc> pDoc;
    HintView view;
    CEvent* sold = nullptr;
    CEvent* shown = nullptr;
};

}  // namespace

TEST_F(AddressEditTest, RenameIsCarriedIntoTheEventsOnlyWhenTheUserSaysSo) {
    struct Case {
        const char* name;
        const char16_t* newName;
        int answer;  // to 55; 0: not asked
        std::vector<unsigned> messages;
        const char16_t* key;  // where Smith's object is filed afterwards
        const char16_t* inEvents;
    } cases[] = {
        {"yes", u"Smith J", IDYES, {55, 56}, u"Smith J", u"Smith J"},
        {"no", u"Smith J", IDNO, {55}, u"Smith", u"Smith"},
        // Brown is not dropped to make room.
        {"yes, name of another address", u"Brown", IDYES, {55, 54}, u"Smith", u"Smith"},
        {"name unchanged", u"Smith", 0, {}, u"Smith", u"Smith"},
    };
    for (const Case& c : cases) {
        Fresh();
        CSheepDoc& doc = *pDoc;
        CAddress* smith = doc.LookupAddress(u"Smith");
        CAddress* brown = doc.LookupAddress(u"Brown");
        dialogs.edit = [&](IAddressDialogs::CDetails& d) {
            d.displayName = c.newName;
            d.telephone = u"0123";
            return true;
        };
        if (c.answer) host.Reply(55, c.answer);
        EXPECT_TRUE(doc.EditAddress(smith, 9, nullptr, true)) << c.name;
        EXPECT_EQ(host.MessageIds(), c.messages) << c.name;
        WString key;
        ASSERT_TRUE(doc.FindAddressKey(smith, &key)) << c.name;
        EXPECT_EQ(key, c.key) << c.name;
        EXPECT_EQ(doc.LookupAddress(u"Brown"), brown) << c.name;
        EXPECT_EQ(smith->GetTelephone(), u"0123") << c.name;
        EXPECT_EQ(sold->GetParameters().at(0), c.inEvents) << c.name;
        EXPECT_EQ(shown->GetParameters(), (std::vector<WString>{c.inEvents, u"Brown", c.inEvents})) << c.name;
        if (c.answer == IDYES && c.messages.back() == 56) {
            EXPECT_EQ(host.Messages().back().text, u"3 replacements were made");
        }
        EXPECT_EQ(view.hints, (std::vector<std::pair<uint32_t, CObject*>>{{32, smith}})) << c.name;
        EXPECT_TRUE(doc.IsModified()) << c.name;
    }
}

TEST_F(AddressEditTest, CancelChangesNothingAndDeleteActsOnTheObject) {
    CSheepDoc& doc = *pDoc;
    CAddress* smith = doc.LookupAddress(u"Smith");
    EXPECT_FALSE(doc.EditAddress(smith, 0, nullptr, true));
    EXPECT_TRUE(host.MessageIds().empty());
    EXPECT_TRUE(view.hints.empty());

    // Renamed without carrying it over: its display name is now another address's key.
    dialogs.edit = [](IAddressDialogs::CDetails& d) {
        d.displayName = u"Brown";
        return true;
    };
    host.Reply(55, IDNO);
    ASSERT_TRUE(doc.EditAddress(smith, 0, nullptr, true));
    EXPECT_EQ(smith->GetDisplayName(), u"Brown");
    CAddress* brown = doc.LookupAddress(u"Brown");
    EXPECT_TRUE(doc.DeleteAddressObject(smith));
    EXPECT_EQ(doc.LookupAddress(u"Smith"), nullptr);
    EXPECT_EQ(doc.LookupAddress(u"Brown"), brown);
    EXPECT_FALSE(doc.DeleteAddressObject(smith));
}

TEST_F(AddressEditTest, NewAddressAsksItsKindOnlyWithAnAddressBook) {
    CSheepDoc& doc = *pDoc;
    dialogs.edit = [](IAddressDialogs::CDetails& d) {
        d.displayName = u"Vet";
        d.postal = u"Surgery";
        return true;
    };
    CAddress* vet = doc.NewAddress(3, &view);
    ASSERT_NE(vet, nullptr);
    EXPECT_EQ(dialogs.typeQuestions, 0);
    EXPECT_EQ(doc.LookupAddress(u"Vet"), vet);
    EXPECT_TRUE(dialogs.calls.back().isNew);
    EXPECT_TRUE(view.hints.empty());  // the sender is not told

    class Book : public IAddressBook {
    public:
        OpenResult OpenEntry(const std::vector<uint8_t>&, std::unique_ptr<IAddressBookEntry>*) override {
            return notOpened;
        }
        int SelectEntry(long, std::vector<uint8_t>* id, WString* name) override {
            if (!choose) return 2;
            *id = {1, 2, 3};
            *name = u"Jones";
            return 1;
        }
        bool choose = false;
    } book;
    IAddressBook* previous = SetAddressBook(&book);
    dialogs.typeAnswer = -1;
    EXPECT_EQ(doc.NewAddress(3, nullptr), nullptr);
    dialogs.typeAnswer = 1;
    EXPECT_EQ(doc.NewAddress(3, nullptr), nullptr);  // the book's selection cancelled
    book.choose = true;
    CAddress* jones = doc.NewAddress(3, nullptr);
    ASSERT_NE(jones, nullptr);
    EXPECT_EQ(jones->GetType(), CAddress::typeMAPI);
    EXPECT_EQ(static_cast<CMAPIAddress*>(jones)->GetEntryID(), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(doc.LookupAddress(u"Jones"), jones);
    EXPECT_EQ(dialogs.typeQuestions, 3);
    EXPECT_EQ(view.hints, (std::vector<std::pair<uint32_t, CObject*>>{{40, jones}}));
    SetAddressBook(previous);
}
