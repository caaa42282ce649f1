#include "records/history_collections.h"

#include <algorithm>
#include <stdexcept>

#include "abi/breed_abi.h"
#include "records/event.h"
#include "records/flock_document.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"

// ---- the views an owner made ---------------------------------------------------------------------

void CHistoryViews::Remove(CHistoryCollection* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CHistoryViews::DetachAll() {
    std::vector<CHistoryCollection*> views;
    views.swap(m_views);
    for (CHistoryCollection* view : views) view->OwnerGone();
}

// ---- the shared behaviour ------------------------------------------------------------------------

CHistoryCollection::CHistoryCollection(CCmdTarget* owner, CHistoryViews* views)
    : m_pOwner(owner), m_pViews(views) {
    EnableAutomation();
    if (m_pViews != nullptr) m_pViews->Add(this);
}

CHistoryCollection::CHistoryCollection(const CHistoryCollection& other)
    : CAutoCollection(other), m_pOwner(other.m_pOwner), m_pViews(other.m_pViews) {
    if (m_pViews != nullptr) m_pViews->Add(this);
}

CHistoryCollection::~CHistoryCollection() {
    if (m_pViews != nullptr) m_pViews->Remove(this);
}

void CHistoryCollection::OwnerGone() {
    m_pOwner = nullptr;
    m_pViews = nullptr;
    MarkDetached();
}

CCmdTarget* CHistoryCollection::Owner() const {
    ThrowIfDetached();
    if (m_pOwner == nullptr) AfxThrowOleException(RPC_E_DISCONNECTED);
    // A record removed from its document refuses its collections' calls as well as its own.
    m_pOwner->ThrowIfDetached();
    return m_pOwner;
}

LONG CHistoryCollection::GetCount() {
    Owner();
    return ElementCount();
}

IDispatch* CHistoryCollection::GetParent() {
    return Owner()->GetIDispatch(true);
}

IDispatch* CHistoryCollection::GetApplication() {
    Owner();
    return AfxOleGetApplicationDispatch();
}

IDispatch* CHistoryCollection::Item(const VARIANT& index) {
    Owner();
    return ElementAt(GetItemIndex(index))->GetIDispatch(true);
}

void CHistoryCollection::Delete(const VARIANT& index) {
    Owner();
    DeleteAt(GetItemIndex(index));
}

void CHistoryCollection::EnumItem(LONG index, VARIANT* pItem) {
    Owner();
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = ElementAt(index)->GetIDispatch(true);
}

HRESULT CHistoryCollection::DualIndex(const VARIANT& index, bool whole32, LONG* pIndex) {
    Owner();
    COleVariant number;
    HRESULT hr = VariantChangeType(&number, &index, 0, VT_I4);
    if (FAILED(hr)) return hr;
    const LONG i = whole32 ? number.lVal : static_cast<SHORT>(number.lVal & 0xFFFF);
    // The framework's invalid-argument failure, not an OLE exception: the dual caller gets
    // E_UNEXPECTED with error information, as from any other failure without a status of its own.
    if (i < 0 || i >= ElementCount()) throw std::invalid_argument("index outside the collection");
    *pIndex = i;
    return S_OK;
}

// ---- CEvents -------------------------------------------------------------------------------------

CEvents::CEvents(CSheep* sheep) : CHistoryCollection(sheep, &sheep->HistoryViews()) {}

CSheep* CEvents::Sheep() const {
    return static_cast<CSheep*>(Owner());
}
LONG CEvents::ElementCount() {
    return Sheep()->GetEventCount();
}
CCmdTarget* CEvents::ElementAt(LONG index) {
    return Sheep()->GetEventAt(index);
}
void CEvents::DeleteAt(LONG index) {
    Sheep()->RemoveEventAt(index, true);
}
CAutoCollection* CEvents::EnumClone() {
    Owner();
    return new CEvents(*this);
}

CCmdTarget* CEvents::AddEvent(DATE date, const WString& codeName, const VARIANT& parameters) {
    CSheep* sheep = Sheep();
    IFlockDocument* doc = sheep->GetDocument();
    auto codeOf =
        reinterpret_cast<PFN_CVLGetIDsFromNames>(doc ? doc->GetBreedProc("CVLGetIDsFromNames") : nullptr);
    if (codeOf == nullptr)
        AfxThrowOleDispatchExceptionSc(E_NOTIMPL, u"The animal's breed plug-in cannot name event codes.");
    const auto code = static_cast<uint32_t>(codeOf(codeName.c_str()));
    const VARIANT& given = VariantDeref(parameters);
    COleVariant none;
    auto event = CRefPtr<CEvent>::Adopt(CEvent::CreateForAutomation(
        date, code, IsMissingArgument(given) ? static_cast<const VARIANT&>(none) : given));
    event->SetOwner(sheep);
    sheep->AddEvent(event.Get(), true);  // a refused event stays ours and goes with `event`
    return event.Detach();               // the animal holds the reference now
}

IDispatch* CEvents::Add(DATE date, const WString& codeName, const VARIANT& parameters) {
    return AddEvent(date, codeName, parameters)->GetIDispatch(true);
}

HRESULT CEvents::XEvents::Add(DATE date, BSTR codeName, VARIANT parameters, IEvent** ppEvent) {
    if (ppEvent == nullptr) return E_POINTER;
    *ppEvent = nullptr;
    return Dual([&] {
        CCmdTarget* event = This()->AddEvent(date, BstrToW(codeName), parameters);
        *ppEvent = CRecordInterface<IEvent>(event, IID_IEvent).Detach();
    });
}

BEGIN_DISPATCH_MAP(CEvents)
DispProperty<VT_I4, &CEvents::GetCount>(u"Count"), DispProperty<VT_DISPATCH, &CEvents::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CEvents::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CEvents::Item, VT_VARIANT>(u"Item"),
    DispMethod<VT_DISPATCH, &CEvents::Add, VT_DATE, VT_BSTR, VT_VARIANT>(u"Add"),
    DispMethod<VT_EMPTY, &CEvents::Delete, VT_VARIANT>(u"Delete"),
    DispProperty<VT_UNKNOWN, &CEvents::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM), DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CEvents, CAutoCollection) INTERFACE_PART(IID_IEventsDisp, m_xDispatch)
            INTERFACE_PART(IID_IEvents, m_xEvents) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()

    // ---- CLambingHistory -----------------------------------------------------------------------------

    CLambingHistory::CLambingHistory(CSheep* sheep)
    : CHistoryCollection(sheep, &sheep->HistoryViews()) {}

CSheep* CLambingHistory::Sheep() const {
    return static_cast<CSheep*>(Owner());
}
LONG CLambingHistory::ElementCount() {
    return Sheep()->GetLambingCount();
}
CCmdTarget* CLambingHistory::ElementAt(LONG index) {
    return Sheep()->GetLambingAt(index);
}
void CLambingHistory::DeleteAt(LONG index) {
    Sheep()->RemoveLambingAt(index);
}
CAutoCollection* CLambingHistory::EnumClone() {
    Owner();
    return new CLambingHistory(*this);
}

BEGIN_DISPATCH_MAP(CLambingHistory)
DispProperty<VT_I4, &CLambingHistory::GetCount>(u"Count"),
    DispProperty<VT_DISPATCH, &CLambingHistory::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CLambingHistory::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CLambingHistory::Item, VT_VARIANT>(u"Item"),
    DispMethod<VT_EMPTY, &CLambingHistory::Delete, VT_VARIANT>(u"Delete"),
    DispProperty<VT_UNKNOWN, &CLambingHistory::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CLambingHistory, CAutoCollection)
            INTERFACE_PART(IID_ILambingHistoryDisp, m_xDispatch)
                INTERFACE_PART(IID_ILambingHistory, m_xLambingHistory)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

    // ---- CTuppingHistory -----------------------------------------------------------------------------

    CTuppingHistory::CTuppingHistory(CSheep* sheep)
    : CHistoryCollection(sheep, &sheep->HistoryViews()) {}

CSheep* CTuppingHistory::Sheep() const {
    return static_cast<CSheep*>(Owner());
}
LONG CTuppingHistory::ElementCount() {
    return Sheep()->GetTuppingCount();
}
CCmdTarget* CTuppingHistory::ElementAt(LONG index) {
    return Sheep()->GetTuppingAt(index);
}
void CTuppingHistory::DeleteAt(LONG index) {
    Sheep()->RemoveTuppingAt(index);
}
CAutoCollection* CTuppingHistory::EnumClone() {
    Owner();
    return new CTuppingHistory(*this);
}

BEGIN_DISPATCH_MAP(CTuppingHistory)
DispProperty<VT_I4, &CTuppingHistory::GetCount>(u"Count"),
    DispProperty<VT_DISPATCH, &CTuppingHistory::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CTuppingHistory::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CTuppingHistory::Item, VT_VARIANT>(u"Item"),
    DispMethod<VT_EMPTY, &CTuppingHistory::Delete, VT_VARIANT>(u"Delete"),
    DispProperty<VT_UNKNOWN, &CTuppingHistory::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CTuppingHistory, CAutoCollection)
            INTERFACE_PART(IID_ITuppingHistoryDisp, m_xDispatch)
                INTERFACE_PART(IID_ITuppingHistory, m_xTuppingHistory)
                    INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo) END_INTERFACE_MAP()

    // ---- CLambs --------------------------------------------------------------------------------------

    CLambs::CLambs(CEweLambingData* record)
    : CHistoryCollection(record, &record->HistoryViews()) {}

CEweLambingData* CLambs::Record() const {
    return static_cast<CEweLambingData*>(Owner());
}
LONG CLambs::ElementCount() {
    return Record()->GetLambCount();
}
CCmdTarget* CLambs::ElementAt(LONG index) {
    return Record()->GetLambAt(index);
}
void CLambs::DeleteAt(LONG index) {
    CEweLambingData* record = Record();
    record->RemoveLambAt(index);
    record->SetEditedNow();
}
CAutoCollection* CLambs::EnumClone() {
    Owner();
    return new CLambs(*this);
}

CCmdTarget* CLambs::AddLamb() {
    CEweLambingData* record = Record();
    auto lamb = MakeRef<CLambData>();
    record->AddLamb(lamb);
    record->SetEditedNow();
    return lamb.Get();  // the record holds it
}

IDispatch* CLambs::Add(const VARIANT&) {
    return AddLamb()->GetIDispatch(true);
}

HRESULT CLambs::XLambs::Add(ILambData** ppLamb) {
    if (ppLamb == nullptr) return E_POINTER;
    *ppLamb = nullptr;
    return Dual([&] { *ppLamb = CRecordInterface<ILambData>(This()->AddLamb(), IID_ILambData).Detach(); });
}

BEGIN_DISPATCH_MAP(CLambs)
DispProperty<VT_I4, &CLambs::GetCount>(u"Count"), DispProperty<VT_DISPATCH, &CLambs::GetParent>(u"Parent"),
    DispProperty<VT_DISPATCH, &CLambs::GetApplication>(u"Application"),
    DispMethod<VT_DISPATCH, &CLambs::Item, VT_VARIANT>(u"Item"),
    DispMethod<VT_EMPTY, &CLambs::Delete, VT_VARIANT>(u"Delete"),
    DispMethod<VT_DISPATCH, &CLambs::Add, VT_VARIANT>(u"Add"),
    DispProperty<VT_UNKNOWN, &CLambs::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM), DispDefValue(u"Item"),
    END_DISPATCH_MAP()

        BEGIN_INTERFACE_MAP(CLambs, CAutoCollection) INTERFACE_PART(IID_ILambsDisp, m_xDispatch)
            INTERFACE_PART(IID_ILambs, m_xLambs) INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
                END_INTERFACE_MAP()
