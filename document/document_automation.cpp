#include "document/document_automation.h"

#include <sys/stat.h>

#include "document/sheep_doc.h"
#include "records/addresses_collection.h"
#include "records/breeds.h"
#include "records/criteria_automation.h"
#include "records/record_automation.h"
#include "records/records_collection.h"

namespace {

WString YearKey(SHORT year) {
    return FormatW("%d", static_cast<int>(year));
}

[[noreturn]] void NotAvailable(const char16_t* what) {
    AfxThrowOleDispatchExceptionSc(E_NOTIMPL, what);
}

}  // namespace

CDocumentAutomation::CDocumentAutomation() {
    EnableAutomation();
}

CDocumentAutomation::~CDocumentAutomation() {
    // Clients that still hold a collection get an error from their next call, never this document.
    m_links.DetachAll();
    m_records.Reset();
    m_criterias.Reset();
    m_addresses.Reset();
    if (m_pWindows) m_pWindows->Release();
    if (m_breed) m_breed->DetachFromParent();
}

IDocumentFrame& CDocumentAutomation::Frame(const char16_t* what) {
    if (!m_pFrame) NotAvailable(what);
    return *m_pFrame;
}

// ---- the document seen by records and collections ----------------------------------------------

CSheepDoc& CDocumentAutomation::Doc() {
    return static_cast<CSheepDoc&>(*this);
}

const CSheepDoc& CDocumentAutomation::Doc() const {
    return static_cast<const CSheepDoc&>(*this);
}

const std::map<WString, CRefPtr<CAddress>>& CDocumentAutomation::GetAddressMap() const {
    return Doc().GetStores().Addresses();
}

bool CDocumentAutomation::DeleteAddress(const WString& name) {
    return Doc().GetStores().DeleteAddress(name);
}

bool CDocumentAutomation::RunAddressBrowser(long windowHandle, WString* name) {
    return Frame(u"The address browser needs the program's windows.").RunAddressBrowser(windowHandle, name);
}

// ---- dispatch members --------------------------------------------------------------------------

WString CDocumentAutomation::GetAttribute(SHORT index) {
    return Doc().GetDocString(static_cast<uint16_t>(index));
}

void CDocumentAutomation::SetAttributeAuto(SHORT index, const WString& value) {
    Doc().SetAttribute(static_cast<uint16_t>(index), value);
}

WString CDocumentAutomation::GetDefaultEartagColour(SHORT year) {
    auto it = Doc().GetStores().YearColours().find(YearKey(year));
    return it == Doc().GetStores().YearColours().end() ? WString() : it->second;
}

void CDocumentAutomation::SetDefaultEartagColour(SHORT year, const WString& colour) {
    Doc().GetStores().YearColours()[YearKey(year)] = colour;
}

WString CDocumentAutomation::GetName() {
    return GetTitle();
}

WString CDocumentAutomation::GetFullName() {
    return m_pFrame ? m_pFrame->GetPathName() : WString();
}

// The summary information keeps its texts in the ANSI code page; a put does not mark the document
// modified.
WString CDocumentAutomation::GetAuthor() {
    return AnsiToW(m_summary.m_author);
}
void CDocumentAutomation::SetAuthor(const WString& value) {
    m_summary.m_author = WToAnsi(value);
}
WString CDocumentAutomation::GetComments() {
    return AnsiToW(m_summary.m_comments);
}
void CDocumentAutomation::SetComments(const WString& value) {
    m_summary.m_comments = WToAnsi(value);
}
WString CDocumentAutomation::GetKeywords() {
    return AnsiToW(m_summary.m_keywords);
}
void CDocumentAutomation::SetKeywords(const WString& value) {
    m_summary.m_keywords = WToAnsi(value);
}

IDispatch* CDocumentAutomation::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CDocumentAutomation::GetParent() {
    return AfxOleGetApplicationDispatch();
}

CRecords* CDocumentAutomation::GetRecordsObject() {
    if (!m_records) m_records = CRefPtr<CRecords>::Adopt(new CRecords(this, nullptr));
    return m_records.Get();
}

CComCriterias* CDocumentAutomation::GetCriteriaObject() {
    if (!m_criterias) m_criterias = CRefPtr<CComCriterias>::Adopt(new CComCriterias(this));
    return m_criterias.Get();
}

CAddresses* CDocumentAutomation::GetAddressesObject() {
    if (!m_addresses) m_addresses = CRefPtr<CAddresses>::Adopt(new CAddresses(this));
    return m_addresses.Get();
}

CComBreed* CDocumentAutomation::GetBreedObject() {
    const WString name = Doc().GetDocString(FARM_BREED);
    // A document given another breed hands out that breed from then on.
    if (m_breed && m_breed->GetName() != name) {
        m_breed->DetachFromParent();
        m_breed.Reset();
    }
    if (!m_breed) m_breed = CRefPtr<CComBreed>::Adopt(new CComBreed(this, name));
    return m_breed.Get();
}

IDispatch* CDocumentAutomation::GetRecords() {
    return GetRecordsObject()->GetIDispatch(true);
}

IDispatch* CDocumentAutomation::GetCriteriaCollection() {
    return GetCriteriaObject()->GetIDispatch(true);
}

IDispatch* CDocumentAutomation::GetAddresses() {
    return GetAddressesObject()->GetIDispatch(true);
}

IDispatch* CDocumentAutomation::GetWindows() {
    if (!m_pWindows) {
        m_pWindows = Frame(u"The document has no windows.").CreateWindows();
        if (!m_pWindows) AfxThrowOleException(E_OUTOFMEMORY);
    }
    m_pWindows->AddRef();
    return m_pWindows;
}

BOOL CDocumentAutomation::GetSaved() {
    return Doc().IsModified() ? FALSE : TRUE;
}

BOOL CDocumentAutomation::GetReadOnly() {
    const WString path = GetFullName();
    if (path.empty() || Doc().IsReadOnly()) return TRUE;
    struct stat st {};
    // Attributes that cannot be read count as read-only.
    if (stat(WToUtf8(path).c_str(), &st) != 0) return TRUE;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ? TRUE : FALSE;
}

BOOL CDocumentAutomation::GetVisible() {
    return Frame(u"The document has no windows.").IsFirstViewVisible() ? TRUE : FALSE;
}

void CDocumentAutomation::SetVisible(VARIANT_BOOL visible) {
    Frame(u"The document has no windows.").ShowFirstView(visible == VARIANT_TRUE);
}

WString CDocumentAutomation::GetXML() {
    // The text is UTF-8 in memory; clients get it as the property's wide string.
    return Utf8ToW(Doc().GetXMLText());
}

void CDocumentAutomation::SetXML(const WString& xml) {
    Doc().PutXMLText(xml);
}

IDispatch* CDocumentAutomation::LookupSignetAverages(SHORT sex, SHORT year) {
    auto& averages = Doc().GetStores().SignetAverages();
    auto it = averages.find(CDocumentStores::SignetKey(year, sex));
    if (it == averages.end() || !it->second) AfxThrowOleException(E_INVALIDARG);
    return it->second->GetIDispatch(true);
}

void CDocumentAutomation::Save() {
    IDocumentFrame& frame = Frame(u"The document cannot be saved without the program's windows.");
    const WString path = frame.GetPathName();
    // A document that was never saved has no name to save under.
    if (path.empty()) AfxThrowOleException(E_INVALIDARG);
    if (!frame.SaveDocument(path)) AfxThrowOleException(E_FAIL);
}

void CDocumentAutomation::SaveAs(const VARIANT& fileName) {
    if (VariantDeref(fileName).vt == VT_ERROR) return Save();
    COleVariant name;
    const HRESULT hr = VariantChangeType(&name, &VariantDeref(fileName), 0, VT_BSTR);
    if (FAILED(hr)) AfxThrowOleException(hr);
    const WString path = BstrToW(name.bstrVal);
    if (path.empty()) AfxThrowOleException(E_INVALIDARG);
    if (!Frame(u"The document cannot be saved without the program's windows.").SaveDocument(path))
        AfxThrowOleException(E_FAIL);
}

void CDocumentAutomation::Close(const VARIANT& saveChanges, const VARIANT& fileName) {
    IDocumentFrame& frame = Frame(u"The document has no windows to close.");
    const VARIANT& save = VariantDeref(saveChanges);
    bool saving = false;
    if (!(save.vt == VT_ERROR && save.scode == DISP_E_PARAMNOTFOUND)) {
        COleVariant b;
        const HRESULT hr = VariantChangeType(&b, &save, 0, VT_BOOL);
        if (FAILED(hr)) AfxThrowOleException(hr);
        saving = b.boolVal != VARIANT_FALSE;
    }
    if (saving)
        SaveAs(fileName);
    else
        Doc().SetModifiedFlag(false);
    frame.CloseDocument();
}

void CDocumentAutomation::Print(const VARIANT&, const VARIANT&, const VARIANT&) {
    AfxThrowOleException(E_NOTIMPL);
}

void CDocumentAutomation::Activate() {
    Frame(u"The document has no windows.").ActivateFirstView();
}

const CDispatchTable* CDocumentAutomation::GetDispatchMap() const {
    using D = CDocumentAutomation;
    static const CDispatchTable table{
        DispPropertyParam<VT_BSTR, &D::GetAttribute, &D::SetAttributeAuto, VT_I2>(u"Attribute"),
        DispPropertyParam<VT_BSTR, &D::GetDefaultEartagColour, &D::SetDefaultEartagColour, VT_I2>(
            u"DefaultEartagColour"),
        DispProperty<VT_BSTR, &D::GetName>(u"Name"),
        DispProperty<VT_BSTR, &D::GetFullName>(u"FullName"),
        DispProperty<VT_BSTR, &D::GetAuthor, &D::SetAuthor>(u"Author"),
        DispProperty<VT_BSTR, &D::GetComments, &D::SetComments>(u"Comments"),
        DispProperty<VT_BSTR, &D::GetKeywords, &D::SetKeywords>(u"Keywords"),
        DispProperty<VT_DISPATCH, &D::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &D::GetParent>(u"Parent"),
        DispProperty<VT_DISPATCH, &D::GetRecords>(u"Records"),
        DispProperty<VT_DISPATCH, &D::GetCriteriaCollection>(u"Criteria"),
        DispProperty<VT_BOOL, &D::GetSaved>(u"Saved"),
        DispProperty<VT_BOOL, &D::GetReadOnly>(u"ReadOnly"),
        DispProperty<VT_BSTR, &D::GetFullName>(u"Path"),
        DispProperty<VT_BOOL, &D::GetVisible, &D::SetVisible>(u"Visible"),
        DispProperty<VT_DISPATCH, &D::GetAddresses>(u"Addresses"),
        DispProperty<VT_DISPATCH, &D::GetWindows>(u"Windows"),
        DispProperty<VT_BSTR, &D::GetXML, &D::SetXML>(u"XML"),
        DispMethod<VT_DISPATCH, &D::LookupSignetAverages, VT_I2, VT_I2>(u"LookupSignetAverages"),
        DispMethod<VT_EMPTY, &D::Save>(u"Save"),
        DispMethod<VT_EMPTY, &D::SaveAs, VT_VARIANT>(u"SaveAs"),
        DispMethod<VT_EMPTY, &D::Close, VT_VARIANT, VT_VARIANT>(u"Close"),
        DispMethod<VT_EMPTY, &D::Print, VT_VARIANT, VT_VARIANT, VT_VARIANT>(u"Print"),
        DispMethod<VT_EMPTY, &D::Activate>(u"Activate"),
        DispMethod<VT_EMPTY, &D::Print, VT_VARIANT, VT_VARIANT, VT_VARIANT>(u"PrintOut"),
        DispDefValue(u"Name"),
    };
    return &table;
}

IUnknown* CDocumentAutomation::GetInterface(REFIID iid) {
    if (iid == IID_IDocumentDisp) return &m_xDispatch;
    if (iid == IID_IDocument) return &m_xDocument;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

// ---- the dual interface ------------------------------------------------------------------------

HRESULT CDocumentAutomation::XDocument::Text(BSTR* pOut, WString (CDocumentAutomation::*get)()) {
    if (!pOut) return E_POINTER;
    *pOut = nullptr;
    return Dual([&] { *pOut = AllocBstrOrThrow((This()->*get)()); });
}

HRESULT CDocumentAutomation::XDocument::Object(IDispatch** ppOut, IDispatch* (CDocumentAutomation::*get)(),
                                               const IID& dual) {
    if (!ppOut) return E_POINTER;
    *ppOut = nullptr;
    return Dual([&] {
        IDispatch* disp = (This()->*get)();
        if (!disp) return;
        void* p = nullptr;
        const HRESULT hr = disp->QueryInterface(dual, &p);
        disp->Release();
        if (FAILED(hr)) AfxThrowOleException(hr);
        *ppOut = static_cast<IDispatch*>(p);
    });
}

HRESULT CDocumentAutomation::XDocument::get_Name(BSTR* pName) {
    return Text(pName, &CDocumentAutomation::GetName);
}
HRESULT CDocumentAutomation::XDocument::get_FullName(BSTR* pFullName) {
    return Text(pFullName, &CDocumentAutomation::GetFullName);
}
HRESULT CDocumentAutomation::XDocument::put_Attribute(SHORT index, BSTR value) {
    return Dual([&] { This()->SetAttributeAuto(index, BstrToW(value)); });
}
HRESULT CDocumentAutomation::XDocument::get_Attribute(SHORT index, BSTR* pValue) {
    if (!pValue) return E_POINTER;
    *pValue = nullptr;
    return Dual([&] { *pValue = AllocBstrOrThrow(This()->GetAttribute(index)); });
}
HRESULT CDocumentAutomation::XDocument::put_Author(BSTR value) {
    return Dual([&] { This()->SetAuthor(BstrToW(value)); });
}
HRESULT CDocumentAutomation::XDocument::get_Author(BSTR* pValue) {
    return Text(pValue, &CDocumentAutomation::GetAuthor);
}
HRESULT CDocumentAutomation::XDocument::put_Comments(BSTR value) {
    return Dual([&] { This()->SetComments(BstrToW(value)); });
}
HRESULT CDocumentAutomation::XDocument::get_Comments(BSTR* pValue) {
    return Text(pValue, &CDocumentAutomation::GetComments);
}
HRESULT CDocumentAutomation::XDocument::put_Keywords(BSTR value) {
    return Dual([&] { This()->SetKeywords(BstrToW(value)); });
}
HRESULT CDocumentAutomation::XDocument::get_Keywords(BSTR* pValue) {
    return Text(pValue, &CDocumentAutomation::GetKeywords);
}
HRESULT CDocumentAutomation::XDocument::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}
HRESULT CDocumentAutomation::XDocument::get_Parent(IDispatch** ppParent) {
    return get_Application(ppParent);
}
HRESULT CDocumentAutomation::XDocument::get_Records(IDispatch** ppRecords) {
    return Object(ppRecords, &CDocumentAutomation::GetRecords, IID_IRecords);
}
HRESULT CDocumentAutomation::XDocument::get_Criteria(IDispatch** ppCriteria) {
    return Object(ppCriteria, &CDocumentAutomation::GetCriteriaCollection, IID_ICriterias);
}
HRESULT CDocumentAutomation::XDocument::get_Saved(VARIANT_BOOL* pSaved) {
    if (!pSaved) return E_POINTER;
    return Dual([&] { *pSaved = ToVariantBool(This()->GetSaved()); });
}
HRESULT CDocumentAutomation::XDocument::get_ReadOnly(VARIANT_BOOL* pReadOnly) {
    if (!pReadOnly) return E_POINTER;
    return Dual([&] { *pReadOnly = ToVariantBool(This()->GetReadOnly()); });
}
HRESULT CDocumentAutomation::XDocument::get_Path(BSTR* pPath) {
    return Text(pPath, &CDocumentAutomation::GetFullName);
}
HRESULT CDocumentAutomation::XDocument::put_Visible(VARIANT_BOOL visible) {
    return Dual([&] { This()->SetVisible(visible); });
}
HRESULT CDocumentAutomation::XDocument::get_Visible(VARIANT_BOOL* pVisible) {
    if (!pVisible) return E_POINTER;
    return Dual([&] { *pVisible = ToVariantBool(This()->GetVisible()); });
}
HRESULT CDocumentAutomation::XDocument::get_Windows(IDispatch** ppWindows) {
    // The windows collection's own dual interface is the program's; its dispatch interface serves.
    return Object(ppWindows, &CDocumentAutomation::GetWindows, IID_IDispatch);
}
HRESULT CDocumentAutomation::XDocument::get_Addresses(IDispatch** ppAddresses) {
    return Object(ppAddresses, &CDocumentAutomation::GetAddresses, IID_IAddresses);
}
HRESULT CDocumentAutomation::XDocument::put_DefaultEartagColour(SHORT year, BSTR colour) {
    return Dual([&] { This()->SetDefaultEartagColour(year, BstrToW(colour)); });
}
HRESULT CDocumentAutomation::XDocument::get_DefaultEartagColour(SHORT year, BSTR* pColour) {
    if (!pColour) return E_POINTER;
    *pColour = nullptr;
    return Dual([&] { *pColour = AllocBstrOrThrow(This()->GetDefaultEartagColour(year)); });
}
HRESULT CDocumentAutomation::XDocument::get_XML(BSTR* pXml) {
    return Text(pXml, &CDocumentAutomation::GetXML);
}
HRESULT CDocumentAutomation::XDocument::get_Breed(IDispatch** ppBreed) {
    if (!ppBreed) return E_POINTER;
    *ppBreed = nullptr;
    return Dual([&] { *ppBreed = CRecordInterface<IBreed>(This()->GetBreedObject(), IID_IBreed).Detach(); });
}
HRESULT CDocumentAutomation::XDocument::LookupSignetAverages(SHORT sex, SHORT year, IDispatch** ppAverages) {
    if (!ppAverages) return E_POINTER;
    *ppAverages = nullptr;
    return Dual([&] {
        IDispatch* disp = This()->LookupSignetAverages(sex, year);
        *ppAverages = CRecordInterface<IDispatch>(CCmdTarget::FromIDispatch(disp), IID_ISignetData).Detach();
        disp->Release();
    });
}
HRESULT CDocumentAutomation::XDocument::Save() {
    return Dual([&] { This()->Save(); });
}
HRESULT CDocumentAutomation::XDocument::SaveAs(VARIANT fileName) {
    return Dual([&] { This()->SaveAs(fileName); });
}
HRESULT CDocumentAutomation::XDocument::Close(VARIANT saveChanges, VARIANT fileName) {
    return Dual([&] { This()->Close(saveChanges, fileName); });
}
HRESULT CDocumentAutomation::XDocument::Print(VARIANT, VARIANT, VARIANT) {
    return E_NOTIMPL;
}
HRESULT CDocumentAutomation::XDocument::Activate() {
    return Dual([&] { This()->Activate(); });
}
HRESULT CDocumentAutomation::XDocument::PrintOut(VARIANT, VARIANT, VARIANT) {
    return E_NOTIMPL;
}
HRESULT CDocumentAutomation::XDocument::put_XML(BSTR xml) {
    return Dual([&] { This()->SetXML(BstrToW(xml)); });
}
