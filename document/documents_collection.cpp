#include "document/documents_collection.h"

#include "document/sheep_doc.h"

namespace {
constexpr WORD kInvalidArgumentCode = 160;
constexpr unsigned IDS_INVALID_ARGUMENT = 106;

// The document's dual interface with a reference for the caller; null for no document.
IDispatch* DocumentDual(CSheepDoc* doc) {
    if (!doc) return nullptr;
    IDocument* dual = doc->GetDocumentDual();
    dual->AddRef();
    return dual;
}
}  // namespace

CDocuments::CDocuments(IOpenDocuments* list) : m_pList(list) {
    EnableAutomation();
}

CDocuments::~CDocuments() = default;

CSheepDoc* CDocuments::GetDocument(const VARIANT& index) {
    COleVariant number;
    const HRESULT hr = VariantChangeType(&number, &VariantDeref(index), 0, VT_I2);
    if (FAILED(hr)) AfxThrowOleException(hr);
    CSheepDoc* doc = number.iVal >= 0 && number.iVal < m_pList->GetDocumentCount()
                         ? m_pList->GetDocumentAt(number.iVal)
                         : nullptr;
    if (!doc) AfxThrowOleDispatchException(kInvalidArgumentCode, IDS_INVALID_ARGUMENT);
    return doc;
}

CSheepDoc* CDocuments::AddDocument(const WString& breed) {
    const LONG before = m_pList->GetDocumentCount();
    CSheepDoc* doc = m_pList->CreateDocument();
    if (!doc) AfxThrowOleDispatchExceptionSc(E_FAIL, u"A new document could not be made.");
    doc->SetAttribute(FARM_BREED, breed);
    const int result = doc->LoadBreedPlugIn(breed, true);
    if (result != BREED_LOADED) {
        ReportBreedPlugInResult(result, breed);
        m_pList->CloseDocument(doc);
        return nullptr;
    }
    RestartIfRunOut(before);
    return doc;
}

CSheepDoc* CDocuments::OpenDocument(const WString& fileName) {
    const LONG before = m_pList->GetDocumentCount();
    CSheepDoc* doc = m_pList->OpenDocument(fileName);
    RestartIfRunOut(before);
    return doc;
}

void CDocuments::RestartIfRunOut(LONG countBefore) {
    if (m_nPosition >= countBefore) m_nPosition = 0;
}

IDispatch* CDocuments::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

LONG CDocuments::GetCount() {
    return m_pList->GetDocumentCount();
}

IDispatch* CDocuments::Item(const VARIANT& index) {
    return GetDocument(index)->GetIDispatch(true);
}

IDispatch* CDocuments::Add(const WString& breed) {
    CSheepDoc* doc = AddDocument(breed);
    return doc ? doc->GetIDispatch(true) : nullptr;
}

IDispatch* CDocuments::Open(const WString& fileName) {
    CSheepDoc* doc = OpenDocument(fileName);
    return doc ? doc->GetIDispatch(true) : nullptr;
}

void CDocuments::Close() {
    const bool runOut = m_nPosition >= m_pList->GetDocumentCount();
    m_pList->CloseAllDocuments();
    if (!runOut) m_nPosition = 0;
}

LONG CDocuments::EnumCount() {
    return m_pList->GetDocumentCount();
}

void CDocuments::EnumItem(LONG index, VARIANT* pItem) {
    CSheepDoc* doc = m_pList->GetDocumentAt(index);
    if (!doc) AfxThrowOleException(E_UNEXPECTED);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = doc->GetIDispatch(true);
}

CAutoCollection* CDocuments::EnumClone() {
    return new CDocuments(m_pList);
}

const CDispatchTable* CDocuments::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_DISPATCH, &CDocuments::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &CDocuments::GetApplication>(u"Parent"),
        DispProperty<VT_I4, &CDocuments::GetCount>(u"Count"),
        DispMethod<VT_DISPATCH, &CDocuments::Item, VT_VARIANT>(u"Item"),
        DispMethod<VT_DISPATCH, &CDocuments::Add, VT_BSTR>(u"Add"),
        DispMethod<VT_DISPATCH, &CDocuments::Open, VT_BSTR>(u"Open"),
        DispMethod<VT_EMPTY, &CDocuments::Close>(u"Close"),
        DispDefValue(u"Item"),
        DispProperty<VT_UNKNOWN, &CDocuments::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    };
    return &table;
}

IUnknown* CDocuments::GetInterface(REFIID iid) {
    if (iid == IID_IDocumentsDisp) return &m_xDispatch;
    if (iid == IID_IDocuments) return &m_xDocuments;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CAutoCollection::GetInterface(iid);
}

HRESULT CDocuments::XDocuments::Item(VARIANT index, IDispatch** ppDocument) {
    if (!ppDocument) return E_POINTER;
    *ppDocument = nullptr;
    return Dual([&] { *ppDocument = DocumentDual(This()->GetDocument(index)); });
}
HRESULT CDocuments::XDocuments::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}
HRESULT CDocuments::XDocuments::get_Parent(IDispatch** ppParent) {
    return get_Application(ppParent);
}
HRESULT CDocuments::XDocuments::get_Count(LONG* pCount) {
    if (!pCount) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}
HRESULT CDocuments::XDocuments::get__NewEnum(IUnknown** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}
HRESULT CDocuments::XDocuments::Add(BSTR breed, IDispatch** ppDocument) {
    if (!ppDocument) return E_POINTER;
    *ppDocument = nullptr;
    return Dual([&] { *ppDocument = DocumentDual(This()->AddDocument(BstrToW(breed))); });
}
HRESULT CDocuments::XDocuments::Open(BSTR fileName, IDispatch** ppDocument) {
    if (!ppDocument) return E_POINTER;
    *ppDocument = nullptr;
    return Dual([&] { *ppDocument = DocumentDual(This()->OpenDocument(BstrToW(fileName))); });
}
HRESULT CDocuments::XDocuments::Close() {
    return Dual([&] { This()->Close(); });
}
