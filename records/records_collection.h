// The automation collection of a document's animals: all of them, or those that pass the criteria
// of a criteria object, read afresh at every use. A view: it stores no animals.
#pragma once

#include "platform/automation/automation.h"
#include "records/automation_document.h"
#include "records/record_interfaces.h"

class CComCriteria;
class CSheep;

inline constexpr IID IID_IRecordsDisp = {
    0x6b1f3a80, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IRecords = {
    0x6b1f3a81, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-14 after those of IDispatch.
struct IRecords : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, ISheep** ppSheep) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT GetByEID(ULONGLONG eid, ISheep** ppSheep) = 0;
    virtual HRESULT Add(BSTR tattoo, SHORT sex, ISheep** ppSheep) = 0;
    virtual HRESULT Delete(VARIANT index) = 0;

protected:
    ~IRecords() = default;
};

class CRecords : public CCmdTarget, public CAutoDependent {
    DECLARE_DYNCREATE(CRecords)
public:
    CRecords();
    // criteria null: every animal. Registers with the document (and the criteria object).
    CRecords(IAutomationDocument* doc, CComCriteria* criteria);
    ~CRecords() override;

    bool IsFiltered() const { return m_pCriteria != nullptr; }

    // The index in the document that Item and Delete take from their argument. A text naming an
    // animal is that animal, even when it is made of digits; otherwise a value that converts to a
    // 16-bit number is an index (E_INVALIDARG on a selection; error 5 / 110 out of bounds), and a
    // value that cannot be a number is a tattoo (error 4 / 109 when no animal has it).
    int IndexFromVariant(const VARIANT& index);
    // The animals as C++ callers see them (not AddRef'd); null when there is none.
    CSheep* GetSheep(const VARIANT& index);
    CSheep* FindByEID(ULONGLONG eid);
    // A new animal filed in the document, with a reference for the caller; null when the document
    // kept the animal it already had under that name.
    CSheep* AddSheep(const WString& tattoo, SHORT sex);

    // ---- dispatch members ------------------------------------------------------------------
    IDispatch* GetApplication();
    IDispatch* GetParent();
    LONG GetCount();
    IDispatch* Item(const VARIANT& index);
    IDispatch* GetByEID(ULONGLONG eid);
    IDispatch* Add(const WString& tattoo, SHORT sex);
    void Delete(const VARIANT& index);
    IUnknown* GetNewEnum();

    void OnOwnerGone(COwnerLinks* owner) override;

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    IAutomationDocument* Document() const;
    bool Matches(int index) const;
    void Advance();
    void ResetPosition();
    HRESULT EnumNext(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched);
    HRESULT EnumSkip(ULONG celt);
    HRESULT EnumClone(IEnumVARIANT** ppEnum);

    class XRecords : public CDualImpl<CRecords, IRecords, IID_IRecords> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(VARIANT index, ISheep** ppSheep) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Count(LONG* pCount) override;
        HRESULT GetByEID(ULONGLONG eid, ISheep** ppSheep) override;
        HRESULT Add(BSTR tattoo, SHORT sex, ISheep** ppSheep) override;
        HRESULT Delete(VARIANT index) override;
    } m_xRecords{this};

    class XEnumVARIANT final : public IEnumVARIANT {
    public:
        explicit XEnumVARIANT(CRecords* owner) : m_pOwner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override;
        HRESULT Skip(ULONG celt) override;
        HRESULT Reset() override;
        HRESULT Clone(IEnumVARIANT** ppEnum) override;
        CRecords* m_pOwner;
    } m_xEnumVARIANT{this};

    CSupportErrorInfoImpl<CRecords, IID_IRecords> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    IAutomationDocument* m_pDocument = nullptr;
    CComCriteria* m_pCriteria = nullptr;
    LONG m_nPosition = -1;  // an index into the document's animals
};
