#include "automation_sample.h"

#include <stdexcept>

CSample::CSample(WString name) : m_name(std::move(name)) {
    EnableAutomation();
}

WString CSample::Describe(SHORT n, const VARIANT& suffix) {
    WString text = m_name + u" x" + IntToW(n);
    if (!IsMissingArgument(suffix)) {
        COleVariant s;
        s.ChangeType(VT_BSTR, &suffix);
        text += u" " + BstrToW(s.bstrVal);
    }
    return text;
}

void CSample::Fail(LONG how) {
    switch (how) {
        case kFailBounds:
            AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
        case kFailOwnStatus:
            AfxThrowOleDispatchExceptionSc(E_INVALIDARG, u"Bad parameters");
        case kFailOleNotImpl:
            AfxThrowOleException(E_NOTIMPL);
        case kFailMemory:
            AfxThrowMemoryException();
        case kFailOther:
            throw std::runtime_error("broken");
        case kFailCode160:
            AfxThrowOleDispatchException(160, WStringView(u"Invalid Argument"), 160);
        default:
            break;
    }
}

WString CSample::GetTag(SHORT index) const {
    if (index < 0 || index > 1)
        AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
    return m_tags[index];
}

void CSample::SetTag(SHORT index, const WString& text) {
    GetTag(index);
    m_tags[index] = text;
}

const CDispatchTable* CSample::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_BSTR, &CSample::GetName, &CSample::SetName>(u"Name"),
        DispProperty<VT_I4, &CSample::GetCount>(u"Count"),
        DispProperty<VT_BOOL, &CSample::GetFlag, &CSample::SetFlag>(u"Flag"),
        DispMethod<VT_BSTR, &CSample::Describe, VT_I2, VT_VARIANT>(u"Describe"),
        DispMethod<VT_EMPTY, &CSample::Fail, VT_I4>(u"Fail"),
        DispPropertyParam<VT_BSTR, &CSample::GetTag, &CSample::SetTag, VT_I2>(u"Tag"),
        DispDefValue(u"Name"),
    };
    return &table;
}

IUnknown* CSample::GetInterface(REFIID iid) {
    if (iid == IID_ISampleDisp) return &m_xDispatch;
    if (iid == IID_ISample) return &m_xSample;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

HRESULT CSample::XSample::get_Name(BSTR* pName) {
    return Dual([&] { *pName = AllocBstrOrThrow(This()->GetName()); });
}
HRESULT CSample::XSample::put_Name(BSTR name) {
    return Dual([&] { This()->SetName(BstrToW(name)); });
}
HRESULT CSample::XSample::get_Count(LONG* pCount) {
    return Dual([&] { *pCount = This()->GetCount(); });
}
HRESULT CSample::XSample::get_Flag(VARIANT_BOOL* pFlag) {
    return Dual([&] { *pFlag = ToVariantBool(This()->GetFlag()); });
}
HRESULT CSample::XSample::put_Flag(VARIANT_BOOL flag) {
    return Dual([&] { This()->SetFlag(flag); });
}
HRESULT CSample::XSample::Describe(SHORT n, VARIANT suffix, BSTR* pText) {
    return Dual([&] { *pText = AllocBstrOrThrow(This()->Describe(n, suffix)); });
}
HRESULT CSample::XSample::Fail(LONG how) {
    return Dual([&] { This()->Fail(how); });
}

CSampleItems::CSampleItems(bool allowClone) : m_allowClone(allowClone) {
    EnableAutomation();
}

CSampleItems::CSampleItems(const CSampleItems& other)
    : CAutoCollection(other), m_items(other.m_items), m_allowClone(other.m_allowClone) {
    for (CSample* s : m_items) s->AddRef();
}

CSampleItems::~CSampleItems() {
    for (CSample* s : m_items) s->Release();
}

void CSampleItems::Add(CSample* item) {
    item->AddRef();
    m_items.push_back(item);
}

IDispatch* CSampleItems::Item(const VARIANT& index) {
    return m_items[GetItemIndex(index)]->GetIDispatch(true);
}

void CSampleItems::EnumItem(LONG index, VARIANT* pItem) {
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = m_items[index]->GetIDispatch(true);
}

CAutoCollection* CSampleItems::EnumClone() {
    if (!m_allowClone) return CAutoCollection::EnumClone();
    return new CSampleItems(*this);
}

const CDispatchTable* CSampleItems::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_I4, &CSampleItems::GetCount>(u"Count"),
        DispMethod<VT_DISPATCH, &CSampleItems::Item, VT_VARIANT>(u"Item"),
        DispProperty<VT_UNKNOWN, &CSampleItems::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
        DispDefValue(u"Item"),
    };
    return &table;
}
