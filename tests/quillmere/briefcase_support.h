// A flock and its replica on a "stick", paired by the host, for the host's tests.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "quillmere/replica_host.h"
#include "quillmere_support.h"

// Records what the host tells the user.
class CTestUI : public IReplicaHostUI {
public:
    explicit CTestUI(UINT decisions = IReconcileOwner::stopWhenUndecided) : decisions(decisions) {}
    void Report(Severity severity, const std::string& text) override {
        (severity == info ? infos : problems).push_back(text);
    }
    int ShowMessage(const std::string& caption, const std::string& text, UINT) override {
        boxes.push_back(caption + ": " + text);
        return 1;
    }
    UINT Decisions() override { return decisions; }
    UINT decisions;
    std::vector<std::string> infos, problems, boxes;
};

using Fill = std::function<void(CSheepDoc&)>;
// An edit made after the replica was made; ref is the replica's last-reconciled date.
using Edit = std::function<void(CSheepDoc&, double ref)>;

// A flock, its replica on a "stick" and the host that pairs them.
struct CBriefcase {
    CTempFolder dir;
    std::string original = dir.Path("flock.cvl");
    std::string stick = dir.Path("stick");
    std::string replica = stick + "/flock.cvl";
    CTestUI ui;
    CReplicaHost host{CVL_QUILLMERE_LIBRARY, ui};

    explicit CBriefcase(const Fill& fill, UINT decisions = IReconcileOwner::stopWhenUndecided) {
        ui.decisions = decisions;
        std::filesystem::create_directories(stick);
        SaveFlock(original, fill);
        EXPECT_TRUE(host.MakeReplica(original, replica)) << Problems();
    }
    double Reference() { return ReadFlock(replica)->GetFile().m_date.m_dt; }
    void Change(const std::string& path, const Edit& edit) {
        if (!edit) return;
        const double ref = Reference();
        auto doc = ReadFlock(path);
        edit(*doc, ref);
        ASSERT_TRUE(doc->OnSaveDocument(path));
    }
    bool Update() { return host.UpdateFolder(stick); }
    std::string Problems() const {
        std::string all;
        for (const auto& p : ui.problems) all += p + "\n";
        for (const auto& p : ui.boxes) all += p + "\n";
        return all;
    }
};

inline void Rename(CSheepDoc& d, const char16_t* tattoo, const char16_t* name, double edited) {
    CSheep* s = d.FindSheep(tattoo);
    ASSERT_NE(s, nullptr);
    s->SetName(name);
    s->SetEdited(COleDateTime(edited));
}

inline WString NameOf(const CSheepDoc& d, const char16_t* tattoo) {
    CSheep* s = d.FindSheep(tattoo);
    return s ? s->GetName() : u"<missing>";
}
