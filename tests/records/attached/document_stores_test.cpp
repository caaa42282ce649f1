#include "document/document_stores.h"

#include <gtest/gtest.h>

#include "document/sheep_doc.h"
#include "records/flock_document.h"
#include "records/sheep.h"
#include "support/attached_records.h"
#include "support/scripted_host_fixture.h"

using namespace r2;

namespace {

class ModifiedFlagDoc : public IFlockDocument {
public:
    bool modified = false;
    bool LookupTattooByEID(uint64_t, WString*) const override { return false; }
    void SetEIDTattoo(uint64_t, const WString&) override {}
    void RemoveEID(uint64_t) override {}
    void UpdateEarTagIndex(CSheep*, const WString&, const WString&) override {}
    CSheep* FindSheep(const WString&) const override { return nullptr; }
    bool LookupAddress(const WString&, WString*) const override { return false; }
    void* GetBreedProc(const char*) override { return nullptr; }
    IDocument* GetDocumentDual() override { return nullptr; }
    CCriteria* GetCriteria() const override { return nullptr; }
    void SetModifiedFlag(bool m) override { modified = m; }
};

std::vector<uint32_t> Fields(const CDWordArray& a) {
    return a.m_data;
}

WString FlagName(int32_t flag) {
    return flag < 2 ? FormatW("Flag %d", flag) : WString();
}

}  // namespace

TEST(EartagNumber, TemplateTable) {
    struct Case {
        const char16_t* templ;
        int year;  // 0: no date
        int number;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"{yy}-{nnn}", 2003, 7, u"03-007"},
        {u"{nnn}", 2003, 12345, u"2345"},
        {u"{yyyy}/{nnnn}", 2003, 42, u"2003/0042"},
        {u"{y}{n}", 2003, 42, u"32"},
        {u"{nn}", 2003, 7, u"07"},
        {u"UK {yy}{nnn} x", 1999, 5, u"UK 99005 x"},
        {u"{yyyy}{yy}{y}", 0, 1, u"-001011"},  // a date that is not set gives the year -1
        {u"{nnn}", 2003, -3, u"003"},
    };
    for (const Case& c : cases) {
        COleDateTime date = c.year ? COleDateTime(c.year, 5, 1, 0, 0, 0) : COleDateTime::Null();
        EXPECT_EQ(FormatEartagNumber(c.templ, date, c.number), c.expected)
            << WToUtf8(c.templ) << " " << c.number;
    }
}

TEST(ColumnLayouts, DefaultsPerSelectionKind) {
    const std::vector<uint32_t> base = {1, 2, 3, 8, 12, 10, 11};
    auto with = [&](std::initializer_list<uint32_t> extra) {
        auto v = base;
        v.insert(v.end(), extra);
        return v;
    };
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_ON_FARM)), base);
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_ALL)), base);
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_BORN)), with({4}));
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_SOLD)), with({6}));
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_PURCHASED)), with({5}));
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(CRITERIA_DIED)), with({6, 7}));
    EXPECT_EQ(Fields(*CDocumentStores::MakeDefaultColumns(9)), base);
}

TEST(ColumnLayouts, DiedKindShowsNineCaptionedColumns) {
    CDocumentStores stores;
    std::vector<WString> captions;
    const int last = stores.GetColumns(
        CRITERIA_DIED, FlagName, [&](const WString& caption, uint32_t) { captions.push_back(caption); });
    EXPECT_EQ(last, 8);
    ASSERT_EQ(captions.size(), 9u);
    EXPECT_EQ(captions[0], u"Tattoo");
    EXPECT_EQ(captions[7], u"Date of Depart");
    EXPECT_EQ(captions[8], u"Reason for Depart");
    EXPECT_EQ(stores.ColumnLayouts().count(CRITERIA_DIED), 1u);  // the layout was stored
}

TEST(ColumnLayouts, FieldsWithoutCaptionAreSkippedButCounted) {
    CDocumentStores stores;
    CDWordArray columns;
    for (uint32_t f : {1u, 31u, 33u, 0u, 39u, 27u}) columns.Add(f);
    stores.SetColumns(CRITERIA_ALL, &columns);
    std::vector<std::pair<WString, uint32_t>> inserted;
    const int last = stores.GetColumns(CRITERIA_ALL, FlagName,
                                       [&](const WString& c, uint32_t f) { inserted.emplace_back(c, f); });
    EXPECT_EQ(last, 5);
    ASSERT_EQ(inserted.size(), 3u);
    EXPECT_EQ(inserted[1], (std::pair<WString, uint32_t>{u"Flag 0", 31}));
    EXPECT_EQ(inserted[2].first, u"Signet Fat Depth");

    stores.SetColumns(CRITERIA_ALL, nullptr);
    EXPECT_EQ(stores.GetColumnLayout(CRITERIA_ALL).GetSize(), 7u);
    // The stored layout is a copy.
    columns.Add(2);
    stores.SetColumns(CRITERIA_BORN, &columns);
    columns.RemoveAll();
    EXPECT_EQ(stores.GetColumnLayout(CRITERIA_BORN).GetSize(), 7u);
}

TEST(ColumnLayouts, CaptionTable) {
    WString caption;
    EXPECT_TRUE(CDocumentStores::GetFieldCaption(18, caption, FlagName));
    EXPECT_EQ(caption, u"Signet Fat Depth");
    EXPECT_TRUE(CDocumentStores::GetFieldCaption(22, caption, FlagName));
    EXPECT_EQ(caption, u"Signet Muscle Weight EBV");
    EXPECT_TRUE(CDocumentStores::GetFieldCaption(30, caption, FlagName));
    EXPECT_EQ(caption, u"Scrapie Genotype");
    EXPECT_TRUE(CDocumentStores::GetFieldCaption(32, caption, FlagName));
    EXPECT_EQ(caption, u"Flag 1");
    EXPECT_FALSE(CDocumentStores::GetFieldCaption(34, caption, FlagName));  // the breed names no such flag
    EXPECT_FALSE(CDocumentStores::GetFieldCaption(0, caption, FlagName));
    EXPECT_FALSE(CDocumentStores::GetFieldCaption(39, caption, FlagName));
    EXPECT_FALSE(CDocumentStores::GetFieldCaption(31, caption, nullptr));
    EXPECT_EQ(caption, u"");
}

TEST(AddressStore, ReplacingAsksAndNoKeepsTheOldAddress) {
    CScopedScriptedHost host;
    ModifiedFlagDoc doc;
    CDocumentStores stores(&doc);
    auto first = MakeRef<CLocalAddress>(u"Mart");
    first->SetAddress(u"1 Lane");
    EXPECT_TRUE(stores.ReplaceAddress(u"Mart", first));
    EXPECT_TRUE(doc.modified);
    doc.modified = false;

    auto pasted = MakeRef<CLocalAddress>(u"Mart");
    host.Reply(123, IDNO);
    EXPECT_FALSE(stores.ReplaceAddress(u"Mart", pasted));
    EXPECT_EQ(stores.LookupAddress(u"Mart"), first.Get());
    EXPECT_FALSE(doc.modified);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text,
              u"An address 1 Lane is already defined for Mart. Do you want to overwrite it?");
    EXPECT_EQ(host.Messages()[0].type & (MB_TYPEMASK | MB_HELP), MB_YESNO | MB_HELP);
    EXPECT_EQ(host.Messages()[0].helpId, 0x30000u + 123);

    host.Reply(123, IDYES);
    EXPECT_TRUE(stores.ReplaceAddress(u"Mart", pasted));
    EXPECT_EQ(stores.LookupAddress(u"Mart"), pasted.Get());
    EXPECT_TRUE(first->IsDetached());
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(stores.LookupAddress(u"mart"), nullptr);  // names keep their case
}

TEST(AddressStore, RenameAndDelete) {
    CDocumentStores stores;
    auto a = MakeRef<CLocalAddress>(u"Old");
    stores.SetAddressAt(u"Old", a);
    EXPECT_TRUE(stores.RenameAddress(u"Old", u"New"));
    EXPECT_EQ(stores.LookupAddress(u"Old"), nullptr);
    EXPECT_EQ(stores.LookupAddress(u"New"), a.Get());
    EXPECT_FALSE(stores.RenameAddress(u"Old", u"Other"));
    EXPECT_TRUE(stores.DeleteAddress(u"New"));
    EXPECT_TRUE(a->IsDetached());
    EXPECT_FALSE(stores.DeleteAddress(u"New"));
    EXPECT_TRUE(stores.Addresses().empty());
}

TEST(SignetStore, AveragesByBirthYearAndSex) {
    CDocumentStores stores;
    auto ewes = MakeRef<CSignetData>();
    auto rams = MakeRef<CSignetData>();
    stores.SetSignetAverages(2003, 0, ewes);
    stores.SetSignetAverages(2003, 1, rams);
    EXPECT_EQ(CDocumentStores::SignetKey(2003, 0), u"2003E");
    EXPECT_EQ(CDocumentStores::SignetKey(2003, 1), u"2003R");
    EXPECT_EQ(CDocumentStores::SignetKey(2003, -1), u"2003E");
    const COleDateTime born(2003, 4, 2, 0, 0, 0);
    EXPECT_EQ(stores.GetSignetAverages(true, born, 0), ewes.Get());
    EXPECT_EQ(stores.GetSignetAverages(true, born, 1), rams.Get());
    EXPECT_EQ(stores.GetSignetAverages(false, born, 0), nullptr);
    EXPECT_EQ(stores.GetSignetAverages(true, COleDateTime::Null(), 0), nullptr);
    EXPECT_EQ(stores.GetSignetAverages(true, COleDateTime(2004, 1, 1, 0, 0, 0), 0), nullptr);

    auto replacement = MakeRef<CSignetData>();
    stores.SetSignetAverages(2003, 0, replacement);
    EXPECT_TRUE(ewes->IsDetached());
    EXPECT_EQ(stores.GetSignetAverages(true, born, 0), replacement.Get());
}

TEST(YearColours, EntriesAreCopiedIntoTheMap) {
    ModifiedFlagDoc doc;
    CDocumentStores stores(&doc);
    stores.YearColours()[u"2002"] = u"Red";
    stores.SetEartagColourMap({{u"2003", u"Blue"}, {u"2002", u"Green"}});
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(stores.YearColours(), (std::map<WString, WString>{{u"2002", u"Green"}, {u"2003", u"Blue"}}));
}

TEST(ParseError, MessageWithAndWithoutReason) {
    CXmlParseErrorInfo none;
    WString file = u"flock.xml";
    EXPECT_EQ(FormatParseError(&file, none), u"Failed to load flock.xml\n");
    CXmlParseErrorInfo err{u"file:///a.xml", static_cast<int32_t>(0xC00CE502), u"bad end tag", 3, 14};
    EXPECT_EQ(FormatParseError(nullptr, err),
              u"Failed to load Application Data\nError file:///a.xml\n (c00ce502)\nbad end tag\nat line 3 "
              u"column 14 ");
}

namespace {
class HintRecorder : public CDocView {
public:
    std::vector<uint32_t> hints;
    void OnUpdate(CDocView*, uint32_t hint, CObject*) override { hints.push_back(hint); }
};
}  // namespace

TEST(DocumentStoresInTheDocument, AddressesColumnsAndEmptying) {
    CScopedScriptedHost host;
    CSheepDoc doc;
    HintRecorder view;
    doc.AddView(&view);
    auto mapi = MakeRef<CMAPIAddress>(u"Smith");
    EXPECT_TRUE(doc.ReplaceAddress(u"Smith", mapi));
    EXPECT_TRUE(doc.IsModified());
    WString shown;
    EXPECT_TRUE(static_cast<const IFlockDocument&>(doc).LookupAddress(u"Smith", &shown));
    EXPECT_EQ(shown, u"Smith");  // an entry the book cannot give keeps its stored name
    EXPECT_FALSE(static_cast<const IFlockDocument&>(doc).LookupAddress(u"Jones", &shown));

    doc.GetExtractionCriteria().m_nType = CRITERIA_SOLD;
    doc.SetColumns(nullptr);
    EXPECT_EQ(view.hints, std::vector<uint32_t>{HINT_COLUMNS});
    std::vector<WString> captions;
    EXPECT_EQ(doc.GetColumns([&](const WString& c, uint32_t) { captions.push_back(c); }), 7);
    EXPECT_EQ(captions.back(), u"Date of Depart");

    doc.SetSignetAverages(2003, 0, MakeRef<CSignetData>());
    CSheep ewe(u"E1", SEX_EWE, nullptr);
    const COleDateTime born(2003, 4, 1, 0, 0, 0);
    ewe.SetFieldValue(SF_DATE_OF_BIRTH, &born);
    EXPECT_EQ(doc.GetSignetAverages(&ewe), nullptr);  // no breed plug-in: not born on the farm

    EXPECT_EQ(doc.FormatEartagNumber(born, 12345), u"2345");
    doc.SetAttribute(FARM_EARTAG_TEMPLATE, u"{yy}-{nnn}");
    EXPECT_EQ(doc.FormatEartagNumber(born, 7), u"03-007");

    doc.DeleteContents();
    EXPECT_TRUE(mapi->IsDetached());
    EXPECT_EQ(doc.LookupAddress(u"Smith"), nullptr);
    EXPECT_TRUE(doc.GetStores().SignetAverages().empty());
    doc.RemoveView(&view);
}

namespace {
class KindView : public CDocView {
public:
    explicit KindView(int kind) : m_kind(kind) {}
    int GetViewKind() const override { return m_kind; }
    void OnUpdate(CDocView*, uint32_t, CObject*) override {}

private:
    int m_kind;
};
}  // namespace

TEST(PageSetupStore, OnePerViewKindKeptWhenEmptied) {
    CSheepDoc doc;
    EXPECT_EQ(doc.GetStores().PageSetups().size(), 5u);
    KindView flock(VIEW_KIND_FLOCK), pedigree(VIEW_KIND_ANTECEDANTS), other(VIEW_KIND_OTHER);
    CPageSetup* flockSetup = doc.GetPageSetup(&flock);
    EXPECT_EQ(flockSetup, doc.GetStores().PageSetups()[1].Get());
    EXPECT_NE(doc.GetPageSetup(&pedigree), flockSetup);
    EXPECT_THROW(doc.GetPageSetup(&other), std::invalid_argument);
    EXPECT_THROW(doc.GetPageSetup(nullptr), std::invalid_argument);
    EXPECT_EQ(flockSetup->m_nTopMargin, CPageSetup().m_nTopMargin);  // made with the defaults

    CDocumentStores stores;
    stores.PageSetups().clear();  // as a file with fewer page setups leaves them
    CPageSetup* made = stores.GetPageSetup(7);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(stores.PageSetups().size(), 8u);
    EXPECT_EQ(stores.GetPageSetup(7), made);

    doc.DeleteContents();
    EXPECT_EQ(doc.GetPageSetup(&flock), flockSetup);
}
