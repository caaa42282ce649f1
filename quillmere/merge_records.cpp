// How each kind of record in the merge tree assesses itself, shows itself, and takes or gives up
// the records below it.
#include <algorithm>

#include "document/sheep_doc.h"
#include "platform/strings.h"
#include "quillmere/merge_tree.h"
#include "records/address.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

constexpr unsigned IDS_NAME_SEX = 8;
constexpr unsigned IDS_UNKNOWN_NAME = 9;
constexpr unsigned IDS_RAM = 10;
constexpr unsigned IDS_EWE = 11;
constexpr unsigned IDS_LAMBING_DATA = 28;
constexpr unsigned IDS_IN_LAMB = 29;
constexpr unsigned IDS_FAILED_TO_LAMB = 30;
constexpr unsigned IDS_LAMBED_ON = 31;
constexpr unsigned IDS_TUPPED = 32;
constexpr unsigned IDS_INSEMINATED = 33;
constexpr unsigned IDS_ADDRESS_CODE = 34;
constexpr unsigned IDS_SIGNET_DATA = 35;
constexpr unsigned IDS_SIGNET_KEY = 36;

WString QString(unsigned id) {
    return LoadCvlString(CvlStringTable::Quillmere, id);
}

// printf-style "%s" and "%d" in order.
WString FormatPrintf(WString format, const std::vector<WString>& args) {
    WString out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && (format[i + 1] == u's' || format[i + 1] == u'd')) {
            if (next < args.size()) out += args[next++];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

WString Number(long long n) {
    return Utf8ToW(std::to_string(n));
}

COleDateTime EditedOf(const CObject* r) {
    if (auto* e = dynamic_cast<const CEvent*>(r)) return e->GetEdited();
    if (auto* l = dynamic_cast<const CEweLambingData*>(r)) return l->GetEdited();
    if (auto* t = dynamic_cast<const CRamLambingData*>(r)) return t->GetEdited();
    if (auto* a = dynamic_cast<const CAddress*>(r)) return a->GetEdited();
    if (auto* s = dynamic_cast<const CSignetData*>(r)) return s->m_dtEdited;
    if (auto* sh = dynamic_cast<const CSheep*>(r)) return sh->GetEdited();
    return COleDateTime(0.0);
}

COleDateTime CreatedOf(const CObject* r) {
    if (auto* e = dynamic_cast<const CEvent*>(r)) return e->GetCreated();
    if (auto* l = dynamic_cast<const CEweLambingData*>(r)) return l->GetCreated();
    if (auto* t = dynamic_cast<const CRamLambingData*>(r)) return t->GetCreated();
    return COleDateTime(0.0);
}

bool SameStamp(const COleDateTime& a, const COleDateTime& b) {
    if (a.GetStatus() != b.GetStatus()) return false;
    return a.GetStatus() == COleDateTime::null || (a.GetStatus() == COleDateTime::valid && a.m_dt == b.m_dt);
}

// One list of an animal's records (events, lambings or tuppings) as the matching sees it.
struct CRecordList {
    std::vector<CObject*> records;
};

CRecordList EventsOf(const CSheep& s) {
    CRecordList l;
    for (int i = 0; i < s.GetEventCount(); ++i) l.records.push_back(s.GetEventAt(i));
    return l;
}
CRecordList LambingsOf(const CSheep& s) {
    CRecordList l;
    for (int i = 0; i < s.GetLambingCount(); ++i) l.records.push_back(s.GetLambingAt(i));
    return l;
}
CRecordList TuppingsOf(const CSheep& s) {
    CRecordList l;
    for (int i = 0; i < s.GetTuppingCount(); ++i) l.records.push_back(s.GetTuppingAt(i));
    return l;
}

// Records made in the same second (a lamb's wizard events, an imported animal's events) share a
// Created stamp: each pairs with one not yet paired, the same event code first, in list order.
int FindPartner(const CObject* mine, const CRecordList& theirs, const std::vector<bool>& taken) {
    const COleDateTime created = CreatedOf(mine);
    const auto* event = dynamic_cast<const CEvent*>(mine);
    int fallback = -1;
    for (size_t i = 0; i < theirs.records.size(); ++i) {
        if (taken[i] || !SameStamp(CreatedOf(theirs.records[i]), created)) continue;
        const auto* other = dynamic_cast<const CEvent*>(theirs.records[i]);
        if (!event || (other && other->GetCode() == event->GetCode())) return int(i);
        if (fallback < 0) fallback = int(i);
    }
    return fallback;
}

template <class Node>
void PairRecords(CSheepStateInfo& animal, const CRecordList& mine, const CRecordList& theirs,
                 CMergeContext& ctx, std::vector<std::unique_ptr<CStateInfo>>& out) {
    std::vector<bool> taken(theirs.records.size(), false);
    for (CObject* record : mine.records) {
        auto node = std::make_unique<Node>(&animal);
        node->SetSide(SIDE_THIS, record);
        const int at = FindPartner(record, theirs, taken);
        if (at >= 0) {
            taken[size_t(at)] = true;
            node->SetSide(SIDE_OTHER, theirs.records[size_t(at)]);
            node->DetermineInitialMergeState(ctx);
        } else {
            node->SetAssessedState(STATE_ADD_THERE);
        }
        out.push_back(std::move(node));
    }
    for (size_t i = 0; i < theirs.records.size(); ++i) {
        if (taken[i]) continue;
        auto node = std::make_unique<Node>(&animal);
        node->SetSide(SIDE_OTHER, theirs.records[i]);
        node->SetAssessedState(STATE_ADD_HERE);
        out.push_back(std::move(node));
    }
}

CDocumentStateInfo* RootOf(const CStateInfo* node) {
    while (node && node->GetParent()) node = node->GetParent();
    return dynamic_cast<CDocumentStateInfo*>(const_cast<CStateInfo*>(node));
}

}  // namespace

// ---- animal --------------------------------------------------------------------------------------

CSheep* CSheepStateInfo::GetSheep(int side) const {
    return static_cast<CSheep*>(GetSide(side));
}

const std::vector<unsigned>& CSheepStateInfo::ComparedFields() {
    // Comments and the breed flags come last: a change to them on one side must reach the other.
    static const std::vector<unsigned> fields = [] {
        std::vector<unsigned> f = {SF_NAME, SF_SIRE, SF_DAM, SF_ONE_OF, SF_SEX};
        for (unsigned id = 16; id <= 30; ++id) f.push_back(id);
        f.push_back(SF_COMMENTS);
        for (unsigned id = SF_FLAG_FIRST; id <= SF_FLAG_LAST; ++id) f.push_back(id);
        return f;
    }();
    return fields;
}

void CSheepStateInfo::DetermineInitialMergeState(CMergeContext& ctx) {
    CSheep* mine = GetSheep(SIDE_THIS);
    CSheep* theirs = GetSheep(SIDE_OTHER);
    const int32_t byStamp = AssessStamps(mine->GetEdited(), theirs->GetEdited(), ctx);
    if (byStamp != STATE_UNDECIDED) {
        SetAssessedState(byStamp);
        return;
    }
    SetAssessedState(STATE_UP_TO_DATE);
    std::vector<std::unique_ptr<CStateInfo>> nodes;
    PairRecords<CEventStateInfo>(*this, EventsOf(*mine), EventsOf(*theirs), ctx, nodes);
    PairRecords<CEweLambingDataStateInfo>(*this, LambingsOf(*mine), LambingsOf(*theirs), ctx, nodes);
    PairRecords<CRamLambingDataStateInfo>(*this, TuppingsOf(*mine), TuppingsOf(*theirs), ctx, nodes);
    for (unsigned id : ComparedFields()) {
        auto field = std::make_unique<CStaticStateInfo>(this, id);
        field->SetSide(SIDE_THIS, mine);
        field->SetSide(SIDE_OTHER, theirs);
        field->DetermineInitialMergeState(ctx);
        nodes.push_back(std::move(field));
    }
    for (auto& node : nodes) {
        CombineState(true, node->GetAssessedState());
        if (node->GetAssessedState() != STATE_UP_TO_DATE) AppendChild(std::move(node));
    }
    // A whole animal is never added where it exists: it replaces the other.
    if ((m_nAssessed & STATE_ACTION_MASK) == ACTION_ADD)
        m_nAssessed = (m_nAssessed & ~STATE_ACTION_MASK) | ACTION_OVERWRITE;
    m_nCurrent = m_nAssessed;
}

WString CSheepStateInfo::GetTitle() const {
    CSheep* s = GetSheep(SIDE_THIS) ? GetSheep(SIDE_THIS) : GetSheep(SIDE_OTHER);
    return s ? s->GetTattoo() : WString();
}

WString CSheepStateInfo::GetTooltip(int side) const {
    CSheep* s = GetSheep(side);
    if (!s) return {};
    const WString name = s->GetName().empty() ? QString(IDS_UNKNOWN_NAME) : s->GetName();
    return FormatPlaceholders(QString(IDS_NAME_SEX),
                              {name, QString(s->GetSex() == SEX_RAM ? IDS_RAM : IDS_EWE)});
}

COleDateTime CSheepStateInfo::GetModificationTime(int side) const {
    CSheep* s = GetSheep(side);
    return s ? s->GetEdited() : COleDateTime(0.0);
}

void CSheepStateInfo::DeleteFromChild(CStateInfo&, bool inThisCopy, CObject* object) {
    CSheep* target = GetSheep(inThisCopy ? SIDE_THIS : SIDE_OTHER);
    if (!target) return;
    auto removeFrom = [&](int count, auto at, auto remove) {
        for (int i = 0; i < count; ++i)
            if (at(i) == object) return remove(i), true;
        return false;
    };
    if (dynamic_cast<CEvent*>(object)) {
        removeFrom(
            target->GetEventCount(), [&](int i) { return static_cast<CObject*>(target->GetEventAt(i)); },
            [&](int i) { target->RemoveEventAt(i, true); });
    } else if (dynamic_cast<CEweLambingData*>(object)) {
        removeFrom(
            target->GetLambingCount(), [&](int i) { return static_cast<CObject*>(target->GetLambingAt(i)); },
            [&](int i) { target->RemoveLambingAt(i); });
    } else if (dynamic_cast<CRamLambingData*>(object)) {
        removeFrom(
            target->GetTuppingCount(), [&](int i) { return static_cast<CObject*>(target->GetTuppingAt(i)); },
            [&](int i) { target->RemoveTuppingAt(i); });
    }
}

void CSheepStateInfo::InsertFromChild(CStateInfo& child, bool intoOtherCopy, CObject* object) {
    CSheep* target = GetSheep(intoOtherCopy ? SIDE_OTHER : SIDE_THIS);
    if (!target) return;
    if (auto* source = dynamic_cast<CSheep*>(object)) {
        if (auto* field = dynamic_cast<CStaticStateInfo*>(&child)) {
            target->CopyFieldFrom(*source, field->GetFieldId());
            if (auto* document = dynamic_cast<CDocumentStateInfo*>(GetParent())) document->ForgetSharedEIDs();
        }
    } else if (dynamic_cast<CEvent*>(object)) {
        CRefPtr<CObject> copy = CopyRecord(*object);
        auto* event = static_cast<CEvent*>(copy.Get());
        try {
            target->AddEvent(event, false);
            copy.Detach();
        } catch (...) {
            // The animal refused it (an event it cannot take): the copy goes.
        }
    } else if (dynamic_cast<CEweLambingData*>(object) || dynamic_cast<CRamLambingData*>(object)) {
        InsertLambingSorted(*target, CopyRecord(*object));
    }
}

// ---- single field --------------------------------------------------------------------------------

void CStaticStateInfo::DetermineInitialMergeState(CMergeContext&) {
    const WString mine = static_cast<CSheep*>(GetSide(SIDE_THIS))->GetFieldText(m_nFieldId);
    const WString theirs = static_cast<CSheep*>(GetSide(SIDE_OTHER))->GetFieldText(m_nFieldId);
    if (mine == theirs)
        SetAssessedState(STATE_UP_TO_DATE);
    else if (mine.empty())
        SetAssessedState(STATE_OVERWRITE_HERE);
    else if (theirs.empty())
        SetAssessedState(STATE_OVERWRITE_THERE);
    else {
        SetAssessedState(STATE_UNDECIDED);
        AddOpenItem();
    }
}

WString CStaticStateInfo::GetTitle() const {
    WString caption;
    if (CDocumentStateInfo* root = RootOf(this); root && root->GetDocument(SIDE_THIS))
        root->GetDocument(SIDE_THIS)->GetFieldCaption(int(m_nFieldId), caption);
    return caption;
}

WString CStaticStateInfo::GetTooltip(int side) const {
    auto* s = static_cast<CSheep*>(GetSide(side));
    return s ? s->GetFieldText(m_nFieldId) : WString();
}

COleDateTime CStaticStateInfo::GetModificationTime(int side) const {
    auto* s = static_cast<CSheep*>(GetSide(side));
    return s ? s->GetEdited() : COleDateTime(0.0);
}

// ---- events, lambing and tupping records ---------------------------------------------------------

void CChildRecordStateInfo::DetermineInitialMergeState(CMergeContext& ctx) {
    SetAssessedState(AssessStamps(EditedOf(GetSide(SIDE_THIS)), EditedOf(GetSide(SIDE_OTHER)), ctx));
    if (m_nAssessed == STATE_UNDECIDED) AddOpenItem();
}

COleDateTime CChildRecordStateInfo::GetModificationTime(int side) const {
    return GetSide(side) ? EditedOf(GetSide(side)) : COleDateTime(0.0);
}

WString CEventStateInfo::GetTitle() const {
    auto* e = static_cast<CEvent*>(GetSide(SIDE_THIS) ? GetSide(SIDE_THIS) : GetSide(SIDE_OTHER));
    return e ? e->GetEventName() : WString();
}

WString CEventStateInfo::GetTooltip(int side) const {
    auto* e = static_cast<CEvent*>(GetSide(side));
    return e ? e->FormatText(true) : WString();
}

WString CEweLambingDataStateInfo::GetTitle() const {
    return QString(IDS_LAMBING_DATA);
}

WString CEweLambingDataStateInfo::GetTooltip(int side) const {
    auto* l = static_cast<CEweLambingData*>(GetSide(side));
    if (!l) return {};
    switch (l->GetMethod()) {
        case LAMBING_TUPPED:
            return QString(IDS_IN_LAMB);
        case LAMBING_FAILED:
            return QString(IDS_FAILED_TO_LAMB);
        default:
            return FormatPrintf(QString(IDS_LAMBED_ON),
                                {l->GetDate().Format("%x"), Number(l->GetLambCount())});
    }
}

WString CRamLambingDataStateInfo::GetTitle() const {
    return QString(IDS_LAMBING_DATA);
}

WString CRamLambingDataStateInfo::GetTooltip(int side) const {
    auto* t = static_cast<CRamLambingData*>(GetSide(side));
    if (!t) return {};
    const unsigned id = t->GetMethod() == TUPPING_NATURAL ? IDS_TUPPED
                        : t->GetMethod() == TUPPING_AI    ? IDS_INSEMINATED
                                                          : 0;
    if (!id) return {};
    return FormatPrintf(QString(id),
                        {Number(static_cast<long long>(t->GetEwes().size())), t->GetDateIn().Format("%x")});
}

// ---- addresses and Signet entries ----------------------------------------------------------------

void CKeyedStateInfo::DetermineInitialMergeState(CMergeContext& ctx) {
    SetAssessedState(AssessStamps(EditedOf(GetSide(SIDE_THIS)), EditedOf(GetSide(SIDE_OTHER)), ctx));
    if (m_nAssessed == STATE_UNDECIDED) AddOpenItem();
}

COleDateTime CKeyedStateInfo::GetModificationTime(int side) const {
    return GetSide(side) ? EditedOf(GetSide(side)) : COleDateTime(0.0);
}

WString CAddressStateInfo::GetTitle() const {
    auto* a = static_cast<CAddress*>(GetSide(SIDE_THIS) ? GetSide(SIDE_THIS) : GetSide(SIDE_OTHER));
    return a ? a->GetDisplayName() : WString();
}

WString CAddressStateInfo::GetTooltip(int side) const {
    return GetSide(side) ? FormatPlaceholders(QString(IDS_ADDRESS_CODE), {GetKey()}) : WString();
}

WString CSignetStateInfo::GetTitle() const {
    return FormatPrintf(QString(IDS_SIGNET_DATA), {KeyText(GetKey())});
}

WString CSignetStateInfo::KeyText(const WString& key) {
    const WString year = key.substr(0, 4);
    const bool ewes = key.size() > 4 && key[4] == u'E';
    return FormatPrintf(QString(IDS_SIGNET_KEY), {year, QString(ewes ? IDS_EWE : IDS_RAM)});
}
