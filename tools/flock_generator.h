// Made-up but lifelike flocks for tests, benchmarks and sample files: a breeding flock followed
// season by season (purchases, tupping, lambing, the lambs' lives and departures) with its events,
// lambing and tupping records, trading partners and Signet figures. The same options always give
// the same flock, byte for byte.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/object.h"
#include "platform/text.h"

class CSheep;
class CSheepDoc;
class CAddress;
class CSignetData;

struct CFlockGeneratorOptions {
    int animals = 2000;  // every animal ever kept, departed ones included (up to 2,000,000)
    uint64_t seed = 1;
    // Events over the whole flock; below 0: ten per animal. The flock's own history gives a few
    // per animal; routine events spread over the animals' time on the farm make up the rest.
    int64_t events = -1;
    // The last lambing season; the flock's history runs up to the autumn of that year.
    int lastYear = 2025;
};

// The tattoo of a lamb numbered on the farm: "NNN/YY", its number within the lambing year (at
// least three digits) and the year's last two digits.
WString GeneratedLambTattoo(int number, int year);

class CGeneratedFlock {
public:
    CGeneratedFlock();
    ~CGeneratedFlock();
    CGeneratedFlock(CGeneratedFlock&&) noexcept;
    CGeneratedFlock& operator=(CGeneratedFlock&&) noexcept;

    // Sorted by key, as the document keeps it; every animal holds its events in date order, a ewe
    // her lambing records and a ram his tupping records, oldest first.
    std::vector<CRefPtr<CSheep>> flock;
    std::map<uint16_t, WString> farmDetails;
    // Birth year ("2011") -> ear-tag colour.
    std::map<WString, WString> yearColours;
    std::map<WString, CRefPtr<CAddress>> addresses;
    // Keyed as the document keys them ("2011E", "2011R").
    std::map<WString, CRefPtr<CSignetData>> signetAverages;
    int currentIndex = -1;
    int64_t eventCount = 0;
};

CGeneratedFlock GenerateFlock(const CFlockGeneratorOptions& options);

// Moves a generated flock into an empty document: the animals with their indexes, farm details,
// year colours, addresses, Signet averages and the current animal.
void LoadGeneratedFlock(CGeneratedFlock&& generated, CSheepDoc& doc);
