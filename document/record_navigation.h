// The record view's decisions without any window: which tab pages it shows for an animal, how a
// move honours a page's refusal, Goto with its offer to create the animal, and the genotype rule of
// the two allele lists. The window side supplies the commit of a pending edit and the refresh.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

class CDocView;
class CSheep;
class CSheepDoc;

// The record view's pages; every one lives as long as the view, in the sheet or not.
enum RecordPageId : int {
    PAGE_GENERAL,
    PAGE_LAMBING,
    PAGE_TUPPING,
    PAGE_HISTORY,
    PAGE_CHARTS,
    PAGE_PICTURE,
    PAGE_SIGNET,
    PAGE_GENETICS,
    PAGE_COUNT
};

// The pages that are always in the sheet, in tab order. Lambing and Tupping come and go behind them.
inline constexpr RecordPageId kFixedRecordPages[] = {PAGE_GENERAL, PAGE_CHARTS, PAGE_HISTORY,
                                                     PAGE_PICTURE, PAGE_SIGNET, PAGE_GENETICS};

struct PageSetChange {
    bool append;  // false: remove
    RecordPageId page;
};

// The changes that bring the tab row in line with the animal (null: none shown): the Lambing page
// while it has lambing records, then the Tupping page while it has tupping records, each appended
// at the end when it comes and removed when it goes. Pages that do not exist yet are left out of
// `tabs` by the caller and never appear in the result for the fixed ones.
std::vector<PageSetChange> PlanAttachedPages(const std::vector<RecordPageId>& tabs, bool hasLambing,
                                             bool hasTupping);
// Applies the plan to a tab row (the window side applies the same plan to its sheet).
void ApplyPageSetChanges(std::vector<RecordPageId>& tabs, const std::vector<PageSetChange>& changes);

// What the navigation needs of the window side.
class IRecordViewPort {
public:
    // Writes the edit still pending in a page control to the shown animal, or refuses it (which
    // sets the veto through the navigator).
    virtual void CommitPendingEdit() = 0;
    // Brings the pages in line with the document's current animal.
    virtual void RefreshPages() = 0;

protected:
    ~IRecordViewPort() = default;
};

class CRecordNavigator {
public:
    CRecordNavigator(IRecordViewPort& port, CDocView* view) : m_port(port), m_pView(view) {}

    void SetDocument(CSheepDoc* doc) { m_pDoc = doc; }
    CSheepDoc* GetDocument() const { return m_pDoc; }

    // A page refused the user's input: the next move stays on the animal.
    void SetVeto() { m_bVeto = true; }
    void ClearVeto() { m_bVeto = false; }
    bool IsVetoed() const { return m_bVeto; }

    // Commits the pending edit; false (and the veto used up) when the move must not happen.
    bool CommitBeforeMove();

    // Makes index current (history pushed, no hint) and refreshes. False when vetoed.
    bool MoveToSheep(int index);
    // First, Previous, Next, Last; false when vetoed or when the command leads nowhere.
    bool MoveByCommand(int command);
    // Back and Forward through what was seen; false when vetoed or there is nothing to go to.
    bool GoBack();
    bool GoForward();
    // Shows the animal with that tattoo; an unknown one is offered for creation with that sex
    // (questions 1017, then 114 when the breed rejects the tattoo) and, when made, becomes current.
    bool GoToSheep(const WString& tattoo, int32_t sex);

private:
    IRecordViewPort& m_port;
    CDocView* m_pView;
    CSheepDoc* m_pDoc = nullptr;
    bool m_bVeto = false;
};

// The two allele lists of the genotype: item data 0 "---", 1 "ARR" .. 5 "VRQ".
struct GenotypeOutcome {
    enum Kind {
        Store,        // store genotype
        FocusSecond,  // the first allele alone: go on to the second one, and stay on the animal
        Refuse,       // message 188, and stay on the animal
    } kind;
    int32_t genotype = 0;
};
// The decision when the focus leaves the first (leavingFirst) or the second list.
GenotypeOutcome DecideGenotype(bool leavingFirst, int first, int second);
// The list items of a stored genotype (0 where an allele is not one of the five).
void SplitGenotype(int32_t genotype, int* first, int* second);
