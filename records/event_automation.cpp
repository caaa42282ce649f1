// The event as an automation object: dispatch members by name and the dual interface by slot.
#include "platform/strings.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {
constexpr unsigned IDS_INVALID_ARGUMENT = 106;
}

BEGIN_DISPATCH_MAP(CEvent)
DispProperty<VT_DATE, &CEvent::GetDateAuto, &CEvent::SetDateAuto>(u"Date"),
    DispProperty<VT_DISPATCH, &CEvent::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CEvent::GetParent>(u"Parent"),
    DispProperty<VT_BSTR, &CEvent::GetValue, &CEvent::SetValue>(u"Value"),
    DispProperty<VT_VARIANT, &CEvent::GetParametersAuto, &CEvent::SetParametersAuto>(u"Parameters"),
    DispMethod<VT_BSTR, &CEvent::TextAuto, VT_VARIANT>(u"Text"), DispDefValue(u"Value"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEvent, CXMLObject) INTERFACE_PART(IID_IEventDisp, m_xDispatch)
            INTERFACE_PART(IID_IEvent, m_xEvent) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()

                    CEvent* CEvent::CreateForAutomation(DATE date, uint32_t code, const VARIANT& parameters) {
    std::vector<WString> texts;
    const VARIANT& v = VariantDeref(parameters);
    if (v.vt != VT_EMPTY) {
        switch (ReadStringArray(v, texts)) {
            case StringArrayCheck::Ok:
                break;
            case StringArrayCheck::NotOneDimension:
                AfxThrowOleException(E_INVALIDARG);
            default:
                AfxThrowOleException(DISP_E_TYPEMISMATCH);
        }
    }
    CEvent* event = new CEvent(COleDateTime(date), code);
    event->m_arrParameters.Assign(texts);
    event->m_dtEdited = COleDateTime();  // the valid zero date
    return event;
}

void CEvent::SetDateAuto(DATE date) {
    m_dtDate = COleDateTime(date);
    m_dtEdited = COleDateTime::GetCurrentTime();
}

IDispatch* CEvent::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CEvent::GetParent() {
    return m_pOwner ? m_pOwner->GetIDispatch(true) : nullptr;
}

void CEvent::SetValue(const WString& name) {
    m_nCode = GetEventCodeFromPlugIn(GetDocument(), name);
    m_dtEdited = COleDateTime::GetCurrentTime();
}

COleVariant CEvent::GetParametersAuto() const {
    SAFEARRAY* array = SafeArrayFromStrings(m_arrParameters.ToVector());
    if (!array) AfxThrowOleException(E_OUTOFMEMORY);
    return COleVariant::FromSafeArray(array, VT_BSTR);
}

void CEvent::SetParametersAuto(const VARIANT& parameters) {
    std::vector<WString> texts;
    if (ReadStringArray(parameters, texts) != StringArrayCheck::Ok)
        AfxThrowOleDispatchExceptionSc(E_INVALIDARG, LoadCvlString(IDS_INVALID_ARGUMENT));
    m_arrParameters.Assign(texts);
    m_dtEdited = COleDateTime::GetCurrentTime();
}

WString CEvent::TextAuto(const VARIANT& includeDate) const {
    bool withDate = true;
    if (!IsMissingArgument(includeDate)) {
        COleVariant b;
        const HRESULT hr = VariantChangeType(&b, &includeDate, 0, VT_BOOL);
        if (FAILED(hr)) AfxThrowOleException(hr);
        withDate = b.boolVal != VARIANT_FALSE;
    }
    return FormatText(withDate);
}

// ---- the dual interface ----------------------------------------------------------------------

HRESULT CEvent::XEvent::get_Value(BSTR* pValue) {
    if (!pValue) return E_POINTER;
    return Dual([&] { *pValue = AllocBstrOrThrow(This()->GetValue()); });
}

HRESULT CEvent::XEvent::put_Value(BSTR value) {
    return Dual([&] { This()->SetValue(BstrToW(value)); });
}

HRESULT CEvent::XEvent::get_Date(DATE* pDate) {
    if (!pDate) return E_POINTER;
    return Dual([&] { *pDate = This()->GetDateAuto(); });
}

HRESULT CEvent::XEvent::put_Date(DATE date) {
    return Dual([&] { This()->SetDateAuto(date); });
}

HRESULT CEvent::XEvent::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

HRESULT CEvent::XEvent::get_Parent(ISheep** ppSheep) {
    if (!ppSheep) return E_POINTER;
    *ppSheep = nullptr;
    return Dual([&] { *ppSheep = CRecordInterface<ISheep>(This()->GetOwner(), IID_ISheep).Detach(); });
}

HRESULT CEvent::XEvent::get_Parameters(VARIANT* pParameters) {
    if (!pParameters) return E_POINTER;
    return Dual([&] {
        COleVariant result = This()->GetParametersAuto();
        *pParameters = result.Detach();
    });
}

HRESULT CEvent::XEvent::put_Parameters(VARIANT parameters) {
    return Dual([&] { This()->SetParametersAuto(parameters); });
}

HRESULT CEvent::XEvent::Text(VARIANT includeDate, BSTR* pText) {
    if (!pText) return E_POINTER;
    return Dual([&] { *pText = AllocBstrOrThrow(This()->TextAuto(includeDate)); });
}
