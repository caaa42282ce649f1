#include "records/xml_object.h"

#include <gtest/gtest.h>

#include "fake_reader.h"

namespace {

TEST(XmlObjectText, EscapesEachSpecialCharacterOnce) {
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"a&b\"c'd<e>f", false), "a&amp;b&quot;c&apos;d&lt;e&gt;f");
    // An entity already in the text is escaped again: its ampersand is just a character.
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"&amp;", false), "&amp;amp;");
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"a&b<\"", true), "a&b<\"");
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"\u00e9\u20ac", false), "\xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(CXMLObject::AnsiToUTF8("\xe9\x80&", false), "\xc3\xa9\xe2\x82\xac&amp;");
}

TEST(XmlObjectText, CdataNeverEndsEarly) {
    EXPECT_EQ(CXMLObject::MakeCDATA("a<b"), "<![CDATA[a<b]]>");
    EXPECT_EQ(CXMLObject::MakeCDATA("x]]>y"), "<![CDATA[x]]]]><![CDATA[>y]]>");
}

TEST(XmlObjectDates, DateElementIsEmptyUnlessValid) {
    COleDateTime date(2003, 7, 15, 9, 30, 0);
    EXPECT_EQ(CXMLObject::FormatXMLDate(date), "2003-07-15");
    EXPECT_EQ(CXMLObject::FormatXMLDate(COleDateTime::Null()), "");
    COleDateTime invalid(2003, 7, 15, 0, 0, 0);
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(CXMLObject::FormatXMLDate(invalid), "");
}

TEST(XmlObjectDates, AttributeIsWrittenInUtcAndReadBackAsLocal) {
    // The tests run three hours west of UTC.
    const COleDateTime local(2003, 7, 15, 9, 30, 0);
    const std::string text = CXMLObject::FormatXMLDateUTC(local);
    EXPECT_EQ(text, "2003-07-15T12:30:00");
    CFakeReader reader;
    COleDateTime back;
    ASSERT_TRUE(CXMLObject::ParseXMLDate(&reader, u"Created", Utf8ToW(text), &back));
    EXPECT_EQ(back, local);
    EXPECT_EQ(reader.errorNumber, 0u);
}

TEST(XmlObjectDates, AttributeNeedsExactlyOneT) {
    for (const char16_t* value : {u"2003-07-15 09:30:00", u"2003-07-15T09:30:00T", u"yesterday"}) {
        CFakeReader reader;
        COleDateTime date(2001, 1, 1, 0, 0, 0);
        EXPECT_FALSE(CXMLObject::ParseXMLDate(&reader, u"Edited", value, &date)) << WToUtf8(value);
        EXPECT_EQ(reader.errorNumber, 7u);
        EXPECT_EQ(reader.errorText,
                  u"The 'Edited' attribute does not take a value of '" + WString(value) + u"'");
        EXPECT_EQ(date, COleDateTime(2001, 1, 1, 0, 0, 0));
    }
}

TEST(XmlObjectDates, AnEmptyAttributeIsANullStampBothWays) {
    EXPECT_EQ(CXMLObject::FormatXMLDateUTC(COleDateTime::Null()), "");
    CFakeReader reader;
    COleDateTime date(2001, 1, 1, 0, 0, 0);
    ASSERT_TRUE(CXMLObject::ParseXMLDate(&reader, u"Edited", u"", &date));
    EXPECT_EQ(date.GetStatus(), COleDateTime::null);
    EXPECT_EQ(reader.errorNumber, 0u);
}

TEST(XmlObjectText, CharactersXmlCannotCarryAreLeftOut) {
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"a\u0001b\u000bc\u000c\ufffe", true), "abc");
    EXPECT_EQ(CXMLObject::EncodeUTF8(u"a\tb\r\nc<", false), "a\tb\r\nc&lt;");
}

TEST(XmlObjectHooks, BaseAcceptsEverything) {
    CFakeReader reader;
    CXMLObject object(&reader, u"Thing", {}, nullptr);
    EXPECT_EQ(object.GetElementName(), u"Thing");
    EXPECT_TRUE(object.OnStartChildElement(&reader, u"Other", {{u"a", u"1"}}));
    EXPECT_TRUE(object.OnEndElement(&reader, u"Other", u"text"));
    EXPECT_TRUE(CXMLObject().GetElementName().empty());
}

}  // namespace
