// Sorting the flock list of a 100,000-animal flock by a text, a date and a number column, against
// sorting the same keys taken out beforehand into a plain vector with the same comparison.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "records/sheep.h"
#include "records/sheep_sort.h"

namespace {

constexpr int kAnimals = 100000;
constexpr double kGoal = 3.0;

template <class F>
double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

template <class Key, class Compare>
void Measure(const char* what, std::vector<CRefPtr<CObject>> rows, unsigned field, std::vector<Key> keys,
             Compare compare) {
    const double list = Seconds([&] { SortSheepRows(rows, field | SORT_ASCENDING); });
    const double plain = Seconds([&] {
        std::stable_sort(keys.begin(), keys.end(),
                         [&](const Key& a, const Key& b) { return compare(a, b) < 0; });
    });
    const double ratio = list / plain;
    std::printf("%-8s list %.4f s  keys %.4f s  ratio %.2f  (goal %.1f: %s)\n", what, list, plain, ratio,
                kGoal, ratio <= kGoal ? "met" : "missed");
}

}  // namespace

int main() {
    std::mt19937 random(7);
    std::vector<CRefPtr<CObject>> rows;
    std::vector<WString> names;
    std::vector<COleDateTime> births;
    std::vector<int32_t> oneOf;
    for (int i = 0; i < kAnimals; ++i) {
        auto* sheep =
            new CSheep(FormatW("T%06u", unsigned(random() % 1000000)).c_str(), int32_t(i % 2), nullptr);
        sheep->SetName(FormatW("%c%c name %u", 'a' + int(random() % 26), 'A' + int(random() % 26),
                               unsigned(random() % 5000)));
        COleDateTime birth;
        birth.SetDate(1990 + int(random() % 30), 1 + int(random() % 12), 1 + int(random() % 28));
        sheep->SetFieldValue(SF_DATE_OF_BIRTH, &birth);
        const int32_t count = int32_t(random() % 4);
        sheep->SetOneOf(count);
        names.push_back(sheep->GetName());
        births.push_back(birth);
        oneOf.push_back(count);
        rows.push_back(CRefPtr<CObject>::Adopt(sheep));
    }
    Measure("text", rows, SF_NAME, names,
            [](const WString& a, const WString& b) { return Sign(CompareNoCase(a, b)); });
    Measure("date", rows, SF_DATE_OF_BIRTH, births,
            [](const COleDateTime& a, const COleDateTime& b) { return CompareDates(a, b); });
    Measure("number", rows, SF_ONE_OF, oneOf,
            [](int32_t a, int32_t b) { return Sign(static_cast<int>(static_cast<long long>(a) - b)); });
    return 0;
}
