#include "records/event.h"

#include <gtest/gtest.h>

#include "fake_document.h"
#include "fake_reader.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "platform/testing/scripted_host.h"
#include "records/sheep.h"

namespace {

const COleDateTime kDay(2003, 7, 15, 0, 0, 0);

// An animal in the fake document; the events made here belong to it.
class EventTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(RecordsTestBreed(), nullptr) << dlerror();
        sheep_ = new CSheep(u"A1", SEX_EWE, &doc_);
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"kg");
    }
    void TearDown() override { sheep_->Release(); }

    // An event owned by the animal but not in its list (the caller releases it).
    CRefPtr<CEvent> Make(uint32_t code, std::vector<WString> params = {}, COleDateTime date = kDay) {
        auto event = MakeRef<CEvent>(date, code);
        event->SetParameters(std::move(params));
        event->SetOwner(sheep_);
        return event;
    }

    CFakeDocument doc_;
    CSheep* sheep_ = nullptr;
    CScriptedHost host_;
    CCvlHostScope scope_{host_};
};

struct TextCase {
    const char* what;
    uint32_t code;
    std::vector<WString> params;
    const char* unit;
    const char16_t* expected;
};

TEST_F(EventTest, FormatTextFillsTheTemplate) {
    doc_.addresses[u"K1"] = u"Smith Farm";
    SetTestCode(40, u"Swapped", u"%2 then %1", 2);
    SetTestCode(41, u"Listed", u"List %1", 0xFFFFFFFFu);
    SetTestCode(42, u"Mixed", u"In %1 out %1 and %2", 2);
    const TextCase cases[] = {
        {"weighing in kg", 4, {u"10"}, "kg", u"Weighed 10.00 kg today"},
        {"weighing in lb", 4, {u"10"}, "LB", u"Weighed 4.72 lb today"},
        {"weighing shows only its first parameter", 4, {u"10", u"20"}, "kg", u"Weighed 10.00 kg today"},
        {"weighing without parameters", 4, {}, "lb", u"Weighed  today"},
        {"address key found", 1, {u"K1"}, "kg", u"Bought from Smith Farm"},
        {"address key missing", 1, {u"K2"}, "kg", u"Bought from K2"},
        {"address only for the address codes", 30, {u"K1", u"K1"}, "kg", u"Treated with K1 for K1"},
        {"missing second parameter", 30, {u"Ivomec"}, "kg", u"Treated with Ivomec for "},
        {"extra parameters are not shown", 0, {u"K9", u"x"}, "kg", u"Sold to K9"},
        {"no placeholder for 2", 31, {u"a", u"b"}, "kg", u"ERROR: Require 2 placeholders daily"},
        {"no text from the plug-in", 32, {}, "kg", u"Failed to retrieve message for Event 32"},
        {"no parameters expected", 2, {u"x"}, "kg", u"Died"},
        {"placeholders out of order", 40, {u"a", u"b"}, "kg", u"%2 then ab then %1"},
        {"a list of any length runs no placeholder", 41, {u"a"}, "kg", u"List %1"},
        {"only the first of a repeated placeholder", 42, {u"a", u"b"}, "kg", u"In a out %1 and b"},
    };
    for (const TextCase& c : cases) {
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", W(c.unit));
        EXPECT_EQ(WToUtf8(Make(c.code, c.params)->FormatText(false)), WToUtf8(c.expected)) << c.what;
    }
}

TEST_F(EventTest, FormatTextDatePrefix) {
    auto born = Make(EVENT_BORN);
    EXPECT_EQ(born->FormatText(true), kDay.Format("%x") + u"\tBorn");
    EXPECT_EQ(Make(EVENT_BORN, {}, COleDateTime::Null())->FormatText(true), u"\tBorn");
    // The error replaces the date too.
    EXPECT_EQ(Make(31, {u"a"})->FormatText(true), u"ERROR: Require 2 placeholders daily");
}

TEST_F(EventTest, WeighingTemplateWithoutPlaceholderKeepsItsText) {
    SetTestCode(4, u"Weighed", u"Weight", 1);
    EXPECT_EQ(Make(4, {u"10"})->FormatText(false), u"Weight10.00 kg");
    SetTestCode(4, u"Weighed", u"Weighed %1 today", 1);
}

TEST_F(EventTest, WithoutPlugInTheTextSaysSo) {
    doc_.withPlugIn = false;
    EXPECT_EQ(Make(EVENT_BORN)->FormatText(false), u"Failed to retrieve message for Event 9");
    EXPECT_EQ(Make(EVENT_BORN)->GetEventName(), u"");
    EXPECT_EQ(Make(30)->HasFlag(0x20), 0u);
    EXPECT_TRUE(host_.Messages().empty());
}

TEST_F(EventTest, NamesAndFlagsComeFromThePlugIn) {
    EXPECT_EQ(Make(EVENT_WEIGHED)->GetEventName(), u"Weighed");
    EXPECT_EQ(Make(30)->HasFlag(EVENT_FLAG_REPORT_DELETE), EVENT_FLAG_REPORT_DELETE);
    EXPECT_EQ(Make(EVENT_BORN)->HasFlag(EVENT_FLAG_REPORT_DELETE), 0u);
    EXPECT_EQ(Make(30)->GetParameterCount(), 2);
    EXPECT_TRUE(host_.Messages().empty());

    EXPECT_EQ(Make(33)->HasFlag(0xFFFFFFFFu), 0u);
    ASSERT_EQ(host_.Messages().size(), 1u);
    const CvlMessage& m = host_.Messages()[0];
    EXPECT_EQ(m.stringId, 1034u);
    EXPECT_EQ(m.text, u"The flags for Unflagged have not been set");
    EXPECT_EQ(m.type & MB_ICONMASK, MB_ICONINFORMATION);
    EXPECT_TRUE(m.type & MB_HELP);
    EXPECT_EQ(m.helpId, 0x30000u + 1034u);
}

TEST_F(EventTest, SystemEventCodes) {
    for (uint32_t code = 0; code < 40; ++code) {
        const bool expected = code == 0 || code == 1 || code == 2 || code == 5 || code == 9 || code == 21;
        EXPECT_EQ(Make(code)->IsSystemEvent(), expected) << code;
    }
}

TEST_F(EventTest, CompareOrdersByDateThenText) {
    const COleDateTime later(2003, 7, 16, 0, 0, 0);
    const COleDateTime null = COleDateTime::Null();
    struct Case {
        uint32_t a;
        COleDateTime da;
        uint32_t b;
        COleDateTime db;
        int expected;
    } cases[] = {
        {EVENT_BORN, kDay, EVENT_DIED, kDay, -1},  // "Born" < "Died"
        {EVENT_DIED, kDay, EVENT_BORN, kDay, 1},
        {EVENT_BORN, kDay, EVENT_BORN, kDay, 0},
        {EVENT_DIED, kDay, EVENT_BORN, later, -1},  // the date decides before the text
        {EVENT_BORN, later, EVENT_DIED, kDay, 1},
        {EVENT_BORN, null, EVENT_DIED, null, -1},  // two null dates: by text
        {EVENT_BORN, kDay, EVENT_BORN, null, 1},   // dated against null: 1 both ways
        {EVENT_BORN, null, EVENT_BORN, kDay, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Make(c.a, {}, c.da)->Compare(*Make(c.b, {}, c.db)), c.expected)
            << c.a << " " << WToUtf8(c.da.Format("%x")) << " vs " << c.b << " " << WToUtf8(c.db.Format("%x"));
    }
}

TEST_F(EventTest, ConstructorsStampCreatedInUtc) {
    const COleDateTime before = COleDateTime::GetCurrentTimeUtc();
    CRefPtr<CEvent> plain = MakeRef<CEvent>();
    const COleDateTime after = COleDateTime::GetCurrentTimeUtc();
    EXPECT_TRUE(before <= plain->GetCreated() && plain->GetCreated() <= after);
    EXPECT_EQ(plain->GetDate().GetStatus(), COleDateTime::null);
    EXPECT_EQ(plain->GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(plain->GetCode(), EVENT_CODE_NONE);

    CRefPtr<CEvent> texts = MakeRef<CEvent>(kDay, 5u, u"Red", nullptr, u"x");
    EXPECT_EQ(texts->GetParameters(), (std::vector<WString>{u"Red", u"x"}));

    texts->SetEditedNow();
    CRefPtr<CEvent> copy = MakeRef<CEvent>(*texts);
    EXPECT_EQ(copy->GetParameters(), texts->GetParameters());
    EXPECT_EQ(copy->GetCreated(), texts->GetCreated());
    EXPECT_EQ(copy->GetEdited(), texts->GetEdited());
    EXPECT_EQ(copy->GetDate(), kDay);
}

TEST_F(EventTest, ArchiveFormRoundTrips) {
    auto event = Make(EVENT_RETAG, {u"Red", u"12"});
    event->SetCreated(COleDateTime(2003, 7, 1, 8, 0, 0));
    std::vector<uint8_t> bytes;
    {
        CArchive ar(bytes, CArchive::store);
        event->Serialize(ar);
    }
    // Date (status, double), the string array, the code, Created, Edited (null).
    std::vector<uint8_t> expected = {0, 0, 0, 0};
    const double day = kDay.m_dt;
    expected.insert(expected.end(), reinterpret_cast<const uint8_t*>(&day),
                    reinterpret_cast<const uint8_t*>(&day) + 8);
    expected.insert(expected.end(), {2,    0,    0xFF, 0xFE, 0xFF, 3, 'R', 0, 'e', 0, 'd', 0,
                                     0xFF, 0xFE, 0xFF, 2,    '1',  0, '2', 0, 5,   0, 0,   0});
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + expected.size()), expected);
    EXPECT_EQ(bytes.size(), expected.size() + 24);

    CRefPtr<CEvent> back = MakeRef<CEvent>();
    CArchive in{std::span<const uint8_t>(bytes)};
    back->Serialize(in);
    EXPECT_EQ(back->GetDate(), kDay);
    EXPECT_EQ(back->GetCode(), EVENT_RETAG);
    EXPECT_EQ(back->GetParameters(), event->GetParameters());
    EXPECT_EQ(back->GetCreated(), event->GetCreated());
    EXPECT_EQ(back->GetEdited().GetStatus(), COleDateTime::null);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST_F(EventTest, StoredAsAChildObjectWithItsClass) {
    auto event = Make(EVENT_BORN);
    std::vector<uint8_t> bytes;
    {
        CArchive ar(bytes, CArchive::store);
        ar.WriteObject(event.Get());
    }
    const std::vector<uint8_t> tag = {0xFF, 0xFF, 1, 0, 6, 0, 'C', 'E', 'v', 'e', 'n', 't'};
    ASSERT_GT(bytes.size(), tag.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + tag.size()), tag);
    CArchive in{std::span<const uint8_t>(bytes)};
    CRefPtr<CEvent> back = in.ReadObjectAs<CEvent>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetCode(), EVENT_BORN);
    EXPECT_EQ(back->GetDate(), kDay);
}

TEST_F(EventTest, XmlElementSkipsEmptyParametersAndRecordsAddresses) {
    auto event = Make(EVENT_PURCHASED, {u"K&1", u"", u"a]]>b \u0141"});
    event->SetCreated(COleDateTime(2003, 7, 15, 9, 30, 0));
    CAddressKeySet keys;
    EXPECT_EQ(event->WriteXML(keys),
              "<Event Type=\"Purchased\" Created=\"2003-07-15T12:30:00\">\r\n"
              "<Date>2003-07-15</Date>\r\n"
              "<Parameter ID=\"0\"><![CDATA[K&1]]></Parameter>\r\n"
              "<Parameter ID=\"2\"><![CDATA[a]]]]><![CDATA[>b \xc5\x81]]></Parameter>\r\n"
              "</Event>\r\n");
    EXPECT_EQ(keys, (CAddressKeySet{{u"K&1", 1}}));

    auto weighed = Make(EVENT_WEIGHED, {u"10"}, COleDateTime::Null());
    weighed->SetCreated(COleDateTime(2003, 7, 15, 9, 30, 0));
    weighed->SetEditedNow();
    CAddressKeySet none;
    const std::string xml = weighed->WriteXML(none);
    EXPECT_NE(xml.find("<Event Type=\"Weighed\" Created=\"2003-07-15T12:30:00\" Edited=\""),
              std::string::npos);
    EXPECT_NE(xml.find("<Date></Date>\r\n"), std::string::npos);
    EXPECT_TRUE(none.empty());
}

// A writing run asks the plug-in for each name once; what it writes is what the plain element
// gives, and a name the plug-in changes shows in the next run.
TEST_F(EventTest, AWritingRunsNamesAreTheElementsNamesAndANewRunSeesARename) {
    auto weighed = Make(EVENT_WEIGHED, {u"10"});
    auto treated = Make(30, {u"Drench & <dose>", u"worms"});
    const auto written = [&](CEventXmlNames* names) {
        std::string out;
        CAddressKeySet keys;
        for (const CEvent* event : {weighed.Get(), treated.Get(), weighed.Get()}) event->AppendXML(out, keys, names);
        return out;
    };
    const auto plain = [&] {
        CAddressKeySet keys;
        return weighed->WriteXML(keys) + treated->WriteXML(keys) + weighed->WriteXML(keys);
    };
    CEventXmlNames first;
    EXPECT_EQ(written(&first), plain());
    EXPECT_NE(plain().find("Type=\"Weighed\""), std::string::npos);

    SetTestCode(EVENT_WEIGHED, u"Weighed \"<kg>\" & 'lb'", u"Weighed %1 today", 1, 0x2);
    CEventXmlNames second;
    const std::string renamed = written(&second);
    SetTestCode(EVENT_WEIGHED, u"Weighed", u"Weighed %1 today", 1, 0x2);
    EXPECT_NE(renamed.find("Type=\"Weighed &quot;&lt;kg&gt;&quot; &amp; &apos;lb&apos;\""), std::string::npos)
        << renamed;
    EXPECT_EQ(renamed.find("Type=\"Weighed\""), std::string::npos);

    // Names kept for one document are not handed to another's events.
    CFakeDocument bare;
    bare.withPlugIn = false;
    CSheep* other = new CSheep(u"B1", SEX_EWE, &bare);
    auto unnamed = MakeRef<CEvent>(kDay, EVENT_WEIGHED);
    unnamed->SetOwner(other);
    std::string out;
    CAddressKeySet keys;
    unnamed->AppendXML(out, keys, &first);
    EXPECT_EQ(out.rfind("<Event Type=\"\" ", 0), 0u) << out;
    unnamed->SetOwner(nullptr);
    other->Release();
}

TEST_F(EventTest, XmlElementIsReadBack) {
    CFakeReader reader;
    reader.document = &doc_;
    bool ok = true;
    CRefPtr<CEvent> event = CRefPtr<CEvent>::Adopt(
        new CEvent(&reader, u"Event", {{u"TYPE", u"Weighed"}, {u"Created", u"2003-07-15T12:30:00"}}, &ok));
    ASSERT_TRUE(ok);
    EXPECT_EQ(event->GetCode(), EVENT_WEIGHED);
    EXPECT_EQ(event->GetCreated(), COleDateTime(2003, 7, 15, 9, 30, 0));
    EXPECT_EQ(event->GetEdited().GetStatus(), COleDateTime::null);

    EXPECT_TRUE(event->OnEndElement(&reader, u"Date", u""));  // what an undated event writes
    EXPECT_EQ(event->GetDate().GetStatus(), COleDateTime::null);
    EXPECT_TRUE(event->OnEndElement(&reader, u"Date", u"2003-07-15"));
    EXPECT_EQ(event->GetDate(), kDay);
    // One Parameter with ID 3 gives four positions, the first three empty; a later one at 1 fills
    // its gap, and one repeated keeps its last text. They are set when the event's element ends.
    EXPECT_TRUE(event->OnStartChildElement(&reader, u"parameter", {{u"Whatever", u"3"}}));
    EXPECT_TRUE(event->OnEndElement(&reader, u"Parameter", u"x"));
    EXPECT_TRUE(event->OnStartChildElement(&reader, u"Parameter", {{u"ID", u"1"}}));
    EXPECT_TRUE(event->OnEndElement(&reader, u"Parameter", u"y"));
    EXPECT_TRUE(event->OnEndElement(&reader, u"Parameter", u"z"));
    EXPECT_TRUE(event->OnEndElement(&reader, u"Unknown", u""));
    EXPECT_TRUE(event->OnEndElement(&reader, u"Event", u""));
    EXPECT_EQ(event->GetParameters(), (std::vector<WString>{u"", u"z", u"", u"x"}));
    EXPECT_EQ(reader.popped, std::vector<WString>{u"Event"});
    EXPECT_EQ(reader.errorNumber, 0u);
}

TEST_F(EventTest, XmlElementRefusesBadInput) {
    {
        CFakeReader reader;
        bool ok = true;
        CRefPtr<CEvent> event =
            CRefPtr<CEvent>::Adopt(new CEvent(&reader, u"Event", {{u"Colour", u"Red"}}, &ok));
        EXPECT_FALSE(ok);
        EXPECT_EQ(reader.errorNumber, 6u);
        EXPECT_EQ(reader.errorText, u"The attribute 'Colour' is not defined on the object 'Event'");
    }
    {
        CFakeReader reader;
        bool ok = true;
        CRefPtr<CEvent> event =
            CRefPtr<CEvent>::Adopt(new CEvent(&reader, u"Event", {{u"Edited", u"2003-07-15"}}, &ok));
        EXPECT_FALSE(ok);
        EXPECT_EQ(reader.errorNumber, 7u);
    }
    {
        CFakeReader reader;
        CRefPtr<CEvent> event = MakeRef<CEvent>();
        EXPECT_FALSE(event->OnEndElement(&reader, u"Date", u"not a date"));
        EXPECT_EQ(event->GetDate().GetStatus(), COleDateTime::invalid);
    }
    // A Parameter ID outside 0..255 would write outside the list or ask for billions of texts.
    for (const char16_t* id : {u"-1", u"256", u"2000000000"}) {
        CFakeReader reader;
        CRefPtr<CEvent> event = MakeRef<CEvent>();
        EXPECT_FALSE(event->OnStartChildElement(&reader, u"Parameter", {{u"ID", id}})) << WToUtf8(id);
        EXPECT_EQ(reader.errorNumber, 7u);
        EXPECT_TRUE(event->GetParameters().empty());
    }
}

}  // namespace
