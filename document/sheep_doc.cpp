#include "document/sheep_doc.h"

#include <algorithm>
#include <stdexcept>

#include "document/doc_commands.h"
#include "document/midpoint_search.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/electronic_id.h"
#include "records/event.h"
#include "records/record_interfaces.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_OVERWRITE_SHEEP = 1040;
CVL_MESSAGE_HELP(IDS_OVERWRITE_SHEEP);
constexpr unsigned IDS_UPDATING_PARAMETERS = 52;
const char16_t kDefaultEartagTemplate[] = u"{nnn}";

WString EarTagKey(const CSheep& sheep) {
    return CEarTagIndex::MakeKey(sheep.GetEartagColour(), sheep.GetEartagNumber());
}

}  // namespace

CSheepDoc::CSheepDoc() {
    RegisterDocumentClipboardFormats();
    m_farmDetails[FARM_EARTAG_TEMPLATE] = kDefaultEartagTemplate;
}

CSheepDoc::~CSheepDoc() {
    for (auto& sheep : m_flock) sheep->SetDocument(nullptr);
    m_flock.clear();
    UnloadBreedPlugIn();
}

// ---- views ------------------------------------------------------------------------------------------

void CSheepDoc::AddView(CDocView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.push_back(view);
}

void CSheepDoc::RemoveView(CDocView* view) {
    std::erase(m_views, view);
}

void CSheepDoc::UpdateAllViews(CDocView* sender, uint32_t hint, CObject* hintObject) {
    // A view may close itself on an update: walk a copy.
    std::vector<CDocView*> views = m_views;
    for (CDocView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint, hintObject);
}

// ---- queries ----------------------------------------------------------------------------------------

CSheep* CSheepDoc::GetSheepAt(int index) const {
    if (index == -1) return nullptr;
    if (index < 0 || index >= GetSheepCount()) throw std::invalid_argument("no animal at that index");
    return m_flock[size_t(index)].Get();
}

bool CSheepDoc::FindSheepIndex(const WString& key, int* index) const {
    // An import or a download adds animals mostly in key order: past the last, no search is needed.
    if (!m_flock.empty() && CompareNoCase(key, m_flock.back()->GetTattoo()) > 0) {
        *index = GetSheepCount();
        return false;
    }
    CCvlWaitCursor wait;
    CMidpointResult r = MidpointSearch(
        GetSheepCount(), [&](int i) { return CompareNoCase(key, m_flock[size_t(i)]->GetTattoo()); });
    *index = r.found || r.cmp <= 0 ? r.mid : r.mid + 1;
    return r.found;
}

CSheep* CSheepDoc::FindSheep(const WString& key, int* index) const {
    int at = 0;
    bool found = FindSheepIndex(key, &at);
    if (index) *index = at;
    return found ? m_flock[size_t(at)].Get() : nullptr;
}

CSheep* CSheepDoc::FindSheep(const WString& key) const {
    return FindSheep(key, nullptr);
}

bool CSheepDoc::FindEarTagRange(const WString& colour, const WString& number, int* first, int* count) const {
    return m_earTags.FindRange(CEarTagIndex::MakeKey(colour, number), first, count);
}

bool CSheepDoc::GetEarTagNames(const WString& colour, const WString& number,
                               std::vector<WString>* names) const {
    names->clear();
    int first = 0, count = 0;
    if (!FindEarTagRange(colour, number, &first, &count)) return false;
    for (int i = first; i < first + count; ++i) names->push_back(m_earTags.Entries()[size_t(i)].m_strTattoo);
    return true;
}

bool CSheepDoc::LookupTattooByEID(uint64_t eid, WString* tattoo) const {
    auto it = m_eidMap.find(eid);
    if (it == m_eidMap.end()) return false;
    *tattoo = it->second;
    return true;
}

bool CSheepDoc::IsEIDHeldByOther(uint64_t eid, const WString& key, WString* holder) const {
    if (eid == 0) return false;
    WString tattoo;
    if (!LookupTattooByEID(eid, &tattoo) || EqualsNoCase(tattoo, key)) return false;
    // An entry left by an animal that was made but never filed names nobody.
    const CSheep* other = FindSheep(tattoo);
    if (other == nullptr || other->GetElectronicID() != eid) return false;
    if (holder) *holder = tattoo;
    return true;
}

// ---- changes ----------------------------------------------------------------------------------------

void CSheepDoc::InsertAt(int index, CSheep* sheep) {
    m_flock.insert(m_flock.begin() + index, CRefPtr<CSheep>::Adopt(sheep));
    // The current animal and the history keep naming the animals they named.
    if (m_nCurrent >= index) ++m_nCurrent;
    m_history.OnInserted(index);
}

void CSheepDoc::FileSheep(CSheep* sheep) {
    m_earTags.Insert(EarTagKey(*sheep), sheep->GetTattoo());
    if (sheep->GetElectronicID() != 0) m_eidMap[sheep->GetElectronicID()] = sheep->GetTattoo();
}

void CSheepDoc::SetCurrent(int index) {
    if (index < 0 || index >= GetSheepCount()) {
        m_nCurrent = -1;
        m_strCurrent.clear();
        return;
    }
    m_nCurrent = index;
    m_strCurrent = m_flock[size_t(index)]->GetTattoo();
}

void CSheepDoc::RecordCurrent() {
    if (m_nCurrent != -1) m_history.Record(m_nCurrent);
}

int CSheepDoc::AddSheep(CSheep* sheep, bool makeCurrent) {
    IFlockDocument* previousOwner = sheep->GetDocument();
    sheep->SetDocument(this);
    const WString& key = sheep->GetTattoo();
    int index = 0;
    if (FindSheepIndex(key, &index)) {
        CSheep* existing = m_flock[size_t(index)].Get();
        if (CvlMessageBox(IDS_OVERWRITE_SHEEP, {key, m_strTitle}, MB_YESNO | MB_ICONQUESTION | MB_HELP) !=
            IDYES) {
            // The new animal may have filed its EID under the existing key while it was being made;
            // the map goes back to naming only what the flock holds.
            uint64_t eid = sheep->GetElectronicID();
            auto it = eid ? m_eidMap.find(eid) : m_eidMap.end();
            if (it != m_eidMap.end() && EqualsNoCase(it->second, key)) {
                if (existing->GetElectronicID() == eid)
                    it->second = existing->GetTattoo();
                else
                    m_eidMap.erase(it);
            }
            sheep->SetDocument(previousOwner);
            return -1;
        }
        DeleteSheep(index);
        FindSheepIndex(key, &index);
    }
    // An EID new to the flock (most of a large import's) is filed in the one look-up that finds it new.
    const uint64_t eid = sheep->GetElectronicID();
    const bool newEID = eid != 0 && m_eidMap.try_emplace(eid, key).second;
    if (WString holder; !newEID && IsEIDHeldByOther(eid, key, &holder)) {
        m_droppedEIDs.push_back({key, eid, holder});
        sheep->StoreElectronicID(0);
    }
    try {
        InsertAt(index, sheep);
    } catch (...) {
        if (newEID) m_eidMap.erase(eid);
        throw;
    }
    FileSheep(sheep);
    if (m_nEIDReports == 0) TellDroppedEIDs();
    if (makeCurrent) {
        RecordCurrent();
        SetCurrent(index);
        UpdateAllViews(nullptr, HINT_SHEEP, sheep);
    }
    SetModifiedFlag();
    return index;
}

void CSheepDoc::UnfileSheep(const CSheep& sheep, bool searchOthers) {
    // Only the entry that names this animal goes: another animal may have filed the same EID since.
    uint64_t eid = sheep.GetElectronicID();
    auto it = eid ? m_eidMap.find(eid) : m_eidMap.end();
    if (it != m_eidMap.end() && EqualsNoCase(it->second, sheep.GetTattoo())) {
        m_eidMap.erase(it);
        // A file written before EIDs were kept to one animal may give the same EID to another.
        if (searchOthers)
            for (const auto& other : m_flock)
                if (other.Get() != &sheep && other->GetElectronicID() == eid) {
                    m_eidMap[eid] = other->GetTattoo();
                    break;
                }
    }
    m_earTags.Remove(EarTagKey(sheep), sheep.GetTattoo());
}

void CSheepDoc::DeleteSheep(int index) {
    CSheep* sheep = GetSheepAt(index);
    if (!sheep) throw std::invalid_argument("no animal at that index");
    UnfileSheep(*sheep);

    int previous = m_nCurrent == index ? -1 : (m_nCurrent > index ? m_nCurrent - 1 : m_nCurrent);
    CRefPtr<CSheep> removed = std::move(m_flock[size_t(index)]);
    m_flock.erase(m_flock.begin() + index);
    m_flock.shrink_to_fit();
    m_history.OnRemoved(index);
    removed->SetDocument(nullptr);
    removed.Reset();

    if (m_flock.empty()) {
        SetCurrent(-1);
    } else {
        if (previous != -1) m_history.Record(previous);
        SetCurrent(index > 0 ? index - 1 : 0);
    }
    SetModifiedFlag();
    UpdateAllViews(nullptr, HINT_SHEEP, nullptr);
}

void CSheepDoc::ReplaceSheep(int index, CSheep* sheep, bool eidNotShared) {
    CSheep* old = GetSheepAt(index);
    if (!old || !EqualsNoCase(old->GetTattoo(), sheep->GetTattoo()))
        throw std::invalid_argument("the new animal does not take that place");
    // What DeleteSheep(index) leaves, without closing the gap the new animal fills again.
    UnfileSheep(*old, !eidNotShared);
    const int count = GetSheepCount();
    int previous = m_nCurrent == index ? -1 : (m_nCurrent > index ? m_nCurrent - 1 : m_nCurrent);
    CRefPtr<CSheep> removed = std::move(m_flock[size_t(index)]);
    m_flock[size_t(index)] = CRefPtr<CSheep>::Adopt(sheep);
    m_history.OnRemoved(index);
    removed->SetDocument(nullptr);
    removed.Reset();
    if (count == 1) {
        SetCurrent(-1);
    } else {
        if (previous != -1) m_history.Record(previous);
        // The deletion's current animal is the one before, else the one after the gap.
        SetCurrent(index > 0 ? index - 1 : 1);
        if (index == 0) m_nCurrent = 0;
    }
    SetModifiedFlag();
    UpdateAllViews(nullptr, HINT_SHEEP, nullptr);

    // What AddSheep(sheep, false) then does with the key no longer in the flock.
    sheep->SetDocument(this);
    if (WString holder; IsEIDHeldByOther(sheep->GetElectronicID(), sheep->GetTattoo(), &holder)) {
        m_droppedEIDs.push_back({sheep->GetTattoo(), sheep->GetElectronicID(), holder});
        sheep->StoreElectronicID(0);
    }
    if (m_nCurrent >= index) ++m_nCurrent;
    m_history.OnInserted(index);
    FileSheep(sheep);
    if (m_nEIDReports == 0) TellDroppedEIDs();
    SetModifiedFlag();
}

void CSheepDoc::UpdateEarTagIndex(CSheep* sheep, const WString& colour, const WString& number) {
    if (sheep->GetEartagColour() == colour && sheep->GetEartagNumber() == number) return;
    int index = 0;
    bool inFlock = FindSheepIndex(sheep->GetTattoo(), &index) && m_flock[size_t(index)].Get() == sheep;
    if (inFlock) m_earTags.Remove(EarTagKey(*sheep), sheep->GetTattoo());
    sheep->StoreEarTag(colour, number);
    if (!inFlock) return;
    m_earTags.Insert(CEarTagIndex::MakeKey(colour, number), sheep->GetTattoo());
    SetModifiedFlag();
}

void CSheepDoc::TellDroppedEIDs() {
    if (m_droppedEIDs.empty()) return;
    WString text =
        u"These animals were added without their electronic ID, because another animal already "
        u"holds it:\n";
    constexpr size_t kListed = 20;
    for (size_t i = 0; i < m_droppedEIDs.size() && i < kListed; ++i) {
        const DroppedEID& d = m_droppedEIDs[i];
        text += u"\n" + d.tattoo + u": " + FormatElectronicID(d.eid) + u" (" + d.holder + u")";
    }
    if (m_droppedEIDs.size() > kListed)
        text += FormatW("\n... and %zu more.", m_droppedEIDs.size() - kListed);
    m_droppedEIDs.clear();
    CvlMessageBoxText(text, MB_OK | MB_ICONEXCLAMATION);
}

CDroppedEIDReport::~CDroppedEIDReport() {
    if (--m_doc.m_nEIDReports > 0) return;
    try {
        m_doc.TellDroppedEIDs();
    } catch (...) {
        // Already unwinding from a failed paste or import: its own message matters more.
    }
}

void CSheepDoc::SetEIDTattoo(uint64_t eid, const WString& tattoo) {
    m_eidMap[eid] = tattoo;
}

void CSheepDoc::RemoveEID(uint64_t eid) {
    m_eidMap.erase(eid);
}

// ---- selection and navigation ----------------------------------------------------------------------

bool CSheepDoc::SelectSheep(const WString& key, bool update, bool recordHistory, CDocView* sender) {
    int index = 0;
    if (!FindSheepIndex(key, &index)) return false;
    return SelectSheepAt(index, update, recordHistory, sender);
}

bool CSheepDoc::SelectSheepAt(int index, bool update, bool recordHistory, CDocView* sender) {
    if (recordHistory) RecordCurrent();
    SetCurrent(index);
    if (update) UpdateAllViews(sender, HINT_CURRENT, GetCurrentSheep());
    return true;
}

void CSheepDoc::OnGoBack() {
    if (!CanGoBack()) return;
    SetCurrent(m_history.GoBack());
    UpdateAllViews(nullptr, HINT_CURRENT, GetCurrentSheep());
}

void CSheepDoc::OnGoForward() {
    if (!CanGoForward()) return;
    SetCurrent(m_history.GoForward());
    UpdateAllViews(nullptr, HINT_CURRENT, GetCurrentSheep());
}

// ---- farm details -----------------------------------------------------------------------------------

WString CSheepDoc::GetDocString(uint16_t key) const {
    auto it = m_farmDetails.find(key);
    return it == m_farmDetails.end() ? WString() : it->second;
}

void CSheepDoc::SetAttribute(uint16_t key, const WString& text) {
    if (text.empty())
        m_farmDetails.erase(key);
    else
        m_farmDetails[key] = text;
}

// ---- breed plug-in ----------------------------------------------------------------------------------

int CSheepDoc::LoadBreedPlugIn(const WString& breedName, bool takeVersion) {
    return m_plugIn.Load(breedName, takeVersion);
}

void CSheepDoc::UnloadBreedPlugIn() {
    m_plugIn.Unload();
}

WString CSheepDoc::BuildTattoo(int32_t first, int32_t second, const WString& parentA,
                               const WString& parentB) {
    // Each parent's interface is held for the one call.
    CRecordInterface<ISheep> a(FindSheep(parentA), IID_ISheep);
    CRecordInterface<ISheep> b(FindSheep(parentB), IID_ISheep);
    return m_plugIn.BuildTattoo(a.Get(), b.Get(), GetDocumentDual(), first, second);
}

void CSheepDoc::BuildReportsMenu(bool alsoToolbar) {
    if (m_pReportsSite) m_plugIn.BuildReportsMenu(*m_pReportsSite, alsoToolbar);
}

int CSheepDoc::ReplaceParameterValues(const std::map<WString, WString>& oldToNew, int32_t parameterType,
                                      int32_t parameterIndex) {
    auto getCount = m_plugIn.Get<PFN_CVLGetParameterCount>("CVLGetParameterCount");
    auto getType = m_plugIn.Get<PFN_CVLGetParameterType>("CVLGetParameterType");
    CCvlHost& host = CvlGetHost();
    // Another progress already shown is not ours to step or end.
    bool progress = host.BeginProgress(IDS_UPDATING_PARAMETERS, GetSheepCount());
    int replaced = 0;
    for (auto& sheep : m_flock) {
        if (progress) host.StepProgress();
        if (!getCount || !getType) continue;
        for (int e = 0; e < sheep->GetEventCount(); ++e) {
            CEvent* event = sheep->GetEventAt(e);
            int32_t code = int32_t(event->GetCode());
            int32_t count = int32_t(getCount(code));
            std::vector<WString> parameters = event->GetParameters();
            int changed = 0;
            auto replace = [&](size_t i) {
                auto it = oldToNew.find(parameters[i]);
                if (it == oldToNew.end()) return;
                parameters[i] = it->second;
                ++changed;
            };
            if (parameterIndex >= 0) {
                if (count > parameterIndex && getType(code, parameterIndex) == parameterType &&
                    size_t(parameterIndex) < parameters.size())
                    replace(size_t(parameterIndex));
            } else if (parameterIndex == -1 && count == -1 && getType(code, -1) == parameterType) {
                for (size_t i = 0; i < parameters.size(); ++i) replace(i);
            }
            if (!changed) continue;
            event->SetParameters(std::move(parameters));
            event->SetEditedNow();
            replaced += changed;
        }
    }
    if (progress) host.EndProgress();
    if (replaced) SetModifiedFlag();
    return replaced;
}

// ---- lifecycle --------------------------------------------------------------------------------------

void CSheepDoc::DeleteContents() {
    for (auto& sheep : m_flock) sheep->SetDocument(nullptr);
    m_flock.clear();
    m_earTags.Clear();
    m_eidMap.clear();
    m_history.Clear();
    m_nCurrent = -1;
    m_strCurrent.clear();
    // The next flock must not inherit this one's address or breed.
    m_farmDetails.clear();
    m_farmDetails[FARM_EARTAG_TEMPLATE] = kDefaultEartagTemplate;
    m_stores.RemoveAll();
    UnloadBreedPlugIn();
}

// ---- stores --------------------------------------------------------------------------------------

bool CSheepDoc::GetFieldCaption(int field, WString& caption) const {
    return CDocumentStores::GetFieldCaption(field, caption, [this](int32_t flag) {
        int32_t readOnly = 0;
        return GetBreedFlag(flag, &readOnly);
    });
}

int CSheepDoc::GetColumns(const std::function<void(const WString&, uint32_t)>& insertColumn) {
    return m_stores.GetColumns(
        GetExtractionCriteria().m_nType,
        [this](int32_t flag) {
            int32_t readOnly = 0;
            return GetBreedFlag(flag, &readOnly);
        },
        insertColumn);
}

void CSheepDoc::SetColumns(const CDWordArray* columns) {
    m_stores.SetColumns(GetExtractionCriteria().m_nType, columns);
    UpdateAllViews(nullptr, HINT_COLUMNS);
}

void CSheepDoc::EnableExtractionMenu(BOOL grey) {
    if (IDocumentShell* shell = m_file.m_pShell) shell->EnableExtractionMenu(grey != FALSE);
}

int CSheepDoc::CountMatchingSheep() const {
    const CCriteria& criteria = *GetCriteria();
    return int(std::count_if(m_flock.begin(), m_flock.end(),
                             [&](const CRefPtr<CSheep>& sheep) { return sheep->MatchesCriteria(criteria); }));
}

CSignetData* CSheepDoc::GetSignetAverages(const CSheep* sheep) const {
    if (!sheep) return nullptr;
    return m_stores.GetSignetAverages(sheep->IsBornOnFarm(), sheep->GetDateofBirth(), sheep->GetSex());
}

bool CSheepDoc::LookupAddress(const WString& name, WString* displayName) const {
    CAddress* address = m_stores.LookupAddress(name);
    if (!address) return false;
    if (displayName) *displayName = address->GetDisplayName();
    return true;
}

void CSheepDoc::RebuildEarTagIndex() {
    // Filing the animals one by one in flock order gives the stable sort of their entries.
    std::vector<CEarTagHashEntry> entries;
    entries.reserve(m_flock.size());
    for (auto& sheep : m_flock) {
        WString key = EarTagKey(*sheep);
        if (!key.empty()) entries.push_back({std::move(key), sheep->GetTattoo(), -1});
    }
    m_earTags.Assign(std::move(entries));
    m_earTags.Normalize();
}

void CSheepDoc::AttachLoadedFlock(std::vector<CRefPtr<CSheep>> flock, std::vector<CEarTagHashEntry> earTags,
                                  int currentIndex) {
    for (auto& sheep : m_flock) sheep->SetDocument(nullptr);
    m_flock = std::move(flock);
    std::erase(m_flock, nullptr);
    CSheep* current =
        currentIndex >= 0 && currentIndex < GetSheepCount() ? m_flock[size_t(currentIndex)].Get() : nullptr;
    auto byKey = [](const CRefPtr<CSheep>& a, const CRefPtr<CSheep>& b) {
        return CompareNoCase(a->GetTattoo(), b->GetTattoo()) < 0;
    };
    // Files written elsewhere may have sorted with another comparison.
    bool sorted = std::is_sorted(m_flock.begin(), m_flock.end(), byKey);
    if (!sorted) std::stable_sort(m_flock.begin(), m_flock.end(), byKey);
    m_earTags.Assign(std::move(earTags));
    if (!sorted || !m_earTags.IsConsistent()) RebuildEarTagIndex();

    m_eidMap.clear();
    for (auto& sheep : m_flock) {
        sheep->SetDocument(this);
        if (sheep->GetElectronicID() != 0) m_eidMap[sheep->GetElectronicID()] = sheep->GetTattoo();
    }
    m_history.Clear();
    auto it = std::find_if(m_flock.begin(), m_flock.end(),
                           [&](const CRefPtr<CSheep>& s) { return s.Get() == current; });
    SetCurrent(current ? int(it - m_flock.begin()) : -1);
    if (m_nCurrent != -1) m_history.Record(m_nCurrent);
}
