#include "records/records_collection.h"

#include "platform/strings.h"
#include "records/criteria_automation.h"
#include "records/sheep.h"

IMPLEMENT_DYNCREATE(CRecords, CCmdTarget)

namespace {
constexpr WORD kNoSuchTattooCode = 4;
constexpr unsigned IDS_NO_SUCH_TATTOO = 109;
}  // namespace

CRecords::CRecords() {
    EnableAutomation();
}

CRecords::CRecords(IAutomationDocument* doc, CComCriteria* criteria)
    : m_pDocument(doc), m_pCriteria(criteria) {
    EnableAutomation();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Add(this);
    if (m_pCriteria) m_pCriteria->GetLinks().Add(this);
    ResetPosition();
}

CRecords::~CRecords() {
    if (m_pDocument) m_pDocument->GetAutomationLinks().Remove(this);
    if (m_pCriteria) m_pCriteria->GetLinks().Remove(this);
}

void CRecords::OnOwnerGone(COwnerLinks* owner) {
    if (m_pDocument && owner == &m_pDocument->GetAutomationLinks()) {
        m_pDocument = nullptr;
        if (m_pCriteria) {
            m_pCriteria->GetLinks().Remove(this);
            m_pCriteria = nullptr;
        }
    } else if (m_pCriteria && owner == &m_pCriteria->GetLinks()) {
        m_pCriteria = nullptr;
        if (m_pDocument) {
            m_pDocument->GetAutomationLinks().Remove(this);
            m_pDocument = nullptr;
        }
    }
    MarkDetached();
}

IAutomationDocument* CRecords::Document() const {
    // A collection made by name (dynamic creation) has no document to read.
    if (!m_pDocument) AfxThrowOleException(E_UNEXPECTED);
    return m_pDocument;
}

bool CRecords::Matches(int index) const {
    if (!m_pCriteria) return true;
    CSheep* sheep = m_pDocument->GetSheepAt(index);
    return sheep && sheep->MatchesCriteria(m_pCriteria->GetCriteria());
}

void CRecords::Advance() {
    ++m_nPosition;
    if (!m_pCriteria || !m_pDocument) return;
    const int count = m_pDocument->GetSheepCount();
    while (m_nPosition < count && !Matches(m_nPosition)) ++m_nPosition;
}

void CRecords::ResetPosition() {
    m_nPosition = -1;
    if (m_pDocument) Advance();
}

// ---- lookups ---------------------------------------------------------------------------------

int CRecords::IndexFromVariant(const VARIANT& index) {
    IAutomationDocument* doc = Document();
    const VARIANT& src = VariantDeref(index);
    int found = -1;
    // An animal named with digits ("123") is that animal before the text is read as a number.
    if (src.vt == VT_BSTR && doc->FindSheepIndex(BstrToW(src.bstrVal), &found)) return found;

    COleVariant number;
    HRESULT hr = VariantChangeType(&number, &src, 0, VT_I2);
    if (SUCCEEDED(hr)) {
        // Positions in a selection are not addressable by number.
        if (IsFiltered()) AfxThrowOleException(E_INVALIDARG);
        if (number.iVal < 0 || number.iVal >= doc->GetSheepCount())
            AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
        return number.iVal;
    }
    if (hr != DISP_E_TYPEMISMATCH) AfxThrowOleException(hr);

    COleVariant text;
    hr = VariantChangeType(&text, &src, 0, VT_BSTR);
    if (FAILED(hr)) AfxThrowOleException(hr);
    const WString tattoo = BstrToW(text.bstrVal);
    if (!doc->FindSheepIndex(tattoo, &found))
        AfxThrowOleDispatchException(
            kNoSuchTattooCode,
            FormatPlaceholders(LoadCvlString(IDS_NO_SUCH_TATTOO), {tattoo, doc->GetTitle()}),
            IDS_NO_SUCH_TATTOO);
    return found;
}

CSheep* CRecords::GetSheep(const VARIANT& index) {
    const int i = IndexFromVariant(index);
    return Document()->GetSheepAt(i);
}

CSheep* CRecords::FindByEID(ULONGLONG eid) {
    IAutomationDocument* doc = Document();
    WString tattoo;
    if (!doc->LookupTattooByEID(eid, &tattoo)) return nullptr;
    return doc->FindSheep(tattoo);
}

CSheep* CRecords::AddSheep(const WString& tattoo, SHORT sex) {
    IAutomationDocument* doc = Document();
    CRefPtr<CSheep> sheep = CRefPtr<CSheep>::Adopt(new CSheep(tattoo.c_str(), sex, doc));
    sheep->AddRef();  // the document's, when it files the animal
    if (doc->AddSheep(sheep.Get(), false) < 0) {
        // The user kept the animal already filed under that name: nothing to hand out.
        sheep->Release();
        return nullptr;
    }
    return sheep.Detach();
}

// ---- dispatch members ------------------------------------------------------------------------

IDispatch* CRecords::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CRecords::GetParent() {
    if (m_pCriteria) return m_pCriteria->GetIDispatch(true);
    return Document()->GetDocumentDispatch();
}

LONG CRecords::GetCount() {
    IAutomationDocument* doc = Document();
    const int count = doc->GetSheepCount();
    if (!IsFiltered()) return count;
    LONG matches = 0;
    for (int i = 0; i < count; ++i)
        if (Matches(i)) ++matches;
    return matches;
}

IDispatch* CRecords::Item(const VARIANT& index) {
    CSheep* sheep = GetSheep(index);
    return sheep ? sheep->GetIDispatch(true) : nullptr;
}

IDispatch* CRecords::GetByEID(ULONGLONG eid) {
    CSheep* sheep = FindByEID(eid);
    return sheep ? sheep->GetIDispatch(true) : nullptr;
}

IDispatch* CRecords::Add(const WString& tattoo, SHORT sex) {
    CRefPtr<CSheep> sheep = CRefPtr<CSheep>::Adopt(AddSheep(tattoo, sex));
    return sheep ? sheep->GetIDispatch(true) : nullptr;
}

void CRecords::Delete(const VARIANT& index) {
    const int i = IndexFromVariant(index);
    Document()->DeleteSheep(i);
}

IUnknown* CRecords::GetNewEnum() {
    IUnknown* p = GetControllingUnknown();
    p->AddRef();
    return p;
}

const CDispatchTable* CRecords::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_DISPATCH, &CRecords::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &CRecords::GetParent>(u"Parent"),
        DispProperty<VT_I4, &CRecords::GetCount>(u"Count"),
        DispMethod<VT_DISPATCH, &CRecords::Item, VT_VARIANT>(u"Item"),
        DispMethod<VT_DISPATCH, &CRecords::GetByEID, VT_UI8>(u"GetByEID"),
        DispMethod<VT_DISPATCH, &CRecords::Add, VT_BSTR, VT_I2>(u"Add"),
        DispMethod<VT_EMPTY, &CRecords::Delete, VT_VARIANT>(u"Delete"),
        DispDefValue(u"Item"),
        DispProperty<VT_UNKNOWN, &CRecords::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    };
    return &table;
}

IUnknown* CRecords::GetInterface(REFIID iid) {
    if (iid == IID_IRecordsDisp) return &m_xDispatch;
    if (iid == IID_IRecords) return &m_xRecords;
    if (iid == IID_IEnumVARIANT) return &m_xEnumVARIANT;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

// ---- the enumerator --------------------------------------------------------------------------

HRESULT CRecords::EnumNext(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) {
    if (celt > 1 && pCeltFetched == nullptr) return E_INVALIDARG;
    if (pCeltFetched) *pCeltFetched = 0;
    if (celt > 0 && rgVar == nullptr) return E_POINTER;
    for (ULONG i = 0; i < celt; ++i) VariantInit(&rgVar[i]);
    IAutomationDocument* doc = Document();
    const int count = doc->GetSheepCount();
    ULONG fetched = 0;
    while (m_nPosition < count && fetched < celt) {
        CSheep* sheep = doc->GetSheepAt(m_nPosition);
        if (!sheep) return E_UNEXPECTED;
        rgVar[fetched].vt = VT_DISPATCH;
        rgVar[fetched].pdispVal = sheep->GetIDispatch(true);
        ++fetched;
        if (pCeltFetched) *pCeltFetched = fetched;
        Advance();
    }
    return fetched == celt ? S_OK : S_FALSE;
}

HRESULT CRecords::EnumSkip(ULONG celt) {
    const int count = Document()->GetSheepCount();
    for (ULONG i = 0; i < celt; ++i) {
        if (m_nPosition >= count) return S_FALSE;
        Advance();
    }
    return S_OK;
}

HRESULT CRecords::EnumClone(IEnumVARIANT** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    auto* clone = new CRecords(Document(), m_pCriteria);
    clone->m_nPosition = m_nPosition;
    *ppEnum = &clone->m_xEnumVARIANT;  // its first reference goes to the caller
    return S_OK;
}

HRESULT CRecords::XEnumVARIANT::QueryInterface(REFIID riid, void** ppv) {
    return m_pOwner->ExternalQueryInterface(riid, ppv);
}
ULONG CRecords::XEnumVARIANT::AddRef() {
    return m_pOwner->ExternalAddRef();
}
ULONG CRecords::XEnumVARIANT::Release() {
    return m_pOwner->ExternalRelease();
}
HRESULT CRecords::XEnumVARIANT::Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) {
    return DualCall(m_pOwner, IID_IEnumVARIANT,
                    [&] { return m_pOwner->EnumNext(celt, rgVar, pCeltFetched); });
}
HRESULT CRecords::XEnumVARIANT::Skip(ULONG celt) {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { return m_pOwner->EnumSkip(celt); });
}
HRESULT CRecords::XEnumVARIANT::Reset() {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { m_pOwner->ResetPosition(); });
}
HRESULT CRecords::XEnumVARIANT::Clone(IEnumVARIANT** ppEnum) {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { return m_pOwner->EnumClone(ppEnum); });
}

// ---- the dual interface ----------------------------------------------------------------------

namespace {
// The animal's dual interface with a reference for the caller; null for no animal.
ISheep* SheepDual(CSheep* sheep) {
    return sheep ? CRecordInterface<ISheep>(sheep, IID_ISheep).Detach() : nullptr;
}
}  // namespace

HRESULT CRecords::XRecords::get__NewEnum(IUnknown** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}

HRESULT CRecords::XRecords::Item(VARIANT index, ISheep** ppSheep) {
    if (!ppSheep) return E_POINTER;
    *ppSheep = nullptr;
    return Dual([&] { *ppSheep = SheepDual(This()->GetSheep(index)); });
}

HRESULT CRecords::XRecords::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

HRESULT CRecords::XRecords::get_Parent(IDispatch** ppParent) {
    if (!ppParent) return E_POINTER;
    *ppParent = nullptr;
    return Dual([&] { *ppParent = This()->GetParent(); });
}

HRESULT CRecords::XRecords::get_Count(LONG* pCount) {
    if (!pCount) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}

HRESULT CRecords::XRecords::GetByEID(ULONGLONG eid, ISheep** ppSheep) {
    if (!ppSheep) return E_POINTER;
    *ppSheep = nullptr;
    return Dual([&] { *ppSheep = SheepDual(This()->FindByEID(eid)); });
}

HRESULT CRecords::XRecords::Add(BSTR tattoo, SHORT sex, ISheep** ppSheep) {
    if (!ppSheep) return E_POINTER;
    *ppSheep = nullptr;
    return Dual([&] {
        CRefPtr<CSheep> sheep = CRefPtr<CSheep>::Adopt(This()->AddSheep(BstrToW(tattoo), sex));
        *ppSheep = SheepDual(sheep.Get());
    });
}

HRESULT CRecords::XRecords::Delete(VARIANT index) {
    return Dual([&] { This()->Delete(index); });
}
