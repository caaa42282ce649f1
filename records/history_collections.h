// The automation collections over an animal's events, lambing records and tupping records and over
// a lambing record's lambs. Each is a view: it keeps only a link to its owner and a position, and
// the owner detaches every view it made when it goes.
#pragma once

#include <vector>

#include "platform/automation/automation.h"
#include "records/record_interfaces.h"

class CSheep;
class CEweLambingData;
struct ISheep;
struct IEvent;
struct IEweLambingData;
struct IRamLambingData;
struct ILambData;

// The dual interfaces of the elements that carry no other header's identifiers.
inline constexpr IID IID_IEweLambingDataDisp = {
    0x7c2e4b40, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEweLambingData = {
    0x7c2e4b41, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambDataDisp = {
    0x7c2e4b42, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambData = {
    0x7c2e4b43, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IRamLambingDataDisp = {
    0x7c2e4b44, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IRamLambingData = {
    0x7c2e4b45, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};

inline constexpr IID IID_IEventsDisp = {
    0x7c2e4b30, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEvents = {
    0x7c2e4b31, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambingHistoryDisp = {
    0x7c2e4b32, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambingHistory = {
    0x7c2e4b33, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ITuppingHistoryDisp = {
    0x7c2e4b34, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ITuppingHistory = {
    0x7c2e4b35, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambsDisp = {
    0x7c2e4b36, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ILambs = {
    0x7c2e4b37, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};

// Slots 7-13.
struct IEvents : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IEvent** ppEvent) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(ISheep** ppSheep) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Add(DATE date, BSTR codeName, VARIANT parameters, IEvent** ppEvent) = 0;
    virtual HRESULT Delete(VARIANT index) = 0;

protected:
    ~IEvents() = default;
};

// Slots 7-12.
struct ILambingHistory : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IEweLambingData** ppRecord) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(ISheep** ppSheep) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Delete(VARIANT index) = 0;

protected:
    ~ILambingHistory() = default;
};

// Slots 7-12.
struct ITuppingHistory : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IRamLambingData** ppRecord) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(ISheep** ppSheep) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Delete(VARIANT index) = 0;

protected:
    ~ITuppingHistory() = default;
};

// Slots 7-13.
struct ILambs : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, ILambData** ppLamb) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IEweLambingData** ppRecord) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Delete(VARIANT index) = 0;
    virtual HRESULT Add(ILambData** ppLamb) = 0;

protected:
    ~ILambs() = default;
};

class CHistoryCollection;

// What an owner keeps of the views it made: it detaches all of them when it goes.
class CHistoryViews {
public:
    CHistoryViews() = default;
    CHistoryViews(const CHistoryViews&) = delete;
    CHistoryViews& operator=(const CHistoryViews&) = delete;
    ~CHistoryViews() { DetachAll(); }

    void Add(CHistoryCollection* view) { m_views.push_back(view); }
    void Remove(CHistoryCollection* view);
    void DetachAll();

private:
    std::vector<CHistoryCollection*> m_views;
};

// The family's shared behaviour: Count, Parent, Application, Item and Delete by a zero-based index,
// the enumerator and Clone.
class CHistoryCollection : public CAutoCollection {
public:
    ~CHistoryCollection() override;

    LONG GetCount();
    IDispatch* GetParent();
    IDispatch* GetApplication();
    IDispatch* Item(const VARIANT& index);
    void Delete(const VARIANT& index);

    // The owner went: every later call is refused.
    void OwnerGone();

    // The owner, refusing the call when it is gone or detached itself.
    CCmdTarget* Owner() const;
    virtual LONG ElementCount() = 0;
    virtual CCmdTarget* ElementAt(LONG index) = 0;
    virtual void DeleteAt(LONG index) = 0;

    // The dual Item's index: converted to 32 bits (a failed conversion is its own result), then cut
    // to 16 bits unless whole32; out of range is the invalid-argument failure.
    HRESULT DualIndex(const VARIANT& index, bool whole32, LONG* pIndex);
    // The element's dual interface iid for the dual Item.
    template <class I>
    HRESULT DualItem(const VARIANT& index, bool whole32, const IID& iid, I** ppOut) {
        LONG i = 0;
        HRESULT hr = DualIndex(index, whole32, &i);
        if (FAILED(hr)) return hr;
        void* p = nullptr;
        hr = ElementAt(i)->ExternalQueryInterface(iid, &p);
        *ppOut = static_cast<I*>(p);
        return hr;
    }

protected:
    // owner: the record the view shows (not owned); views: its list of views.
    CHistoryCollection(CCmdTarget* owner, CHistoryViews* views);
    CHistoryCollection(const CHistoryCollection& other);

    LONG EnumCount() override { return ElementCount(); }
    void EnumItem(LONG index, VARIANT* pItem) override;

    CCmdTarget* m_pOwner;
    CHistoryViews* m_pViews;
};

// The slots that the four dual interfaces share (7 to 11).
template <class Owner, class Itf, const IID& kIid, class ElementItf, const IID& kElementIid, class ParentItf,
          const IID& kParentIid, bool kWhole32>
class CHistoryDual : public CDualImpl<Owner, Itf, kIid> {
public:
    using CDualImpl<Owner, Itf, kIid>::CDualImpl;
    HRESULT get__NewEnum(IUnknown** ppEnum) override {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        return this->Dual([&] {
            this->This()->Owner();
            *ppEnum = this->This()->GetNewEnum();
        });
    }
    HRESULT Item(VARIANT index, ElementItf** ppOut) override {
        if (ppOut == nullptr) return E_POINTER;
        *ppOut = nullptr;
        return this->Dual([&] { return this->This()->DualItem(index, kWhole32, kElementIid, ppOut); });
    }
    HRESULT get_Application(IDispatch** ppApplication) override {
        if (ppApplication == nullptr) return E_POINTER;
        *ppApplication = nullptr;
        return this->Dual([&] {
            this->This()->Owner();
            return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication));
        });
    }
    HRESULT get_Parent(ParentItf** ppParent) override {
        if (ppParent == nullptr) return E_POINTER;
        *ppParent = nullptr;
        return this->Dual([&] {
            void* p = nullptr;
            HRESULT hr = this->This()->Owner()->ExternalQueryInterface(kParentIid, &p);
            *ppParent = static_cast<ParentItf*>(p);
            return hr;
        });
    }
    HRESULT get_Count(LONG* pCount) override {
        if (pCount == nullptr) return E_POINTER;
        return this->Dual([&] { *pCount = this->This()->GetCount(); });
    }
    HRESULT Delete(VARIANT index) override {
        return this->Dual([&] { this->This()->Delete(index); });
    }
};

class CEvents : public CHistoryCollection {
public:
    explicit CEvents(CSheep* sheep);
    CEvents(const CEvents& other) : CHistoryCollection(other) {}

    // A new event of the code that the document's breed plug-in gives the name, inserted in date
    // order; a dispatch error when the plug-in cannot name codes.
    IDispatch* Add(DATE date, const WString& codeName, const VARIANT& parameters);
    CCmdTarget* AddEvent(DATE date, const WString& codeName, const VARIANT& parameters);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

    CSheep* Sheep() const;
    LONG ElementCount() override;
    CCmdTarget* ElementAt(LONG index) override;
    void DeleteAt(LONG index) override;

protected:
    CAutoCollection* EnumClone() override;

    class XEvents
        : public CHistoryDual<CEvents, IEvents, IID_IEvents, IEvent, IID_IEvent, ISheep, IID_ISheep, false> {
    public:
        using CHistoryDual::CHistoryDual;
        HRESULT Add(DATE date, BSTR codeName, VARIANT parameters, IEvent** ppEvent) override;
        HRESULT Delete(VARIANT index) override { return CHistoryDual::Delete(index); }
    } m_xEvents{this};
    CSupportErrorInfoImpl<CEvents, IID_IEvents> m_xSupportErrorInfo{this};
};

class CLambingHistory : public CHistoryCollection {
public:
    explicit CLambingHistory(CSheep* sheep);
    CLambingHistory(const CLambingHistory& other) : CHistoryCollection(other) {}

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

    CSheep* Sheep() const;
    LONG ElementCount() override;
    CCmdTarget* ElementAt(LONG index) override;
    void DeleteAt(LONG index) override;

protected:
    CAutoCollection* EnumClone() override;

    using XLambingHistory = CHistoryDual<CLambingHistory, ILambingHistory, IID_ILambingHistory,
                                         IEweLambingData, IID_IEweLambingData, ISheep, IID_ISheep, false>;
    XLambingHistory m_xLambingHistory{this};
    CSupportErrorInfoImpl<CLambingHistory, IID_ILambingHistory> m_xSupportErrorInfo{this};
};

class CTuppingHistory : public CHistoryCollection {
public:
    explicit CTuppingHistory(CSheep* sheep);
    CTuppingHistory(const CTuppingHistory& other) : CHistoryCollection(other) {}

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

    CSheep* Sheep() const;
    LONG ElementCount() override;
    CCmdTarget* ElementAt(LONG index) override;
    void DeleteAt(LONG index) override;

protected:
    CAutoCollection* EnumClone() override;

    using XTuppingHistory = CHistoryDual<CTuppingHistory, ITuppingHistory, IID_ITuppingHistory,
                                         IRamLambingData, IID_IRamLambingData, ISheep, IID_ISheep, true>;
    XTuppingHistory m_xTuppingHistory{this};
    CSupportErrorInfoImpl<CTuppingHistory, IID_ITuppingHistory> m_xSupportErrorInfo{this};
};

class CLambs : public CHistoryCollection {
public:
    explicit CLambs(CEweLambingData* record);
    CLambs(const CLambs& other) : CHistoryCollection(other) {}

    // A new lamb (sex not set) appended to the record, whose Edited is stamped.
    IDispatch* Add(const VARIANT& unused);
    CCmdTarget* AddLamb();

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

    CEweLambingData* Record() const;
    LONG ElementCount() override;
    CCmdTarget* ElementAt(LONG index) override;
    void DeleteAt(LONG index) override;

protected:
    CAutoCollection* EnumClone() override;

    class XLambs : public CHistoryDual<CLambs, ILambs, IID_ILambs, ILambData, IID_ILambData, IEweLambingData,
                                       IID_IEweLambingData, false> {
    public:
        using CHistoryDual::CHistoryDual;
        HRESULT Delete(VARIANT index) override { return CHistoryDual::Delete(index); }
        HRESULT Add(ILambData** ppLamb) override;
    } m_xLambs{this};
    CSupportErrorInfoImpl<CLambs, IID_ILambs> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;
};
