#include "document/report_view_automation.h"

IMPLEMENT_DYNAMIC(CReportViewAutomation, CCmdTarget)

CReportViewAutomation::CReportViewAutomation(IReportColumns* columns) : m_pColumns(columns) {
    EnableAutomation();
}

void CReportViewAutomation::Disconnect() {
    m_pColumns = nullptr;
    MarkDetached();
}

void CReportViewAutomation::ResetColumns() {
    ThrowIfDetached();
    m_pColumns->DeleteAllColumns();
}

void CReportViewAutomation::BindColumn(const WString& title, LONG kind, LONG position) {
    ThrowIfDetached();
    m_pColumns->InsertColumn(title, unsigned(kind), int(position));
}

IUnknown* CReportViewAutomation::GetInterface(REFIID iid) {
    if (iid == IID_IReportViewDisp) return &m_xDispatch;
    if (iid == IID_IReportView) return &m_xReportView;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

const CDispatchTable* CReportViewAutomation::GetDispatchMap() const {
    static const CDispatchTable table{
        DispMethod<VT_EMPTY, &CReportViewAutomation::BindColumn, VT_BSTR, VT_I4, VT_I4>(u"BindColumn"),
        DispMethod<VT_EMPTY, &CReportViewAutomation::ResetColumns>(u"ResetColumns"),
    };
    return &table;
}

HRESULT CReportViewAutomation::XReportView::ResetColumns() {
    return Dual([&] { This()->ResetColumns(); });
}

HRESULT CReportViewAutomation::XReportView::BindColumn(BSTR title, LONG kind, LONG position) {
    return Dual([&] { This()->BindColumn(BstrToW(title), kind, position); });
}
