#include "records/record_automation.h"

#include "records/address.h"
#include "records/lambing.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

constexpr WORD kSexNotSetCode = 7;
constexpr UINT IDS_SEX_NOT_SET = 132;

HRESULT ApplicationDual(IDispatch** pp) {
    return AfxOleGetApplicationDual(reinterpret_cast<void**>(pp));
}

DATE RawDate(const COleDateTime& date) {
    return date.GetStatus() == COleDateTime::null ? 0.0 : date.m_dt;
}

}  // namespace

// ---- lambing record --------------------------------------------------------------------------------

CEweLambingDataAutomation::~CEweLambingDataAutomation() {
    m_views.DetachAll();
    if (m_pLambs != nullptr) m_pLambs->Release();
}

CEweLambingData* CEweLambingDataAutomation::Record() {
    return static_cast<CEweLambingData*>(this);
}

CLambs* CEweLambingDataAutomation::GetLambsObject() {
    if (m_pLambs == nullptr) m_pLambs = new CLambs(Record());
    return m_pLambs;
}

IDispatch* CEweLambingDataAutomation::GetApplication() {
    return AfxOleGetApplicationDispatch();
}
WString CEweLambingDataAutomation::GetCommentsAuto() {
    return Record()->GetComments();
}
void CEweLambingDataAutomation::SetCommentsAuto(const WString& v) {
    Record()->StoreComments(v);
}
DATE CEweLambingDataAutomation::GetDateAuto() {
    return RawDate(Record()->GetDate());
}
void CEweLambingDataAutomation::SetDateAuto(DATE v) {
    Record()->StoreDate(COleDateTime(v));
}
IDispatch* CEweLambingDataAutomation::GetLambs() {
    return GetLambsObject()->GetIDispatch(true);
}
SHORT CEweLambingDataAutomation::GetMethodAuto() {
    return static_cast<SHORT>(Record()->GetMethod());
}
void CEweLambingDataAutomation::SetMethodAuto(SHORT v) {
    Record()->StoreMethod(v);
}
WString CEweLambingDataAutomation::GetTupAuto() {
    return Record()->GetTup();
}
void CEweLambingDataAutomation::SetTupAuto(const WString& v) {
    Record()->StoreTup(v);
}

BEGIN_DISPATCH_MAP(CEweLambingDataAutomation)
DispProperty<VT_DISPATCH, &CEweLambingDataAutomation::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CEweLambingDataAutomation::GetParent>(u"Parent"),
    DispProperty<VT_BSTR, &CEweLambingDataAutomation::GetCommentsAuto,
                 &CEweLambingDataAutomation::SetCommentsAuto>(u"Comments"),
    DispProperty<VT_DATE, &CEweLambingDataAutomation::GetDateAuto, &CEweLambingDataAutomation::SetDateAuto>(
        u"Date"),
    DispProperty<VT_DISPATCH, &CEweLambingDataAutomation::GetLambs>(u"Lambs"),
    DispProperty<VT_I2, &CEweLambingDataAutomation::GetMethodAuto, &CEweLambingDataAutomation::SetMethodAuto>(
        u"Method"),
    DispProperty<VT_BSTR, &CEweLambingDataAutomation::GetTupAuto, &CEweLambingDataAutomation::SetTupAuto>(
        u"Tup"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEweLambingDataAutomation, CXMLObject)
            INTERFACE_PART(IID_IEweLambingDataDisp, m_xDispatch)
                INTERFACE_PART(IID_IEweLambingData, m_xEweLambingData)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                        HRESULT CEweLambingDataAutomation::XEweLambingData::get_Application(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return ApplicationDual(pp); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Parent(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([] {});
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Comments(BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return Dual([&] { *p = AllocBstrOrThrow(This()->GetCommentsAuto()); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::put_Comments(BSTR v) {
    return Dual([&] { This()->SetCommentsAuto(BstrToW(v)); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Date(DATE* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->GetDateAuto(); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::put_Date(DATE v) {
    return Dual([&] { This()->SetDateAuto(v); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Lambs(ILambs** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { *pp = CRecordInterface<ILambs>(This()->GetLambsObject(), IID_ILambs).Detach(); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Method(LONG* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->Record()->GetMethod(); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::put_Method(LONG v) {
    return Dual([&] { This()->Record()->StoreMethod(v); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::get_Tup(BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return Dual([&] { *p = AllocBstrOrThrow(This()->GetTupAuto()); });
}
HRESULT CEweLambingDataAutomation::XEweLambingData::put_Tup(BSTR v) {
    return Dual([&] { This()->SetTupAuto(BstrToW(v)); });
}

// ---- lamb ------------------------------------------------------------------------------------------

CLambData* CLambDataAutomation::Lamb() {
    return static_cast<CLambData*>(this);
}

WString CLambDataAutomation::GetTattooAuto() {
    return Lamb()->GetTattoo();
}
void CLambDataAutomation::SetTattooAuto(const WString& v) {
    Lamb()->SetTattoo(v);
}
WString CLambDataAutomation::GetCommentsAuto() {
    return Lamb()->GetComments();
}
void CLambDataAutomation::SetCommentsAuto(const WString& v) {
    Lamb()->SetComments(v);
}
WString CLambDataAutomation::GetBirthWeightAuto() {
    return Lamb()->GetBirthWeight();
}
void CLambDataAutomation::SetBirthWeightAuto(const WString& v) {
    Lamb()->SetBirthWeight(v);
}
SHORT CLambDataAutomation::GetSexAuto() {
    return static_cast<SHORT>(Lamb()->GetSex());
}
void CLambDataAutomation::SetSexAuto(SHORT v) {
    StoreSex(v);
}
void CLambDataAutomation::StoreSex(LONG v) {
    if (v == LAMB_SEX_NOT_SET) AfxThrowOleDispatchException(kSexNotSetCode, IDS_SEX_NOT_SET);
    Lamb()->SetSex(v);
}

BEGIN_DISPATCH_MAP(CLambDataAutomation)
DispProperty<VT_BSTR, &CLambDataAutomation::GetTattooAuto, &CLambDataAutomation::SetTattooAuto>(u"Tattoo"),
    DispProperty<VT_BSTR, &CLambDataAutomation::GetCommentsAuto, &CLambDataAutomation::SetCommentsAuto>(
        u"Comments"),
    DispProperty<VT_BSTR, &CLambDataAutomation::GetBirthWeightAuto, &CLambDataAutomation::SetBirthWeightAuto>(
        u"BirthWeight"),
    DispProperty<VT_I2, &CLambDataAutomation::GetSexAuto, &CLambDataAutomation::SetSexAuto>(u"Sex"),
    DispDefValue(u"Tattoo"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CLambDataAutomation, CXMLObject) INTERFACE_PART(IID_ILambDataDisp, m_xDispatch)
            INTERFACE_PART(IID_ILambData, m_xLambData)
                INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                    HRESULT CLambDataAutomation::XLambData::put_Tattoo(BSTR v) {
    return Dual([&] { This()->SetTattooAuto(BstrToW(v)); });
}
HRESULT CLambDataAutomation::XLambData::get_Tattoo(BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return Dual([&] { *p = AllocBstrOrThrow(This()->GetTattooAuto()); });
}
HRESULT CLambDataAutomation::XLambData::put_Comments(BSTR v) {
    return Dual([&] { This()->SetCommentsAuto(BstrToW(v)); });
}
HRESULT CLambDataAutomation::XLambData::get_Comments(BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return Dual([&] { *p = AllocBstrOrThrow(This()->GetCommentsAuto()); });
}
HRESULT CLambDataAutomation::XLambData::put_Sex(LONG v) {
    return Dual([&] { This()->StoreSex(v); });
}
HRESULT CLambDataAutomation::XLambData::get_Sex(LONG* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->Lamb()->GetSex(); });
}
HRESULT CLambDataAutomation::XLambData::put_BirthWeight(BSTR v) {
    return Dual([&] { This()->SetBirthWeightAuto(BstrToW(v)); });
}
HRESULT CLambDataAutomation::XLambData::get_BirthWeight(BSTR* p) {
    if (p == nullptr) return E_POINTER;
    *p = nullptr;
    return Dual([&] { *p = AllocBstrOrThrow(This()->GetBirthWeightAuto()); });
}

// ---- tupping record ----------------------------------------------------------------------------------

CRamLambingData* CRamLambingDataAutomation::Record() {
    return static_cast<CRamLambingData*>(this);
}

IDispatch* CRamLambingDataAutomation::GetApplication() {
    return AfxOleGetApplicationDispatch();
}
DATE CRamLambingDataAutomation::GetDateInAuto() {
    return RawDate(Record()->GetDateIn());
}
void CRamLambingDataAutomation::SetDateInAuto(DATE v) {
    Record()->StoreDateIn(COleDateTime(v));
}
DATE CRamLambingDataAutomation::GetDateOutAuto() {
    return RawDate(Record()->GetDateOut());
}
void CRamLambingDataAutomation::SetDateOutAuto(DATE v) {
    Record()->StoreDateOut(COleDateTime(v));
}
SHORT CRamLambingDataAutomation::GetMethodAuto() {
    return static_cast<SHORT>(Record()->GetMethod());
}
void CRamLambingDataAutomation::SetMethodAuto(SHORT v) {
    Record()->StoreMethod(v);
}
COleVariant CRamLambingDataAutomation::GetEwesAuto() {
    SAFEARRAY* array = SafeArrayFromStrings(Record()->GetEwes());
    if (array == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    return COleVariant::FromSafeArray(array, VT_BSTR);
}
void CRamLambingDataAutomation::SetEwesAuto(const VARIANT& v) {
    std::vector<WString> ewes;
    if (v.vt != (VT_ARRAY | VT_BSTR) || ReadStringArray(v, ewes) != StringArrayCheck::Ok)
        AfxThrowOleException(E_INVALIDARG);
    Record()->SetEwes(std::move(ewes));
}

BEGIN_DISPATCH_MAP(CRamLambingDataAutomation)
DispProperty<VT_DISPATCH, &CRamLambingDataAutomation::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CRamLambingDataAutomation::GetParent>(u"Parent"),
    DispProperty<VT_DATE, &CRamLambingDataAutomation::GetDateInAuto,
                 &CRamLambingDataAutomation::SetDateInAuto>(u"DateIn"),
    DispProperty<VT_DATE, &CRamLambingDataAutomation::GetDateOutAuto,
                 &CRamLambingDataAutomation::SetDateOutAuto>(u"DateOut"),
    DispProperty<VT_I2, &CRamLambingDataAutomation::GetMethodAuto, &CRamLambingDataAutomation::SetMethodAuto>(
        u"Method"),
    DispProperty<VT_VARIANT, &CRamLambingDataAutomation::GetEwesAuto,
                 &CRamLambingDataAutomation::SetEwesAuto>(u"Ewes"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CRamLambingDataAutomation, CXMLObject)
            INTERFACE_PART(IID_IRamLambingDataDisp, m_xDispatch)
                INTERFACE_PART(IID_IRamLambingData, m_xRamLambingData)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                        HRESULT CRamLambingDataAutomation::XRamLambingData::get_Application(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return ApplicationDual(pp); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::get_Parent(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([] {});
}
HRESULT CRamLambingDataAutomation::XRamLambingData::put_DateIn(DATE v) {
    return Dual([&] { This()->SetDateInAuto(v); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::get_DateIn(DATE* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->GetDateInAuto(); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::put_DateOut(DATE v) {
    return Dual([&] { This()->SetDateOutAuto(v); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::get_DateOut(DATE* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->GetDateOutAuto(); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::put_Method(LONG v) {
    return Dual([&] { This()->Record()->StoreMethod(v); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::get_Method(LONG* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->Record()->GetMethod(); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::put_Ewes(VARIANT v) {
    return Dual([&] { This()->SetEwesAuto(v); });
}
HRESULT CRamLambingDataAutomation::XRamLambingData::get_Ewes(VARIANT* p) {
    if (p == nullptr) return E_POINTER;
    VariantInit(p);
    return Dual([&] { *p = This()->GetEwesAuto().Detach(); });
}

// ---- Signet class averages ---------------------------------------------------------------------------

double& CSignetDataAutomation::Figure(int index) {
    CSignetData* s = static_cast<CSignetData*>(this);
    double* const figures[] = {&s->m_dblAWT,           &s->m_dblEightWeekWeightEBV, &s->m_dblLitterEBV,
                               &s->m_dblMatureEBV,     &s->m_dblMaternalEBV,        &s->m_dblMuscleDepthEBV,
                               &s->m_dblScanWeightEBV, &s->m_dblFatDepthEBV,        &s->m_dblLeanIndex};
    return *figures[index];
}

template <int kFigure>
double CSignetDataAutomation::GetFigureAuto() {
    return Figure(kFigure);
}
template <int kFigure>
void CSignetDataAutomation::SetFigureAuto(double v) {
    Figure(kFigure) = StoredFigure(v);
}

#define CVL_SIGNET_FIGURE(index, name)                                \
    DispProperty<VT_R8, &CSignetDataAutomation::GetFigureAuto<index>, \
                 &CSignetDataAutomation::SetFigureAuto<index>>(name)
BEGIN_DISPATCH_MAP(CSignetDataAutomation)
CVL_SIGNET_FIGURE(0, u"AWT"), CVL_SIGNET_FIGURE(1, u"EightWeekWeightEBV"), CVL_SIGNET_FIGURE(2, u"LitterEBV"),
    CVL_SIGNET_FIGURE(3, u"MatureEBV"), CVL_SIGNET_FIGURE(4, u"MaternalEBV"),
    CVL_SIGNET_FIGURE(5, u"MuscleDepthEBV"), CVL_SIGNET_FIGURE(6, u"ScanWeightEBV"),
    CVL_SIGNET_FIGURE(7, u"FatDepthEBV"), CVL_SIGNET_FIGURE(8, u"LeanIndex"),
    END_DISPATCH_MAP()
#undef CVL_SIGNET_FIGURE

        BEGIN_INTERFACE_MAP(CSignetDataAutomation, CCmdTarget)
            INTERFACE_PART(IID_ISignetDataDisp, m_xDispatch) INTERFACE_PART(IID_ISignetData, m_xSignetData)
                INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

                    HRESULT CSignetDataAutomation::XSignetData::Get(int index, DOUBLE* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->Figure(index); });
}
HRESULT CSignetDataAutomation::XSignetData::Put(int index, DOUBLE v) {
    return Dual([&] { This()->Figure(index) = StoredFigure(v); });
}

// ---- address ---------------------------------------------------------------------------------------

CAddress* CAddressAutomation::Address() {
    return static_cast<CAddress*>(this);
}

WString CAddressAutomation::GetAddressAuto() {
    return Address()->GetAddress();
}
void CAddressAutomation::SetAddressAuto(const WString& v) {
    Address()->SetAddress(v);
}
WString CAddressAutomation::GetTelephoneAuto() {
    return Address()->GetTelephone();
}
void CAddressAutomation::SetTelephoneAuto(const WString& v) {
    Address()->SetTelephone(v);
}
WString CAddressAutomation::GetFacsimileAuto() {
    return Address()->GetFax();
}
void CAddressAutomation::SetFacsimileAuto(const WString& v) {
    Address()->SetFax(v);
}
WString CAddressAutomation::GetPostCodeAuto() {
    return Address()->GetPostCode();
}
void CAddressAutomation::SetPostCodeAuto(const WString& v) {
    Address()->SetPostCode(v);
}
WString CAddressAutomation::GetEmailAuto() {
    return Address()->GetEmail();
}
void CAddressAutomation::SetEmailAuto(const WString& v) {
    Address()->SetEmail(v);
}
IDispatch* CAddressAutomation::GetApplication() {
    return AfxOleGetApplicationDispatch();
}
WString CAddressAutomation::GetKey() {
    return Address()->GetID();
}

BEGIN_DISPATCH_MAP(CAddressAutomation)
DispProperty<VT_BSTR, &CAddressAutomation::GetAddressAuto, &CAddressAutomation::SetAddressAuto>(u"Address"),
    DispProperty<VT_BSTR, &CAddressAutomation::GetTelephoneAuto, &CAddressAutomation::SetTelephoneAuto>(
        u"Telephone"),
    DispProperty<VT_BSTR, &CAddressAutomation::GetFacsimileAuto, &CAddressAutomation::SetFacsimileAuto>(
        u"Facsimile"),
    DispProperty<VT_BSTR, &CAddressAutomation::GetPostCodeAuto, &CAddressAutomation::SetPostCodeAuto>(
        u"PostCode"),
    DispProperty<VT_BSTR, &CAddressAutomation::GetEmailAuto, &CAddressAutomation::SetEmailAuto>(u"Email"),
    DispProperty<VT_DISPATCH, &CAddressAutomation::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CAddressAutomation::GetParent>(u"Parent"),
    DispProperty<VT_BSTR, &CAddressAutomation::GetKey>(u"Key"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CAddressAutomation, CXMLObject) INTERFACE_PART(IID_IAddressDisp, m_xDispatch)
            INTERFACE_PART(IID_IAddress, m_xAddress) INTERFACE_PART(IID_ISupportErrorInfo,
                                                                    m_xSupportErrorInfo) END_INTERFACE_MAP()

                HRESULT CAddressAutomation::XAddress::GetText(BSTR* p, WString (CAddressAutomation::*get)()) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] {
        BSTR text = AllocBstrOrThrow((This()->*get)());
        SysFreeString(*p);  // in and out: the caller's text is replaced
        *p = text;
    });
}
HRESULT CAddressAutomation::XAddress::PutText(BSTR v, void (CAddressAutomation::*put)(const WString&)) {
    return Dual([&] { (This()->*put)(BstrToW(v)); });
}
HRESULT CAddressAutomation::XAddress::put_Address(BSTR v) {
    return PutText(v, &CAddressAutomation::SetAddressAuto);
}
HRESULT CAddressAutomation::XAddress::get_Address(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetAddressAuto);
}
HRESULT CAddressAutomation::XAddress::put_Telephone(BSTR v) {
    return PutText(v, &CAddressAutomation::SetTelephoneAuto);
}
HRESULT CAddressAutomation::XAddress::get_Telephone(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetTelephoneAuto);
}
HRESULT CAddressAutomation::XAddress::put_Facsimile(BSTR v) {
    return PutText(v, &CAddressAutomation::SetFacsimileAuto);
}
HRESULT CAddressAutomation::XAddress::get_Facsimile(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetFacsimileAuto);
}
HRESULT CAddressAutomation::XAddress::get_Application(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return ApplicationDual(pp); });
}
HRESULT CAddressAutomation::XAddress::get_Parent(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([] {});
}
HRESULT CAddressAutomation::XAddress::get_Key(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetKey);
}
HRESULT CAddressAutomation::XAddress::put_PostCode(BSTR v) {
    return PutText(v, &CAddressAutomation::SetPostCodeAuto);
}
HRESULT CAddressAutomation::XAddress::get_PostCode(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetPostCodeAuto);
}
HRESULT CAddressAutomation::XAddress::put_Email(BSTR v) {
    return PutText(v, &CAddressAutomation::SetEmailAuto);
}
HRESULT CAddressAutomation::XAddress::get_Email(BSTR* p) {
    return GetText(p, &CAddressAutomation::GetEmailAuto);
}
