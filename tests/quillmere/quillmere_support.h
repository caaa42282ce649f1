// Flocks for the reconciler's tests: documents made in memory, and data files written by the
// program's own save.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "document/data_file.h"
#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "quillmere/com_object.h"
#include "quillmere/merge_tree.h"
#include "quillmere/reconciler_abi.h"
#include "records/address.h"
#include "records/event.h"
#include "records/sheep.h"

// Dates as days: the reference of a pair and stamps before and after it.
constexpr double kReference = 46000.5;
constexpr double kBefore = kReference - 10;
constexpr double kAfter = kReference + 1;

inline CRefPtr<CSheepDoc> NewFlock(double lastReconciled = kReference) {
    auto doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
    doc->GetFile().m_date = COleDateTime(lastReconciled);
    return doc;
}

inline CSheep* AddAnimal(CSheepDoc& doc, const char16_t* tattoo, double edited = kBefore,
                         const char16_t* name = u"") {
    auto* sheep = new CSheep(tattoo, SEX_EWE, nullptr);
    if (*name) sheep->SetName(name);
    sheep->SetEdited(COleDateTime(edited));
    EXPECT_GE(doc.AddSheep(sheep, false), 0);
    return sheep;
}

inline CEvent* AddEvent(CSheep& sheep, uint32_t code, double created, double edited,
                        const char16_t* text = nullptr) {
    auto* event = new CEvent(COleDateTime(created), code, text);
    event->SetCreated(COleDateTime(created));
    event->SetEdited(COleDateTime(edited));
    const COleDateTime keep = sheep.GetEdited();
    sheep.AddEvent(event, false);
    sheep.SetEdited(keep);
    return event;
}

inline CLocalAddress* AddAddress(CSheepDoc& doc, const char16_t* key, double edited) {
    auto address = MakeRef<CLocalAddress>(WString(key));
    address->SetEdited(COleDateTime(edited));
    address->SetCreated(COleDateTime(kBefore - 100));
    doc.GetStores().SetAddressAt(key, address);
    return address.Get();
}

class CTempFolder {
public:
    CTempFolder() {
        static int n = 0;
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("quillmere_" + std::to_string(getpid()) + "_" + std::to_string(++n));
        std::filesystem::create_directories(m_dir);
    }
    ~CTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

// Saves a flock through the program's own save; the document (and its lock) is gone afterwards.
inline void SaveFlock(const std::string& path, const std::function<void(CSheepDoc&)>& fill) {
    auto doc = NewFlock();
    fill(*doc);
    ASSERT_TRUE(doc->OnSaveDocument(path));
}

// The flock held in a data file, read without its breed plug-in.
inline CRefPtr<CSheepDoc> ReadFlock(const std::string& path) {
    auto doc = NewFlock();
    std::vector<uint8_t> contents = ReadDataFile(path, nullptr);
    CArchive ar{std::span<const uint8_t>(contents)};
    doc->Serialize(ar);
    return doc;
}

inline std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<WString> Tattoos(const CSheepDoc& doc) {
    std::vector<WString> out;
    for (int i = 0; i < doc.GetSheepCount(); ++i) out.push_back(doc.GetSheepAt(i)->GetTattoo());
    return out;
}

// An owner that records the boxes and answers with the decisions asked for.
class CRecordingOwner : public IReconcileOwner {
public:
    explicit CRecordingOwner(UINT decisions = acceptAssessed) : m_decisions(decisions) {}
    int ShowMessage(LPCOLESTR caption, LPCOLESTR text, UINT) override {
        boxes.push_back({caption, text});
        return 1;
    }
    UINT GetDecisions() override { return m_decisions; }
    int RunMergeDialog(IMergeList*) override { return IDCANCEL; }
    std::vector<std::pair<WString, WString>> boxes;  // caption, text

private:
    UINT m_decisions;
};

class CRecordingInitiator : public CSingleInterfaceObject<IReconcileInitiator> {
public:
    ~CRecordingInitiator() override = default;
    HRESULT SetAbortCallback(IUnknown*) override { return S_OK; }
    HRESULT SetProgressFeedback(ULONG n, ULONG max) override {
        calls.push_back({n, max});
        return S_OK;
    }
    std::vector<std::pair<ULONG, ULONG>> calls;

protected:
    const IID& InterfaceId() const override { return IID_IReconcileInitiator; }
};

class CRecordingText : public IProgressText {
public:
    void SetText(LPCOLESTR text) override { texts.emplace_back(text); }
    std::vector<WString> texts;
};

// Pairs two flocks under a root with no slack around the reference.
struct CPair {
    CRefPtr<CSheepDoc> mine = NewFlock();
    CRefPtr<CSheepDoc> theirs = NewFlock();
    CDocumentStateInfo root;
    CMergeContext ctx;

    CPair() {
        root.SetDocument(SIDE_THIS, mine.Get());
        root.SetDocument(SIDE_OTHER, theirs.Get());
        ctx.window = 0;
    }
    void Assess() { root.DetermineMergeState(ctx); }
    void Apply() { root.ApplyChanges(ctx); }
    CStateInfo* Node(const WString& title) const {
        for (const auto& c : root.GetChildren())
            if (c->GetTitle() == title) return c.get();
        return nullptr;
    }
};
