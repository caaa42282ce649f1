#include <libxml/parser.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include "records/event.h"
#include "records/sheep.h"
#include "breed_document.h"

namespace {

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void Replace(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

void QuietErrors(void*, const char*, ...) {}

// The breed's validator as the import uses it: the style sheet from the plug-in's resources,
// applied under a security policy without file or network access; a failed transformation refuses.
class Validator {
public:
    Validator() {
        xsltSetGenericErrorFunc(nullptr, QuietErrors);
        xmlSetGenericErrorFunc(nullptr, QuietErrors);
        uint16_t id = BreedExport<PFN_CVLGetXMLValidator>("CVLGetXMLValidator")();
        auto resource = BreedExport<PFN_CVLGetResource>("CVLGetResource");
        uint32_t size = 0;
        const void* bytes = resource(23, id, &size);
        EXPECT_NE(bytes, nullptr);
        EXPECT_GT(size, 0u);
        EXPECT_EQ(resource(23, uint16_t(id + 1), &size), nullptr);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(resource(10, id, nullptr), nullptr);
        bytes = resource(23, id, &size);
        xmlDocPtr doc = xmlReadMemory(static_cast<const char*>(bytes), int(size), "validator.xsl", nullptr,
                                      XML_PARSE_NONET);
        EXPECT_NE(doc, nullptr);
        if (doc) style_ = xsltParseStylesheetDoc(doc);
        EXPECT_NE(style_, nullptr);
        security_ = xsltNewSecurityPrefs();
        for (xsltSecurityOption o :
             {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY, XSLT_SECPREF_WRITE_NETWORK,
              XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_READ_FILE})
            xsltSetSecurityPrefs(security_, o, xsltSecurityForbid);
    }
    ~Validator() {
        if (style_) xsltFreeStylesheet(style_);
        xsltFreeSecurityPrefs(security_);
    }

    bool Accepts(const std::string& xml) const {
        xmlDocPtr doc = xmlReadMemory(xml.data(), int(xml.size()), "import.xml", nullptr, XML_PARSE_NONET);
        if (!doc || !style_) {
            xmlFreeDoc(doc);
            ADD_FAILURE() << "sample does not parse";
            return false;
        }
        xsltTransformContextPtr ctxt = xsltNewTransformContext(style_, doc);
        xsltSetCtxtSecurityPrefs(security_, ctxt);
        xmlDocPtr result = xsltApplyStylesheetUser(style_, doc, nullptr, nullptr, nullptr, ctxt);
        bool ok = result != nullptr && ctxt->state == XSLT_STATE_OK;
        xmlFreeDoc(result);
        xsltFreeTransformContext(ctxt);
        xmlFreeDoc(doc);
        return ok;
    }

private:
    xsltStylesheetPtr style_ = nullptr;
    xsltSecurityPrefsPtr security_ = nullptr;
};

// A file as the export writes it: declaration, root in the program's namespace, the Definition
// block, animals with their events, tupping and lambing records, then the addresses they name.
const char kExport[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Corvalen xmlns=\"http://corvalen.example/Schemas/Corvalen\"><Definition>\r\n"
    "<Breed>General Sheep</Breed>\r\n"
    "<Post><![CDATA[Hill Farm\r\nUpper Dale]]></Post>\r\n"
    "<AppVersion>4294967296</AppVersion>\r\n"
    "<DllVersion>4294967296</DllVersion>\r\n"
    "<DisplayWeightUnit>kg</DisplayWeightUnit>\r\n"
    "<Attribute ID=\"1025\">A&amp;B</Attribute>\r\n"
    "</Definition>\r\n"
    "<Dedov Sex=\"Ewe\" Edited=\"2026-03-01T10:00:00\" Flags=\"16\">\r\n"
    "<Tattoo>UK0123456 00042</Tattoo>\r\n"
    "<EID>0000000000012345</EID>\r\n"
    "<Sire>R1</Sire>\r\n"
    "<OneOf>2</OneOf>\r\n"
    "<Comment><![CDATA[quiet <ewe> & good mother]]></Comment>\r\n"
    "<Eartag>\r\n<Colour>Red</Colour>\r\n<Number>42</Number>\r\n</Eartag>\r\n"
    "<BirthDate>2022-03-20</BirthDate>\r\n"
    "<PurchaseDate>2023-09-01</PurchaseDate>\r\n"
    "<Signet>\r\n<AWT>2.01</AWT>\r\n</Signet>\r\n"
    "<Genetics>\r\n<Scrapie>ARR/ARQ</Scrapie>\r\n</Genetics>\r\n"
    "<Event Type=\"Purchased\" Created=\"2023-09-01T12:00:00\">\r\n<Date>2023-09-01</Date>\r\n"
    "<Parameter ID=\"0\"><![CDATA[K1]]></Parameter>\r\n<Parameter ID=\"1\"><![CDATA[AML "
    "123456]]></Parameter>\r\n"
    "</Event>\r\n"
    "<Event Type=\"Tupped\" Created=\"2025-10-20T12:00:00\" Edited=\"2025-10-21T08:00:00\">\r\n"
    "<Date>2025-10-20</Date>\r\n<Parameter ID=\"0\"><![CDATA[R1]]></Parameter>\r\n</Event>\r\n"
    "<Event Type=\"Lambed\" Created=\"2026-03-15T12:00:00\">\r\n<Date>2026-03-15</Date>\r\n</Event>\r\n"
    "<Event Type=\"Treated\" Created=\"2026-04-01T12:00:00\">\r\n<Date>2026-04-01</Date>\r\n"
    "<Parameter ID=\"0\"><![CDATA[Lameness]]></Parameter>\r\n<Parameter ID=\"2\"><![CDATA[5 "
    "ml]]></Parameter>\r\n"
    "</Event>\r\n"
    "<LambingData Method=\"Normal\" Created=\"2025-10-20T12:00:00\" Edited=\"2026-03-15T12:00:00\">\r\n"
    "<Date>2026-03-15</Date>\r\n<Tup>R1</Tup>\r\n"
    "<Lamb Sex=\"Ram\"  Created=\"2026-03-15T12:00:00\" "
    "Weight=\"10.6\">\r\n<LambTattoo>001/26</LambTattoo>\r\n"
    "</Lamb>\r\n"
    "<Lamb Sex=\"Ewe\"  Created=\"2026-03-15T12:00:00\">\r\n<LambTattoo>Dead</LambTattoo>\r\n</Lamb>\r\n"
    "</LambingData>\r\n"
    "</Dedov>\r\n"
    "<Dedov Sex=\"Ram\" Edited=\"2026-03-01T10:00:00\" Flags=\"0\">\r\n"
    "<Tattoo>R1</Tattoo>\r\n<OneOf>0</OneOf>\r\n"
    "<Event Type=\"Tupping\" Created=\"2025-10-20T12:00:00\">\r\n<Date>2025-10-20</Date>\r\n"
    "<Parameter ID=\"0\"><![CDATA[Normal]]></Parameter>\r\n</Event>\r\n"
    "<TuppingData Method=\"Normal\" Created=\"2025-10-20T12:00:00\" Edited=\"2025-10-20T12:00:00\">\r\n"
    "<DateIn>2025-10-20</DateIn>\r\n<Ewe>UK0123456 00042</Ewe>\r\n</TuppingData>\r\n"
    "</Dedov>\r\n"
    "<Address Created=\"2023-09-01T12:00:00\" Edited=\"2023-09-01T12:00:00\" ID=\"K1\" Type=\"0\">\r\n"
    "<Postal><![CDATA[Low Farm]]></Postal><Telephone><![CDATA[01234]]></Telephone>\r\n"
    "</Address>\r\n"
    "</Corvalen>\r\n";

std::string Animal(const std::string& tattoo, const std::string& events) {
    return "<Dedov Sex=\"Ewe\" Edited=\"2026-03-01T10:00:00\" Flags=\"0\">\r\n<Tattoo>" + tattoo +
           "</Tattoo>\r\n<OneOf>0</OneOf>\r\n" + events + "</Dedov>\r\n";
}

std::string FlockFile(const std::string& animals) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<Corvalen xmlns=\"http://corvalen.example/Schemas/Corvalen\"><Definition>\r\n"
           "<AppVersion>1</AppVersion>\r\n<DllVersion>1</DllVersion>\r\n"
           "<DisplayWeightUnit>lb</DisplayWeightUnit>\r\n</Definition>\r\n" +
           animals + "</Corvalen>\r\n";
}

std::string EventElement(const std::string& type) {
    return "<Event Type=\"" + type +
           "\" Created=\"2026-01-01T00:00:00\">\r\n<Date>2026-01-01</Date>\r\n</Event>\r\n";
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

TEST(BreedValidator, AcceptsWhatTheExportWritesAndRefusesAnInvalidTattoo) {
    Validator v;
    EXPECT_TRUE(v.Accepts(kExport));
    EXPECT_TRUE(v.Accepts(FlockFile("")));

    std::string bad = kExport;
    Replace(bad, "<Tattoo>R1</Tattoo>", "<Tattoo>R1 </Tattoo>");
    EXPECT_FALSE(v.Accepts(bad));
    std::string missing = kExport;
    Replace(missing, "<Tattoo>R1</Tattoo>\r\n", "");
    EXPECT_FALSE(v.Accepts(missing));
    // A lamb's entry is not an animal's tattoo: "Dead" stays acceptable.
    EXPECT_NE(std::string(kExport).find("<LambTattoo>Dead</LambTattoo>"), std::string::npos);
}

TEST(BreedValidator, AgreesWithThePlugInsTattooRule) {
    Validator v;
    auto isValid = BreedExport<PFN_CVLIsTattooValid>("CVLIsTattooValid");
    auto build = BreedExport<PFN_CVLBuildTattoo>("CVLBuildTattoo");
    std::vector<std::u16string> tattoos = {
        u"A",
        u"9",
        u"UK0123456 00042",
        u"AB-12/3.4",
        u"ram 12",
        u"ABCDEFGHIJ0123456789",
        u"ABCDEFGHIJ0123456789K",
        u" A1",
        u"A1 ",
        u"-A1",
        u"A1/",
        u"A  1",
        u"A-/1",
        u"A<1",
        u"A&B",
        u"A_1",
        u"A\t1",
        u"B\u00e9lier",
        u"A'1",
        u"A..1",
        u"",
    };
    for (int32_t number : {1, 42, 1000}) {
        char16_t lamb[32];
        build(nullptr, nullptr, 46023, number, nullptr, lamb, 31);
        tattoos.emplace_back(lamb);
    }
    for (const auto& t : tattoos) {
        std::string tattoo = Utf8(t);
        SCOPED_TRACE(tattoo);
        EXPECT_EQ(v.Accepts(FlockFile(Animal(Escape(tattoo), ""))), isValid(t.c_str()) != 0);
    }
}

TEST(BreedValidator, EventsMustBeTheBreeds) {
    Validator v;
    auto init = BreedExport<PFN_CVLInitEnumEvents>("CVLInitEnumEvents");
    auto next = BreedExport<PFN_CVLEnumEvents>("CVLEnumEvents");
    std::string events;
    uint32_t handle = 0;
    init(&handle);
    char16_t name[64];
    size_t count = 0;
    while (next(&handle, 8, 1, name, 64)) {
        events += EventElement(Escape(Utf8(name)));
        ++count;
    }
    ASSERT_GT(count, 0u);
    EXPECT_TRUE(v.Accepts(FlockFile(Animal("A1", events))));
    EXPECT_TRUE(v.Accepts(FlockFile(Animal("A1", EventElement("moved ON")))));
    for (const char* other : {"Sheared", "", "Sold|Died", "Sold "}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(v.Accepts(FlockFile(Animal("A1", EventElement(other)))));
    }
}

// Every event of the breed as the event record writes it, with parameters in each position.
TEST_F(BreedThroughTheDocument, TheValidatorAcceptsEventsAsTheRecordsWriteThem) {
    Validator v;
    auto* sheep = new CSheep(u"UK0123456 00042", 0, nullptr);
    ASSERT_GE(doc.AddSheep(sheep, false), 0);
    auto init = BreedExport<PFN_CVLInitEnumEvents>("CVLInitEnumEvents");
    auto next = BreedExport<PFN_CVLEnumEvents>("CVLEnumEvents");
    auto code = BreedExport<PFN_CVLGetIDsFromNames>("CVLGetIDsFromNames");
    uint32_t handle = 0;
    init(&handle);
    char16_t name[64];
    size_t written = 0;
    while (next(&handle, 8, 1, name, 64)) {
        auto* event = new CEvent(COleDateTime(2026, 5, 1, 0, 0, 0), uint32_t(code(name)), u"K1 & <Sons>",
                                 u"2", u"5 ml");
        sheep->AddEvent(event, false);
        ++written;
    }
    ASSERT_EQ(sheep->GetEventCount(), int(written));
    std::string events;
    CAddressKeySet addresses;
    for (int i = 0; i < sheep->GetEventCount(); ++i) events += sheep->GetEventAt(i)->WriteXML(addresses);
    EXPECT_TRUE(v.Accepts(FlockFile(Animal("UK0123456 00042", events))));
    EXPECT_FALSE(v.Accepts(FlockFile(Animal("UK0123456 00042 ", events))));
}

}  // namespace
