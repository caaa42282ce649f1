#include "tools/flock_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "document/document_stores.h"
#include "document/ear_tag_index.h"
#include "document/sheep_doc.h"
#include "records/address.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

// Codes the breed gives to the records of the tupping and lambing work and to routine care.
constexpr uint32_t kServed = 3;
constexpr uint32_t kInseminated = 6;
constexpr uint32_t kTupped = 7;
constexpr uint32_t kTupping = 8;
constexpr uint32_t kLambed = 10;
constexpr uint32_t kTreated = 11;
constexpr uint32_t kDosed = 12;
constexpr uint32_t kVaccinated = 13;
constexpr uint32_t kShorn = 14;
constexpr uint32_t kScanned = 15;
constexpr uint32_t kConditionScored = 16;
constexpr uint32_t kFootCare = 17;
constexpr uint32_t kNote = 18;
constexpr uint32_t kMovedOn = 19;
constexpr uint32_t kMovedOff = 20;
constexpr uint32_t kWeaned = 22;

// Breed flags (bits 4 to 7).
constexpr unsigned kFlagPedigree = 4;
constexpr unsigned kFlagKeptForBreeding = 5;
constexpr unsigned kFlagToBeCulled = 7;

constexpr int kGestation = 147;
constexpr double kYear = 365.25;

// splitmix64: small, fast, and the same sequence everywhere (the standard distributions are not).
class CRandom {
public:
    explicit CRandom(uint64_t seed) : m_state(seed ^ 0x5DEECE66DCAFEULL) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // [0, 1)
    double Real() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // lo..hi inclusive
    int Int(int lo, int hi) { return lo + int(Next() % uint64_t(hi - lo + 1)); }
    bool Chance(double p) { return Real() < p; }
    double Normal(double mean, double sd) {
        double u1 = Real(), u2 = Real();
        if (u1 < 1e-12) u1 = 1e-12;
        return mean + sd * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Next() % N];
    }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[Next() % items.size()];
    }

private:
    uint64_t m_state;
};

double Day(int year, int month, int day) {
    return COleDateTime(year, month, day, 0, 0, 0).m_dt;
}
int YearOf(double day) {
    return COleDateTime(std::floor(day)).GetYear();
}

WString Text(const char* s) {
    return Utf8ToW(s);
}
WString Number(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return Text(buf);
}

const char* const kColours[] = {"Red", "Blue", "Yellow", "Green", "Orange", "White", "Purple", "Pink"};

const char* const kPlacePrefixes[] = {"Bryn", "Cefn",    "Pen",   "Tre",   "Llan",   "Hill",  "Moor",
                                      "Ash",  "Oak",     "High",  "Low",   "Nether", "Upper", "West",
                                      "East", "North",   "Green", "Stone", "Brook",  "Fell",  "Ridge",
                                      "Glen", "Heather", "Thorn", "Birk",  "Rowan",  "Whin",  "Crag"};
const char* const kPlaceSuffixes[] = {"gate", "field", "side",  "wood",  "ley",   "ton",  "by",
                                      "dale", "hope",  "combe", "hurst", "croft", "mead", "thwaite"};
const char* const kFarmKinds[] = {"Farm", "Farm", "Farm", "Hall Farm", "Grange", "House Farm", "Fold"};
const char* const kRoads[] = {"Church Lane", "Mill Road", "Station Road", "Back Lane",   "Chapel Road",
                              "Moor Lane",   "The Green", "Ford Road",    "High Street", "Brook Lane"};
struct Town {
    const char* name;
    const char* county;
    const char* postArea;
    const char* dialling;
};
const Town kTowns[] = {
    {"Welshpool", "Powys", "SY21", "01938"},       {"Builth Wells", "Powys", "LD2", "01982"},
    {"Hexham", "Northumberland", "NE46", "01434"}, {"Skipton", "North Yorkshire", "BD23", "01756"},
    {"Kendal", "Cumbria", "LA9", "01539"},         {"Brecon", "Powys", "LD3", "01874"},
    {"Hawes", "North Yorkshire", "DL8", "01969"},  {"Bakewell", "Derbyshire", "DE45", "01629"},
    {"Oswestry", "Shropshire", "SY11", "01691"},   {"Ludlow", "Shropshire", "SY8", "01584"},
    {"Penrith", "Cumbria", "CA11", "01768"},       {"Dolgellau", "Gwynedd", "LL40", "01341"},
    {"Lanark", "Lanarkshire", "ML11", "01555"},    {"Melrose", "Roxburghshire", "TD6", "01896"},
    {"Ruthin", "Denbighshire", "LL15", "01824"},   {"Tregaron", "Ceredigion", "SY25", "01974"}};
const char* const kRamNames[] = {"Major",   "Duke",  "Samson",   "Hercules", "Boris", "Captain", "Titan",
                                 "Rocky",   "Bruno", "Sergeant", "Monarch",  "Baron", "Ranger",  "Hector",
                                 "Jupiter", "Thor",  "Goliath",  "Admiral",  "Chief", "Ajax"};
const char* const kEweNames[] = {"Daisy", "Bluebell", "Heather", "Primrose", "Clover", "Poppy", "Meg",
                                 "Bess",  "Holly",    "Ivy",     "Rosie",    "Fern",   "Mabel", "Nell"};
const char* const kDeathCauses[] = {"Pneumonia",     "Twin lamb disease",  "Fly strike",  "Found dead",
                                    "Hypocalcaemia", "Mastitis",           "Worm burden", "Misadventure",
                                    "Listeriosis",   "Clostridial disease"};
const char* const kLambDeaths[] = {"Hypothermia", "Watery mouth", "Joint ill",
                                   "Found dead",  "Fox",          "Pneumonia"};
struct Treatment {
    const char* condition;
    const char* product;
    const char* dose;
};
const Treatment kTreatments[] = {{"Lameness", "Oxytetracycline LA", "5 ml"},
                                 {"Mastitis", "Penicillin-streptomycin", "6 ml"},
                                 {"Pneumonia", "Tilmicosin", "2 ml"},
                                 {"Orf", "Oxytetracycline spray", "1 spray"},
                                 {"Eye infection", "Cloxacillin eye ointment", "1 tube"},
                                 {"Scald", "Zinc sulphate footbath", "10 %"}};
struct Dose {
    const char* product;
    const char* dose;
};
const Dose kDrenches[] = {{"Ivermectin drench", "10 ml"},
                          {"Levamisole drench", "12 ml"},
                          {"Closantel drench", "15 ml"},
                          {"Albendazole drench", "8 ml"},
                          {"Moxidectin pour-on", "5 ml"}};
const Dose kVaccines[] = {{"Clostridial vaccine", "2 ml"},
                          {"Clostridial and pasteurella vaccine", "2 ml"},
                          {"Enzootic abortion vaccine", "2 ml"},
                          {"Orf vaccine", "1 scratch"}};
const char* const kFootTreatments[] = {"Trimmed", "Footbath", "Foot rot treated", "Checked"};
const char* const kNotes[] = {"Good mother", "Lame near fore", "Broken mouth", "Poor udder",
                              "Prolapse",    "Bottle-fed",     "Strong lamb",  "Show quality",
                              "Wool slip",   "Check teeth",    "Kept back",    "Heavy fleece"};

struct GenEvent {
    double date;
    uint32_t code;
    std::vector<WString> params;
};

struct GenAnimal {
    CRefPtr<CSheep> sheep;
    int32_t sex = SEX_EWE;
    double birth = 0;
    double arrival = 0;      // born or bought
    double departure = 1e9;  // planned; after the end of the history means still here
    uint32_t departCode = EVENT_CODE_NONE;
    WString departAddress;  // buyer or abattoir
    WString departCause;    // of a death
    bool purchased = false;
    bool breeding = false;  // kept to breed
    std::vector<GenEvent> events;
    std::vector<CRefPtr<CEweLambingData>> lambings;
    std::vector<CRefPtr<CRamLambingData>> tuppings;
};

struct NoCaseLess {
    bool operator()(const WString& a, const WString& b) const { return CompareNoCase(a, b) < 0; }
};

class CFlockBuilder {
public:
    explicit CFlockBuilder(const CFlockGeneratorOptions& o)
        : m_rng(o.seed), m_target(std::max(0, o.animals)), m_lastYear(o.lastYear) {
        m_eventTarget = o.events < 0 ? int64_t(m_target) * 10 : o.events;
        // Big flocks get a longer history, so that no year numbers more lambs than a tattoo holds.
        const int years = m_target <= 500     ? 5
                          : m_target <= 3000  ? 8
                          : m_target <= 20000 ? 10
                                              : std::clamp(m_target / 50000, 12, 90);
        m_firstYear = m_lastYear - years + 1;
        m_endDay = Day(m_lastYear, 12, 1);
        m_foundationEwes = std::max(8, int(double(m_target) / (1.1 + 1.6 * years) * 1.05));
        m_ownHerd = 100000 + int(m_rng.Next() % 800000);
    }

    CGeneratedFlock Run();

private:
    // ---- holdings ----------------------------------------------------------------------------
    void MakeAddresses(CGeneratedFlock& out);
    WString MakePostCode(const Town& town);
    WString MakePhone(const Town& town);
    WString MovementDocument() { return FormatW("MD%06d", m_rng.Int(1, 999999)); }

    // ---- animals -----------------------------------------------------------------------------
    bool Full() const { return int(m_animals.size()) >= m_target; }
    int NewAnimal(const WString& tattoo, int32_t sex, double birth);
    uint64_t NextEid(int herd);
    void Purchase(int32_t sex, double date, double ageYears);
    void PlanLife(GenAnimal& a, bool lamb);
    void Depart(GenAnimal& a, double date, uint32_t code);
    void SetSignetFigures(GenAnimal& a, bool onFarm);
    void Autumn(int year);
    void Spring(int year);
    void Conclude();
    void AddRoutineEvents();
    GenEvent RoutineEvent(const GenAnimal& a, double date);
    CGeneratedFlock Finish(CGeneratedFlock out);

    bool OnFarm(const GenAnimal& a, double day) const {
        return a.arrival <= day && day < a.departure && day < m_endDay;
    }
    double Entered(double day) {
        return std::floor(day) + m_rng.Int(0, 2) + (m_rng.Int(7 * 60, 21 * 60) / 1440.0);
    }

    CRandom m_rng;
    int m_target;
    int64_t m_eventTarget;
    int m_lastYear;
    int m_firstYear;
    double m_endDay;
    int m_foundationEwes;
    int m_ownHerd;
    int m_ownSerial = 0;
    std::vector<GenAnimal> m_animals;
    std::set<WString, NoCaseLess> m_tattoos;
    std::set<uint64_t> m_eids;
    std::map<int, int> m_lambNumbers;  // lambing year -> last lamb number
    std::vector<WString> m_markets, m_abattoirs, m_farms;
    std::vector<int> m_farmHerds;
    int m_purchaseSerial = 0;
};

// ---- holdings --------------------------------------------------------------------------------

WString CFlockBuilder::MakePostCode(const Town& town) {
    const char letters[] = "ABDEFGHJLNPQRSTUWXYZ";
    return FormatW("%s %d%c%c", town.postArea, m_rng.Int(1, 9), letters[m_rng.Int(0, 19)],
                   letters[m_rng.Int(0, 19)]);
}

WString CFlockBuilder::MakePhone(const Town& town) {
    return FormatW("%s %06d", town.dialling, m_rng.Int(200000, 899999));
}

void CFlockBuilder::MakeAddresses(CGeneratedFlock& out) {
    const int farms = std::clamp(m_target / 400, 8, 250);
    const int markets = std::clamp(m_target / 5000, 3, 16);
    const int abattoirs = std::clamp(m_target / 10000, 2, 8);
    std::set<WString, NoCaseLess> names;
    auto add = [&](WString name, const Town& town, const WString& firstLine, std::vector<WString>& kind) {
        if (!names.insert(name).second) return;
        auto address = MakeRef<CLocalAddress>(name);
        WString postal = firstLine;
        if (m_rng.Chance(0.7)) postal += u"\r\n" + Text(m_rng.Pick(kRoads));
        postal += u"\r\n" + Text(town.name) + u"\r\n" + Text(town.county);
        address->SetAddress(postal);
        address->SetPostCode(MakePostCode(town));
        address->SetTelephone(MakePhone(town));
        if (m_rng.Chance(0.3)) address->SetFax(MakePhone(town));
        if (m_rng.Chance(0.4)) {
            std::string mail;
            for (char16_t c : name)
                if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) mail += char(c | 0x20);
            address->SetEmail(Utf8ToW(mail + "@example.co.uk"));
        }
        const double created = Day(m_firstYear - 1, 1, 1) + m_rng.Int(0, 300) + 0.5;
        address->SetCreated(COleDateTime(created));
        address->SetEdited(COleDateTime(created + m_rng.Int(0, 2000) + 0.25));
        kind.push_back(name);
        out.addresses[name] = address;
    };
    for (int i = 0; i < markets; ++i) {
        const Town& town = kTowns[size_t(i) % std::size(kTowns)];
        add(Text(town.name) + u" Livestock Market", town, Text("Auction Mart"), m_markets);
    }
    for (int i = 0; i < abattoirs; ++i) {
        const Town& town = kTowns[size_t(i * 5 + 3) % std::size(kTowns)];
        add(Text(town.name) + u" Meats Ltd", town, Text("Abattoir, Industrial Estate"), m_abattoirs);
    }
    for (int i = 0; i < farms * 3 && int(m_farms.size()) < farms; ++i) {
        const Town& town = m_rng.Pick(kTowns);
        WString name = Text(m_rng.Pick(kPlacePrefixes)) + Text(m_rng.Pick(kPlaceSuffixes)) + u" " +
                       Text(m_rng.Pick(kFarmKinds));
        const size_t before = m_farms.size();
        add(name, town, name, m_farms);
        if (m_farms.size() != before) m_farmHerds.push_back(100000 + int(m_rng.Next() % 800000));
    }
}

// ---- animals ---------------------------------------------------------------------------------

uint64_t CFlockBuilder::NextEid(int herd) {
    // 826 (the country), 0, the herd's six digits, the animal's five.
    for (;;) {
        const int serial = herd == m_ownHerd ? (++m_ownSerial % 100000) : m_rng.Int(1, 99999);
        if (herd == m_ownHerd && serial == 0) {
            ++m_ownHerd;  // a second holding number once the first runs out
            continue;
        }
        const uint64_t eid = 826000000000000ULL + uint64_t(herd) * 100000ULL + uint64_t(serial);
        if (m_eids.insert(eid).second) return eid;
    }
}

int CFlockBuilder::NewAnimal(const WString& tattoo, int32_t sex, double birth) {
    GenAnimal a;
    a.sheep = MakeRef<CSheep>(tattoo.c_str(), sex, nullptr);
    a.sex = sex;
    a.birth = birth;
    m_tattoos.insert(tattoo);
    m_animals.push_back(std::move(a));
    return int(m_animals.size()) - 1;
}

void CFlockBuilder::Depart(GenAnimal& a, double date, uint32_t code) {
    a.departure = date;
    a.departCode = code;
    if (code == EVENT_SOLD) a.departAddress = m_rng.Chance(0.8) ? m_rng.Pick(m_markets) : m_rng.Pick(m_farms);
    if (code == EVENT_KILLED) a.departAddress = m_rng.Pick(m_abattoirs);
}

void CFlockBuilder::PlanLife(GenAnimal& a, bool lamb) {
    const double start = a.arrival;
    if (lamb) {
        if (m_rng.Chance(0.05)) {
            a.departCause = Text(m_rng.Pick(kLambDeaths));
            Depart(a, start + m_rng.Int(1, 120), EVENT_DIED);
            return;
        }
        const double keep = a.sex == SEX_RAM ? 0.012 : 0.28;
        if (!m_rng.Chance(keep)) {
            Depart(a, start + m_rng.Int(110, 240), m_rng.Chance(0.6) ? EVENT_KILLED : EVENT_SOLD);
            return;
        }
    }
    a.breeding = true;
    // Breeding stock: culled at five to eight years (rams sooner), unless death comes first.
    const double cullAge = a.sex == SEX_RAM ? m_rng.Int(3, 6) : m_rng.Int(5, 8);
    double cull = a.birth + cullAge * kYear;
    // Culls go in the autumn sales.
    const int cullYear = YearOf(cull);
    cull = Day(cullYear, 9, 1) + m_rng.Int(0, 50);
    if (cull <= start + 200) cull = start + 200 + m_rng.Int(0, 300);
    const double years = std::max(0.0, (cull - start) / kYear);
    if (m_rng.Chance(1.0 - std::pow(0.97, years))) {
        a.departCause = Text(m_rng.Pick(kDeathCauses));
        Depart(a, start + 30 + m_rng.Real() * std::max(1.0, cull - start - 30), EVENT_DIED);
        a.departure = std::floor(a.departure);
        return;
    }
    Depart(a, cull, m_rng.Chance(0.85) ? EVENT_SOLD : EVENT_KILLED);
}

void CFlockBuilder::SetSignetFigures(GenAnimal& a, bool bornHere) {
    CSheep& s = *a.sheep;
    s.SetFigure(FIG_LEAN_INDEX, std::round(m_rng.Normal(a.sex == SEX_RAM ? 190 : 160, 35)));
    s.SetFigure(FIG_EIGHT_WEEK_WEIGHT_EBV, std::round(m_rng.Normal(1.2, 0.8) * 100) / 100);
    s.SetFigure(FIG_SCAN_WEIGHT_EBV, std::round(m_rng.Normal(2.5, 1.2) * 100) / 100);
    s.SetFigure(FIG_MUSCLE_DEPTH_EBV, std::round(m_rng.Normal(1.1, 0.7) * 100) / 100);
    s.SetFigure(FIG_FAT_DEPTH_EBV, std::round(m_rng.Normal(-0.1, 0.3) * 100) / 100);
    if (m_rng.Chance(0.7)) s.SetFigure(FIG_LITTER_EBV, std::round(m_rng.Normal(0.05, 0.04) * 100) / 100);
    if (m_rng.Chance(0.6)) s.SetFigure(FIG_MATURE_EBV, std::round(m_rng.Normal(3.0, 1.5) * 100) / 100);
    if (m_rng.Chance(0.6)) s.SetFigure(FIG_MATERNAL_EBV, std::round(m_rng.Normal(0.8, 0.5) * 100) / 100);
    if (bornHere && m_rng.Chance(0.75)) {
        // Scanned on the farm: the measured figures too.
        s.SetFigure(FIG_SCAN_WEIGHT_ACTUAL,
                    std::round(m_rng.Normal(a.sex == SEX_RAM ? 52 : 45, 5) * 10) / 10);
        s.SetFigure(FIG_MUSCLE_DEPTH_ACTUAL, std::round(m_rng.Normal(29, 2.5) * 10) / 10);
        s.SetFigure(FIG_FAT_DEPTH_ACTUAL, std::round(m_rng.Normal(3.4, 0.7) * 10) / 10);
        if (m_rng.Chance(0.5)) s.SetFigure(FIG_MATERNAL_ACTUAL, std::round(m_rng.Normal(24, 3) * 10) / 10);
        if (m_rng.Chance(0.5)) s.SetFigure(FIG_AWT, std::round(m_rng.Normal(21, 3) * 10) / 10);
    }
}

void CFlockBuilder::Purchase(int32_t sex, double date, double ageYears) {
    if (Full() || m_farms.empty()) return;
    const size_t sellerIndex = m_rng.Next() % m_farms.size();
    const bool atMarket = m_rng.Chance(0.35);
    const WString seller = atMarket ? m_rng.Pick(m_markets) : m_farms[sellerIndex];
    const int herd = atMarket ? 100000 + int(m_rng.Next() % 800000) : m_farmHerds[sellerIndex];
    WString tattoo, number;
    do {
        const int serial = ++m_purchaseSerial % 100000;
        number = FormatW("%06d %05d", herd, serial);
        tattoo = u"UK " + number;
    } while (m_tattoos.count(tattoo));
    const int birthYear = YearOf(date - ageYears * kYear);
    const double birth = Day(birthYear, 3, 1) + m_rng.Int(0, 60);
    const int index = NewAnimal(tattoo, sex, birth);
    GenAnimal& a = m_animals[size_t(index)];
    a.purchased = true;
    a.arrival = date;
    CSheep& s = *a.sheep;
    COleDateTime born(birth);
    s.SetFieldValue(SF_DATE_OF_BIRTH, &born);
    a.events.push_back({date, EVENT_PURCHASED, {seller, MovementDocument()}});
    a.events.push_back({date, EVENT_RETAG, {Text("White"), number}});
    if (birthYear >= 2010) s.SetElectronicID(NextEid(herd));
    if (sex == SEX_RAM) {
        s.SetName(Text(m_rng.Pick(kPlacePrefixes)) + Text(m_rng.Pick(kPlaceSuffixes)) + u" " +
                  Text(m_rng.Pick(kRamNames)));
        s.SetFlag(kFlagPedigree, true);
        SetSignetFigures(a, false);
        s.SetGeneticScrapie(m_rng.Chance(0.8) ? 9 : 10);
    } else if (m_rng.Chance(0.4)) {
        s.SetGeneticScrapie(m_rng.Pick({9, 12, 10, 11, 36, 13}));
    }
    if (m_rng.Chance(0.2)) s.SetComments(u"Bought at " + seller);
    PlanLife(a, false);
}

// Purchases for the season, then each ram goes in with his share of the ewes.
void CFlockBuilder::Autumn(int year) {
    const double sale = Day(year, 9, 1) + m_rng.Int(0, 25);
    int rams = 0, ewes = 0;
    for (const GenAnimal& a : m_animals)
        if (a.breeding && OnFarm(a, sale)) (a.sex == SEX_RAM ? rams : ewes)++;
    if (year < m_firstYear) {
        for (int i = 0; i < m_foundationEwes; ++i) Purchase(SEX_EWE, sale, m_rng.Int(1, 4));
        ewes = m_foundationEwes;
    } else {
        const int bought = std::max(0, ewes / 40 + m_rng.Int(0, 3));
        for (int i = 0; i < bought; ++i) Purchase(SEX_EWE, sale + m_rng.Int(0, 20), m_rng.Int(1, 3));
    }
    const int ramsWanted = std::max(1, ewes / 45 + 1);
    const int ramsBought = ramsWanted - rams + (year >= m_firstYear ? m_rng.Int(0, 1) : 0);
    for (int i = 0; i < ramsBought; ++i) Purchase(SEX_RAM, sale + m_rng.Int(0, 20), m_rng.Int(1, 2));
    // What the history still lacks arrives with the last season's purchases.
    if (year == m_lastYear)
        while (!Full())
            Purchase(m_rng.Chance(0.9) ? SEX_EWE : SEX_RAM, sale + m_rng.Int(0, 30), m_rng.Int(0, 3));

    const double tupping = Day(year, 10, 10) + m_rng.Int(0, 20);
    if (tupping >= m_endDay) return;
    std::vector<int> ramList, eweList;
    for (size_t i = 0; i < m_animals.size(); ++i) {
        const GenAnimal& a = m_animals[i];
        if (!a.breeding || !OnFarm(a, tupping) || tupping - a.birth < 540) continue;
        if (a.sex == SEX_RAM) {
            ramList.push_back(int(i));
        } else if (a.departure > tupping + 150) {
            eweList.push_back(int(i));
        }
    }
    if (ramList.empty() || eweList.empty()) return;
    for (size_t i = eweList.size(); i > 1; --i) std::swap(eweList[i - 1], eweList[m_rng.Next() % i]);
    const size_t groups = std::min(ramList.size(), std::max<size_t>(1, (eweList.size() + 39) / 40));
    for (size_t g = 0; g < groups; ++g) {
        GenAnimal& ram = m_animals[size_t(ramList[g])];
        const bool ai = m_rng.Chance(0.05);
        const double in = tupping;
        const double entered = Entered(in);
        auto record = MakeRef<CRamLambingData>();
        record->StoreDateIn(COleDateTime(in));
        if (!ai && in + 35 < m_endDay) record->StoreDateOut(COleDateTime(in + 35 + m_rng.Int(0, 10)));
        record->StoreMethod(ai ? TUPPING_AI : TUPPING_NATURAL);
        record->SetCreated(COleDateTime(entered));
        record->SetEdited(COleDateTime(entered));
        const WString& ramKey = ram.sheep->GetTattoo();
        ram.events.push_back({in, kTupping, {Text(ai ? "A.I." : "Normal")}});
        for (size_t e = g; e < eweList.size(); e += groups) {
            GenAnimal& ewe = m_animals[size_t(eweList[e])];
            record->AddEwe(ewe.sheep->GetTattoo());
            ewe.events.push_back({in, ai ? kInseminated : kTupped, {ramKey}});
            if (!ai && m_rng.Chance(0.1)) ewe.events.push_back({in + m_rng.Int(1, 20), kServed, {ramKey}});
            auto lambing = MakeRef<CEweLambingData>();
            lambing->StoreTup(ramKey);
            lambing->SetCreated(COleDateTime(entered));
            lambing->SetEdited(COleDateTime(entered));
            ewe.lambings.push_back(lambing);
        }
        ram.tuppings.push_back(record);
    }
}

// The ewes tupped last autumn lamb, in date order, until the flock is complete.
void CFlockBuilder::Spring(int year) {
    struct Due {
        double date;
        int ewe;
    };
    std::vector<Due> due;
    for (size_t i = 0; i < m_animals.size(); ++i) {
        GenAnimal& ewe = m_animals[i];
        if (ewe.sex != SEX_EWE || ewe.lambings.empty()) continue;
        CEweLambingData& record = *ewe.lambings.back();
        if (record.GetMethod() != LAMBING_TUPPED || YearOf(record.GetCreated().m_dt) != year - 1) continue;
        // The service date is the tupping event's.
        double served = record.GetCreated().m_dt;
        for (auto it = ewe.events.rbegin(); it != ewe.events.rend(); ++it)
            if (it->code == kTupped || it->code == kInseminated) {
                served = it->date;
                break;
            }
        due.push_back({std::floor(served + m_rng.Int(0, 16)) + kGestation + m_rng.Int(-3, 3), int(i)});
    }
    std::stable_sort(due.begin(), due.end(), [](const Due& a, const Due& b) { return a.date < b.date; });
    const WString colour = Text(kColours[size_t(year) % std::size(kColours)]);
    for (const Due& d : due) {
        if (Full()) {
            // The history ends here: the other ewes have yet to lamb.
            m_endDay = std::min(m_endDay, std::floor(d.date) + 1);
            return;
        }
        GenAnimal& ewe = m_animals[size_t(d.ewe)];
        if (!OnFarm(ewe, d.date)) continue;
        CEweLambingData& record = *ewe.lambings.back();
        const WString tup = record.GetTup();
        const double r = m_rng.Real();
        const int method = r < 0.03 ? LAMBING_FAILED : r < 0.05 ? LAMBING_CESARIAN : LAMBING_NORMAL;
        const int litter = method == LAMBING_FAILED ? 0 : [&] {
            const double x = m_rng.Real();
            return x < 0.33 ? 1 : x < 0.9 ? 2 : 3;
        }();
        ewe.events.push_back({d.date - m_rng.Int(60, 80), kScanned, {FormatW("%d", litter)}});
        record.StoreMethod(method);
        const double entered = Entered(d.date);
        record.SetEdited(COleDateTime(entered));
        if (method == LAMBING_FAILED) {
            record.StoreComments(Text("Barren"));
            continue;
        }
        record.StoreDate(COleDateTime(d.date));
        if (m_rng.Chance(0.1))
            record.StoreComments(Text(m_rng.Chance(0.5) ? "Assisted" : "Needed help to suckle"));
        ewe.events.push_back({d.date, kLambed, {}});
        const WString birthText = Text(method == LAMBING_CESARIAN ? "Cesarian" : "Normal");
        for (int l = 0; l < litter; ++l) {
            const int32_t sex = m_rng.Chance(0.5) ? SEX_RAM : SEX_EWE;
            const double weight = std::max(1.5, m_rng.Normal(litter == 1   ? 5.2
                                                             : litter == 2 ? 4.4
                                                                           : 3.6,
                                                             0.7));
            const WString weightText = Number("%.4g", std::round(weight * 10) / 10);
            auto lamb = MakeRef<CLambData>();
            lamb->SetCreated(COleDateTime(entered));
            lamb->SetEdited(COleDateTime(entered));
            if (Full() || m_rng.Chance(0.04)) {
                lamb->SetAll(Text("Dead"), sex, Text(m_rng.Pick(kLambDeaths)), weightText);
                lamb->SetEdited(COleDateTime(entered));
                record.AddLamb(lamb);
                continue;
            }
            const int number = ++m_lambNumbers[year];
            const WString tattoo = GeneratedLambTattoo(number, year);
            const int index = NewAnimal(tattoo, sex, d.date);
            GenAnimal& a = m_animals[size_t(index)];
            GenAnimal& mother = m_animals[size_t(d.ewe)];  // NewAnimal may have moved her
            a.arrival = d.date;
            CSheep& s = *a.sheep;
            s.SetSire(tup);
            s.SetDam(mother.sheep->GetTattoo());
            s.SetOneOf(litter);
            if (sex == SEX_RAM)
                s.SetName(Text(m_rng.Pick(kRamNames)) + FormatW(" %02d", year % 100));
            else if (m_rng.Chance(0.1))
                s.SetName(Text(m_rng.Pick(kEweNames)));
            const WString number4 = FormatEartagNumber(u"{nnnn}", COleDateTime(d.date), number);
            a.events.push_back({d.date, EVENT_BORN, {birthText}});
            a.events.push_back({d.date, EVENT_WEIGHED, {weightText}});
            a.events.push_back({d.date, EVENT_RETAG, {colour, number4}});
            if (year >= 2010) s.SetElectronicID(NextEid(m_ownHerd));
            lamb->SetAll(tattoo, sex, WString(), weightText);
            lamb->SetEdited(COleDateTime(entered));
            record.AddLamb(lamb);
            PlanLife(a, true);
            if (a.breeding) {
                s.SetFlag(kFlagKeptForBreeding, true);
                if (sex == SEX_RAM || m_rng.Chance(0.3)) {
                    s.SetFlag(kFlagPedigree, true);
                    SetSignetFigures(a, true);
                    s.SetGeneticScrapie(m_rng.Pick({9, 9, 9, 10, 11, 12, 12, 36, 13, 35}));
                }
            }
            if (m_rng.Chance(0.05)) s.SetComments(Text(m_rng.Pick(kNotes)));
        }
    }
}

GenEvent CFlockBuilder::RoutineEvent(const GenAnimal& a, double date) {
    const double age = date - a.birth;
    const double r = m_rng.Real();
    if (age < 200) {
        // Lambs: weighed as they grow, dosed and vaccinated, weaned.
        if (r < 0.5) {
            const double kg = std::round((4.5 + age * m_rng.Normal(0.27, 0.04)) * 10) / 10;
            return {date, EVENT_WEIGHED, {Number("%.4g", std::max(2.0, kg))}};
        }
        if (r < 0.65) {
            const Dose& d = m_rng.Pick(kDrenches);
            return {date, kDosed, {Text(d.product), Text(d.dose)}};
        }
        if (r < 0.8) {
            const Dose& d = kVaccines[m_rng.Chance(0.5) ? 0 : 3];
            return {date, kVaccinated, {Text(d.product), Text(d.dose)}};
        }
        if (r < 0.9) return {date, kWeaned, {}};
    } else {
        if (r < 0.22) {
            const double kg = std::round(m_rng.Normal(a.sex == SEX_RAM ? 95 : 72, 8) * 10) / 10;
            return {date, EVENT_WEIGHED, {Number("%.4g", kg)}};
        }
        if (r < 0.36) return {date, kConditionScored, {Number("%.1f", m_rng.Int(4, 8) * 0.5)}};
        if (r < 0.48) {
            const Dose& d = m_rng.Pick(kDrenches);
            return {date, kDosed, {Text(d.product), Text(d.dose)}};
        }
        if (r < 0.6) {
            const Dose& d = m_rng.Pick(kVaccines);
            return {date, kVaccinated, {Text(d.product), Text(d.dose)}};
        }
        if (r < 0.7) return {date, kShorn, {}};
        if (r < 0.8) {
            const char* product = m_rng.Chance(0.5) ? "Zinc sulphate footbath" : "Oxytetracycline spray";
            return {date, kFootCare, {Text(m_rng.Pick(kFootTreatments)), Text(product)}};
        }
    }
    if (r < 0.96) {
        const Treatment& t = m_rng.Pick(kTreatments);
        return {date, kTreated, {Text(t.condition), Text(t.product), Text(t.dose)}};
    }
    return {date, kNote, {Text(m_rng.Pick(kNotes))}};
}

// Routine care spread over the animals' time on the farm, until the flock has its events.
void CFlockBuilder::AddRoutineEvents() {
    int64_t count = 0;
    std::vector<double> cumulative;
    cumulative.reserve(m_animals.size());
    double total = 0;
    for (const GenAnimal& a : m_animals) {
        count += int64_t(a.events.size());
        const double to = std::min(a.departure, m_endDay);
        total += std::max(0.0, to - a.arrival - 1);
        cumulative.push_back(total);
    }
    // Summer grazing away from home: a movement off and back on.
    for (GenAnimal& a : m_animals) {
        if (!a.breeding || count + 2 > m_eventTarget || !m_rng.Chance(0.15)) continue;
        const int year = YearOf(a.arrival) + 1;
        const double off = Day(year, 5, 10) + m_rng.Int(0, 20), on = Day(year, 9, 1) + m_rng.Int(0, 20);
        if (!OnFarm(a, off) || !OnFarm(a, on + 1)) continue;
        const WString& grazing = m_rng.Pick(m_farms);
        a.events.push_back({off, kMovedOff, {grazing, MovementDocument()}});
        a.events.push_back({on, kMovedOn, {grazing, MovementDocument()}});
        count += 2;
    }
    if (total <= 0) return;
    for (; count < m_eventTarget; ++count) {
        const double x = m_rng.Real() * total;
        const size_t i =
            size_t(std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
        GenAnimal& a = m_animals[std::min(i, m_animals.size() - 1)];
        const double to = std::min(a.departure, m_endDay);
        if (to - a.arrival <= 1) continue;
        const double date = std::floor(a.arrival + 1 + m_rng.Real() * (to - a.arrival - 1));
        a.events.push_back(RoutineEvent(a, date));
    }
}

// Departures and replacement tags close each animal's story; nothing happens after the end.
void CFlockBuilder::Conclude() {
    for (GenAnimal& a : m_animals) {
        CSheep& s = *a.sheep;
        if (a.departure < m_endDay) {
            switch (a.departCode) {
                case EVENT_DIED:
                    a.events.push_back({a.departure, EVENT_DIED, {a.departCause}});
                    break;
                case EVENT_SOLD:
                case EVENT_KILLED:
                    a.events.push_back({a.departure, a.departCode, {a.departAddress, MovementDocument()}});
                    break;
                default:
                    break;
            }
        } else if (a.breeding && a.departCode != EVENT_DIED && a.departure < m_endDay + 300) {
            s.SetFlag(kFlagToBeCulled, true);
        }
        // Now and then a lost tag is replaced by a red one with the same number.
        if (a.breeding && m_rng.Chance(0.05)) {
            const double to = std::min(a.departure, m_endDay);
            auto tag = std::find_if(a.events.begin(), a.events.end(),
                                    [](const GenEvent& e) { return e.code == EVENT_RETAG; });
            if (to - a.arrival > 60 && tag != a.events.end()) {
                WString number = tag->params[1];
                a.events.push_back({std::floor(a.arrival + 30 + m_rng.Real() * (to - a.arrival - 31)),
                                    EVENT_RETAG,
                                    {Text("Red"), std::move(number)}});
            }
        }
        std::erase_if(a.events, [&](const GenEvent& e) { return e.date >= m_endDay; });
    }
}

CGeneratedFlock CFlockBuilder::Finish(CGeneratedFlock out) {
    for (GenAnimal& a : m_animals) {
        CSheep& s = *a.sheep;
        std::stable_sort(a.events.begin(), a.events.end(),
                         [](const GenEvent& x, const GenEvent& y) { return x.date < y.date; });
        double lastEdit = a.arrival;
        for (GenEvent& e : a.events) {
            auto event = CRefPtr<CEvent>::Adopt(new CEvent(COleDateTime(e.date), e.code));
            event->SetParameters(std::move(e.params));
            const double entered = Entered(e.date);
            event->SetCreated(COleDateTime(entered));
            event->SetEdited(COleDateTime(entered));
            lastEdit = std::max(lastEdit, entered);
            s.InsertEventAt(-1, event.Detach(), false);
        }
        out.eventCount += s.GetEventCount();
        a.events = {};
        // Lambing records made after the end of the history never happened.
        std::erase_if(a.lambings,
                      [&](const CRefPtr<CEweLambingData>& r) { return r->GetCreated().m_dt >= m_endDay; });
        std::erase_if(a.tuppings,
                      [&](const CRefPtr<CRamLambingData>& r) { return r->GetCreated().m_dt >= m_endDay; });
        for (auto& r : a.lambings) lastEdit = std::max(lastEdit, r->GetEdited().m_dt);
        s.SetEdited(COleDateTime(lastEdit));
        for (auto& r : a.lambings) s.AddLambingRecord(std::move(r));
        for (auto& r : a.tuppings) s.AddTuppingRecord(std::move(r));
        a.lambings.clear();
        a.tuppings.clear();
    }

    // Signet class averages of every birth year and sex with recorded animals.
    struct Sums {
        double sum[FIG_COUNT] = {};
        int n[FIG_COUNT] = {};
    };
    std::map<WString, Sums> classes;
    for (const GenAnimal& a : m_animals) {
        const CSheep& s = *a.sheep;
        if (a.purchased || IsNotEntered(s.GetFigure(FIG_LEAN_INDEX))) continue;
        Sums& c = classes[CDocumentStores::SignetKey(YearOf(a.birth), a.sex)];
        for (int f = 0; f < FIG_COUNT; ++f)
            if (!IsNotEntered(s.GetFigure(SignetFigure(f)))) {
                c.sum[f] += s.GetFigure(SignetFigure(f));
                ++c.n[f];
            }
    }
    for (auto& [key, entry] : classes) {
        const auto& c = entry;  // clang cannot capture a structured binding
        auto avg = [&](SignetFigure f) {
            return c.n[f] ? std::round(c.sum[f] / c.n[f] * 100) / 100 : NotEnteredDouble();
        };
        auto data = MakeRef<CSignetData>();
        data->m_dblLeanIndex = avg(FIG_LEAN_INDEX);
        data->m_dblEightWeekWeightEBV = avg(FIG_EIGHT_WEEK_WEIGHT_EBV);
        data->m_dblLitterEBV = avg(FIG_LITTER_EBV);
        data->m_dblMatureEBV = avg(FIG_MATURE_EBV);
        data->m_dblMaternalEBV = avg(FIG_MATERNAL_EBV);
        data->m_dblMuscleDepthEBV = avg(FIG_MUSCLE_DEPTH_EBV);
        data->m_dblScanWeightEBV = avg(FIG_SCAN_WEIGHT_EBV);
        data->m_dblFatDepthEBV = avg(FIG_FAT_DEPTH_EBV);
        data->m_dblAWT = avg(FIG_AWT);
        const double created = Day(std::stoi(WToUtf8(key.substr(0, 4))) + 1, 1, 15) + 0.5;
        data->m_dtCreated = COleDateTime(created);
        data->m_dtEdited = COleDateTime(std::min(m_endDay - 1, created + 200));
        out.signetAverages[key] = data;
    }

    for (int year = m_firstYear - 4; year <= m_lastYear; ++year)
        out.yearColours[FormatW("%d", year)] = Text(kColours[size_t(year) % std::size(kColours)]);

    const Town& home = kTowns[size_t(m_ownHerd) % std::size(kTowns)];
    out.farmDetails[FARM_BREED] = Text("General Sheep");
    out.farmDetails[FARM_ADDRESS] = Text(m_rng.Pick(kPlacePrefixes)) + Text(m_rng.Pick(kPlaceSuffixes)) +
                                    u" Farm\r\n" + Text(home.name) + u"\r\n" + Text(home.county) + u"\r\n" +
                                    MakePostCode(home);
    out.farmDetails[FARM_TELEPHONE] = MakePhone(home);
    out.farmDetails[FARM_FAX] = MakePhone(home);
    out.farmDetails[FARM_EARTAG_TEMPLATE] = Text("{nnnn}");

    out.flock.reserve(m_animals.size());
    for (GenAnimal& a : m_animals) out.flock.push_back(std::move(a.sheep));
    m_animals.clear();
    std::stable_sort(out.flock.begin(), out.flock.end(),
                     [](const CRefPtr<CSheep>& x, const CRefPtr<CSheep>& y) {
                         return CompareNoCase(x->GetTattoo(), y->GetTattoo()) < 0;
                     });
    // The current animal: one still on the farm.
    std::vector<int> here;
    for (size_t i = 0; i < out.flock.size(); ++i)
        if (out.flock[i]->GetDateofDepart().GetStatus() == COleDateTime::null) here.push_back(int(i));
    if (!here.empty()) out.currentIndex = m_rng.Pick(here);
    return out;
}

CGeneratedFlock CFlockBuilder::Run() {
    CGeneratedFlock out;
    if (m_target == 0) return Finish(std::move(out));
    MakeAddresses(out);
    for (int year = m_firstYear; year <= m_lastYear + 1 && m_endDay > Day(year - 1, 1, 1); ++year) {
        Autumn(year - 1);
        if (year <= m_lastYear) Spring(year);
    }
    Conclude();
    AddRoutineEvents();
    return Finish(std::move(out));
}

}  // namespace

WString GeneratedLambTattoo(int number, int year) {
    return FormatW("%03d/%02d", number, ((year % 100) + 100) % 100);
}

CGeneratedFlock::CGeneratedFlock() = default;
CGeneratedFlock::~CGeneratedFlock() = default;
CGeneratedFlock::CGeneratedFlock(CGeneratedFlock&&) noexcept = default;
CGeneratedFlock& CGeneratedFlock::operator=(CGeneratedFlock&&) noexcept = default;

CGeneratedFlock GenerateFlock(const CFlockGeneratorOptions& options) {
    return CFlockBuilder(options).Run();
}

void LoadGeneratedFlock(CGeneratedFlock&& generated, CSheepDoc& doc) {
    for (const auto& [key, text] : generated.farmDetails) doc.SetAttribute(key, text);
    // The index as a saved file holds it, so that attaching finds it in order.
    CEarTagIndex earTags;
    std::vector<CEarTagHashEntry> entries;
    entries.reserve(generated.flock.size());
    for (const auto& sheep : generated.flock) {
        WString key = CEarTagIndex::MakeKey(sheep->GetEartagColour(), sheep->GetEartagNumber());
        if (!key.empty()) entries.push_back({std::move(key), sheep->GetTattoo(), -1});
    }
    earTags.Assign(std::move(entries));
    earTags.Normalize();
    doc.AttachLoadedFlock(std::move(generated.flock), earTags.Entries(), generated.currentIndex);
    CDocumentStores& stores = doc.GetStores();
    for (auto& [year, colour] : generated.yearColours) stores.YearColours()[year] = colour;
    for (auto& [name, address] : generated.addresses) stores.SetAddressAt(name, address);
    for (auto& [key, averages] : generated.signetAverages) stores.SignetAverages()[key] = averages;
}
