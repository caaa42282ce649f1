// Selections for automation: a criteria object wraps one selection with its properties and the
// collection of the animals that pass it; the criteria collection files such objects by name.
#pragma once

#include <map>

#include "platform/automation/automation.h"
#include "records/automation_document.h"
#include "records/criteria.h"
#include "records/records_collection.h"

class CComCriterias;
struct ICriterias;

inline constexpr IID IID_ICriteriaDisp = {
    0x6b1f3a82, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_ICriteria = {
    0x6b1f3a83, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_ICriteriasDisp = {
    0x6b1f3a84, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_ICriterias = {
    0x6b1f3a85, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-23 after those of IDispatch.
struct ICriteria : public IDispatch {
    virtual HRESULT put_Rams(VARIANT_BOOL value) = 0;
    virtual HRESULT get_Rams(VARIANT_BOOL* pValue) = 0;
    virtual HRESULT put_Ewes(VARIANT_BOOL value) = 0;
    virtual HRESULT get_Ewes(VARIANT_BOOL* pValue) = 0;
    virtual HRESULT put_Adults(VARIANT_BOOL value) = 0;
    virtual HRESULT get_Adults(VARIANT_BOOL* pValue) = 0;
    virtual HRESULT put_Shearlings(VARIANT_BOOL value) = 0;
    virtual HRESULT get_Shearlings(VARIANT_BOOL* pValue) = 0;
    virtual HRESULT put_Lambs(VARIANT_BOOL value) = 0;
    virtual HRESULT get_Lambs(VARIANT_BOOL* pValue) = 0;
    virtual HRESULT put_Type(SHORT value) = 0;
    virtual HRESULT get_Type(SHORT* pValue) = 0;
    virtual HRESULT put_Date(DATE value) = 0;
    virtual HRESULT get_Date(DATE* pValue) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(ICriterias** ppParent) = 0;
    virtual HRESULT get_Records(IRecords** ppRecords) = 0;

protected:
    ~ICriteria() = default;
};

// Slots 7-13 after those of IDispatch.
struct ICriterias : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(BSTR name, ICriteria** ppCriteria) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT Add(BSTR name, ICriteria** ppCriteria) = 0;
    virtual HRESULT Delete(BSTR name) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;

protected:
    ~ICriterias() = default;
};

class CComCriteria : public CCmdTarget, public CAutoDependent {
    DECLARE_DYNAMIC(CComCriteria)
public:
    // Registers with the document and the parent collection, which it does not hold.
    CComCriteria(IAutomationDocument* doc, CComCriterias* parent, const CCriteria& criteria);
    ~CComCriteria() override;

    // The selection; its collection of animals reads it at every use.
    CCriteria& GetCriteria() { return m_criteria; }
    IAutomationDocument* GetDocument() const { return m_pDocument; }
    // The filtered collections over this object register here.
    COwnerLinks& GetLinks() { return m_links; }
    // The cached collection, made on first use (not AddRef'd).
    CRecords* GetRecordsObject();

    // ---- dispatch members ------------------------------------------------------------------
    BOOL GetRams() const { return m_criteria.m_bRams; }
    void SetRams(VARIANT_BOOL v) { m_criteria.m_bRams = FromVariantBool(v); }
    BOOL GetEwes() const { return m_criteria.m_bEwes; }
    void SetEwes(VARIANT_BOOL v) { m_criteria.m_bEwes = FromVariantBool(v); }
    BOOL GetAdults() const { return m_criteria.m_bAdults; }
    void SetAdults(VARIANT_BOOL v) { m_criteria.m_bAdults = FromVariantBool(v); }
    BOOL GetShearlings() const { return m_criteria.m_bShearlings; }
    void SetShearlings(VARIANT_BOOL v) { m_criteria.m_bShearlings = FromVariantBool(v); }
    BOOL GetLambs() const { return m_criteria.m_bLambs; }
    void SetLambs(VARIANT_BOOL v) { m_criteria.m_bLambs = FromVariantBool(v); }
    SHORT GetType() const { return static_cast<SHORT>(m_criteria.m_nType); }
    void SetType(SHORT v) { m_criteria.m_nType = v; }
    DATE GetDate() const { return m_criteria.m_dtDate.m_dt; }
    void SetDate(DATE v);
    IDispatch* GetApplication();
    IDispatch* GetParent();
    IDispatch* GetRecords();

    void OnOwnerGone(COwnerLinks* owner) override;

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    class XCriteria : public CDualImpl<CComCriteria, ICriteria, IID_ICriteria> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT put_Rams(VARIANT_BOOL value) override;
        HRESULT get_Rams(VARIANT_BOOL* pValue) override;
        HRESULT put_Ewes(VARIANT_BOOL value) override;
        HRESULT get_Ewes(VARIANT_BOOL* pValue) override;
        HRESULT put_Adults(VARIANT_BOOL value) override;
        HRESULT get_Adults(VARIANT_BOOL* pValue) override;
        HRESULT put_Shearlings(VARIANT_BOOL value) override;
        HRESULT get_Shearlings(VARIANT_BOOL* pValue) override;
        HRESULT put_Lambs(VARIANT_BOOL value) override;
        HRESULT get_Lambs(VARIANT_BOOL* pValue) override;
        HRESULT put_Type(SHORT value) override;
        HRESULT get_Type(SHORT* pValue) override;
        HRESULT put_Date(DATE value) override;
        HRESULT get_Date(DATE* pValue) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(ICriterias** ppParent) override;
        HRESULT get_Records(IRecords** ppRecords) override;

    private:
        HRESULT PutSwitch(void (CComCriteria::*set)(VARIANT_BOOL), VARIANT_BOOL value);
        HRESULT GetSwitch(BOOL (CComCriteria::*get)() const, VARIANT_BOOL* pValue);
    } m_xCriteria{this};
    CSupportErrorInfoImpl<CComCriteria, IID_ICriteria> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    CCriteria m_criteria;
    IAutomationDocument* m_pDocument = nullptr;
    CComCriterias* m_pParent = nullptr;
    CRefPtr<CRecords> m_records;
    COwnerLinks m_links;
};

class CComCriterias : public CAutoCollection, public CAutoDependent {
    DECLARE_DYNAMIC(CComCriterias)
public:
    explicit CComCriterias(IAutomationDocument* doc);
    ~CComCriterias() override;

    IAutomationDocument* GetDocument() const { return m_pDocument; }
    COwnerLinks& GetLinks() { return m_links; }
    // The object filed under name (not AddRef'd); E_INVALIDARG when there is none.
    CComCriteria* Find(const WString& name);
    // A copy of the document's current selection filed under name (replacing any), with a
    // reference for the caller.
    CComCriteria* AddCriteria(const WString& name);

    // ---- dispatch members ------------------------------------------------------------------
    IDispatch* GetApplication();
    IDispatch* GetParent();
    LONG GetCount();
    IDispatch* Item(const WString& name);
    IDispatch* Add(const WString& name);
    void Delete(const WString& name);

    void OnOwnerGone(COwnerLinks* owner) override;

    DECLARE_DISPATCH_MAP()
    IUnknown* GetInterface(REFIID iid) override;

protected:
    LONG EnumCount() override;
    void EnumItem(LONG index, VARIANT* pItem) override;
    CAutoCollection* EnumClone() override;
    using Map = std::map<WString, CRefPtr<CComCriteria>>;
    Map& Members() { return m_pSource ? m_pSource->m_members : m_members; }

    class XCriterias : public CDualImpl<CComCriterias, ICriterias, IID_ICriterias> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(BSTR name, ICriteria** ppCriteria) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT Add(BSTR name, ICriteria** ppCriteria) override;
        HRESULT Delete(BSTR name) override;
        HRESULT get_Count(LONG* pCount) override;
    } m_xCriterias{this};
    CSupportErrorInfoImpl<CComCriterias, IID_ICriterias> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    IAutomationDocument* m_pDocument = nullptr;
    Map m_members;
    // A clone enumerates its source's map.
    CRefPtr<CComCriterias> m_pSource;
    COwnerLinks m_links;
};
