#include "records/breeds.h"

#include <algorithm>

#include "abi/breed_abi.h"
#include "platform/module.h"
#include "platform/settings.h"
#include "records/event_codes.h"
#include "records/record_interfaces.h"

IMPLEMENT_DYNAMIC(CComBreed, CCmdTarget)
IMPLEMENT_DYNCREATE(CBreeds, CCmdTarget)

namespace {
// A breed's value name must fit a name buffer of this many characters, terminator included; the
// list ends at the first one that does not.
constexpr size_t kBreedNameBuffer = 32;
}  // namespace

bool GetBreedLibraryPath(const WString& breedName, std::string* path) {
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    if (!app) return false;
    auto breeds = app->OpenSubkey(u"Breeds");
    WString text;
    if (!breeds || !breeds->QueryString(breedName, text) || text.empty()) return false;
    *path = WToUtf8(text);
    return true;
}

double BreedVersionNumber(uint32_t fileVersionMS, uint32_t fileVersionLS) {
    // Only bit 0 of the most significant word survives the shift by 31; scripts compare this number.
    const uint32_t v = static_cast<uint32_t>(static_cast<uint64_t>(fileVersionMS) << 31) | fileVersionLS;
    return static_cast<double>(v);
}

// ---- CComBreed ---------------------------------------------------------------------------------

CComBreed::CComBreed(CCmdTarget* parent, WString name) : m_pParent(parent), m_strName(std::move(name)) {
    EnableAutomation();
}

CComBreed::~CComBreed() {
    if (m_eventCodes) m_eventCodes->ForgetBreed();
}

void CComBreed::DetachFromParent() {
    m_pParent = nullptr;
    MarkDetached();
}

IDispatch* CComBreed::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CComBreed::GetParent() {
    return m_pParent != nullptr ? m_pParent->GetIDispatch(true) : nullptr;
}

double CComBreed::GetVersion() const {
    std::string path;
    CModuleVersion version;
    if (!GetBreedLibraryPath(m_strName, &path) || !ReadModuleVersion(path, version)) return 1.0;
    return BreedVersionNumber(version.MostSignificant(), version.LeastSignificant());
}

CEventCodes* CComBreed::GetEventCodesObject() {
    if (!m_eventCodes) {
        auto codes = CRefPtr<CEventCodes>::Adopt(new CEventCodes(this));
        // A breed whose library cannot be used gives Nothing; the next request tries again.
        if (!codes->IsAutomationEnabled()) {
            codes->ForgetBreed();
            return nullptr;
        }
        m_eventCodes = std::move(codes);
    }
    return m_eventCodes.Get();
}

IDispatch* CComBreed::GetEventCodes() {
    CEventCodes* codes = GetEventCodesObject();
    return codes != nullptr ? codes->GetIDispatch(true) : nullptr;
}

BOOL CComBreed::ValidateTattoo(const WString& tattoo) const {
    std::string path;
    if (!GetBreedLibraryPath(m_strName, &path)) return FALSE;
    CModule library;
    if (!library.Load(path)) return FALSE;
    auto isValid = library.Get<PFN_CVLIsTattooValid>("CVLIsTattooValid");
    return isValid != nullptr && isValid(tattoo.c_str()) != 0 ? TRUE : FALSE;
}

BEGIN_DISPATCH_MAP(CComBreed)
DispProperty<VT_DISPATCH, &CComBreed::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CComBreed::GetParent>(u"Parent"),
    DispProperty<VT_BSTR, &CComBreed::GetNameAuto>(u"Name"),
    DispProperty<VT_R8, &CComBreed::GetVersion>(u"Version"),
    DispProperty<VT_DISPATCH, &CComBreed::GetEventCodes>(u"EventCodes"),
    DispDefValue(u"Name"), DispMethod<VT_BOOL, &CComBreed::ValidateTattoo, VT_BSTR>(u"ValidateTattoo"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CComBreed, CCmdTarget) INTERFACE_PART(IID_IBreedDisp, m_xDispatch)
            INTERFACE_PART(IID_IBreed, m_xBreed) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()

                    HRESULT CComBreed::XBreed::get_Name(BSTR* pName) {
    if (pName == nullptr) return E_POINTER;
    return Dual([&] {
        BSTR name = AllocBstrOrThrow(This()->GetName());
        SysFreeString(*pName);
        *pName = name;
    });
}

HRESULT CComBreed::XBreed::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

HRESULT CComBreed::XBreed::get_Parent(IDispatch** ppParent) {
    if (ppParent == nullptr) return E_POINTER;
    *ppParent = nullptr;
    return Dual([&] { *ppParent = This()->GetParent(); });
}

HRESULT CComBreed::XBreed::get_Version(DOUBLE* pVersion) {
    if (pVersion == nullptr) return E_POINTER;
    return Dual([&] { *pVersion = This()->GetVersion(); });
}

HRESULT CComBreed::XBreed::get_EventCodes(IEventCodes** ppCodes) {
    if (ppCodes == nullptr) return E_POINTER;
    *ppCodes = nullptr;
    // No usable library: Nothing, as through dispatch.
    return Dual([&] {
        *ppCodes = CRecordInterface<IEventCodes>(This()->GetEventCodesObject(), IID_IEventCodes).Detach();
    });
}

HRESULT CComBreed::XBreed::ValidateTattoo(BSTR tattoo, VARIANT_BOOL* pValid) {
    if (pValid == nullptr) return E_POINTER;
    return Dual([&] { *pValid = ToVariantBool(This()->ValidateTattoo(BstrToW(tattoo))); });
}

// ---- CBreeds -----------------------------------------------------------------------------------

CBreeds::CBreeds() {
    EnableAutomation();
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    auto key = app ? app->OpenSubkey(u"Breeds") : std::nullopt;
    if (!key) return;
    std::vector<WString> names;
    for (const auto& [name, value] : key->Values()) {
        if (name.size() >= kBreedNameBuffer) break;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (auto& name : names)
        m_breeds.push_back(CRefPtr<CComBreed>::Adopt(new CComBreed(this, std::move(name))));
}

CBreeds::~CBreeds() {
    // A client may still hold a breed: it stays valid memory but refuses every call.
    for (auto& breed : m_breeds) breed->DetachFromParent();
}

IDispatch* CBreeds::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CBreeds::Item(const VARIANT& index) {
    return m_breeds[static_cast<size_t>(GetItemIndex(index))]->GetIDispatch(true);
}

void CBreeds::EnumItem(LONG index, VARIANT* pItem) {
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = m_breeds[static_cast<size_t>(index)]->GetIDispatch(true);
}

BEGIN_DISPATCH_MAP(CBreeds)
DispProperty<VT_DISPATCH, &CBreeds::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CBreeds::GetParent>(u"Parent"),
    DispProperty<VT_I4, &CBreeds::GetCount>(u"Count"),
    DispMethod<VT_DISPATCH, &CBreeds::Item, VT_VARIANT>(u"Item"),
    DispProperty<VT_UNKNOWN, &CBreeds::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM), DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CBreeds, CAutoCollection) INTERFACE_PART(IID_IBreedsDisp, m_xDispatch)
            INTERFACE_PART(IID_IBreeds, m_xBreeds) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()

                    HRESULT CBreeds::XBreeds::get__NewEnum(IUnknown** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}

HRESULT CBreeds::XBreeds::Item(VARIANT index, IBreed** ppBreed) {
    if (ppBreed == nullptr) return E_POINTER;
    *ppBreed = nullptr;
    return Dual([&] {
        CBreeds* self = This();
        CComBreed* breed = self->m_breeds[static_cast<size_t>(self->GetItemIndex(index))].Get();
        *ppBreed = CRecordInterface<IBreed>(breed, IID_IBreed).Detach();
    });
}

HRESULT CBreeds::XBreeds::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

HRESULT CBreeds::XBreeds::get_Parent(IDispatch** ppApplication) {
    return get_Application(ppApplication);
}

HRESULT CBreeds::XBreeds::get_Count(LONG* pCount) {
    if (pCount == nullptr) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}
