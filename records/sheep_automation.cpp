// The animal's dispatch members and dual interface.
#include "records/sheep_automation.h"

#include <cstdio>

#include "platform/strings.h"
#include "records/electronic_id.h"
#include "records/flock_document.h"
#include "records/history_collections.h"
#include "records/sheep.h"

namespace {

constexpr WORD kInvalidArgumentCode = 160;
constexpr UINT IDS_INVALID_ARGUMENT = 106;

COleVariant DateVariant(const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return COleVariant();
    return COleVariant(date.m_dt, VT_DATE);
}

[[noreturn]] void ThrowInvalidArgument() {
    AfxThrowOleDispatchException(kInvalidArgumentCode, IDS_INVALID_ARGUMENT);
}

// The figure behind each dual slot pair, in slot order (36/37 to 60/61).
constexpr SignetFigure kFigureSlots[] = {
    FIG_AWT,
    FIG_EIGHT_WEEK_WEIGHT_EBV,
    FIG_LITTER_EBV,
    FIG_MATURE_EBV,
    FIG_MATERNAL_EBV,
    FIG_MUSCLE_DEPTH_EBV,
    FIG_SCAN_WEIGHT_EBV,
    FIG_FAT_DEPTH_EBV,
    FIG_LEAN_INDEX,
    FIG_MATERNAL_ACTUAL,
    FIG_MUSCLE_DEPTH_ACTUAL,
    FIG_SCAN_WEIGHT_ACTUAL,
    FIG_FAT_DEPTH_ACTUAL,
};

}  // namespace

CSheepAutomation::~CSheepAutomation() {
    m_views.DetachAll();
    for (CAutoCollection* c :
         {static_cast<CAutoCollection*>(m_pEvents), static_cast<CAutoCollection*>(m_pLambingHistory),
          static_cast<CAutoCollection*>(m_pTuppingHistory)})
        if (c != nullptr) c->Release();
}

CSheep* CSheepAutomation::Sheep() {
    return static_cast<CSheep*>(this);
}

void CSheepAutomation::StampEditedLocal() {
    Sheep()->SetEdited(COleDateTime::GetCurrentTime());
}

CEvents* CSheepAutomation::GetEventsObject() {
    if (m_pEvents == nullptr) m_pEvents = new CEvents(Sheep());
    return m_pEvents;
}

CLambingHistory* CSheepAutomation::GetLambingHistoryObject() {
    if (m_pLambingHistory == nullptr) m_pLambingHistory = new CLambingHistory(Sheep());
    return m_pLambingHistory;
}

CTuppingHistory* CSheepAutomation::GetTuppingHistoryObject() {
    if (m_pTuppingHistory == nullptr) m_pTuppingHistory = new CTuppingHistory(Sheep());
    return m_pTuppingHistory;
}

// ---- dispatch members ----------------------------------------------------------------------------

WString CSheepAutomation::GetTattooAuto() {
    return Sheep()->GetTattoo();
}
IDispatch* CSheepAutomation::GetApplication() {
    return AfxOleGetApplicationDispatch();
}
COleVariant CSheepAutomation::GetDateofBirthAuto() {
    return DateVariant(Sheep()->GetDateofBirth());
}
COleVariant CSheepAutomation::GetDateofDepartAuto() {
    return DateVariant(Sheep()->GetDateofDepart());
}
COleVariant CSheepAutomation::GetDateofPurchaseAuto() {
    return DateVariant(Sheep()->GetDateofPurchase());
}
WString CSheepAutomation::GetNameAuto() {
    return Sheep()->GetName();
}
void CSheepAutomation::SetNameAuto(const WString& v) {
    Sheep()->SetName(v);
}
SHORT CSheepAutomation::GetSexAuto() {
    return static_cast<SHORT>(Sheep()->GetSex());
}
void CSheepAutomation::SetSexAuto(SHORT v) {
    Sheep()->SetSex(v);
}
SHORT CSheepAutomation::GetOneOfAuto() {
    return static_cast<SHORT>(Sheep()->GetOneOf());
}
void CSheepAutomation::SetOneOfAuto(SHORT v) {
    Sheep()->SetOneOf(v);
}
WString CSheepAutomation::GetEartagColourAuto() {
    return Sheep()->GetEartagColour();
}
void CSheepAutomation::SetEartagColourAuto(const WString& v) {
    Sheep()->SetEartagColour(v);
}
WString CSheepAutomation::GetEartagNumberAuto() {
    return Sheep()->GetEartagNumber();
}
void CSheepAutomation::SetEartagNumberAuto(const WString& v) {
    Sheep()->SetEartagNumber(v);
}
SHORT CSheepAutomation::GetDepartReasonAuto() {
    return static_cast<SHORT>(Sheep()->GetDepartReason());
}
WString CSheepAutomation::GetSireAuto() {
    return Sheep()->GetSire();
}
void CSheepAutomation::SetSireAuto(const WString& v) {
    Sheep()->SetSire(v);
}
WString CSheepAutomation::GetDamAuto() {
    return Sheep()->GetDam();
}
void CSheepAutomation::SetDamAuto(const WString& v) {
    Sheep()->SetDam(v);
}
IDispatch* CSheepAutomation::GetEvents() {
    return GetEventsObject()->GetIDispatch(true);
}
WString CSheepAutomation::GetCommentsAuto() {
    return Sheep()->GetComments();
}
void CSheepAutomation::SetCommentsAuto(const WString& v) {
    Sheep()->SetComments(v);
}
WString CSheepAutomation::GetXmlAuto() {
    return Sheep()->GetXml();
}
void CSheepAutomation::SetXmlAuto(const WString&) {
    AfxThrowOleException(E_NOTIMPL);
}

COleVariant CSheepAutomation::GetImagesAuto() {
    SAFEARRAY* array = SafeArrayFromStrings(Sheep()->FindImages());
    if (array == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    return COleVariant::FromSafeArray(array, VT_BSTR);
}

template <SignetFigure F>
double CSheepAutomation::GetFigureAuto() {
    return Sheep()->GetFigure(F);
}
template <SignetFigure F>
void CSheepAutomation::SetFigureAuto(double v) {
    Sheep()->SetFigure(F, v);
}

SHORT CSheepAutomation::GetGeneticScrapieAuto() {
    return static_cast<SHORT>(Sheep()->GetGeneticScrapie());
}
void CSheepAutomation::SetGeneticScrapieAuto(SHORT v) {
    Sheep()->SetGeneticScrapie(v);
}

WString CSheepAutomation::GetElectronicIDAuto() {
    return FormatElectronicID(Sheep()->GetElectronicID());
}

void CSheepAutomation::SetElectronicIDAuto(const WString& text) {
    StampEditedLocal();  // also when the text turns out to hold no number
    uint64_t eid = 0;
    if (!ParseElectronicID(text, eid)) ThrowInvalidArgument();
    StoreElectronicID(eid);
}

ULONGLONG CSheepAutomation::GetElectronicIDNumberAuto() {
    return Sheep()->GetElectronicID();
}

void CSheepAutomation::SetElectronicIDNumberAuto(ULONGLONG eid) {
    StampEditedLocal();
    StoreElectronicID(eid);
}

void CSheepAutomation::StoreElectronicID(ULONGLONG eid) {
    CSheep* sheep = Sheep();
    if (IFlockDocument* doc = sheep->GetDocument(); doc != nullptr && eid != 0) {
        WString holder;
        if (doc->LookupTattooByEID(eid, &holder) && !EqualsNoCase(holder, sheep->GetTattoo()))
            ThrowInvalidArgument();
    }
    sheep->SetElectronicID(eid);  // files the EID in the document's map
}

COleVariant CSheepAutomation::GetFlagsAuto() {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BOOL, 0, 8);
    if (array == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    const uint32_t flags = Sheep()->GetFlags();
    for (LONG i = 0; i < 8; ++i) {
        VARIANT_BOOL b = ToVariantBool((flags >> i) & 1u);
        SafeArrayPutElement(array, &i, &b);
    }
    return COleVariant::FromSafeArray(array, VT_BOOL);
}

void CSheepAutomation::SetFlagsAuto(const VARIANT& flags) {
    const VARIANT& v = VariantDeref(flags);
    SAFEARRAY* array = (v.vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    // Anything but an array has no elements to read.
    if (!(v.vt & VT_ARRAY) || array == nullptr || SafeArrayGetDim(array) == 0)
        AfxThrowOleException(DISP_E_TYPEMISMATCH);
    VARTYPE element = VT_EMPTY;
    SafeArrayGetVartype(array, &element);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    uint32_t bits = Sheep()->GetFlags();
    for (LONG i = lower, k = 0; i <= upper && k < 32; ++i, ++k) {
        SHORT value = 0;
        if (element == VT_VARIANT) {
            COleVariant item;
            SafeArrayGetElement(array, &i, &item);
            COleVariant asShort;
            if (SUCCEEDED(VariantChangeType(&asShort, &item, 0, VT_I2))) value = asShort.iVal;
        } else if (SafeArrayGetElemsize(array) == sizeof(SHORT)) {
            SafeArrayGetElement(array, &i, &value);
        } else {
            AfxThrowOleException(DISP_E_TYPEMISMATCH);
        }
        if (static_cast<USHORT>(value) == 0xFFFF)
            bits |= 1u << k;
        else
            bits &= ~(1u << k);
    }
    Sheep()->SetFlags(bits);
}

BEGIN_DISPATCH_MAP(CSheepAutomation)
DispProperty<VT_BSTR, &CSheepAutomation::GetTattooAuto>(u"Tattoo"),
    DispProperty<VT_DISPATCH, &CSheepAutomation::GetApplication>(u"Application"),
    DispProperty<VT_DISPATCH, &CSheepAutomation::GetParent>(u"Parent"),
    DispProperty<VT_VARIANT, &CSheepAutomation::GetDateofBirthAuto>(u"DateofBirth"),
    DispProperty<VT_VARIANT, &CSheepAutomation::GetDateofDepartAuto>(u"DateofDepart"),
    DispProperty<VT_VARIANT, &CSheepAutomation::GetDateofPurchaseAuto>(u"DateofPurchase"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetNameAuto, &CSheepAutomation::SetNameAuto>(u"Name"),
    DispProperty<VT_I2, &CSheepAutomation::GetSexAuto, &CSheepAutomation::SetSexAuto>(u"Sex"),
    DispProperty<VT_I2, &CSheepAutomation::GetOneOfAuto, &CSheepAutomation::SetOneOfAuto>(u"OneOf"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetEartagColourAuto, &CSheepAutomation::SetEartagColourAuto>(
        u"EartagColour"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetEartagNumberAuto, &CSheepAutomation::SetEartagNumberAuto>(
        u"EartagNumber"),
    DispProperty<VT_I2, &CSheepAutomation::GetDepartReasonAuto>(u"DepartReason"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetSireAuto, &CSheepAutomation::SetSireAuto>(u"Sire"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetDamAuto, &CSheepAutomation::SetDamAuto>(u"Dam"),
    DispProperty<VT_DISPATCH, &CSheepAutomation::GetEvents>(u"Events"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetCommentsAuto, &CSheepAutomation::SetCommentsAuto>(
        u"Comments"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetXmlAuto, &CSheepAutomation::SetXmlAuto>(u"Xml"),
    DispProperty<VT_VARIANT, &CSheepAutomation::GetImagesAuto>(u"Images"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_AWT>, &CSheepAutomation::SetFigureAuto<FIG_AWT>>(
        u"AWT"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_EIGHT_WEEK_WEIGHT_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_EIGHT_WEEK_WEIGHT_EBV>>(u"EightWeekWeightEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_LITTER_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_LITTER_EBV>>(u"LitterEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_MATURE_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_MATURE_EBV>>(u"MatureEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_MATERNAL_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_MATERNAL_EBV>>(u"MaternalEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_MUSCLE_DEPTH_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_MUSCLE_DEPTH_EBV>>(u"MuscleDepthEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_SCAN_WEIGHT_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_SCAN_WEIGHT_EBV>>(u"ScanWeightEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_FAT_DEPTH_EBV>,
                 &CSheepAutomation::SetFigureAuto<FIG_FAT_DEPTH_EBV>>(u"FatDepthEBV"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_LEAN_INDEX>,
                 &CSheepAutomation::SetFigureAuto<FIG_LEAN_INDEX>>(u"LeanIndex"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_MATERNAL_ACTUAL>,
                 &CSheepAutomation::SetFigureAuto<FIG_MATERNAL_ACTUAL>>(u"MaternalActual"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_MUSCLE_DEPTH_ACTUAL>,
                 &CSheepAutomation::SetFigureAuto<FIG_MUSCLE_DEPTH_ACTUAL>>(u"MuscleDepthActual"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_SCAN_WEIGHT_ACTUAL>,
                 &CSheepAutomation::SetFigureAuto<FIG_SCAN_WEIGHT_ACTUAL>>(u"ScanWeightActual"),
    DispProperty<VT_R8, &CSheepAutomation::GetFigureAuto<FIG_FAT_DEPTH_ACTUAL>,
                 &CSheepAutomation::SetFigureAuto<FIG_FAT_DEPTH_ACTUAL>>(u"FatDepthActual"),
    DispProperty<VT_I2, &CSheepAutomation::GetGeneticScrapieAuto, &CSheepAutomation::SetGeneticScrapieAuto>(
        u"GeneticScrapie"),
    DispProperty<VT_BSTR, &CSheepAutomation::GetElectronicIDAuto, &CSheepAutomation::SetElectronicIDAuto>(
        u"ElectronicID"),
    DispProperty<VT_UI8, &CSheepAutomation::GetElectronicIDNumberAuto,
                 &CSheepAutomation::SetElectronicIDNumberAuto>(u"_ElectronicID"),
    DispProperty<VT_VARIANT, &CSheepAutomation::GetFlagsAuto, &CSheepAutomation::SetFlagsAuto>(u"Flags"),
    DispDefValue(u"Tattoo"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CSheepAutomation, CXMLObject) INTERFACE_PART(IID_ISheepDisp, m_xDispatch)
            INTERFACE_PART(IID_ISheep, m_xSheep) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()

    // ---- the dual interface ------------------------------------------------------------------------

    HRESULT CSheepAutomation::XSheep::GetText(BSTR* pOut, WString (CSheepAutomation::*get)()) {
    if (pOut == nullptr) return E_POINTER;
    *pOut = nullptr;
    return Dual([&] { *pOut = AllocBstrOrThrow((This()->*get)()); });
}
HRESULT CSheepAutomation::XSheep::PutText(BSTR in, void (CSheepAutomation::*put)(const WString&)) {
    return Dual([&] { (This()->*put)(BstrToW(in)); });
}
HRESULT CSheepAutomation::XSheep::GetShort(SHORT* pOut, SHORT (CSheepAutomation::*get)()) {
    if (pOut == nullptr) return E_POINTER;
    return Dual([&] { *pOut = (This()->*get)(); });
}
HRESULT CSheepAutomation::XSheep::PutShort(SHORT in, void (CSheepAutomation::*put)(SHORT)) {
    return Dual([&] { (This()->*put)(in); });
}
HRESULT CSheepAutomation::XSheep::GetVariant(VARIANT* pOut, COleVariant (CSheepAutomation::*get)()) {
    if (pOut == nullptr) return E_POINTER;
    VariantInit(pOut);
    return Dual([&] { *pOut = (This()->*get)().Detach(); });
}
HRESULT CSheepAutomation::XSheep::GetFigure(DOUBLE* pOut, int slotPair) {
    if (pOut == nullptr) return E_POINTER;
    return Dual([&] { *pOut = This()->Sheep()->GetFigure(kFigureSlots[slotPair]); });
}
HRESULT CSheepAutomation::XSheep::PutFigure(DOUBLE in, int slotPair) {
    return Dual([&] { This()->Sheep()->SetFigure(kFigureSlots[slotPair], in); });
}

HRESULT CSheepAutomation::XSheep::get_Tattoo(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetTattooAuto);
}
HRESULT CSheepAutomation::XSheep::get_Application(IDispatch** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(pp)); });
}
HRESULT CSheepAutomation::XSheep::get_Parent(IDispatch** pp) {
    // The same object as the dispatch Parent: the Application.
    return get_Application(pp);
}
HRESULT CSheepAutomation::XSheep::get_DateofBirth(VARIANT* p) {
    return GetVariant(p, &CSheepAutomation::GetDateofBirthAuto);
}
HRESULT CSheepAutomation::XSheep::get_DateofDepart(VARIANT* p) {
    return GetVariant(p, &CSheepAutomation::GetDateofDepartAuto);
}
HRESULT CSheepAutomation::XSheep::get_DateofPurchase(VARIANT* p) {
    return GetVariant(p, &CSheepAutomation::GetDateofPurchaseAuto);
}
HRESULT CSheepAutomation::XSheep::put_Name(BSTR v) {
    return PutText(v, &CSheepAutomation::SetNameAuto);
}
HRESULT CSheepAutomation::XSheep::get_Name(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetNameAuto);
}
HRESULT CSheepAutomation::XSheep::put_Sex(SHORT v) {
    return PutShort(v, &CSheepAutomation::SetSexAuto);
}
HRESULT CSheepAutomation::XSheep::get_Sex(SHORT* p) {
    return GetShort(p, &CSheepAutomation::GetSexAuto);
}
HRESULT CSheepAutomation::XSheep::put_OneOf(SHORT v) {
    return PutShort(v, &CSheepAutomation::SetOneOfAuto);
}
HRESULT CSheepAutomation::XSheep::get_OneOf(SHORT* p) {
    return GetShort(p, &CSheepAutomation::GetOneOfAuto);
}
HRESULT CSheepAutomation::XSheep::put_EartagColour(BSTR v) {
    return PutText(v, &CSheepAutomation::SetEartagColourAuto);
}
HRESULT CSheepAutomation::XSheep::get_EartagColour(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetEartagColourAuto);
}
HRESULT CSheepAutomation::XSheep::put_EartagNumber(BSTR v) {
    return PutText(v, &CSheepAutomation::SetEartagNumberAuto);
}
HRESULT CSheepAutomation::XSheep::get_EartagNumber(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetEartagNumberAuto);
}
HRESULT CSheepAutomation::XSheep::get_DepartReason(SHORT* p) {
    return GetShort(p, &CSheepAutomation::GetDepartReasonAuto);
}
HRESULT CSheepAutomation::XSheep::put_Sire(BSTR v) {
    return PutText(v, &CSheepAutomation::SetSireAuto);
}
HRESULT CSheepAutomation::XSheep::get_Sire(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetSireAuto);
}
HRESULT CSheepAutomation::XSheep::put_Dam(BSTR v) {
    return PutText(v, &CSheepAutomation::SetDamAuto);
}
HRESULT CSheepAutomation::XSheep::get_Dam(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetDamAuto);
}

namespace {
// A collection's own dual interface with a reference for the caller.
template <class I>
HRESULT CollectionDual(CCmdTarget* collection, const IID& iid, I** pp) {
    void* p = nullptr;
    HRESULT hr = collection->ExternalQueryInterface(iid, &p);
    *pp = static_cast<I*>(p);
    return hr;
}
}  // namespace

HRESULT CSheepAutomation::XSheep::get_Events(IEvents** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return CollectionDual(This()->GetEventsObject(), IID_IEvents, pp); });
}
HRESULT CSheepAutomation::XSheep::get_LambingHistory(ILambingHistory** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return CollectionDual(This()->GetLambingHistoryObject(), IID_ILambingHistory, pp); });
}
HRESULT CSheepAutomation::XSheep::get_TuppingHistory(ITuppingHistory** pp) {
    if (pp == nullptr) return E_POINTER;
    *pp = nullptr;
    return Dual([&] { return CollectionDual(This()->GetTuppingHistoryObject(), IID_ITuppingHistory, pp); });
}
HRESULT CSheepAutomation::XSheep::put_Comments(BSTR v) {
    return PutText(v, &CSheepAutomation::SetCommentsAuto);
}
HRESULT CSheepAutomation::XSheep::get_Comments(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetCommentsAuto);
}
HRESULT CSheepAutomation::XSheep::put_Xml(BSTR v) {
    return PutText(v, &CSheepAutomation::SetXmlAuto);
}
HRESULT CSheepAutomation::XSheep::get_Xml(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetXmlAuto);
}
HRESULT CSheepAutomation::XSheep::get_Images(VARIANT* p) {
    return GetVariant(p, &CSheepAutomation::GetImagesAuto);
}

#define CVL_SHEEP_FIGURE_SLOTS(name, pair)                    \
    HRESULT CSheepAutomation::XSheep::get_##name(DOUBLE* p) { \
        return GetFigure(p, pair);                            \
    }                                                         \
    HRESULT CSheepAutomation::XSheep::put_##name(DOUBLE v) {  \
        return PutFigure(v, pair);                            \
    }
CVL_SHEEP_FIGURE_SLOTS(AWT, 0)
CVL_SHEEP_FIGURE_SLOTS(EightWeekWeightEBV, 1)
CVL_SHEEP_FIGURE_SLOTS(LitterEBV, 2)
CVL_SHEEP_FIGURE_SLOTS(MatureEBV, 3)
CVL_SHEEP_FIGURE_SLOTS(MaternalEBV, 4)
CVL_SHEEP_FIGURE_SLOTS(MuscleDepthEBV, 5)
CVL_SHEEP_FIGURE_SLOTS(ScanWeightEBV, 6)
CVL_SHEEP_FIGURE_SLOTS(FatDepthEBV, 7)
CVL_SHEEP_FIGURE_SLOTS(LeanIndex, 8)
CVL_SHEEP_FIGURE_SLOTS(MaternalActual, 9)
CVL_SHEEP_FIGURE_SLOTS(MuscleDepthActual, 10)
CVL_SHEEP_FIGURE_SLOTS(ScanWeightActual, 11)
CVL_SHEEP_FIGURE_SLOTS(FatDepthActual, 12)
#undef CVL_SHEEP_FIGURE_SLOTS

HRESULT CSheepAutomation::XSheep::get_GeneticScrapie(SHORT* p) {
    return GetShort(p, &CSheepAutomation::GetGeneticScrapieAuto);
}
HRESULT CSheepAutomation::XSheep::put_GeneticScrapie(SHORT v) {
    return PutShort(v, &CSheepAutomation::SetGeneticScrapieAuto);
}
HRESULT CSheepAutomation::XSheep::get_ElectronicID(BSTR* p) {
    return GetText(p, &CSheepAutomation::GetElectronicIDAuto);
}
HRESULT CSheepAutomation::XSheep::put_ElectronicID(BSTR v) {
    return PutText(v, &CSheepAutomation::SetElectronicIDAuto);
}
HRESULT CSheepAutomation::XSheep::get__ElectronicID(ULONGLONG* p) {
    if (p == nullptr) return E_POINTER;
    return Dual([&] { *p = This()->GetElectronicIDNumberAuto(); });
}
HRESULT CSheepAutomation::XSheep::put__ElectronicID(ULONGLONG v) {
    return Dual([&] { This()->SetElectronicIDNumberAuto(v); });
}
HRESULT CSheepAutomation::XSheep::get_Flags(VARIANT* p) {
    return GetVariant(p, &CSheepAutomation::GetFlagsAuto);
}
HRESULT CSheepAutomation::XSheep::put_Flags(VARIANT v) {
    return Dual([&] { This()->SetFlagsAuto(v); });
}
