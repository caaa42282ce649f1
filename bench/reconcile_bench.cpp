// Reconciling two copies of a 100,000-animal flock that differ in 1,000 animals (500 changed in each
// copy since they were paired), against opening and saving both copies once through the document,
// timed in the same run. The reconcile is the host's update of the pair: the fingerprints, the
// reconciler's load of both copies, the merge and the writing of both.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_flock.h"
#include "platform/settings.h"
#include "quillmere/replica_host.h"
#include "records/sheep.h"

namespace fs = std::filesystem;

namespace {

constexpr int kChangedEachSide = 500;
constexpr int kRuns = 3;

class CQuietUI : public IReplicaHostUI {
public:
    void Report(Severity severity, const std::string& text) override {
        if (severity != info) std::fprintf(stderr, "%s\n", text.c_str());
    }
    int ShowMessage(const std::string& caption, const std::string& text, UINT) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return 1;
    }
    UINT Decisions() override { return IReconcileOwner::stopWhenUndecided; }
};

fs::path WorkFolder() {
    const fs::path dir = fs::read_symlink("/proc/self/exe").parent_path() / "cvl_bench_reconcile_files";
    fs::remove_all(dir);
    fs::create_directories(dir / "stick");
    fs::create_directories(dir / "settings" / "machine");
    fs::create_directories(dir / "settings" / "user");
    return dir;
}

// Opens the copy through the document, renames every step-th animal from first with a stamp after
// the last reconcile, and saves it.
void ChangeAnimals(const std::string& path, int first, int step, double stamp) {
    CSheepDoc doc;
    if (!doc.OnOpenDocument(path)) throw std::runtime_error("cannot open " + path);
    int changed = 0;
    for (int i = first; i < doc.GetSheepCount() && changed < kChangedEachSide; i += step, ++changed) {
        CSheep* sheep = doc.GetSheepAt(i);
        sheep->SetName(u"Renamed " + Utf8ToW(std::to_string(i)));
        sheep->SetEdited(COleDateTime(stamp));
    }
    if (!doc.OnSaveDocument(path)) throw std::runtime_error("cannot save " + path);
}

void OpenAndSave(const std::string& path) {
    CSheepDoc doc;
    if (!doc.OnOpenDocument(path) || !doc.OnSaveDocument(path))
        throw std::runtime_error("cannot open or save " + path);
}

}  // namespace

int main() {
    const fs::path dir = WorkFolder();
    setenv("CVL_MACHINE_CONFIG_DIR", (dir / "settings" / "machine").c_str(), 1);
    setenv("CVL_USER_CONFIG_DIR", (dir / "settings" / "user").c_str(), 1);
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", Utf8ToW(CVL_GENERAL_BREED));

    const std::string original = (dir / "flock.cvl").string(),
                      replica = (dir / "stick" / "flock.cvl").string();
    const std::string record = (dir / "stick" / CSyncRecord::kFileName).string();
    {
        auto doc = bench::MakeOpenFlock();
        doc->SetAttribute(FARM_BREED, u"General Sheep");
        if (!doc->OnSaveDocument(original)) throw std::runtime_error("cannot save " + original);
    }
    CQuietUI ui;
    CReplicaHost host(CVL_QUILLMERE_LIBRARY, ui);
    if (!host.MakeReplica(original, replica)) return 1;
    double reference = 0;
    {
        CSheepDoc doc;
        doc.OnOpenDocument(replica);
        reference = doc.GetFile().m_date.m_dt;
    }
    const int step = bench::kAnimals / (2 * kChangedEachSide);
    ChangeAnimals(replica, 0, step, reference + 0.001);
    ChangeAnimals(original, step / 2, step, reference + 0.002);
    for (const std::string& p : {original, replica, record}) fs::copy_file(p, p + ".pristine");
    auto restore = [&] {
        for (const std::string& p : {original, replica, record})
            fs::copy_file(p + ".pristine", p, fs::copy_options::overwrite_existing);
    };

    std::vector<double> baseline, reconcile;
    for (int run = 0; run < kRuns; ++run) {
        restore();
        auto start = std::chrono::steady_clock::now();
        OpenAndSave(original);
        OpenAndSave(replica);
        baseline.push_back(bench::Seconds(start));

        restore();
        start = std::chrono::steady_clock::now();
        const bool ok = host.UpdateFolder((dir / "stick").string());
        reconcile.push_back(bench::Seconds(start));
        if (!ok) {
            std::fprintf(stderr, "the update did not bring the copies into step\n");
            return 1;
        }
    }
    std::sort(baseline.begin(), baseline.end());
    std::sort(reconcile.begin(), reconcile.end());
    const double b = baseline[kRuns / 2], r = reconcile[kRuns / 2];
    std::printf("open and save both copies once: %.2f s\n", b);
    std::printf("reconcile the copies (%d animals differ): %.2f s\n", 2 * kChangedEachSide, r);
    std::printf("ratio: %.2f (target at most 4)\n", r / b);
    fs::remove_all(dir);
    return 0;
}
