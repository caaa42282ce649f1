// A breed plug-in with only the exports every plug-in must have: each caller of an optional export
// looks it up and goes on without it.
#include "document/menu_model.h"
#include "records/breeds.h"
#include "records/event_codes.h"
#include "shipped_breed.h"

namespace {

constexpr uint32_t kReportedDeletion = 30;  // the test breed's code whose deletions are reported

class LeanBreedInADocument : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunRegisterTool({"Lean", CVL_LEAN_BREED}), 0);
        doc.SetAttribute(FARM_BREED, u"Lean");
        ASSERT_EQ(doc.LoadBreedPlugIn(u"Lean", true), BREED_LOADED);
        for (const char* optional : {"CVLEndEnumEvents", "CVLOnAddBreedEvent", "CVLOnDeleteBreedEvent",
                                     "CVLGetBreedFlag", "CVLEndEnumReports", "CVLReportDefinition",
                                     "CVLReportTitle", "CVLBuildReportColumns", "CVLGetXMLValidator"})
            ASSERT_EQ(doc.GetBreedProc(optional), nullptr) << optional;
    }
    void TearDown() override { doc.UnloadBreedPlugIn(); }

    ScopedSettingsFolder folder;
    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(LeanBreedInADocument, RecordsAndTheDocumentGoOnWithoutTheOptionalExports) {
    auto* sheep = new CSheep(u"A1", SEX_EWE, nullptr);
    ASSERT_GE(doc.AddSheep(sheep, false), 0);
    auto* event = new CEvent(COleDateTime(2026, 3, 1, 0, 0, 0), kReportedDeletion, u"K1", u"K2");
    sheep->AddEvent(event, true);
    ASSERT_EQ(sheep->GetEventCount(), 1);
    EXPECT_EQ(event->HasFlag(0x20), 0x20u);
    sheep->RemoveEventAt(0, true);
    EXPECT_EQ(sheep->GetEventCount(), 0);

    WString caption;
    for (int field = 31; field <= 38; ++field) EXPECT_FALSE(doc.GetFieldCaption(field, caption)) << field;
    EXPECT_EQ(doc.GetBreedFlag(5, nullptr), u"");

    EXPECT_EQ(doc.GetBreedPlugIn().EnumReports().size(), 3u);
    WString text;
    EXPECT_FALSE(doc.GetReportDefinition(1, text));
    EXPECT_FALSE(doc.GetReportTitle(1, u"Ewes", 2026, text));
    doc.BuildReportColumns(nullptr, 1, u"Ewes");
    std::string xsl;
    EXPECT_FALSE(doc.GetBreedPlugIn().GetXMLValidator(xsl));

    // The breed's event codes are listed without the end of the enumeration.
    CComBreed* breed = doc.GetBreedObject();
    ASSERT_NE(breed, nullptr);
    CEventCodes* codes = breed->GetEventCodesObject();
    ASSERT_NE(codes, nullptr);
    EXPECT_EQ(codes->GetCount(), 7);
}

}  // namespace
