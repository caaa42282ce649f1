#include "records/addresses_collection.h"

#include <iterator>

#include "platform/strings.h"

IMPLEMENT_DYNCREATE(CAddresses, CCmdTarget)

namespace {
constexpr WORD kNoSuchAddressCode = 4;
constexpr unsigned IDS_NO_SUCH_ADDRESS = 165;
constexpr WORD kInvalidArgumentCode = 160;
constexpr unsigned IDS_INVALID_ARGUMENT = 106;

WString NameOf(const VARIANT& name) {
    COleVariant text;
    const HRESULT hr = VariantChangeType(&text, &VariantDeref(name), 0, VT_BSTR);
    if (FAILED(hr)) AfxThrowOleException(hr);
    return BstrToW(text.bstrVal);
}

IAddress* AddressDual(CAddress* address) {
    return address ? CRecordInterface<IAddress>(address, IID_IAddress).Detach() : nullptr;
}
}  // namespace

CAddresses::CAddresses() {
    EnableAutomation();
}

CAddresses::CAddresses(IAutomationDocument* doc) : m_pDocument(doc) {
    EnableAutomation();
    if (m_pDocument) m_pDocument->GetAutomationLinks().Add(this);
}

CAddresses::~CAddresses() {
    if (m_pDocument) m_pDocument->GetAutomationLinks().Remove(this);
}

void CAddresses::OnOwnerGone(COwnerLinks*) {
    m_pDocument = nullptr;
    MarkDetached();
}

IAutomationDocument* CAddresses::Document() const {
    if (!m_pDocument) AfxThrowOleException(E_UNEXPECTED);
    return m_pDocument;
}

CAddress* CAddresses::Find(const VARIANT& name) {
    IAutomationDocument* doc = Document();
    const WString key = NameOf(name);
    auto it = doc->GetAddressMap().find(key);
    if (it == doc->GetAddressMap().end() || !it->second)
        AfxThrowOleDispatchException(
            kNoSuchAddressCode,
            FormatPlaceholders(LoadCvlString(IDS_NO_SUCH_ADDRESS), {key, doc->GetTitle()}),
            IDS_NO_SUCH_ADDRESS);
    // The key and the ID agree from now on.
    it->second->SetID(key);
    return it->second.Get();
}

CAddress* CAddresses::AddAddress(const WString& name, SHORT type) {
    IAutomationDocument* doc = Document();
    // Only local addresses can be made here: an address-book address would show nothing until an
    // entry had been chosen in the book.
    if (type != CAddress::typeLocal) AfxThrowOleDispatchException(kInvalidArgumentCode, IDS_INVALID_ARGUMENT);
    CRefPtr<CAddress> address = CRefPtr<CAddress>::Adopt(new CLocalAddress(name));
    if (!doc->ReplaceAddress(name, address)) return nullptr;  // the user kept the old one
    return address.Detach();
}

CAddress* CAddresses::Browse(LONG windowHandle, const WString& name) {
    IAutomationDocument* doc = Document();
    WString chosen = name;
    if (!doc->RunAddressBrowser(windowHandle, &chosen)) return nullptr;
    auto it = doc->GetAddressMap().find(chosen);
    if (it == doc->GetAddressMap().end() || !it->second) return nullptr;
    it->second->SetID(chosen);
    return it->second.Get();
}

CAddress* CAddresses::AddWithDialog(LONG windowHandle, const WString& name) {
    IAutomationDocument* doc = Document();
    if (doc->GetAddressMap().count(name)) return Browse(windowHandle, name);
    // Without the program's windows there is no sheet to show.
    if (!GetAddressDialogs()) AfxThrowOleException(E_NOTIMPL);
    return doc->NewLocalAddress(windowHandle, name);
}

bool CAddresses::Exists(const VARIANT& name) {
    COleVariant text;
    if (FAILED(VariantChangeType(&text, &VariantDeref(name), 0, VT_BSTR))) return false;
    return Document()->GetAddressMap().count(BstrToW(text.bstrVal)) > 0;
}

IDispatch* CAddresses::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CAddresses::GetParent() {
    return Document()->GetDocumentDispatch();
}

LONG CAddresses::GetCount() {
    return static_cast<LONG>(Document()->GetAddressMap().size());
}

IDispatch* CAddresses::Item(const VARIANT& name) {
    return Find(name)->GetIDispatch(true);
}

IDispatch* CAddresses::Add(const WString& name, SHORT type) {
    CRefPtr<CAddress> address = CRefPtr<CAddress>::Adopt(AddAddress(name, type));
    return address ? address->GetIDispatch(true) : nullptr;
}

void CAddresses::Delete(const VARIANT& name) {
    Find(name);
    Document()->DeleteAddress(NameOf(name));
}

IDispatch* CAddresses::AddDialog(LONG windowHandle, const WString& name) {
    CAddress* address = AddWithDialog(windowHandle, name);
    return address ? address->GetIDispatch(true) : nullptr;
}

IDispatch* CAddresses::BrowseDialog(LONG windowHandle, const WString& name) {
    CAddress* address = Browse(windowHandle, name);
    return address ? address->GetIDispatch(true) : nullptr;
}

LONG CAddresses::EnumCount() {
    return static_cast<LONG>(Document()->GetAddressMap().size());
}

void CAddresses::EnumItem(LONG index, VARIANT* pItem) {
    auto it = std::next(Document()->GetAddressMap().begin(), index);
    if (!it->second) AfxThrowOleException(E_UNEXPECTED);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = it->second->GetIDispatch(true);
}

CAutoCollection* CAddresses::EnumClone() {
    return new CAddresses(Document());
}

const CDispatchTable* CAddresses::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_DISPATCH, &CAddresses::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &CAddresses::GetParent>(u"Parent"),
        DispProperty<VT_I4, &CAddresses::GetCount>(u"Count"),
        DispMethod<VT_DISPATCH, &CAddresses::Item, VT_VARIANT>(u"Item"),
        DispMethod<VT_DISPATCH, &CAddresses::Add, VT_BSTR, VT_I2>(u"Add"),
        DispMethod<VT_EMPTY, &CAddresses::Delete, VT_VARIANT>(u"Delete"),
        DispMethod<VT_DISPATCH, &CAddresses::AddDialog, VT_I4, VT_BSTR>(u"AddDialog"),
        DispMethod<VT_DISPATCH, &CAddresses::BrowseDialog, VT_I4, VT_BSTR>(u"BrowseDialog"),
        DispDefValue(u"Item"),
        DispProperty<VT_UNKNOWN, &CAddresses::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    };
    return &table;
}

IUnknown* CAddresses::GetInterface(REFIID iid) {
    if (iid == IID_IAddressesDisp) return &m_xDispatch;
    if (iid == IID_IAddresses) return &m_xAddresses;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CAutoCollection::GetInterface(iid);
}

HRESULT CAddresses::XAddresses::get__NewEnum(IUnknown** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}
HRESULT CAddresses::XAddresses::Item(VARIANT name, IAddress** ppAddress) {
    if (!ppAddress) return E_POINTER;
    *ppAddress = nullptr;
    return Dual([&] { *ppAddress = AddressDual(This()->Find(name)); });
}
HRESULT CAddresses::XAddresses::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}
HRESULT CAddresses::XAddresses::get_Parent(IDispatch** ppParent) {
    if (!ppParent) return E_POINTER;
    *ppParent = nullptr;
    return Dual([&] { *ppParent = This()->GetParent(); });
}
HRESULT CAddresses::XAddresses::get_Count(LONG* pCount) {
    if (!pCount) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}
HRESULT CAddresses::XAddresses::Add(BSTR name, SHORT type, IAddress** ppAddress) {
    if (!ppAddress) return E_POINTER;
    *ppAddress = nullptr;
    return Dual([&] {
        CRefPtr<CAddress> address = CRefPtr<CAddress>::Adopt(This()->AddAddress(BstrToW(name), type));
        *ppAddress = AddressDual(address.Get());
    });
}
HRESULT CAddresses::XAddresses::Delete(VARIANT name) {
    return Dual([&] { This()->Delete(name); });
}
HRESULT CAddresses::XAddresses::Exists(VARIANT name, VARIANT_BOOL* pExists) {
    if (!pExists) return E_POINTER;
    return Dual([&] { *pExists = ToVariantBool(This()->Exists(name)); });
}
HRESULT CAddresses::XAddresses::AddDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) {
    if (!ppAddress) return E_POINTER;
    *ppAddress = nullptr;
    return Dual([&] { *ppAddress = AddressDual(This()->AddWithDialog(windowHandle, BstrToW(name))); });
}
HRESULT CAddresses::XAddresses::BrowseDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) {
    if (!ppAddress) return E_POINTER;
    *ppAddress = nullptr;
    return Dual([&] { *ppAddress = AddressDual(This()->Browse(windowHandle, BstrToW(name))); });
}
