#include "records/criteria_automation.h"

IMPLEMENT_DYNAMIC(CComCriteria, CCmdTarget)
IMPLEMENT_DYNAMIC(CComCriterias, CCmdTarget)

// ---- one selection ---------------------------------------------------------------------------

CComCriteria::CComCriteria(IAutomationDocument* doc, CComCriterias* parent, const CCriteria& criteria)
    : m_criteria(criteria), m_pDocument(doc), m_pParent(parent) {
    EnableAutomation();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Add(this);
    if (m_pParent) m_pParent->GetLinks().Add(this);
}

CComCriteria::~CComCriteria() {
    m_links.DetachAll();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Remove(this);
    if (m_pParent) m_pParent->GetLinks().Remove(this);
}

void CComCriteria::OnOwnerGone(COwnerLinks* /*owner*/) {
    // Whichever owner goes, the selection can no longer be used: let go of the other as well.
    if (m_pDocument) m_pDocument->GetAutomationLinks().Remove(this);
    if (m_pParent) m_pParent->GetLinks().Remove(this);
    m_pDocument = nullptr;
    m_pParent = nullptr;
    m_links.DetachAll();
    MarkDetached();
}

void CComCriteria::SetDate(DATE v) {
    m_criteria.m_dtDate.m_dt = v;
    m_criteria.m_dtDate.SetStatus(COleDateTime::valid);
}

CRecords* CComCriteria::GetRecordsObject() {
    if (!m_records) {
        if (!m_pDocument) AfxThrowOleException(E_UNEXPECTED);
        m_records = CRefPtr<CRecords>::Adopt(new CRecords(m_pDocument, this));
    }
    return m_records.Get();
}

IDispatch* CComCriteria::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CComCriteria::GetParent() {
    return m_pParent ? m_pParent->GetIDispatch(true) : nullptr;
}

IDispatch* CComCriteria::GetRecords() {
    return GetRecordsObject()->GetIDispatch(true);
}

const CDispatchTable* CComCriteria::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_BOOL, &CComCriteria::GetRams, &CComCriteria::SetRams>(u"Rams"),
        DispProperty<VT_BOOL, &CComCriteria::GetEwes, &CComCriteria::SetEwes>(u"Ewes"),
        DispProperty<VT_BOOL, &CComCriteria::GetAdults, &CComCriteria::SetAdults>(u"Adults"),
        DispProperty<VT_BOOL, &CComCriteria::GetShearlings, &CComCriteria::SetShearlings>(u"Shearlings"),
        DispProperty<VT_BOOL, &CComCriteria::GetLambs, &CComCriteria::SetLambs>(u"Lambs"),
        DispProperty<VT_I2, &CComCriteria::GetType, &CComCriteria::SetType>(u"Type"),
        DispProperty<VT_DATE, &CComCriteria::GetDate, &CComCriteria::SetDate>(u"Date"),
        DispProperty<VT_DISPATCH, &CComCriteria::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &CComCriteria::GetParent>(u"Parent"),
        DispProperty<VT_DISPATCH, &CComCriteria::GetRecords>(u"Records"),
    };
    return &table;
}

IUnknown* CComCriteria::GetInterface(REFIID iid) {
    if (iid == IID_ICriteriaDisp) return &m_xDispatch;
    if (iid == IID_ICriteria) return &m_xCriteria;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

HRESULT CComCriteria::XCriteria::PutSwitch(void (CComCriteria::*set)(VARIANT_BOOL), VARIANT_BOOL value) {
    return Dual([&] { (This()->*set)(value); });
}

HRESULT CComCriteria::XCriteria::GetSwitch(BOOL (CComCriteria::*get)() const, VARIANT_BOOL* pValue) {
    if (!pValue) return E_POINTER;
    return Dual([&] { *pValue = ToVariantBool((This()->*get)()); });
}

HRESULT CComCriteria::XCriteria::put_Rams(VARIANT_BOOL value) {
    return PutSwitch(&CComCriteria::SetRams, value);
}
HRESULT CComCriteria::XCriteria::get_Rams(VARIANT_BOOL* pValue) {
    return GetSwitch(&CComCriteria::GetRams, pValue);
}
HRESULT CComCriteria::XCriteria::put_Ewes(VARIANT_BOOL value) {
    return PutSwitch(&CComCriteria::SetEwes, value);
}
HRESULT CComCriteria::XCriteria::get_Ewes(VARIANT_BOOL* pValue) {
    return GetSwitch(&CComCriteria::GetEwes, pValue);
}
HRESULT CComCriteria::XCriteria::put_Adults(VARIANT_BOOL value) {
    return PutSwitch(&CComCriteria::SetAdults, value);
}
HRESULT CComCriteria::XCriteria::get_Adults(VARIANT_BOOL* pValue) {
    return GetSwitch(&CComCriteria::GetAdults, pValue);
}
HRESULT CComCriteria::XCriteria::put_Shearlings(VARIANT_BOOL value) {
    return PutSwitch(&CComCriteria::SetShearlings, value);
}
HRESULT CComCriteria::XCriteria::get_Shearlings(VARIANT_BOOL* pValue) {
    return GetSwitch(&CComCriteria::GetShearlings, pValue);
}
HRESULT CComCriteria::XCriteria::put_Lambs(VARIANT_BOOL value) {
    return PutSwitch(&CComCriteria::SetLambs, value);
}
HRESULT CComCriteria::XCriteria::get_Lambs(VARIANT_BOOL* pValue) {
    return GetSwitch(&CComCriteria::GetLambs, pValue);
}
HRESULT CComCriteria::XCriteria::put_Type(SHORT value) {
    return Dual([&] { This()->SetType(value); });
}
HRESULT CComCriteria::XCriteria::get_Type(SHORT* pValue) {
    if (!pValue) return E_POINTER;
    return Dual([&] { *pValue = This()->GetType(); });
}
HRESULT CComCriteria::XCriteria::put_Date(DATE value) {
    return Dual([&] { This()->SetDate(value); });
}
HRESULT CComCriteria::XCriteria::get_Date(DATE* pValue) {
    if (!pValue) return E_POINTER;
    return Dual([&] { *pValue = This()->GetDate(); });
}
HRESULT CComCriteria::XCriteria::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}
HRESULT CComCriteria::XCriteria::get_Parent(ICriterias** ppParent) {
    if (!ppParent) return E_POINTER;
    *ppParent = nullptr;
    return Dual(
        [&] { *ppParent = CRecordInterface<ICriterias>(This()->m_pParent, IID_ICriterias).Detach(); });
}
HRESULT CComCriteria::XCriteria::get_Records(IRecords** ppRecords) {
    if (!ppRecords) return E_POINTER;
    *ppRecords = nullptr;
    return Dual(
        [&] { *ppRecords = CRecordInterface<IRecords>(This()->GetRecordsObject(), IID_IRecords).Detach(); });
}

// ---- the named selections --------------------------------------------------------------------

CComCriterias::CComCriterias(IAutomationDocument* doc) : m_pDocument(doc) {
    EnableAutomation();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Add(this);
}

CComCriterias::~CComCriterias() {
    m_members.clear();
    m_links.DetachAll();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Remove(this);
}

void CComCriterias::OnOwnerGone(COwnerLinks* /*owner*/) {
    m_pDocument = nullptr;
    m_pSource.Reset();
    MarkDetached();
}

CComCriteria* CComCriterias::Find(const WString& name) {
    Map& members = Members();
    auto it = members.find(name);
    if (it == members.end()) AfxThrowOleException(E_INVALIDARG);
    return it->second.Get();
}

CComCriteria* CComCriterias::AddCriteria(const WString& name) {
    if (!m_pDocument) AfxThrowOleException(E_UNEXPECTED);
    const CCriteria* current = m_pDocument->GetCriteria();
    CComCriterias* owner = m_pSource ? m_pSource.Get() : this;
    CRefPtr<CComCriteria> criteria =
        CRefPtr<CComCriteria>::Adopt(new CComCriteria(m_pDocument, owner, current ? *current : CCriteria()));
    owner->m_members[name] = criteria;
    owner->m_nPosition = 0;
    return criteria.Detach();
}

IDispatch* CComCriterias::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CComCriterias::GetParent() {
    return m_pDocument ? m_pDocument->GetDocumentDispatch() : nullptr;
}

LONG CComCriterias::GetCount() {
    return static_cast<LONG>(Members().size());
}

IDispatch* CComCriterias::Item(const WString& name) {
    return Find(name)->GetIDispatch(true);
}

IDispatch* CComCriterias::Add(const WString& name) {
    CRefPtr<CComCriteria> criteria = CRefPtr<CComCriteria>::Adopt(AddCriteria(name));
    return criteria->GetIDispatch(true);
}

void CComCriterias::Delete(const WString& name) {
    Find(name);
    CComCriterias* owner = m_pSource ? m_pSource.Get() : this;
    owner->m_members.erase(name);
    owner->m_nPosition = 0;
}

LONG CComCriterias::EnumCount() {
    return static_cast<LONG>(Members().size());
}

void CComCriterias::EnumItem(LONG index, VARIANT* pItem) {
    auto it = std::next(Members().begin(), index);
    if (!it->second) AfxThrowOleException(E_UNEXPECTED);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = it->second->GetIDispatch(true);
}

CAutoCollection* CComCriterias::EnumClone() {
    auto* clone = new CComCriterias(m_pDocument);
    clone->m_pSource = CRefPtr<CComCriterias>(m_pSource ? m_pSource.Get() : this);
    return clone;
}

const CDispatchTable* CComCriterias::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_DISPATCH, &CComCriterias::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &CComCriterias::GetParent>(u"Parent"),
        DispProperty<VT_I4, &CComCriterias::GetCount>(u"Count"),
        DispMethod<VT_DISPATCH, &CComCriterias::Item, VT_BSTR>(u"Item"),
        DispMethod<VT_DISPATCH, &CComCriterias::Add, VT_BSTR>(u"Add"),
        DispMethod<VT_EMPTY, &CComCriterias::Delete, VT_BSTR>(u"Delete"),
        DispDefValue(u"Item"),
        DispProperty<VT_UNKNOWN, &CComCriterias::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    };
    return &table;
}

IUnknown* CComCriterias::GetInterface(REFIID iid) {
    if (iid == IID_ICriteriasDisp) return &m_xDispatch;
    if (iid == IID_ICriterias) return &m_xCriterias;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CAutoCollection::GetInterface(iid);
}

namespace {
ICriteria* CriteriaDual(CComCriteria* criteria) {
    return CRecordInterface<ICriteria>(criteria, IID_ICriteria).Detach();
}
}  // namespace

HRESULT CComCriterias::XCriterias::get__NewEnum(IUnknown** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}
HRESULT CComCriterias::XCriterias::Item(BSTR name, ICriteria** ppCriteria) {
    if (!ppCriteria) return E_POINTER;
    *ppCriteria = nullptr;
    return Dual([&] { *ppCriteria = CriteriaDual(This()->Find(BstrToW(name))); });
}
HRESULT CComCriterias::XCriterias::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}
HRESULT CComCriterias::XCriterias::get_Parent(IDispatch** ppParent) {
    if (!ppParent) return E_POINTER;
    *ppParent = nullptr;
    return Dual([&] { *ppParent = This()->GetParent(); });
}
HRESULT CComCriterias::XCriterias::Add(BSTR name, ICriteria** ppCriteria) {
    if (!ppCriteria) return E_POINTER;
    *ppCriteria = nullptr;
    return Dual([&] {
        CRefPtr<CComCriteria> criteria = CRefPtr<CComCriteria>::Adopt(This()->AddCriteria(BstrToW(name)));
        *ppCriteria = CriteriaDual(criteria.Get());
    });
}
HRESULT CComCriterias::XCriterias::Delete(BSTR name) {
    return Dual([&] { This()->Delete(BstrToW(name)); });
}
HRESULT CComCriterias::XCriterias::get_Count(LONG* pCount) {
    if (!pCount) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}
