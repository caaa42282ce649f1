#include "records/event_codes.h"

#include "abi/breed_abi.h"
#include "records/breeds.h"
#include "records/record_interfaces.h"

IMPLEMENT_DYNCREATE(CEventCodes, CCmdTarget)
IMPLEMENT_DYNAMIC(CEventCode, CCmdTarget)
IMPLEMENT_DYNCREATE(CEventCodeProperties, CCmdTarget)
IMPLEMENT_DYNAMIC(CEventCodeProperty, CCmdTarget)

namespace {

// The plug-in's name of a code (the two-call fetch); false when it cannot name it.
bool NameOfCode(const CBreedLibrary& library, uint32_t code, WString* name) {
    auto getName = library ? library->Get<PFN_CVLGetNamesFromIDs>("CVLGetNamesFromIDs") : nullptr;
    if (getName == nullptr) return false;
    const int32_t length = getName(static_cast<int32_t>(code), nullptr, 0);
    if (length < 0) return false;
    WString buffer(static_cast<size_t>(length) + 1, u'\0');
    // The size counts the terminator, as the length did not.
    if (getName(static_cast<int32_t>(code), buffer.data(), length + 1) == -1) return false;
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    *name = std::move(buffer);
    return true;
}

template <class I>
HRESULT ApplicationDual(I** ppApplication) {
    return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication));
}

}  // namespace

std::vector<std::pair<WString, uint32_t>> EnumBreedEvents(const std::function<void*(const char*)>& getProc) {
    std::vector<std::pair<WString, uint32_t>> events;
    auto init = reinterpret_cast<PFN_CVLInitEnumEvents>(getProc("CVLInitEnumEvents"));
    auto next = reinterpret_cast<PFN_CVLEnumEvents>(getProc("CVLEnumEvents"));
    auto codeOf = reinterpret_cast<PFN_CVLGetIDsFromNames>(getProc("CVLGetIDsFromNames"));
    if (init == nullptr || next == nullptr || codeOf == nullptr) return events;  // nothing to list
    uint32_t handle = 0;
    init(&handle);
    char16_t buffer[64];
    for (;;) {
        buffer[0] = u'\0';
        if (next(&handle, 8, 1, buffer, 64) == 0) break;
        buffer[63] = u'\0';
        WString name(buffer);
        const auto code = static_cast<uint32_t>(codeOf(name.c_str()));
        events.emplace_back(std::move(name), code);
    }
    if (auto end = reinterpret_cast<PFN_CVLEndEnumEvents>(getProc("CVLEndEnumEvents"))) end(handle);
    return events;
}

// ---- CEventCodes -------------------------------------------------------------------------------

CEventCodes::CEventCodes() = default;

CEventCodes::CEventCodes(CComBreed* breed) : m_pBreed(breed) {
    std::string path;
    if (breed == nullptr || !GetBreedLibraryPath(breed->GetName(), &path)) return;
    auto library = std::make_shared<CModule>();
    if (!library->Load(path)) return;
    m_library = std::move(library);
    EnableAutomation();

    const auto lookup = [this](const char* name) { return m_library->GetProc(name); };
    for (auto& [name, code] : EnumBreedEvents(lookup)) {
        m_names.push_back(name);
        // A repeated name replaces the earlier object; Count still counts both names.
        m_codes[name] = CRefPtr<CEventCode>::Adopt(new CEventCode(this, m_library, code));
    }
}

CEventCodes::~CEventCodes() {
    for (auto& [name, code] : m_codes) code->ForgetParent();
}

IDispatch* CEventCodes::GetParent() {
    return m_pBreed != nullptr ? m_pBreed->GetIDispatch(true) : nullptr;
}

IDispatch* CEventCodes::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

CEventCode* CEventCodes::Lookup(const WString& name) const {
    auto it = m_codes.find(name);
    if (it == m_codes.end()) AfxThrowOleException(E_OUTOFMEMORY);
    return it->second.Get();
}

CEventCode* CEventCodes::ItemObject(const VARIANT& index) {
    const VARIANT& given = VariantDeref(index);
    COleVariant number;
    HRESULT hr = VariantChangeType(&number, &given, 0, VT_I2);
    if (FAILED(hr)) {
        // A name that is not a number: the code of that name.
        if (given.vt == VT_BSTR && hr == DISP_E_TYPEMISMATCH) {
            auto it = m_codes.find(BstrToW(given.bstrVal));
            if (it == m_codes.end())
                AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
            return it->second.Get();
        }
        AfxThrowOleException(hr);
    }
    WString name;
    if (!NameOfCode(m_library, static_cast<uint32_t>(static_cast<int32_t>(number.iVal)), &name))
        AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
    return Lookup(name);
}

IDispatch* CEventCodes::Item(const VARIANT& index) {
    return ItemObject(index)->GetIDispatch(true);
}

void CEventCodes::EnumItem(LONG index, VARIANT* pItem) {
    CEventCode* code = Lookup(m_names[static_cast<size_t>(index)]);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = code->GetIDispatch(true);
}

BEGIN_DISPATCH_MAP(CEventCodes)
DispProperty<VT_I4, &CEventCodes::GetCount>(u"Count"),
    DispProperty<VT_DISPATCH, &CEventCodes::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CEventCodes::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CEventCodes::Item, VT_VARIANT>(u"Item"),
    DispProperty<VT_UNKNOWN, &CEventCodes::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM), DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEventCodes, CAutoCollection) INTERFACE_PART(IID_IEventCodesDisp, m_xDispatch)
            INTERFACE_PART(IID_IEventCodes, m_xEventCodes)
                INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                    HRESULT CEventCodes::XEventCodes::get__NewEnum(IUnknown** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}

HRESULT CEventCodes::XEventCodes::Item(VARIANT index, IEventCode** ppCode) {
    if (ppCode == nullptr) return E_POINTER;
    *ppCode = nullptr;
    return Dual(
        [&] { *ppCode = CRecordInterface<IEventCode>(This()->ItemObject(index), IID_IEventCode).Detach(); });
}

HRESULT CEventCodes::XEventCodes::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return ApplicationDual(ppApplication); });
}

HRESULT CEventCodes::XEventCodes::get_Parent(IBreed** ppBreed) {
    if (ppBreed == nullptr) return E_POINTER;
    *ppBreed = nullptr;
    return Dual([&] { *ppBreed = CRecordInterface<IBreed>(This()->m_pBreed, IID_IBreed).Detach(); });
}

HRESULT CEventCodes::XEventCodes::get_Count(LONG* pCount) {
    if (pCount == nullptr) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}

// ---- CEventCode --------------------------------------------------------------------------------

CEventCode::CEventCode(CEventCodes* parent, CBreedLibrary library, uint32_t code)
    : m_nCode(code), m_pParent(parent), m_library(std::move(library)) {
    EnableAutomation();
}

CEventCode::~CEventCode() {
    if (m_properties) m_properties->ForgetParent();
}

WString CEventCode::GetValue() {
    WString name;
    NameOfCode(m_library, m_nCode, &name);
    return name;
}

CEventCodeProperties* CEventCode::GetPropertiesObject() {
    if (!m_properties)
        m_properties =
            CRefPtr<CEventCodeProperties>::Adopt(new CEventCodeProperties(this, m_library, m_nCode));
    return m_properties.Get();
}

IDispatch* CEventCode::GetEventCodeProperties() {
    return GetPropertiesObject()->GetIDispatch(true);
}

BOOL CEventCode::TestTypeBit(unsigned bit) const {
    auto getType = m_library ? m_library->Get<PFN_CVLGetType>("CVLGetType") : nullptr;
    if (getType == nullptr) return FALSE;
    return (getType(static_cast<int32_t>(m_nCode)) >> bit) & 1u ? TRUE : FALSE;
}

BEGIN_DISPATCH_MAP(CEventCode)
DispProperty<VT_BSTR, &CEventCode::GetValue>(u"Value"),
    DispProperty<VT_DISPATCH, &CEventCode::GetEventCodeProperties>(u"EventCodeProperties"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEventCode, CCmdTarget) INTERFACE_PART(IID_IEventCodeDisp, m_xDispatch)
            INTERFACE_PART(IID_IEventCode, m_xEventCode)
                INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                    HRESULT CEventCode::XEventCode::get_Value(BSTR* pName) {
    if (pName == nullptr) return E_POINTER;
    *pName = nullptr;
    return Dual([&] { *pName = AllocBstrOrThrow(This()->GetValue()); });
}

HRESULT CEventCode::XEventCode::get_EventCodeProperties(IEventCodeProperties** ppProperties) {
    if (ppProperties == nullptr) return E_POINTER;
    *ppProperties = nullptr;
    return Dual([&] {
        *ppProperties =
            CRecordInterface<IEventCodeProperties>(This()->GetPropertiesObject(), IID_IEventCodeProperties)
                .Detach();
    });
}

HRESULT CEventCode::XEventCode::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return ApplicationDual(ppApplication); });
}

HRESULT CEventCode::XEventCode::get_Parent(IEventCodes** ppCodes) {
    if (ppCodes == nullptr) return E_POINTER;
    *ppCodes = nullptr;
    return Dual(
        [&] { *ppCodes = CRecordInterface<IEventCodes>(This()->m_pParent, IID_IEventCodes).Detach(); });
}

HRESULT CEventCode::XEventCode::TypeBit(unsigned bit, VARIANT_BOOL* pSet) {
    if (pSet == nullptr) return E_POINTER;
    return Dual([&] { *pSet = ToVariantBool(This()->TestTypeBit(bit)); });
}
HRESULT CEventCode::XEventCode::get_TypeBit0(VARIANT_BOOL* pSet) {
    return TypeBit(0, pSet);
}
HRESULT CEventCode::XEventCode::get_TypeBit1(VARIANT_BOOL* pSet) {
    return TypeBit(1, pSet);
}
HRESULT CEventCode::XEventCode::get_TypeBit2(VARIANT_BOOL* pSet) {
    return TypeBit(2, pSet);
}
HRESULT CEventCode::XEventCode::get_TypeBit3(VARIANT_BOOL* pSet) {
    return TypeBit(3, pSet);
}
HRESULT CEventCode::XEventCode::get_TypeBit4(VARIANT_BOOL* pSet) {
    return TypeBit(4, pSet);
}

// ---- CEventCodeProperties ----------------------------------------------------------------------

CEventCodeProperties::CEventCodeProperties() = default;

CEventCodeProperties::CEventCodeProperties(CEventCode* parent, CBreedLibrary library, uint32_t code)
    : m_nCode(code), m_library(std::move(library)), m_pParent(parent) {
    EnableAutomation();
    if (code == 0xFFFFFFFFu || !m_library) return;
    auto count = m_library->Get<PFN_CVLGetParameterCount>("CVLGetParameterCount");
    if (count == nullptr) return;
    const uint32_t n = count(static_cast<int32_t>(code));
    auto getTag = m_library->Get<PFN_CVLGetParameterTag>("CVLGetParameterTag");
    auto getType = m_library->Get<PFN_CVLGetParameterType>("CVLGetParameterType");
    // A plug-in that counts "any number" here has no list to give.
    if (n == 0xFFFFFFFFu) return;
    for (uint32_t i = 0; i < n; ++i) {
        WString tag;
        if (getTag != nullptr) {
            const int32_t length = getTag(static_cast<int32_t>(code), static_cast<int32_t>(i), nullptr, 0);
            if (length > 0) {
                tag.assign(static_cast<size_t>(length) + 1, u'\0');
                getTag(static_cast<int32_t>(code), static_cast<int32_t>(i), tag.data(), length + 1);
                tag.resize(std::char_traits<char16_t>::length(tag.c_str()));
            }
        }
        const int32_t type =
            getType != nullptr ? getType(static_cast<int32_t>(code), static_cast<int32_t>(i)) : 0;
        m_items.push_back(CRefPtr<CEventCodeProperty>::Adopt(new CEventCodeProperty(this, tag, type)));
    }
}

CEventCodeProperties::~CEventCodeProperties() {
    for (auto& item : m_items) item->ForgetParent();
}

IDispatch* CEventCodeProperties::GetParent() {
    return m_pParent != nullptr ? m_pParent->GetIDispatch(true) : nullptr;
}

IDispatch* CEventCodeProperties::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CEventCodeProperties::Item(const VARIANT& index) {
    return m_items[static_cast<size_t>(GetItemIndex(index))]->GetIDispatch(true);
}

void CEventCodeProperties::EnumItem(LONG index, VARIANT* pItem) {
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = m_items[static_cast<size_t>(index)]->GetIDispatch(true);
}

BEGIN_DISPATCH_MAP(CEventCodeProperties)
DispProperty<VT_I4, &CEventCodeProperties::GetCount>(u"Count"),
    DispProperty<VT_DISPATCH, &CEventCodeProperties::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CEventCodeProperties::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CEventCodeProperties::Item, VT_VARIANT>(u"Item"),
    DispProperty<VT_UNKNOWN, &CEventCodeProperties::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEventCodeProperties, CAutoCollection)
            INTERFACE_PART(IID_IEventCodePropertiesDisp, m_xDispatch)
                INTERFACE_PART(IID_IEventCodeProperties, m_xEventCodeProperties)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                        HRESULT CEventCodeProperties::XEventCodeProperties::get__NewEnum(IUnknown** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    return Dual([&] { *ppEnum = This()->GetNewEnum(); });
}

HRESULT CEventCodeProperties::XEventCodeProperties::Item(VARIANT index, IEventCodeProperty** ppProperty) {
    if (ppProperty == nullptr) return E_POINTER;
    *ppProperty = nullptr;
    return Dual([&] {
        CEventCodeProperties* self = This();
        CEventCodeProperty* item = self->m_items[static_cast<size_t>(self->GetItemIndex(index))].Get();
        *ppProperty = CRecordInterface<IEventCodeProperty>(item, IID_IEventCodeProperty).Detach();
    });
}

HRESULT CEventCodeProperties::XEventCodeProperties::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return ApplicationDual(ppApplication); });
}

HRESULT CEventCodeProperties::XEventCodeProperties::get_Parent(IEventCode** ppCode) {
    if (ppCode == nullptr) return E_POINTER;
    *ppCode = nullptr;
    return Dual([&] { *ppCode = CRecordInterface<IEventCode>(This()->m_pParent, IID_IEventCode).Detach(); });
}

HRESULT CEventCodeProperties::XEventCodeProperties::get_Count(LONG* pCount) {
    if (pCount == nullptr) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}

// ---- CEventCodeProperty ------------------------------------------------------------------------

CEventCodeProperty::CEventCodeProperty(CEventCodeProperties* parent, WString tag, int32_t dataType)
    : m_pParent(parent), m_strTag(std::move(tag)), m_nDataType(dataType) {
    EnableAutomation();
}

CEventCodeProperty::~CEventCodeProperty() = default;

IDispatch* CEventCodeProperty::GetParent() {
    return m_pParent != nullptr ? m_pParent->GetIDispatch(true) : nullptr;
}

IDispatch* CEventCodeProperty::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

BEGIN_DISPATCH_MAP(CEventCodeProperty)
DispProperty<VT_BSTR, &CEventCodeProperty::GetValue>(u"Value"),
    DispProperty<VT_DISPATCH, &CEventCodeProperty::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CEventCodeProperty::GetApplication>(u"Application"),
    DispProperty<VT_I2, &CEventCodeProperty::GetDataTypeShort>(u"DataType"), DispDefValue(u"Value"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEventCodeProperty, CCmdTarget)
            INTERFACE_PART(IID_IEventCodePropertyDisp, m_xDispatch)
                INTERFACE_PART(IID_IEventCodeProperty, m_xEventCodeProperty)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                        HRESULT CEventCodeProperty::XEventCodeProperty::get_Value(BSTR* pTag) {
    if (pTag == nullptr) return E_POINTER;
    *pTag = nullptr;
    return Dual([&] { *pTag = AllocBstrOrThrow(This()->GetValue()); });
}

HRESULT CEventCodeProperty::XEventCodeProperty::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return ApplicationDual(ppApplication); });
}

HRESULT CEventCodeProperty::XEventCodeProperty::get_Parent(IEventCodeProperties** ppProperties) {
    if (ppProperties == nullptr) return E_POINTER;
    *ppProperties = nullptr;
    return Dual([&] {
        *ppProperties =
            CRecordInterface<IEventCodeProperties>(This()->m_pParent, IID_IEventCodeProperties).Detach();
    });
}

HRESULT CEventCodeProperty::XEventCodeProperty::get_DataType(LONG* pType) {
    if (pType == nullptr) return E_POINTER;
    return Dual([&] { *pType = This()->GetDataType(); });
}
