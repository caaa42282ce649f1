// The automation object base: reference counting shared by every interface of an object, the
// interface map, IDispatch over the class's dispatch table, and the detached state of an object
// whose owner has let it go.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "platform/automation/dispatch.h"
#include "platform/automation/errors.h"
#include "platform/object.h"

class CCmdTarget;

// An interface nested in its object finds the object from its own address, as the framework's
// nested classes do: a pointer back in each interface would cost every record of a large flock
// several words. One offset per nested class, learnt from the first object built; an object whose
// interface lies elsewhere would be a layout fault, so it stops the program rather than misroute.
class CNestedOffset {
public:
    void Learn(const void* nested, const void* owner) {
        const std::ptrdiff_t offset = static_cast<const char*>(nested) - static_cast<const char*>(owner);
        std::ptrdiff_t known = kUnknown;
        if (m_offset.compare_exchange_strong(known, offset, std::memory_order_relaxed) || known == offset)
            return;
        std::fputs("automation: a nested interface at two offsets in its object\n", stderr);
        std::abort();
    }
    CCmdTarget* OwnerOf(const void* nested) const {
        return reinterpret_cast<CCmdTarget*>(const_cast<char*>(static_cast<const char*>(nested)) -
                                             m_offset.load(std::memory_order_relaxed));
    }

private:
    static constexpr std::ptrdiff_t kUnknown = PTRDIFF_MIN;
    std::atomic<std::ptrdiff_t> m_offset{kUnknown};
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget();
    CCmdTarget(const CCmdTarget& other);  // a copy has its own count and is not detached
    CCmdTarget& operator=(const CCmdTarget&) { return *this; }
    ~CCmdTarget() override;

    // Lets clients ask for IDispatch (the object's members by name and dispid).
    void EnableAutomation() { m_bAutomation = true; }
    bool IsAutomationEnabled() const { return m_bAutomation; }

    // The object's IDispatch; with bAddRef the caller gets a reference. Null unless automation is on.
    IDispatch* GetIDispatch(bool bAddRef);
    // The object behind an IDispatch of this layer; null for anything else (a plug-in's object).
    static CCmdTarget* FromIDispatch(IDispatch* pDispatch);
    // The object's identity (the same pointer whichever interface is asked); not AddRef'd.
    IUnknown* GetControllingUnknown() { return &m_xDispatch; }

    // What every interface of the object forwards to: one reference count, one interface map.
    HRESULT ExternalQueryInterface(REFIID iid, void** ppvObj);
    ULONG ExternalAddRef() { return AddRef(); }
    ULONG ExternalRelease() { return Release(); }

    // The interface map: the interface for iid (not AddRef'd), or null. The base answers IUnknown
    // (always) and IDispatch (with automation enabled); a class adds its own and asks its base last:
    //   IUnknown* CEvent::GetInterface(REFIID iid) {
    //       if (iid == IID_IEventDisp) return &m_xDispatch;
    //       if (iid == IID_IEvent) return &m_xEvent;
    //       if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    //       return CXMLObject::GetInterface(iid);
    //   }
    virtual IUnknown* GetInterface(REFIID iid);
    // The dispatch table (see dispatch.h); the base has none.
    virtual const CDispatchTable* GetDispatchMap() const;

    // Lifetime: the owner of a record removes it and marks it detached. Every later automation call
    // (Invoke and every dual method) is refused with a dispatch error (RPC_E_DISCONNECTED,
    // "This object has been removed and can no longer be used."); AddRef, Release and
    // QueryInterface keep working so that the client can let go.
    void MarkDetached() { m_bDetached.store(true, std::memory_order_release); }
    bool IsDetached() const { return m_bDetached.load(std::memory_order_acquire); }
    void ThrowIfDetached() const;

    // For dispatch-table putters of read-only properties and getters of write-only ones.
    [[noreturn]] static void SetNotSupported();
    [[noreturn]] static void GetNotSupported();

    // The IDispatch behaviour over the table; the nested dual interfaces forward here too.
    HRESULT DispGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    HRESULT DispInvoke(DISPID dispid, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);

protected:
    class XDispatch final : public IDispatch {
    public:
        explicit XDispatch(CCmdTarget* owner) { s_offset.Learn(this, owner); }
        CCmdTarget* Owner() const { return s_offset.OwnerOf(this); }
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                              DISPID* rgDispId) override;
        HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    private:
        static inline CNestedOffset s_offset;
    };

private:
    // Declared first so that they fill the reference count's padding.
    bool m_bAutomation = false;
    std::atomic<bool> m_bDetached{false};

protected:
    XDispatch m_xDispatch{this};

private:
    HRESULT InvokeEntry(const DispEntry& entry, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                        UINT* puArgErr);
};

// A dual interface nested in its object: slots 0-6 go to the object's count, interface map and
// IDispatch; the derived part implements the interface's own slots, each through Dual(...).
//
//   class CEvent : public CXMLObject {
//       class XEvent : public CDualImpl<CEvent, IEvent, IID_IEvent> {
//       public:
//           using CDualImpl::CDualImpl;
//           HRESULT get_Value(BSTR* pValue) override;
//           ...
//       } m_xEvent{this};
//   };
//   HRESULT CEvent::XEvent::get_Value(BSTR* pValue) {
//       return Dual([&] { *pValue = AllocBstrOrThrow(This()->GetEventName()); });
//   }
template <class Owner, class Itf, const IID& kIid>
class CDualImpl : public Itf {
public:
    explicit CDualImpl(CCmdTarget* owner) { s_offset.Learn(this, owner); }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return Target()->ExternalQueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return Target()->ExternalAddRef(); }
    ULONG Release() override { return Target()->ExternalRelease(); }
    HRESULT GetTypeInfoCount(UINT* pctinfo) override {
        if (pctinfo == nullptr) return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        if (ppTInfo != nullptr) *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                          DISPID* rgDispId) override {
        return Target()->DispGetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
    }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
        return Target()->DispInvoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                    puArgErr);
    }

    static constexpr const IID& kInterfaceId = kIid;

protected:
    Owner* This() const { return static_cast<Owner*>(Target()); }
    // Runs a slot's body under the dual-method rules (errors.h, DualCall).
    template <class F>
    HRESULT Dual(F&& body) const {
        return DualCall(Target(), kIid, std::forward<F>(body));
    }

private:
    CCmdTarget* Target() const { return s_offset.OwnerOf(this); }
    static inline CNestedOffset s_offset;
};

// ISupportErrorInfo nested in its object: S_OK for the object's own dual interface, S_FALSE else.
// Keyed by the owning class as well: classes sharing an interface id hold it at offsets of their own.
template <class Owner, const IID& kIid>
class CSupportErrorInfoImpl final : public ISupportErrorInfo {
public:
    explicit CSupportErrorInfoImpl(CCmdTarget* owner) { s_offset.Learn(this, owner); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return Target()->ExternalQueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return Target()->ExternalAddRef(); }
    ULONG Release() override { return Target()->ExternalRelease(); }
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override { return riid == kIid ? S_OK : S_FALSE; }

private:
    CCmdTarget* Target() const { return s_offset.OwnerOf(this); }
    static inline CNestedOffset s_offset;
};

// The interface map as macros (clang-format folds them together: prefer the function above).
#define DECLARE_INTERFACE_MAP() \
public:                         \
    IUnknown* GetInterface(REFIID iid) override;

#define BEGIN_INTERFACE_MAP(theClass, baseClass)   \
    IUnknown* theClass::GetInterface(REFIID iid) { \
        using CvlInterfaceMapBase = baseClass;
#define INTERFACE_PART(iidPart, member) \
    if (iid == (iidPart)) return static_cast<IUnknown*>(&(member));
#define END_INTERFACE_MAP()                        \
    return CvlInterfaceMapBase::GetInterface(iid); \
    }

// A text for an out-parameter: the caller owns it. Throws std::bad_alloc when it cannot be made.
BSTR AllocBstrOrThrow(WStringView s);

// ---- the application --------------------------------------------------------------------------

// Objects that hold the application alive count here (the framework's AfxOleLockApp). When the
// count returns to 0 the handler set by the program runs (it may close the program when the user
// has no control of it).
void AfxOleLockApp();
void AfxOleUnlockApp();
LONG AfxOleGetLockCount();
bool AfxOleCanExitApp();
void AfxOleSetReleaseAllObjectsHandler(void (*handler)());

// Holds the application alive while it exists (copies hold it too): a member of the classes that do.
class COleAppLock {
public:
    COleAppLock() { AfxOleLockApp(); }
    COleAppLock(const COleAppLock&) { AfxOleLockApp(); }
    COleAppLock& operator=(const COleAppLock&) { return *this; }
    ~COleAppLock() { AfxOleUnlockApp(); }
};

// The program's Application automation object, which every Application property hands out. The
// registration holds no reference: the object revokes itself before it goes.
void AfxOleRegisterApplication(CCmdTarget* pApp, const IID& dualIid);
void AfxOleRevokeApplication(CCmdTarget* pApp);
CCmdTarget* AfxOleGetApplication();
// Its IDispatch with a reference for the caller; null when none is registered.
IDispatch* AfxOleGetApplicationDispatch();
// Its dual interface with a reference for the caller; E_NOINTERFACE with null when none is registered.
HRESULT AfxOleGetApplicationDual(void** ppv);
