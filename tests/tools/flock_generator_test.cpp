#include "tools/flock_generator.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "abi/breed_abi.h"
#include "document/document_stores.h"
#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/settings.h"
#include "records/address.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

std::string U8(const WString& s) {
    return WToUtf8(s);
}

std::string Bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return std::to_string(b);
}

std::string Date(const COleDateTime& d) {
    return std::to_string(int(d.GetStatus())) + ":" + Bits(d.m_dt);
}

// Everything the generator decides, as text.
std::string Dump(const CGeneratedFlock& f) {
    std::string out;
    for (const CRefPtr<CSheep>& p : f.flock) {
        const CSheep& s = *p;
        out += U8(s.GetTattoo()) + "|" + std::to_string(s.GetElectronicID()) + "|" + U8(s.GetSire()) + "|" +
               U8(s.GetDam()) + "|" + U8(s.GetName()) + "|" + U8(s.GetComments()) + "|" +
               Date(s.GetDateofBirth()) + "|" + Date(s.GetDateofPurchase()) + "|" +
               Date(s.GetDateofDepart()) + "|" + std::to_string(s.GetDepartReason()) + "|" +
               std::to_string(s.GetSex()) + "|" + std::to_string(s.GetOneOf()) + "|" +
               std::to_string(s.GetGeneticScrapie()) + "|" + U8(s.GetEartagColour()) + "|" +
               U8(s.GetEartagNumber()) + "|" + std::to_string(s.GetFlags()) + "|" + Date(s.GetEdited());
        for (int i = 0; i < FIG_COUNT; ++i) out += "|" + Bits(s.GetFigure(SignetFigure(i)));
        out += "\n";
        for (int i = 0; i < s.GetEventCount(); ++i) {
            const CEvent& e = *s.GetEventAt(i);
            out += " " + Date(e.GetDate()) + " " + std::to_string(e.GetCode()) + " " + Date(e.GetCreated()) +
                   " " + Date(e.GetEdited());
            for (const WString& p : e.GetParameters()) out += " [" + U8(p) + "]";
            out += "\n";
        }
    }
    for (const CRefPtr<CSheep>& p : f.flock) {
        const std::string key = U8(p->GetTattoo());
        for (int k = 0; k < p->GetLambingCount(); ++k) {
            const CEweLambingData& r = *p->GetLambingAt(k);
            out += "L " + key + " " + U8(r.GetTup()) + " " + std::to_string(r.GetMethod()) + " " +
                   Date(r.GetDate()) + " " + Date(r.GetCreated()) + " " + Date(r.GetEdited()) + " " +
                   U8(r.GetComments()) + "\n";
            for (int i = 0; i < r.GetLambCount(); ++i) {
                const CLambData& l = *r.GetLambAt(i);
                out += "  " + U8(l.GetTattoo()) + " " + std::to_string(l.GetSex()) + " " +
                       U8(l.GetBirthWeight()) + " " + U8(l.GetComments()) + " " + Date(l.GetCreated()) + " " +
                       Date(l.GetEdited()) + "\n";
            }
        }
        for (int k = 0; k < p->GetTuppingCount(); ++k) {
            const CRamLambingData& r = *p->GetTuppingAt(k);
            out += "T " + key + " " + Date(r.GetDateIn()) + " " + Date(r.GetDateOut()) + " " +
                   std::to_string(r.GetMethod()) + " " + Date(r.GetCreated()) + " " + Date(r.GetEdited());
            for (const WString& e : r.GetEwes()) out += " " + U8(e);
            out += "\n";
        }
    }
    for (const auto& [key, a] : f.addresses)
        out += "A " + U8(key) + " " + U8(a->GetAddress()) + " " + U8(a->GetPostCode()) + " " +
               U8(a->GetTelephone()) + " " + U8(a->GetFax()) + " " + U8(a->GetEmail()) + " " +
               Date(a->GetCreated()) + " " + Date(a->GetEdited()) + "\n";
    for (const auto& [key, s] : f.signetAverages)
        out += "S " + U8(key) + " " + Bits(s->m_dblLeanIndex) + " " + Bits(s->m_dblAWT) + " " +
               Bits(s->m_dblLitterEBV) + " " + Date(s->m_dtCreated) + " " + Date(s->m_dtEdited) + "\n";
    for (const auto& [key, v] : f.farmDetails) out += "F " + std::to_string(key) + " " + U8(v) + "\n";
    for (const auto& [key, v] : f.yearColours) out += "C " + U8(key) + " " + U8(v) + "\n";
    out += "current " + std::to_string(f.currentIndex) + " events " + std::to_string(f.eventCount) + "\n";
    return out;
}

CGeneratedFlock Make(int animals, uint64_t seed, int64_t events = -1, int lastYear = 2025) {
    CFlockGeneratorOptions o;
    o.animals = animals;
    o.seed = seed;
    o.events = events;
    o.lastYear = lastYear;
    return GenerateFlock(o);
}

// One larger flock, checked from several sides; its history starts before animals had EIDs.
const CGeneratedFlock& Large() {
    static const CGeneratedFlock flock = Make(4000, 77, -1, 2015);
    return flock;
}

const CSheep* Find(const CGeneratedFlock& f, const WString& key) {
    auto it = std::lower_bound(
        f.flock.begin(), f.flock.end(), key,
        [](const CRefPtr<CSheep>& s, const WString& k) { return CompareNoCase(s->GetTattoo(), k) < 0; });
    return it != f.flock.end() && CompareNoCase((*it)->GetTattoo(), key) == 0 ? it->Get() : nullptr;
}

bool IsLambTattoo(const WString& t, int* number, int* year) {
    const std::string s = U8(t);
    size_t slash = s.find('/');
    if (slash == std::string::npos || slash < 3 || s.size() != slash + 3) return false;
    *number = std::stoi(s.substr(0, slash));
    *year = std::stoi(s.substr(slash + 1));
    return true;
}

TEST(FlockGenerator, SameSeedSameFlockOtherSeedOtherFlock) {
    const std::string a = Dump(Make(600, 5));
    EXPECT_EQ(a, Dump(Make(600, 5)));
    EXPECT_NE(a, Dump(Make(600, 6)));
}

TEST(FlockGenerator, GivesTheAnimalsAndEventsAsked) {
    struct Case {
        int animals;
        int64_t events;
        int64_t expectedEvents;  // -1: at least ten per animal
    };
    for (const Case& c : {Case{0, -1, 0}, Case{1, -1, -1}, Case{37, -1, -1}, Case{300, -1, -1},
                          Case{300, 12345, 12345}, Case{2500, -1, -1}}) {
        SCOPED_TRACE(c.animals);
        CGeneratedFlock f = Make(c.animals, 3, c.events);
        EXPECT_EQ(int(f.flock.size()), c.animals);
        int64_t sum = 0;
        for (auto& s : f.flock) sum += s->GetEventCount();
        EXPECT_EQ(sum, f.eventCount);
        EXPECT_EQ(f.eventCount, c.expectedEvents >= 0 ? c.expectedEvents : int64_t(c.animals) * 10);
    }
    // Fewer events than the history itself needs: the history stays whole.
    CGeneratedFlock bare = Make(300, 3, 0);
    EXPECT_GT(bare.eventCount, 300);
    EXPECT_LT(bare.eventCount, 3000);
}

TEST(FlockGenerator, KeysSortedAndUniqueEidsUnique) {
    const CGeneratedFlock& f = Large();
    std::set<uint64_t> eids;
    int withEid = 0;
    for (size_t i = 0; i < f.flock.size(); ++i) {
        if (i) {
            ASSERT_LT(CompareNoCase(f.flock[i - 1]->GetTattoo(), f.flock[i]->GetTattoo()), 0) << i;
        }
        if (uint64_t eid = f.flock[i]->GetElectronicID()) {
            ++withEid;
            EXPECT_TRUE(eids.insert(eid).second) << eid;
            EXPECT_EQ(eid / 1000000000000ULL, 826u);
        }
    }
    EXPECT_GT(withEid, 0);
    EXPECT_LT(withEid, int(f.flock.size()));  // older animals were never given one
}

TEST(FlockGenerator, PedigreesAreReal) {
    const CGeneratedFlock& f = Large();
    int lambs = 0;
    for (const auto& p : f.flock) {
        const CSheep& s = *p;
        if (s.GetDam().empty()) {
            EXPECT_TRUE(s.GetSire().empty());
            EXPECT_EQ(s.GetDateofPurchase().GetStatus(), COleDateTime::valid) << U8(s.GetTattoo());
            continue;
        }
        ++lambs;
        const CSheep* dam = Find(f, s.GetDam());
        const CSheep* sire = Find(f, s.GetSire());
        ASSERT_TRUE(dam && sire) << U8(s.GetTattoo());
        EXPECT_EQ(dam->GetSex(), SEX_EWE);
        EXPECT_EQ(sire->GetSex(), SEX_RAM);
        // Parents at least a year and a half old at the birth.
        EXPECT_GT(s.GetDateofBirth().m_dt - dam->GetDateofBirth().m_dt, 500);
        EXPECT_GT(s.GetDateofBirth().m_dt - sire->GetDateofBirth().m_dt, 500);
        EXPECT_TRUE(s.GetDateofPurchase().GetStatus() == COleDateTime::null);
        EXPECT_GE(s.GetOneOf(), 1);
    }
    EXPECT_GT(lambs, int(f.flock.size()) / 2);
}

TEST(FlockGenerator, EventsMatchTheAnimalsFields) {
    const CGeneratedFlock& f = Large();
    std::map<uint32_t, int> codes;
    for (const auto& p : f.flock) {
        const CSheep& s = *p;
        SCOPED_TRACE(U8(s.GetTattoo()));
        double previous = -1e9;
        for (int i = 0; i < s.GetEventCount(); ++i) {
            const CEvent& e = *s.GetEventAt(i);
            ++codes[e.GetCode()];
            ASSERT_GE(e.GetDate().m_dt, previous);
            previous = e.GetDate().m_dt;
            EXPECT_GE(e.GetCreated().m_dt, e.GetDate().m_dt);
            if (CEvent::IsAddressCode(e.GetCode())) {
                EXPECT_TRUE(f.addresses.count(e.GetParameter(0))) << e.GetCode();
            }
            if (s.GetDateofDepart().GetStatus() == COleDateTime::valid) {
                ASSERT_LE(e.GetDate().m_dt, s.GetDateofDepart().m_dt);
            }
            if (e.GetCode() == EVENT_BORN) {
                EXPECT_EQ(e.GetDate(), s.GetDateofBirth());
            }
            if (e.GetCode() == EVENT_PURCHASED) {
                EXPECT_EQ(e.GetDate(), s.GetDateofPurchase());
            }
        }
        // The last departure event is the animal's departure.
        const int32_t reason = s.GetDepartReason();
        if (reason == DEPART_NONE) {
            EXPECT_EQ(s.GetDateofDepart().GetStatus(), COleDateTime::null);
        } else {
            const uint32_t code = reason == DEPART_SOLD   ? EVENT_SOLD
                                  : reason == DEPART_DIED ? EVENT_DIED
                                                          : EVENT_KILLED;
            EXPECT_EQ(s.GetEventAt(s.GetEventCount() - 1)->GetCode(), code);
        }
        EXPECT_FALSE(s.GetEartagColour().empty());
        EXPECT_FALSE(s.GetEartagNumber().empty());
    }
    // Every kind of event the flock's life brings.
    for (uint32_t code : {0u,  1u,  2u,  3u,  4u,  5u,  6u,  7u,  8u,  9u,  10u, 11u,
                          12u, 13u, 14u, 15u, 16u, 17u, 18u, 19u, 20u, 21u, 22u})
        EXPECT_GT(codes[code], 0) << code;
}

TEST(FlockGenerator, LambingsNameTheirLambsAndTuppingsTheirEwes) {
    const CGeneratedFlock& f = Large();
    int lambed = 0, pending = 0;
    for (const CRefPtr<CSheep>& mother : f.flock) {
        const WString& ewe = mother->GetTattoo();
        if (mother->GetLambingCount()) {
            EXPECT_EQ(mother->GetSex(), SEX_EWE);
        }
        if (mother->GetTuppingCount()) {
            EXPECT_EQ(mother->GetSex(), SEX_RAM);
        }
        for (int k = 0; k < mother->GetLambingCount(); ++k) {
            const CEweLambingData* r = mother->GetLambingAt(k);
            const CSheep* ram = Find(f, r->GetTup());
            ASSERT_TRUE(ram) << U8(r->GetTup());
            // The ram's tupping of that season lists her.
            bool listed = false;
            for (int t = 0; t < ram->GetTuppingCount(); ++t) {
                const CRamLambingData& tupping = *ram->GetTuppingAt(t);
                if (std::floor(tupping.GetCreated().m_dt) == std::floor(r->GetCreated().m_dt))
                    for (const WString& e : tupping.GetEwes()) listed = listed || e == ewe;
            }
            EXPECT_TRUE(listed) << U8(ewe);
            if (r->GetMethod() == LAMBING_TUPPED) ++pending;
            if (r->GetMethod() != LAMBING_NORMAL && r->GetMethod() != LAMBING_CESARIAN) {
                EXPECT_EQ(r->GetLambCount(), 0);
                continue;
            }
            ++lambed;
            EXPECT_GE(r->GetLambCount(), 1);
            for (int i = 0; i < r->GetLambCount(); ++i) {
                const CLambData& l = *r->GetLambAt(i);
                if (l.GetTattoo() == u"Dead") continue;
                const CSheep* lamb = Find(f, l.GetTattoo());
                ASSERT_TRUE(lamb) << U8(l.GetTattoo());
                EXPECT_EQ(lamb->GetDam(), ewe);
                EXPECT_EQ(lamb->GetSire(), r->GetTup());
                EXPECT_EQ(lamb->GetDateofBirth(), r->GetDate());
                EXPECT_EQ(lamb->GetSex(), l.GetSex());
                EXPECT_EQ(lamb->GetOneOf(), r->GetLambCount());
            }
        }
    }
    EXPECT_GT(lambed, 100);
    EXPECT_GT(pending, 0);  // the last season is still to lamb
}

TEST(FlockGenerator, LambTattoosAndTagsFollowTheYear) {
    const CGeneratedFlock& f = Large();
    std::map<int, std::set<int>> numbers;
    for (const auto& p : f.flock) {
        const CSheep& s = *p;
        int number = 0, yy = 0;
        if (s.GetDam().empty()) {
            EXPECT_FALSE(IsLambTattoo(s.GetTattoo(), &number, &yy)) << U8(s.GetTattoo());
            continue;
        }
        ASSERT_TRUE(IsLambTattoo(s.GetTattoo(), &number, &yy)) << U8(s.GetTattoo());
        const int year = s.GetDateofBirth().GetYear();
        EXPECT_EQ(yy, year % 100);
        EXPECT_TRUE(numbers[year].insert(number).second);
        EXPECT_EQ(s.GetTattoo(), GeneratedLambTattoo(number, year));
        // The first tag is the year's colour and the lamb's number; a lost one comes back red.
        const CEvent* tag = nullptr;
        for (int i = 0; i < s.GetEventCount() && !tag; ++i)
            if (s.GetEventAt(i)->GetCode() == EVENT_RETAG) tag = s.GetEventAt(i);
        ASSERT_TRUE(tag);
        EXPECT_EQ(tag->GetParameter(0), f.yearColours.at(FormatW("%d", year)));
        EXPECT_EQ(tag->GetParameter(1), FormatW("%04d", number));
        EXPECT_TRUE(s.GetEartagColour() == tag->GetParameter(0) || s.GetEartagColour() == u"Red");
    }
    // Numbers run from 1 within each year.
    for (const auto& [year, used] : numbers) EXPECT_EQ(*used.rbegin(), int(used.size())) << year;
}

TEST(FlockGenerator, SignetFiguresSomeEnteredSomeNot) {
    const CGeneratedFlock& f = Large();
    int full = 0, partial = 0, none = 0;
    for (const auto& p : f.flock) {
        int entered = 0;
        for (int i = 0; i < FIG_COUNT; ++i) entered += !IsNotEntered(p->GetFigure(SignetFigure(i)));
        (entered == FIG_COUNT ? full : entered ? partial : none)++;
    }
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0);
    EXPECT_GT(none, full + partial);
    ASSERT_FALSE(f.signetAverages.empty());
    for (const auto& [key, averages] : f.signetAverages) {
        const std::string k = U8(key);
        ASSERT_EQ(k.size(), 5u);
        EXPECT_TRUE(k[4] == 'E' || k[4] == 'R');
        EXPECT_FALSE(IsNotEntered(averages->m_dblLeanIndex));
    }
}

TEST(FlockGenerator, LoadsIntoADocument) {
    CGeneratedFlock f = Make(1500, 9);
    const size_t animals = f.flock.size();
    size_t eids = 0;
    for (auto& s : f.flock) eids += s->GetElectronicID() != 0;
    const size_t addresses = f.addresses.size();
    const WString current = f.flock[size_t(f.currentIndex)]->GetTattoo();
    CSheepDoc doc;
    LoadGeneratedFlock(std::move(f), doc);
    CDocumentStores& stores = doc.GetStores();
    EXPECT_EQ(size_t(doc.GetSheepCount()), animals);
    EXPECT_EQ(doc.GetEIDMap().size(), eids);
    EXPECT_EQ(size_t(doc.GetEarTagIndex().GetCount()), animals);
    EXPECT_TRUE(doc.GetEarTagIndex().IsConsistent());
    EXPECT_EQ(doc.GetCurrentKey(), current);
    EXPECT_EQ(doc.GetCurrentSheep()->GetDateofDepart().GetStatus(), COleDateTime::null);
    EXPECT_EQ(stores.Addresses().size(), addresses);
    EXPECT_EQ(doc.GetDocString(FARM_EARTAG_TEMPLATE), u"{nnnn}");
    EXPECT_FALSE(stores.YearColours().empty());
    // The index is the one the document files itself.
    const std::vector<CEarTagHashEntry> loaded = doc.GetEarTagIndex().Entries();
    doc.RebuildEarTagIndex();
    EXPECT_TRUE(loaded == doc.GetEarTagIndex().Entries());
    // Every tag can be found through the index.
    for (int i = 0; i < doc.GetSheepCount(); i += 97) {
        const CSheep* s = doc.GetSheepAt(i);
        std::vector<WString> names;
        ASSERT_TRUE(doc.GetEarTagNames(s->GetEartagColour(), s->GetEartagNumber(), &names));
        EXPECT_NE(std::find(names.begin(), names.end(), s->GetTattoo()), names.end());
    }
}

#ifdef CVL_GENERAL_BREED
TEST(FlockGenerator, ShippedBreedAcceptsEveryTattoo) {
    void* lib = dlopen(CVL_GENERAL_BREED, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(lib) << dlerror();
    using IsValid = int32_t (*)(const char16_t*);
    using LambIndex = int32_t (*)(const char16_t*);
    auto isValid = reinterpret_cast<IsValid>(dlsym(lib, "CVLIsTattooValid"));
    auto lambIndex = reinterpret_cast<LambIndex>(dlsym(lib, "CVLGetLambIndex"));
    auto buildTattoo = reinterpret_cast<PFN_CVLBuildTattoo>(dlsym(lib, "CVLBuildTattoo"));
    ASSERT_TRUE(isValid && lambIndex && buildTattoo);
    for (const auto& p : Large().flock) {
        const WString& t = p->GetTattoo();
        EXPECT_EQ(isValid(t.c_str()), 1) << U8(t);
        int number = 0, year = 0;
        if (IsLambTattoo(t, &number, &year)) {
            EXPECT_EQ(lambIndex(t.c_str()), number) << U8(t);
            // The tattoo the breed makes for that lamb number and lambing day.
            char16_t made[32] = {};
            const int32_t day = int32_t(std::floor(p->GetDateofBirth().m_dt));
            buildTattoo(nullptr, nullptr, day, number, nullptr, made, 31);
            EXPECT_EQ(WString(made), t);
        }
    }
    dlclose(lib);
}

// ---- the generated flock as a data file --------------------------------------------------------

// What a document holds, in the generator's terms, so that Dump compares it field by field.
CGeneratedFlock FromDocument(CSheepDoc& doc) {
    CGeneratedFlock f;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        f.flock.emplace_back(doc.GetSheepAt(i));
        f.eventCount += doc.GetSheepAt(i)->GetEventCount();
    }
    f.farmDetails = doc.GetFarmDetails();
    f.yearColours = doc.GetStores().YearColours();
    f.addresses = doc.GetStores().Addresses();
    f.signetAverages = doc.GetStores().SignetAverages();
    f.currentIndex = doc.GetCurrentIndex();
    return f;
}

std::vector<uint8_t> ArchiveBytes(CSheepDoc& doc) {
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    doc.Serialize(ar);
    return bytes;
}

// Its own settings folders, whose Breeds list registers the shipped breed when asked.
class GeneratedFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() / ("cvl_gen_file_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "machine");
        std::filesystem::create_directories(m_dir / "user");
        setenv("CVL_MACHINE_CONFIG_DIR", (m_dir / "machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (m_dir / "user").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("CVL_MACHINE_CONFIG_DIR");
        unsetenv("CVL_USER_CONFIG_DIR");
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    static void RegisterShippedBreed() {
        ASSERT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep",
                                                 Utf8ToW(CVL_GENERAL_BREED)));
    }
    std::string File(const char* name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

TEST_F(GeneratedFile, SavesAndReopensEqual) {
    RegisterShippedBreed();
    CGeneratedFlock f = Make(1200, 31);
    const std::string generated = Dump(f);
    CSheepDoc doc;
    LoadGeneratedFlock(std::move(f), doc);
    ASSERT_EQ(doc.LoadBreedPlugIn(u"General Sheep", true), BREED_LOADED);
    const std::string path = File("flock.cvl");
    ASSERT_TRUE(doc.OnSaveDocument(path));

    CSheepDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(path));
    EXPECT_EQ(Dump(FromDocument(reopened)), generated);
    EXPECT_TRUE(reopened.GetEarTagIndex().Entries() == doc.GetEarTagIndex().Entries());
    EXPECT_EQ(reopened.GetEIDMap(), doc.GetEIDMap());
    EXPECT_EQ(reopened.GetBreedPlugIn().GetVersion(), doc.GetBreedPlugIn().GetVersion());
    // Everything the file keeps comes back: the archive written again is the same.
    EXPECT_TRUE(ArchiveBytes(reopened) == ArchiveBytes(doc));
    reopened.OnCloseDocument();
    doc.OnCloseDocument();
}

#ifdef CVL_GENFLOCK
int RunGenflock(const std::string& args) {
    const std::string command = std::string("'") + CVL_GENFLOCK + "' " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(GeneratedFile, ToolWritesTheFlockOfItsSeed) {
    RegisterShippedBreed();
    const std::string path = File("tool.cvl");
    ASSERT_EQ(RunGenflock("--animals 700 --seed 12 '" + path + "'"), 0);
    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(Dump(FromDocument(doc)), Dump(Make(700, 12)));
    doc.OnCloseDocument();
}

TEST_F(GeneratedFile, ToolRefusesWithoutTheBreed) {
    const std::string path = File("unregistered.cvl");
    EXPECT_EQ(RunGenflock("--animals 50 '" + path + "'"), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
}
#endif
#else
TEST(FlockGenerator, ShippedBreedAcceptsEveryTattoo) {
    GTEST_SKIP() << "the shipped breed plug-in is not part of this build";
}
#endif

}  // namespace
