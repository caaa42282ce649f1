#include "quillmere/merge_tree.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/strings.h"
#include "records/address.h"
#include "records/sheep.h"
#include "records/signet.h"

namespace {

constexpr unsigned IDS_MERGE = 2;
constexpr unsigned IDS_OVERWRITE = 3;
constexpr unsigned IDS_ADD = 4;
constexpr unsigned IDS_SKIP = 5;
constexpr unsigned IDS_CREATED = 6;
constexpr unsigned IDS_MODIFIED = 7;
constexpr unsigned IDS_UNKNOWN_ACTION = 13;
constexpr unsigned IDS_NON_EXISTING = 14;
constexpr unsigned IDS_LOADING = 15;
constexpr unsigned IDS_MERGING = 16;

WString QString(unsigned id) {
    return LoadCvlString(CvlStringTable::Quillmere, id);
}

WString Joined(std::initializer_list<WString> parts) {
    WString out;
    for (const WString& p : parts) {
        if (!out.empty()) out += u"\r\n";
        out += p;
    }
    return out;
}

}  // namespace

// ---- context -------------------------------------------------------------------------------------

void CMergeContext::SetText(const WString& text) const {
    if (progress) progress->SetText(text.c_str());
}

void CMergeContext::Step() {
    if (initiator) initiator->SetProgressFeedback(progressIndex, progressMax);
    ++progressIndex;
}

double LocalUtcDistance(const COleDateTime& date) {
    struct tm when {};
    if (!date.GetAsTm(when)) return 0.0;
    when.tm_isdst = -1;
    const time_t t = mktime(&when);
    struct tm local {};
    if (t == time_t(-1) || !localtime_r(&t, &local)) return 0.0;
    return std::fabs(double(local.tm_gmtoff)) / 86400.0;
}

// ---- node ----------------------------------------------------------------------------------------

CStateInfo::CStateInfo(CStateInfo* parent) : m_pParent(parent) {}

CStateInfo::~CStateInfo() = default;

WString CStateInfo::GetDescription(int) const {
    return {};
}

COleDateTime CStateInfo::GetModificationTime(int) const {
    return COleDateTime(0.0);
}

int CStateInfo::GetTooltip(int side, char16_t* buffer, int length) const {
    if (!buffer || length <= 0) return 0;
    const WString text = GetSide(side) ? GetTooltip(side) : WString();
    const int n = std::min<int>(int(text.size()), length - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    return n;
}

void CStateInfo::SetSide(int side, CObject* object) {
    (side == SIDE_THIS ? m_right : m_left) = CRefPtr<CObject>(object);
}

void CStateInfo::AddOpenItem() {
    for (CStateInfo* n = this; n; n = n->m_pParent) ++n->m_nOpen;
}

void CStateInfo::RemoveOpenItem() {
    for (CStateInfo* n = this; n; n = n->m_pParent) --n->m_nOpen;
}

int CStateInfo::RecountOpenItems() {
    int open = 0;
    for (auto& child : m_children) open += child->RecountOpenItems();
    const int32_t action = m_nCurrent & STATE_ACTION_MASK;
    if (m_pParent && action != ACTION_MERGE && action != ACTION_UNKNOWN)
        open = 0;
    else if (m_pParent && m_children.empty() && action == ACTION_UNKNOWN)
        open = 1;
    return m_nOpen = open;
}

int32_t CStateInfo::CombinedState(int32_t p, int32_t c) {
    if (p == STATE_UNDECIDED || c == STATE_UNDECIDED) return STATE_UNDECIDED;
    if (p == STATE_MERGE || c == STATE_MERGE) return STATE_MERGE;
    if (p == STATE_UP_TO_DATE) return c;
    const bool pHere = p == STATE_ADD_HERE || p == STATE_OVERWRITE_HERE;
    const bool pThere = p == STATE_ADD_THERE || p == STATE_OVERWRITE_THERE;
    const bool cHere = c == STATE_ADD_HERE || c == STATE_OVERWRITE_HERE;
    const bool cThere = c == STATE_ADD_THERE || c == STATE_OVERWRITE_THERE;
    if ((pHere && cThere) || (pThere && cHere)) return STATE_MERGE;
    return p;
}

void CStateInfo::CombineState(bool alsoAssessed, int32_t childState) {
    const int32_t result = CombinedState(alsoAssessed ? m_nAssessed : m_nCurrent, childState);
    m_nCurrent = result;
    if (alsoAssessed) m_nAssessed = result;
}

WString CStateInfo::GetActionText(int32_t state) {
    switch (state & STATE_ACTION_MASK) {
        case ACTION_SKIP:
            return QString(IDS_SKIP);
        case ACTION_ADD:
            return QString(IDS_ADD);
        case ACTION_OVERWRITE:
            return QString(IDS_OVERWRITE);
        case ACTION_MERGE:
            return QString(IDS_MERGE);
        default:
            return QString(IDS_UNKNOWN_ACTION);
    }
}

WString CStateInfo::GetSideText(int side) const {
    if (GetSide(side)) return GetDescription(side);
    return Joined({GetTitle(), QString(IDS_NON_EXISTING)});
}

WString CStateInfo::RecordDescription(int side) const {
    const COleDateTime when = GetModificationTime(side);
    WString date;
    if (when.GetStatus() == COleDateTime::valid)
        date = when.Format("%x %X");
    else if (when.GetStatus() != COleDateTime::null)
        date = u"Invalid DateTime";
    return Joined({GetTitle(), QString(GetSide(side) ? IDS_MODIFIED : IDS_CREATED), date});
}

void CStateInfo::AppendChild(std::unique_ptr<CStateInfo> child) {
    m_children.push_back(std::move(child));
}

void CStateInfo::RemoveAllChildren() {
    m_children.clear();
    m_nOpen = 0;
}

void CStateInfo::ApplyChanges(CMergeContext& ctx) {
    for (const auto& child : m_children) {
        CStateInfo& c = *child;
        ctx.SetText(FormatPlaceholders(QString(IDS_MERGING), {c.GetTitle()}));
        const int32_t state = c.GetCurrentState();
        const bool toOther = (state & STATE_TO_OTHER) != 0;
        switch (state & STATE_ACTION_MASK) {
            case ACTION_ADD: {
                CRefPtr<CObject> source(c.GetSide(toOther ? SIDE_THIS : SIDE_OTHER));
                if (source) InsertFromChild(c, toOther, source.Get());
                break;
            }
            case ACTION_OVERWRITE: {
                const int replaced = toOther ? SIDE_OTHER : SIDE_THIS;
                CRefPtr<CObject> old(c.GetSide(replaced));
                CRefPtr<CObject> source(c.GetSide(toOther ? SIDE_THIS : SIDE_OTHER));
                if (!source) break;
                const bool inPlace = old && ReplaceFromChild(c, toOther, old.Get(), source.Get());
                if (old && !inPlace) DeleteFromChild(c, !toOther, old.Get());
                // A field node's side is the animal itself, which stays.
                if (c.GetStateKind() != 6) c.SetSide(replaced, nullptr);
                if (!inPlace) InsertFromChild(c, toOther, source.Get());
                break;
            }
            case ACTION_MERGE:
                c.ApplyChanges(ctx);
                break;
            default:  // Skip, Unknown
                break;
        }
    }
}

int32_t AssessStamps(const COleDateTime& mine, const COleDateTime& theirs, const CMergeContext& ctx) {
    using S = COleDateTime;
    const S& ref = ctx.reference;
    auto same = [](const S& a, const S& b) {
        if (a.GetStatus() != b.GetStatus()) return false;
        return a.GetStatus() == S::null || (a.GetStatus() == S::valid && a.m_dt == b.m_dt);
    };
    auto later = [&](const S& s) {
        return s.GetStatus() == S::valid && ref.GetStatus() == S::valid && s.m_dt > ref.m_dt - ctx.window;
    };
    auto atOrBefore = [&](const S& s) {
        if (s.GetStatus() == S::null && ref.GetStatus() == S::null) return true;
        return s.GetStatus() == S::valid && ref.GetStatus() == S::valid && !later(s);
    };
    if (same(mine, theirs)) return STATE_UP_TO_DATE;
    if (later(mine) && atOrBefore(theirs)) return STATE_OVERWRITE_THERE;
    if (later(theirs) && atOrBefore(mine)) return STATE_OVERWRITE_HERE;
    return STATE_UNDECIDED;
}

// ---- records -------------------------------------------------------------------------------------

CRefPtr<CObject> CopyRecord(const CObject& record) {
    std::vector<uint8_t> bytes;
    {
        CArchive out(bytes, CArchive::store);
        out.WriteObject(&record);
    }
    CArchive in{std::span<const uint8_t>(bytes)};
    return CRefPtr<CObject>::Adopt(in.ReadObject(record.GetRuntimeClass()));
}

namespace {

template <class T>
COleDateTime SortDate(const T& r);
template <>
COleDateTime SortDate(const CEweLambingData& r) {
    return r.GetDate();
}
template <>
COleDateTime SortDate(const CRamLambingData& r) {
    return r.GetDateIn();
}

// The position after every record that sorts at or before date; a null date goes last.
template <class T, class Get>
int SortedPosition(const T& record, int count, Get at) {
    const COleDateTime date = SortDate(record);
    if (date.GetStatus() != COleDateTime::valid) return count;
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const COleDateTime d = SortDate(*at(mid));
        if (d.GetStatus() == COleDateTime::valid && d.m_dt <= date.m_dt)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace

void InsertLambingSorted(CSheep& sheep, CRefPtr<CObject> record) {
    if (auto* lambing = dynamic_cast<CEweLambingData*>(record.Get())) {
        const int at =
            SortedPosition(*lambing, sheep.GetLambingCount(), [&](int i) { return sheep.GetLambingAt(i); });
        sheep.InsertLambingRecord(at, CRefPtr<CEweLambingData>(lambing));
    } else if (auto* tupping = dynamic_cast<CRamLambingData*>(record.Get())) {
        const int at =
            SortedPosition(*tupping, sheep.GetTuppingCount(), [&](int i) { return sheep.GetTuppingAt(i); });
        sheep.InsertTuppingRecord(at, CRefPtr<CRamLambingData>(tupping));
    }
}

// ---- root ----------------------------------------------------------------------------------------

COleDateTime CDocumentStateInfo::ReferenceDate() const {
    const COleDateTime& mine = m_pThis->GetFile().m_date;
    const COleDateTime& theirs = m_pOther->GetFile().m_date;
    const COleDateTime& chosen = mine.GetStatus() == COleDateTime::valid ? mine : theirs;
    return chosen.GetStatus() == COleDateTime::null ? COleDateTime::GetCurrentTime() : chosen;
}

void CDocumentStateInfo::DetermineMergeState(CMergeContext& ctx) {
    CSheepDoc& mine = *m_pThis;
    CSheepDoc& theirs = *m_pOther;
    ctx.progressIndex = 0;
    ctx.progressMax = ULONG(mine.GetSheepCount() + theirs.GetSheepCount() +
                            mine.GetStores().Addresses().size() + theirs.GetStores().Addresses().size());
    ctx.reference = ReferenceDate();
    if (ctx.window < 0) ctx.window = LocalUtcDistance(ctx.reference);
    const WString loading = QString(IDS_LOADING);

    auto keep = [this](std::unique_ptr<CStateInfo> node) {
        if (node->GetAssessedState() != STATE_UP_TO_DATE) AppendChild(std::move(node));
    };

    // Animals: matched by tattoo without regard to case, as the flock is searched.
    std::vector<bool> matched(size_t(theirs.GetSheepCount()), false);
    for (int i = 0; i < mine.GetSheepCount(); ++i) {
        ctx.Step();
        CSheep* sheep = mine.GetSheepAt(i);
        auto node = std::make_unique<CSheepStateInfo>(this);
        node->SetSide(SIDE_THIS, sheep);
        ctx.SetText(FormatPlaceholders(loading, {sheep->GetTattoo()}));
        int at = -1;
        if (theirs.FindSheepIndex(sheep->GetTattoo(), &at)) {
            node->SetSide(SIDE_OTHER, theirs.GetSheepAt(at));
            node->DetermineInitialMergeState(ctx);
            matched[size_t(at)] = true;
        } else {
            node->SetAssessedState(STATE_ADD_THERE);
        }
        keep(std::move(node));
    }
    for (int i = 0; i < theirs.GetSheepCount(); ++i) {
        ctx.Step();
        if (matched[size_t(i)]) continue;
        CSheep* sheep = theirs.GetSheepAt(i);
        auto node = std::make_unique<CSheepStateInfo>(this);
        node->SetSide(SIDE_OTHER, sheep);
        node->SetAssessedState(STATE_ADD_HERE);
        ctx.SetText(FormatPlaceholders(loading, {sheep->GetTattoo()}));
        keep(std::move(node));
    }

    // Signet entries and addresses: matched by their map key.
    auto pairMaps = [&](const auto& mineMap, const auto& theirMap, auto makeNode, bool counted) {
        std::vector<WString> matchedKeys;
        for (const auto& [key, record] : mineMap) {
            if (counted) ctx.Step();
            auto node = makeNode(key);
            node->SetSide(SIDE_THIS, record.Get());
            ctx.SetText(FormatPlaceholders(loading, {node->GetTitle()}));
            auto other = theirMap.find(key);
            if (other != theirMap.end()) {
                node->SetSide(SIDE_OTHER, other->second.Get());
                node->DetermineInitialMergeState(ctx);
                matchedKeys.push_back(key);
            } else {
                node->SetAssessedState(STATE_ADD_THERE);
            }
            keep(std::move(node));
        }
        for (const auto& [key, record] : theirMap) {
            if (counted) ctx.Step();
            if (std::find(matchedKeys.begin(), matchedKeys.end(), key) != matchedKeys.end()) continue;
            auto node = makeNode(key);
            node->SetSide(SIDE_OTHER, record.Get());
            node->SetAssessedState(STATE_ADD_HERE);
            ctx.SetText(FormatPlaceholders(loading, {node->GetTitle()}));
            keep(std::move(node));
        }
    };
    pairMaps(
        mine.GetStores().SignetAverages(), theirs.GetStores().SignetAverages(),
        [this](const WString& key) { return std::make_unique<CSignetStateInfo>(this, key); }, false);
    pairMaps(
        mine.GetStores().Addresses(), theirs.GetStores().Addresses(),
        [this](const WString& key) { return std::make_unique<CAddressStateInfo>(this, key); }, true);
}

void CDocumentStateInfo::DeleteFromChild(CStateInfo& child, bool inThisCopy, CObject* object) {
    ForgetSharedEIDs();
    CSheepDoc& doc = *(inThisCopy ? m_pThis : m_pOther);
    if (auto* sheep = dynamic_cast<CSheep*>(object)) {
        int at = -1;
        if (doc.FindSheepIndex(sheep->GetTattoo(), &at)) doc.DeleteSheep(at);
    } else if (dynamic_cast<CAddress*>(object)) {
        doc.GetStores().DeleteAddress(static_cast<CKeyedStateInfo&>(child).GetKey());
    } else if (dynamic_cast<CSignetData*>(object)) {
        doc.GetStores().SignetAverages().erase(static_cast<CKeyedStateInfo&>(child).GetKey());
    }
    doc.SetModifiedFlag();
}

bool CDocumentStateInfo::ReplaceFromChild(CStateInfo&, bool inOtherCopy, CObject* old, CObject* object) {
    auto* oldSheep = dynamic_cast<CSheep*>(old);
    auto* source = dynamic_cast<CSheep*>(object);
    if (!oldSheep || !source) return false;
    CSheepDoc& doc = *(inOtherCopy ? m_pOther : m_pThis);
    const WString& key = source->GetTattoo();
    int at = -1;
    if (!doc.FindSheepIndex(oldSheep->GetTattoo(), &at) ||
        !EqualsNoCase(doc.GetSheepAt(at)->GetTattoo(), key))
        return false;
    // Only a key held once is sure to come back to the same place when deleted and added again.
    const auto sameKey = [&](int i) {
        return i >= 0 && i < doc.GetSheepCount() && EqualsNoCase(doc.GetSheepAt(i)->GetTattoo(), key);
    };
    if (sameKey(at - 1) || sameKey(at + 1)) return false;
    std::optional<std::unordered_set<uint64_t>>& shared = m_sharedEIDs[inOtherCopy ? 1 : 0];
    if (!shared) {
        shared.emplace();
        std::unordered_set<uint64_t> seen;
        for (int i = 0; i < doc.GetSheepCount(); ++i)
            if (const uint64_t eid = doc.GetSheepAt(i)->GetElectronicID(); eid && !seen.insert(eid).second)
                shared->insert(eid);
    }
    const uint64_t eid = doc.GetSheepAt(at)->GetElectronicID();
    CRefPtr<CObject> copy = CopyRecord(*object);
    auto* sheep = static_cast<CSheep*>(copy.Detach());
    doc.ReplaceSheep(at, sheep, !shared->contains(eid));
    // An animal that came with another EID may have joined its holders.
    if (sheep->GetElectronicID() != eid) shared.reset();
    doc.SetModifiedFlag();
    return true;
}

void CDocumentStateInfo::InsertFromChild(CStateInfo& child, bool intoOtherCopy, CObject* object) {
    ForgetSharedEIDs();
    CSheepDoc& doc = *(intoOtherCopy ? m_pOther : m_pThis);
    if (dynamic_cast<CSheep*>(object)) {
        CRefPtr<CObject> copy = CopyRecord(*object);
        auto* sheep = static_cast<CSheep*>(copy.Detach());
        if (doc.AddSheep(sheep, false) < 0) sheep->Release();
    } else if (dynamic_cast<CAddress*>(object)) {
        CRefPtr<CObject> copy = CopyRecord(*object);
        doc.GetStores().SetAddressAt(static_cast<CKeyedStateInfo&>(child).GetKey(),
                                     CRefPtr<CAddress>(static_cast<CAddress*>(copy.Get())));
    } else if (dynamic_cast<CSignetData*>(object)) {
        CRefPtr<CObject> copy = CopyRecord(*object);
        doc.GetStores().SignetAverages()[static_cast<CKeyedStateInfo&>(child).GetKey()] =
            CRefPtr<CSignetData>(static_cast<CSignetData*>(copy.Get()));
    }
    doc.SetModifiedFlag();
}
