#include "document/record_navigation.h"

#include <algorithm>

#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/sheep.h"

namespace {
constexpr unsigned IDS_CREATE_RECORD = 1017;
constexpr unsigned IDS_KEEP_TATTOO = 114;
CVL_MESSAGE_HELP(IDS_CREATE_RECORD, IDS_KEEP_TATTOO);
}  // namespace

std::vector<PageSetChange> PlanAttachedPages(const std::vector<RecordPageId>& tabs, bool hasLambing,
                                             bool hasTupping) {
    std::vector<PageSetChange> changes;
    const auto plan = [&](RecordPageId page, bool wanted) {
        const bool shown = std::find(tabs.begin(), tabs.end(), page) != tabs.end();
        if (wanted != shown) changes.push_back({wanted, page});
    };
    plan(PAGE_LAMBING, hasLambing);
    plan(PAGE_TUPPING, hasTupping);
    return changes;
}

void ApplyPageSetChanges(std::vector<RecordPageId>& tabs, const std::vector<PageSetChange>& changes) {
    for (const PageSetChange& change : changes) {
        if (change.append)
            tabs.push_back(change.page);
        else
            tabs.erase(std::remove(tabs.begin(), tabs.end(), change.page), tabs.end());
    }
}

bool CRecordNavigator::CommitBeforeMove() {
    m_port.CommitPendingEdit();
    if (m_bVeto) {
        m_bVeto = false;
        return false;
    }
    return true;
}

bool CRecordNavigator::MoveToSheep(int index) {
    if (!m_pDoc || !CommitBeforeMove()) return false;
    m_pDoc->SelectSheepAt(index, false, true, nullptr);
    m_bVeto = false;
    m_port.RefreshPages();
    return true;
}

bool CRecordNavigator::MoveByCommand(int command) {
    if (!m_pDoc) return false;
    const int target = GetNavigationTarget(command, m_pDoc->GetCurrentIndex(), m_pDoc->GetSheepCount());
    if (target < 0) return false;
    return MoveToSheep(target);
}

bool CRecordNavigator::GoBack() {
    if (!m_pDoc || !m_pDoc->CanGoBack() || !CommitBeforeMove()) return false;
    // The document tells every view, this one too.
    m_pDoc->OnGoBack();
    return true;
}

bool CRecordNavigator::GoForward() {
    if (!m_pDoc || !m_pDoc->CanGoForward() || !CommitBeforeMove()) return false;
    m_pDoc->OnGoForward();
    return true;
}

bool CRecordNavigator::GoToSheep(const WString& tattoo, int32_t sex) {
    if (!m_pDoc || !CommitBeforeMove()) return false;
    if (m_pDoc->SelectSheep(tattoo, true, true, nullptr)) return true;
    if (CvlMessageBox(IDS_CREATE_RECORD, {tattoo}, MB_YESNO | MB_ICONQUESTION | MB_HELP) != IDYES) return false;
    if (!CommitBeforeMove()) return false;
    if (!m_pDoc->IsTattooValid(tattoo) &&
        CvlMessageBox(IDS_KEEP_TATTOO, MB_YESNO | MB_ICONEXCLAMATION | MB_HELP) != IDYES)
        return false;
    auto* sheep = new CSheep(tattoo.c_str(), sex, m_pDoc);
    // The new animal becomes current, so that the view shows what was made.
    if (m_pDoc->AddSheep(sheep, true) < 0) {
        sheep->Release();
        return false;
    }
    m_port.RefreshPages();
    return true;
}

GenotypeOutcome DecideGenotype(bool leavingFirst, int first, int second) {
    if (first != 0 && second != 0) return {GenotypeOutcome::Store, first * 8 + second};
    if (first == 0 && second == 0) return {GenotypeOutcome::Store, SCRAPIE_UNKNOWN};
    if (leavingFirst && second == 0) return {GenotypeOutcome::FocusSecond};
    return {GenotypeOutcome::Refuse};
}

void SplitGenotype(int32_t genotype, int* first, int* second) {
    const auto item = [](int allele) { return allele >= 1 && allele <= 5 ? allele : 0; };
    *first = item((genotype >> 3) & 7);
    *second = item(genotype & 7);
}
