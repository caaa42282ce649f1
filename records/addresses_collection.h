// The automation collection over a document's address map: count, look up, add and remove
// addresses by name, and the address browser for a script. A view: it stores no addresses.
#pragma once

#include "platform/automation/automation.h"
#include "records/automation_document.h"
#include "records/record_automation.h"
#include "records/record_interfaces.h"

inline constexpr IID IID_IAddressesDisp = {
    0x6b1f3a86, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IAddresses = {
    0x6b1f3a87, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-16 after those of IDispatch.
struct IAddresses : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT name, IAddress** ppAddress) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Add(BSTR name, SHORT type, IAddress** ppAddress) = 0;
    virtual HRESULT Delete(VARIANT name) = 0;
    virtual HRESULT Exists(VARIANT name, VARIANT_BOOL* pExists) = 0;
    virtual HRESULT AddDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) = 0;
    virtual HRESULT BrowseDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) = 0;

protected:
    ~IAddresses() = default;
};

class CAddresses : public CAutoCollection, public CAutoDependent {
    DECLARE_DYNCREATE(CAddresses)
public:
    CAddresses();
    explicit CAddresses(IAutomationDocument* doc);
    ~CAddresses() override;

    // The address filed under the name (its ID set to that name), not AddRef'd; error 4 / 165 when
    // there is none.
    CAddress* Find(const VARIANT& name);
    // A new local address filed under name, with a reference for the caller; null when the user
    // kept the address already filed there. Any type but 0 is refused with error 160.
    CAddress* AddAddress(const WString& name, SHORT type);
    // The address chosen in the browser (not AddRef'd), or null.
    CAddress* Browse(LONG windowHandle, const WString& name);
    // A name already filed: the browser, as Browse. Any other (empty too): the details sheet of a
    // new local address with that display name, filed on OK. Not AddRef'd; null when cancelled.
    CAddress* AddWithDialog(LONG windowHandle, const WString& name);
    bool Exists(const VARIANT& name);

    // ---- dispatch members ------------------------------------------------------------------
    IDispatch* GetApplication();
    IDispatch* GetParent();
    LONG GetCount();
    IDispatch* Item(const VARIANT& name);
    IDispatch* Add(const WString& name, SHORT type);
    void Delete(const VARIANT& name);
    IDispatch* AddDialog(LONG windowHandle, const WString& name);
    IDispatch* BrowseDialog(LONG windowHandle, const WString& name);

    void OnOwnerGone(COwnerLinks* owner) override;

    DECLARE_DISPATCH_MAP()
    IUnknown* GetInterface(REFIID iid) override;

protected:
    IAutomationDocument* Document() const;
    LONG EnumCount() override;
    void EnumItem(LONG index, VARIANT* pItem) override;
    CAutoCollection* EnumClone() override;

    class XAddresses : public CDualImpl<CAddresses, IAddresses, IID_IAddresses> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(VARIANT name, IAddress** ppAddress) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Count(LONG* pCount) override;
        HRESULT Add(BSTR name, SHORT type, IAddress** ppAddress) override;
        HRESULT Delete(VARIANT name) override;
        HRESULT Exists(VARIANT name, VARIANT_BOOL* pExists) override;
        HRESULT AddDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) override;
        HRESULT BrowseDialog(LONG windowHandle, BSTR name, IAddress** ppAddress) override;
    } m_xAddresses{this};
    CSupportErrorInfoImpl<IID_IAddresses> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    IAutomationDocument* m_pDocument = nullptr;
};
