#include "records/address.h"

#include <gtest/gtest.h>

#include <map>

#include "support/attached_records.h"

using namespace r2;

namespace {

CRefPtr<CLocalAddress> MakeLocal() {
    auto a = MakeRef<CLocalAddress>(u"Mart");
    a->SetAddress(u"1 Lane\r\nTown");
    a->SetTelephone(u"01");
    a->SetPostCode(u"AB1");
    a->SetCreated(COleDateTime(37817.25));
    a->SetEdited(COleDateTime(37818.75));
    return a;
}

// ID, Created, Edited, then Postal, Fax, Telephone, PostCode, Email.
const char* const kLocalBytes =
    "FFFEFF 04 4D006100 72007400"                                    // "Mart"
    "00000000 0000000028 77E240"                                     // Created 37817.25
    "00000000 0000000058 77E240"                                     // Edited 37818.75
    "FFFEFF 0C 31002000 4C0061006E006500 0D000A00 54006F0077006E00"  // "1 Lane\r\nTown"
    "FFFEFF 00"                                                      // Fax
    "FFFEFF 02 30003100"                                             // Telephone "01"
    "FFFEFF 03 4100420031 00"                                        // PostCode "AB1"
    "FFFEFF 00";                                                     // Email

// An address-book address as a data file written on Windows holds it, with its class: the new
// class tag, schema 1, the name; ID, Created, Edited; the entry identifier's size and bytes.
const char* const kMapiObjectBytes =
    "FFFF 0100 0C00 434D415049416464726573 73"  // class CMAPIAddress
    "FFFEFF 05 53006D00 69007400 6800"          // "Smith"
    "00000000 0000000028 77E240"
    "00000000 0000000058 77E240"
    "18000000"  // 24 bytes of entry identifier
    "00000000 DCA740C8C042101AB4B908002B2FE182 01000000";

class FakeEntry : public IAddressBookEntry {
public:
    explicit FakeEntry(std::map<uint32_t, WString> props) : m_props(std::move(props)) {}
    bool GetStringProp(uint32_t tag, WString* value) override {
        auto it = m_props.find(tag);
        if (it == m_props.end()) return false;
        *value = it->second;
        return true;
    }

private:
    std::map<uint32_t, WString> m_props;
};

class FakeBook : public IAddressBook {
public:
    OpenResult result = opened;
    std::map<uint32_t, WString> props;
    std::vector<std::vector<uint8_t>> opened_ids;
    OpenResult OpenEntry(const std::vector<uint8_t>& id, std::unique_ptr<IAddressBookEntry>* entry) override {
        opened_ids.push_back(id);
        if (result == opened) *entry = std::make_unique<FakeEntry>(props);
        return result;
    }
};

class ScopedBook {
public:
    explicit ScopedBook(IAddressBook* book) : m_old(SetAddressBook(book)) {}
    ~ScopedBook() { SetAddressBook(m_old); }

private:
    IAddressBook* m_old;
};

CRefPtr<CAddress> ReadAddressObject(const std::vector<uint8_t>& bytes) {
    CArchive ar(bytes);
    return ar.ReadObjectAs<CAddress>();
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> WriteAddressObject(const CAddress* a) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    ar.WriteObject(a);
    return out;
}

}  // namespace

TEST(AddressArchive, LocalAddressStoresPostalBeforeFax) {
    auto a = MakeLocal();
    EXPECT_EQ(ToHex(Store(*a)), ToHex(Hex(kLocalBytes)));
    CLocalAddress loaded;
    Load(loaded, Hex(kLocalBytes));
    EXPECT_EQ(loaded.GetID(), u"Mart");
    EXPECT_EQ(loaded.GetAddress(), u"1 Lane\r\nTown");
    EXPECT_EQ(loaded.GetTelephone(), u"01");
    EXPECT_EQ(loaded.GetPostCode(), u"AB1");
    EXPECT_EQ(loaded.GetFax(), u"");
    EXPECT_EQ(loaded.GetEdited().m_dt, 37818.75);
    EXPECT_EQ(loaded.GetType(), CAddress::typeLocal);
}

TEST(AddressArchive, LocalAddressTravelsWithItsClass) {
    auto a = MakeLocal();
    const auto bytes = WriteAddressObject(a.Get());
    EXPECT_EQ(ToHex(bytes),
              ToHex(Concat(Hex("FFFF 0100 0D00 434C6F63616C41646472657373"), Hex(kLocalBytes))));
    CRefPtr<CAddress> loaded = ReadAddressObject(bytes);
    ASSERT_NE(dynamic_cast<CLocalAddress*>(loaded.Get()), nullptr);
    EXPECT_EQ(loaded->GetPostCode(), u"AB1");
}

TEST(AddressArchive, WindowsAddressBookEntryLoadsShowsAndSavesUnchanged) {
    ScopedBook none(nullptr);
    const auto bytes = Hex(kMapiObjectBytes);
    CRefPtr<CAddress> a = ReadAddressObject(bytes);
    ASSERT_NE(a, nullptr);
    auto* mapi = dynamic_cast<CMAPIAddress*>(a.Get());
    ASSERT_NE(mapi, nullptr);
    EXPECT_EQ(mapi->GetEntryID().size(), 24u);
    EXPECT_FALSE(mapi->IsEntryOpen());
    // Showing it: the stored name, and the fields say that the book could not give them.
    EXPECT_EQ(a->GetDisplayName(), u"Smith");
    for (const WString& field :
         {a->GetAddress(), a->GetTelephone(), a->GetFax(), a->GetEmail(), a->GetPostCode()})
        EXPECT_EQ(field, u"Could not be retrieved from MAPI");
    EXPECT_EQ(a->GetListRow()[0], u"Smith");
    EXPECT_EQ(a->GetID(), u"Smith");
    WString renamed;
    EXPECT_EQ(a->RefreshName(u"Smith", &renamed), 2);
    EXPECT_EQ(ToHex(WriteAddressObject(a.Get())), ToHex(bytes));
}

TEST(AddressArchive, ZeroLengthEntryOpensNothing) {
    FakeBook book;
    ScopedBook scope(&book);
    CMAPIAddress a(u"Empty");
    const auto bytes = Store(a);
    EXPECT_EQ(ToHex(std::vector<uint8_t>(bytes.end() - 4, bytes.end())), "00 00 00 00");
    CMAPIAddress loaded;
    Load(loaded, bytes);
    EXPECT_TRUE(book.opened_ids.empty());
    EXPECT_EQ(loaded.GetEmail(), u"Could not be retrieved from MAPI");
}

TEST(AddressArchive, AnOpenedEntryAnswersAndRenames) {
    FakeBook book;
    book.props = {{PR_DISPLAY_NAME, u"Jo Smith"}, {PR_EMAIL_ADDRESS, u"jo@example.org"}};
    ScopedBook scope(&book);
    CRefPtr<CAddress> a = ReadAddressObject(Hex(kMapiObjectBytes));
    ASSERT_EQ(book.opened_ids.size(), 1u);
    EXPECT_EQ(book.opened_ids[0].size(), 24u);
    EXPECT_EQ(a->GetEmail(), u"jo@example.org");
    EXPECT_EQ(a->GetFax(), u"");  // the entry has no such property
    WString renamed;
    EXPECT_EQ(a->RefreshName(u"Smith", &renamed), 1);
    EXPECT_EQ(renamed, u"Jo Smith");
    EXPECT_EQ(a->RefreshName(u"Jo Smith", &renamed), 0);
    EXPECT_EQ(a->GetDisplayName(), u"Jo Smith");
    EXPECT_EQ(a->GetID(), u"Jo Smith");
}

TEST(AddressArchive, AnEntryThatCannotBeReadNeverReplacesTheName) {
    FakeBook book;  // opens, but gives no display name
    ScopedBook scope(&book);
    CRefPtr<CAddress> a = ReadAddressObject(Hex(kMapiObjectBytes));
    EXPECT_EQ(a->GetDisplayName(), u"Smith");
    EXPECT_EQ(a->GetID(), u"Smith");
}

TEST(AddressArchive, UserStoppingTheLoadFailsIt) {
    FakeBook book;
    book.result = IAddressBook::stopLoading;
    ScopedBook scope(&book);
    EXPECT_THROW(ReadAddressObject(Hex(kMapiObjectBytes)), CArchiveException);
}

TEST(AddressArchive, TruncatedEntryIdentifierThrows) {
    auto bytes = Hex(kMapiObjectBytes);
    bytes.resize(bytes.size() - 1);
    EXPECT_THROW(ReadAddressObject(bytes), CArchiveException);
}

TEST(AddressRecord, LocalSettersStampAndBaseDoesNothing) {
    CLocalAddress a(u"X");
    a.SetEdited(COleDateTime(1000.0));
    a.SetEmail(u"x@y");
    EXPECT_NE(a.GetEdited(), COleDateTime(1000.0));
    CMAPIAddress m(u"M");
    m.SetEmail(u"x@y");
    EXPECT_EQ(m.GetEmail(), u"Could not be retrieved from MAPI");
    CAddress base(u"B");
    EXPECT_EQ(base.GetType(), -1);
    EXPECT_EQ(base.GetAddress(), u"");
    CLocalAddress copy;
    copy.Assign(*MakeLocal());
    EXPECT_EQ(copy.GetID(), u"Mart");
    EXPECT_EQ(copy.GetEdited().m_dt, 37818.75);
    EXPECT_EQ(copy.GetAddress(), u"");  // only the base part is assigned
}

TEST(AddressList, RowsJoinLinesWithCommas) {
    EXPECT_EQ(CAddress::GetColumnCaptions(), (std::vector<WString>{u"Display as", u"Address", u"Post Code",
                                                                   u"E-Mail", u"Telephone", u"Fax"}));
    EXPECT_EQ(CAddress::FormatListText(u"1 Lane\r\nTown"), u"1 Lane, Town");
    EXPECT_EQ(CAddress::FormatListText(u"1 Lane\r\n\r\nTown"), u"1 Lane,  Town");
    auto a = MakeLocal();
    EXPECT_EQ(a->GetListRow(), (std::vector<WString>{u"Mart", u"1 Lane, Town", u"AB1", u"", u"01", u""}));
}

TEST(AddressXml, WritesOnlyTheFieldsThatAreSet) {
    ScopedTimeZone tz("UTC0");
    auto a = MakeRef<CLocalAddress>(u"Mart & Co");
    a->SetAddress(u"1 Lane\r\nTown ]]> end");
    a->SetCreated(COleDateTime(37817.25));
    a->SetEdited(COleDateTime(37818.75));
    EXPECT_EQ(a->WriteXML(),
              "<Address Created=\"2003-07-15T06:00:00\" Edited=\"2003-07-16T18:00:00\" ID=\"Mart &amp; Co\" "
              "Type=\"0\">\r\n"
              "<Postal><![CDATA[1 Lane\r\nTown ]]]]><![CDATA[> end]]></Postal>"
              "</Address>\r\n");
    a->SetTelephone(u"01 & 02");
    a->SetEmail(u"a&amp;b");
    a->SetFax(u"<f>");
    a->SetPostCode(u"AB1");
    a->SetEdited(COleDateTime(37818.75));
    EXPECT_EQ(a->WriteXML(),
              "<Address Created=\"2003-07-15T06:00:00\" Edited=\"2003-07-16T18:00:00\" ID=\"Mart &amp; Co\" "
              "Type=\"0\">\r\n"
              "<Postal><![CDATA[1 Lane\r\nTown ]]]]><![CDATA[> end]]></Postal>"
              "<PostCode><![CDATA[AB1]]></PostCode>\r\n"
              "<Telephone><![CDATA[01 & 02]]></Telephone>\r\n"
              "<Email><![CDATA[a&amp;amp;b]]></Email>\r\n"
              "<Fax><![CDATA[<f>]]></Fax>\r\n"
              "</Address>\r\n");
}

TEST(AddressXml, AddressBookEntryWithoutABook) {
    ScopedTimeZone tz("UTC0");
    ScopedBook none(nullptr);
    CMAPIAddress a(u"Smith");
    a.SetCreated(COleDateTime(37817.25));
    a.SetEdited(COleDateTime(37818.75));
    const std::string text = "<![CDATA[Could not be retrieved from MAPI]]>";
    EXPECT_EQ(a.WriteXML(),
              "<Address Created=\"2003-07-15T06:00:00\" Edited=\"2003-07-16T18:00:00\" ID=\"Smith\" "
              "Type=\"1\">\r\n<Postal>" +
                  text + "</Postal><PostCode>" + text + "</PostCode>\r\n<Telephone>" + text +
                  "</Telephone>\r\n<Email>" + text + "</Email>\r\n<Fax>" + text + "</Fax>\r\n</Address>\r\n");
}

TEST(AddressXml, RoundTripKeepsEveryFieldExactly) {
    ScopedTimeZone tz("Europe/London");
    auto a = MakeRef<CLocalAddress>(u"Mart & Co");
    a->SetAddress(u"1 Lane & Sons\r\nTown ]]>");
    a->SetTelephone(u"01 & 02");
    a->SetEmail(u"a&amp;b &lt;");
    a->SetFax(u"<f> \"q\" 'a'");
    a->SetPostCode(u"\u00c9&");
    a->SetCreated(COleDateTime(37817.25));
    a->SetEdited(COleDateTime(37818.75));
    const std::string first = a->WriteXML();
    TestXmlReader reader(MakeTop<CLocalAddress>());
    ASSERT_TRUE(reader.Parse(first)) << WToUtf8(reader.ErrorText());
    auto* read = reader.FinishedAs<CLocalAddress>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(ToHex(Store(*read)), ToHex(Store(*a)));
    EXPECT_EQ(read->WriteXML(), first);  // no layer of escaping added
}

TEST(AddressXml, ReadsFieldsThatEarlierVersionsEscapedInsideCData) {
    TestXmlReader reader(MakeTop<CLocalAddress>());
    ASSERT_TRUE(
        reader.Parse("<Address ID=\"A\" Type=\"0\"><Postal><![CDATA[x &amp; y]]></Postal>"
                     "<Telephone><![CDATA[01 &amp; 02 &lt;3&gt;]]></Telephone></Address>"));
    auto* read = reader.FinishedAs<CLocalAddress>();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetTelephone(), u"01 & 02 <3>");
    EXPECT_EQ(read->GetAddress(), u"x &amp; y");  // the postal address was always written as it is
}

TEST(AddressXml, AttributesAndAddressBookChildren) {
    {
        TestXmlReader reader(MakeTop<CLocalAddress>());
        EXPECT_FALSE(reader.Parse("<Address ID=\"A\" Owner=\"me\"/>"));
        EXPECT_EQ(reader.ErrorNumber(), 6u);
        EXPECT_EQ(reader.ErrorText(), u"The attribute 'Owner' is not defined on the object 'Address'");
    }
    {
        TestXmlReader reader(MakeTop<CLocalAddress>());
        EXPECT_FALSE(reader.Parse("<Address Created=\"yesterday\"/>"));
        EXPECT_EQ(reader.ErrorNumber(), 7u);
    }
    {
        TestXmlReader reader(MakeTop<CMAPIAddress>());
        ASSERT_TRUE(
            reader.Parse("<Address ID=\"B\" Type=\"1\"><Email><![CDATA[b@c]]></Email><Other/></Address>"));
        auto* read = reader.FinishedAs<CMAPIAddress>();
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetID(), u"B");
        EXPECT_EQ(read->GetEmail(), u"Could not be retrieved from MAPI");
    }
}

TEST(AddressXml, CDataFieldCodingIsExactlyInvertible) {
    for (const char16_t* text :
         {u"", u"&", u"&&lt;", u"&amp;", u"&amp;amp;", u"a & b", u"&quot;&apos;&gt;", u"&am"}) {
        EXPECT_EQ(DecodeCDataField(Utf8ToW(EncodeCDataField(text))), text) << WToUtf8(text);
    }
    EXPECT_EQ(EncodeCDataField(u"a & b <c>"), "a & b <c>");
}
