#include "document/sheet_flow.h"

#include <algorithm>

#include "platform/strings.h"

CSheetPage::CSheetPage(unsigned templateId) : m_nTemplateId(templateId) {}

CSheetPage::~CSheetPage() {
    if (m_pSheet) m_pSheet->RemovePage(this);
}

void CSheetPage::SetHeader(const WString& title, const WString& subTitle) {
    m_strHeaderTitle = title;
    m_strHeaderSubTitle = subTitle;
}

void CSheetPage::SetHeaderIds(unsigned titleId, unsigned subTitleId) {
    SetHeader(LoadCvlString(titleId), LoadCvlString(subTitleId));
}

CSheetFlow::CSheetFlow(bool wizard) : m_bWizard(wizard) {}

CSheetFlow::~CSheetFlow() {
    for (CSheetPage* page : m_pages) page->m_pSheet = nullptr;
}

void CSheetFlow::AddPage(CSheetPage* page) {
    InsertPage(GetPageCount(), page);
}

void CSheetFlow::InsertPage(int index, CSheetPage* page) {
    if (!page || page->m_pSheet) return;
    index = std::clamp(index, 0, GetPageCount());
    m_pages.insert(m_pages.begin() + index, page);
    page->m_pSheet = this;
    if (m_nActive >= index) ++m_nActive;
    if (m_pView) m_pView->OnPageInserted(index, page);
}

void CSheetFlow::RemovePage(CSheetPage* page) {
    const int index = GetPageIndex(page);
    if (index < 0) return;
    m_pages.erase(m_pages.begin() + index);
    page->m_pSheet = nullptr;
    if (m_nActive == index)
        m_nActive = -1;
    else if (m_nActive > index)
        --m_nActive;
    if (m_pView) {
        m_pView->OnPageRemoved(index, page);
        if (m_nActive < 0) m_pView->OnActivePageChanged(-1, nullptr);
    }
}

CSheetPage* CSheetFlow::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[size_t(index)] : nullptr;
}

int CSheetFlow::GetPageIndex(const CSheetPage* page) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : int(it - m_pages.begin());
}

int CSheetFlow::FindPageById(unsigned templateId) const {
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[size_t(i)]->m_nTemplateId == templateId) return i;
    return -1;
}

void CSheetFlow::Start(int first) {
    m_nResult = SHEET_RUNNING;
    if (GetPage(first)) Activate(first);
}

void CSheetFlow::Activate(int index) {
    CSheetPage* page = m_pages[size_t(index)];
    m_nActive = index;
    page->m_bShown = true;
    // A page that sets no buttons of its own gets Back and Next, never a Finish left over from
    // the page before.
    if (m_bWizard) SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    // The view shows the page (creating its window the first time) before the page sets its state.
    if (m_pView) m_pView->OnActivePageChanged(index, page);
    page->OnSetActive();
}

bool CSheetFlow::SetActivePage(int index) {
    if (IsEnded() || !GetPage(index)) return false;
    if (index == m_nActive) return true;
    if (CSheetPage* current = GetActivePage(); current && !current->OnKillActive()) return false;
    Activate(index);
    return true;
}

void CSheetFlow::SetWizardButtons(unsigned buttons) {
    m_nButtons = buttons;
    if (m_pView) m_pView->OnButtonsChanged(buttons);
}

// The page is asked whether it may be left before its handler picks the target, so a handler never
// acts on data that did not pass the page's checks.
bool CSheetFlow::Navigate(int result, int step) {
    if (result == WIZ_STAY) return false;
    const int target = result == WIZ_NEXT ? m_nActive + step : FindPageById(unsigned(result));
    if (!GetPage(target)) return false;
    Activate(target);
    return true;
}

bool CSheetFlow::Back() {
    CSheetPage* page = GetActivePage();
    if (IsEnded() || !m_bWizard || !page || !(m_nButtons & PSWIZB_BACK)) return false;
    if (!page->OnKillActive()) return false;
    return Navigate(page->OnWizardBack(), -1);
}

bool CSheetFlow::Next() {
    CSheetPage* page = GetActivePage();
    if (IsEnded() || !m_bWizard || !page) return false;
    // Finish takes the place of Next.
    if ((m_nButtons & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) || !(m_nButtons & PSWIZB_NEXT)) return false;
    if (!page->OnKillActive()) return false;
    return Navigate(page->OnWizardNext(), +1);
}

bool CSheetFlow::Finish() {
    CSheetPage* page = GetActivePage();
    if (IsEnded() || !m_bWizard || !page || !(m_nButtons & PSWIZB_FINISH)) return false;
    if (!page->OnKillActive() || !page->OnWizardFinish()) return false;
    End(ID_WIZFINISH);
    return true;
}

bool CSheetFlow::Ok() {
    if (IsEnded() || m_bWizard) return false;
    if (CSheetPage* current = GetActivePage(); current && !current->OnKillActive()) return false;
    // Pages never shown were never filled, so they have nothing to store.
    for (int i = 0; i < GetPageCount(); ++i) {
        CSheetPage* page = m_pages[size_t(i)];
        if (!page->m_bShown) continue;
        if (!page->OnApply()) {
            if (i != m_nActive) Activate(i);
            return false;
        }
    }
    End(SHEET_OK);
    return true;
}

bool CSheetFlow::Cancel() {
    if (IsEnded()) return false;
    if (CSheetPage* current = GetActivePage(); current && !current->OnQueryCancel()) return false;
    for (CSheetPage* page : std::vector<CSheetPage*>(m_pages))
        if (page->m_bShown) page->OnReset();
    End(SHEET_CANCEL);
    return true;
}

void CSheetFlow::End(int result) {
    m_nResult = result;
    if (m_pView) m_pView->OnSheetEnded(result);
}
