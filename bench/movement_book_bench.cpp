// The movement book of the generated 100,000-animal, 1,000,000-event flock for one year, against one
// pass over every animal's events that reads their dates and codes and asks once per animal whether
// it was born on the farm.
#include <chrono>
#include <cstdio>
#include <map>

#include "bench_flock.h"
#include "document/report_rows.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {

constexpr double kGoal = 3.0;

}  // namespace

int main() {
    const std::unique_ptr<CSheepDoc> flock = bench::MakeOpenFlock();
    const CSheepDoc& doc = *flock;

    // The busiest year of the flock.
    std::map<int, int> perYear;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        const CSheep* sheep = doc.GetSheepAt(i);
        for (int e = 0; e < sheep->GetEventCount(); ++e) ++perYear[sheep->GetEventAt(e)->GetDate().GetYear()];
    }
    int year = 2000, most = -1;
    for (const auto& [y, n] : perYear)
        if (n > most) year = y, most = n;

    auto start = std::chrono::steady_clock::now();
    double sum = 0;
    uint64_t codes = 0;
    int born = 0;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        const CSheep* sheep = doc.GetSheepAt(i);
        born += sheep->IsBornOnFarm() ? 1 : 0;
        for (int e = 0; e < sheep->GetEventCount(); ++e) {
            const CEvent* event = sheep->GetEventAt(e);
            sum += event->GetDate().m_dt;
            codes += event->GetCode();
        }
    }
    const double pass = bench::Seconds(start);

    start = std::chrono::steady_clock::now();
    const auto rows = BuildMovementBook(doc, year);
    const double book = bench::Seconds(start);

    const double ratio = book / pass;
    std::printf(
        "movement book %d: %zu rows in %.3f s; one pass %.3f s (%d born, %llu, %.0f); ratio %.2f (goal %.1f: "
        "%s)\n",
        year, rows.size(), book, pass, born, static_cast<unsigned long long>(codes), sum, ratio, kGoal,
        ratio <= kGoal ? "met" : "missed");
    return 0;
}
