#include <set>

#include "support/breed_plugin.h"

namespace {

struct EventExports {
    PFN_CVLGetIDsFromNames idsFromNames = BreedExport<PFN_CVLGetIDsFromNames>("CVLGetIDsFromNames");
    PFN_CVLGetNamesFromIDs namesFromIds = BreedExport<PFN_CVLGetNamesFromIDs>("CVLGetNamesFromIDs");
    PFN_CVLGetType type = BreedExport<PFN_CVLGetType>("CVLGetType");
    PFN_CVLGetText text = BreedExport<PFN_CVLGetText>("CVLGetText");
    PFN_CVLGetParameterCount count = BreedExport<PFN_CVLGetParameterCount>("CVLGetParameterCount");
    PFN_CVLGetParameterTag tag = BreedExport<PFN_CVLGetParameterTag>("CVLGetParameterTag");
    PFN_CVLGetParameterType parameterType = BreedExport<PFN_CVLGetParameterType>("CVLGetParameterType");
    PFN_CVLInitEnumEvents initEnum = BreedExport<PFN_CVLInitEnumEvents>("CVLInitEnumEvents");
    PFN_CVLEnumEvents enumEvents = BreedExport<PFN_CVLEnumEvents>("CVLEnumEvents");
    PFN_CVLEndEnumEvents endEnum = BreedExport<PFN_CVLEndEnumEvents>("CVLEndEnumEvents");

    std::u16string Name(int32_t code) const {
        return BreedPlugin::Fetch([&](char16_t* b, int32_t n) { return namesFromIds(code, b, n); });
    }
    std::u16string Text(int32_t code) const {
        return BreedPlugin::Fetch([&](char16_t* b, int32_t n) { return text(code, b, n); });
    }
    std::u16string Tag(int32_t code, int32_t i) const {
        return BreedPlugin::Fetch([&](char16_t* b, int32_t n) { return tag(code, i, b, n); });
    }

    // The names as the program lists them: a 64-character buffer, with the callers' two selectors.
    std::vector<std::u16string> Enumerate(int32_t a, int32_t b) const {
        std::vector<std::u16string> names;
        uint32_t handle = 12345;
        initEnum(&handle);
        char16_t buffer[64];
        while (enumEvents(&handle, a, b, buffer, 64) && names.size() < 1000) names.emplace_back(buffer);
        endEnum(handle);
        return names;
    }
};

// "%1".."%9".
std::u16string Placeholder(uint32_t k) {
    return std::u16string(u"%") + char16_t(u'0' + k);
}

TEST(BreedEvents, EveryListedEventIsConsistentThroughEachExport) {
    EventExports x;
    auto names = x.Enumerate(8, 1);
    ASSERT_GE(names.size(), 20u);
    EXPECT_EQ(x.Enumerate(-1, 0), names);  // the XML options page's selectors list the same

    std::set<int32_t> codes;
    for (const auto& name : names) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        int32_t code = x.idsFromNames(name.c_str());
        ASSERT_GE(code, 0);
        EXPECT_TRUE(codes.insert(code).second) << "two names for one code";
        EXPECT_EQ(x.Name(code), name);
        EXPECT_LT(name.size(), 64u);
        EXPECT_EQ(x.type(code) & ~0x3Fu, 0u);

        // The event pages show three parameters; every one has a caption, a type and a placeholder,
        // so the event text never reads "ERROR: Require n placeholders".
        uint32_t n = x.count(code);
        EXPECT_LE(n, 3u);
        std::u16string text = x.Text(code);
        EXPECT_FALSE(text.empty());
        for (uint32_t k = 1; k <= n; ++k) {
            EXPECT_NE(text.find(Placeholder(k)), std::u16string::npos) << k;
            EXPECT_FALSE(x.Tag(code, int32_t(k - 1)).empty());
            int32_t t = x.parameterType(code, int32_t(k - 1));
            EXPECT_GE(t, 0);
            EXPECT_LE(t, 3);
        }
        EXPECT_EQ(text.find(Placeholder(n + 1)), std::u16string::npos);
        EXPECT_EQ(x.parameterType(code, int32_t(n)), -1);
    }
    // Names are found without regard to case, as XML files spell them.
    EXPECT_EQ(x.idsFromNames(u"wEIGHED"), 4);
    EXPECT_EQ(x.idsFromNames(u"Weighed "), -1);
}

TEST(BreedEvents, CodesWithAFixedMeaningKeepIt) {
    EventExports x;
    struct Fixed {
        int32_t code;
        uint32_t minParameters;
    };
    // System events set a field of the animal; 5 needs colour and number, the departures and the
    // arrivals name an address first.
    for (Fixed f : {Fixed{0, 1}, {1, 1}, {2, 0}, {5, 2}, {9, 1}, {21, 1}}) {
        SCOPED_TRACE(f.code);
        EXPECT_NE(x.type(f.code) & 0x1u, 0u);
        EXPECT_GE(x.count(f.code), f.minParameters);
    }
    for (int32_t code : {0, 1, 19, 20, 21}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(x.parameterType(code, 0), 2);
        EXPECT_NE(x.type(code) & 0x2u, 0u);
        // The address report shows the second parameter of these events.
        EXPECT_EQ(x.count(code), 2u);
        EXPECT_EQ(x.Tag(code, 1), u"Movement Document");
    }
    EXPECT_EQ(x.count(4), 1u);
    EXPECT_EQ(x.parameterType(4, 0), 1);
    std::u16string weighing = x.Text(4);
    EXPECT_NE(weighing.find(u"%1"), std::u16string::npos);
    // Tupping and lambing records written by the wizards: one parameter each on 6, 7 and 8, none on 10.
    for (int32_t code : {3, 6, 7, 8}) EXPECT_EQ(x.count(code), 1u) << code;
    EXPECT_EQ(x.count(10), 0u);
    for (int32_t code : {3, 6, 7, 8, 10}) EXPECT_NE(x.type(code) & 0x8u, 0u) << code;
    // Weighings are recorded per animal in the multiple-event wizard.
    EXPECT_NE(x.type(4) & 0x10u, 0u);
}

TEST(BreedEvents, FarmRecordsCarryWhatTheFarmerEnters) {
    EventExports x;
    struct Expect {
        const char16_t* name;
        std::vector<std::u16string> captions;
    };
    for (const Expect& e :
         {Expect{u"Treated", {u"Condition", u"Product", u"Dose"}}, Expect{u"Dosed", {u"Product", u"Dose"}},
          Expect{u"Vaccinated", {u"Vaccine", u"Dose"}}, Expect{u"Shorn", {}},
          Expect{u"Scanned", {u"Lambs Carried"}}, Expect{u"Condition Scored", {u"Score"}},
          Expect{u"Foot Care", {u"Treatment", u"Product"}}, Expect{u"Note", {u"Note"}},
          Expect{u"Moved On", {u"From Holding", u"Movement Document"}},
          Expect{u"Moved Off", {u"To Holding", u"Movement Document"}}}) {
        int32_t code = x.idsFromNames(e.name);
        SCOPED_TRACE(code);
        ASSERT_GE(code, 0);
        ASSERT_EQ(x.count(code), e.captions.size());
        for (size_t i = 0; i < e.captions.size(); ++i) EXPECT_EQ(x.Tag(code, int32_t(i)), e.captions[i]);
    }
    // Medicines are reported when deleted; scanning and condition scores differ per animal.
    for (const char16_t* medicine : {u"Treated", u"Dosed", u"Vaccinated"})
        EXPECT_EQ(x.type(x.idsFromNames(medicine)) & 0x24u, 0x24u);
    EXPECT_NE(x.type(x.idsFromNames(u"Scanned")) & 0x10u, 0u);
    EXPECT_NE(x.type(x.idsFromNames(u"Condition Scored")) & 0x10u, 0u);
}

TEST(BreedEvents, UnknownCodesAndShortBuffers) {
    EventExports x;
    for (int32_t code : {-1, 23, 99, 0x7FFFFFFF}) {
        SCOPED_TRACE(code);
        char16_t guard[4] = {u'x', u'x', u'x', u'x'};
        EXPECT_EQ(x.namesFromIds(code, nullptr, 0), -1);
        EXPECT_EQ(x.namesFromIds(code, guard, 3), -1);
        EXPECT_EQ(guard[0], u'x');  // nothing is written for a code that is not defined
        EXPECT_EQ(x.type(code), 0xFFFFFFFFu);
        EXPECT_EQ(x.text(code, nullptr, 0), 0);
        EXPECT_EQ(x.count(code), 0u);
        EXPECT_EQ(x.tag(code, 0, nullptr, 0), 0);
        EXPECT_EQ(x.parameterType(code, 0), -1);
    }
    EXPECT_EQ(x.idsFromNames(u""), -1);
    EXPECT_EQ(x.idsFromNames(u"Sheared"), -1);
    EXPECT_EQ(x.idsFromNames(nullptr), -1);
    EXPECT_EQ(x.tag(4, -1, nullptr, 0), 0);

    // A capacity shorter than the text: that many characters and a terminator, nothing beyond.
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(x.namesFromIds(1, buffer, 4), 9);  // "Purchased"
    EXPECT_EQ(std::u16string(buffer), u"Purc");
    EXPECT_EQ(buffer[5], u'#');

    // The enumeration ends and stays ended; a null handle lists nothing.
    uint32_t handle = 0;
    x.initEnum(&handle);
    char16_t name[64];
    size_t listed = 0;
    while (x.enumEvents(&handle, 8, 1, name, 64)) ++listed;
    EXPECT_EQ(x.enumEvents(&handle, 8, 1, name, 64), 0);
    EXPECT_EQ(listed, x.Enumerate(8, 1).size());
    EXPECT_EQ(x.enumEvents(nullptr, 8, 1, name, 64), 0);
}

TEST(BreedEvents, HooksTakeTheProgramsInterfaces) {
    auto onAdd = BreedExport<PFN_CVLOnAddBreedEvent>("CVLOnAddBreedEvent");
    auto onDelete = BreedExport<PFN_CVLOnDeleteBreedEvent>("CVLOnDeleteBreedEvent");
    fakes::FakeSheep sheep;
    onAdd(AsSheep(sheep), nullptr);
    onDelete(AsSheep(sheep), nullptr);
    onAdd(nullptr, nullptr);
    // The plug-in keeps no interface past the call.
    EXPECT_EQ(sheep.references, 1);
}

}  // namespace
