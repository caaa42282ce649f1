// The breeds registered with the installation (the machine-wide Breeds list: value name = breed,
// data = the path of its plug-in library) as automation objects: the collection of all of them and
// one breed with its version, event codes and tattoo check.
#pragma once

#include <string>
#include <vector>

#include "platform/automation/automation.h"

class CEventCodes;
struct IEventCodes;

inline constexpr IID IID_IBreedsDisp = {
    0x7c2e4b20, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IBreeds = {
    0x7c2e4b21, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IBreedDisp = {
    0x7c2e4b22, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IBreed = {
    0x7c2e4b23, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};

struct IBreed;

// Slots 7-11.
struct IBreeds : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IBreed** ppBreed) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;

protected:
    ~IBreeds() = default;
};

// Slots 7-12.
struct IBreed : public IDispatch {
    // In and out: a text already in *pName is freed and replaced.
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Version(DOUBLE* pVersion) = 0;
    virtual HRESULT get_EventCodes(IEventCodes** ppCodes) = 0;
    virtual HRESULT ValidateTattoo(BSTR tattoo, VARIANT_BOOL* pValid) = 0;

protected:
    ~IBreed() = default;
};

// The library path registered for a breed; false when the breed has no (non-empty) value.
bool GetBreedLibraryPath(const WString& breedName, std::string* path);

// A breed library's version as the breed object reports it: the file version's most significant
// word shifted left by 31 and cut to 32 bits, OR the least significant word, read unsigned.
double BreedVersionNumber(uint32_t fileVersionMS, uint32_t fileVersionLS);

class CComBreed : public CCmdTarget {
    DECLARE_DYNAMIC(CComBreed)
public:
    // parent: the breeds collection or a document; not owned.
    CComBreed(CCmdTarget* parent, WString name);
    ~CComBreed() override;

    // The parent goes: every later call on the breed is refused.
    void DetachFromParent();

    const WString& GetName() const { return m_strName; }
    IDispatch* GetApplication();
    IDispatch* GetParent();
    WString GetNameAuto() const { return m_strName; }
    // 1.0 when the breed's library path cannot be read or the library carries no version.
    double GetVersion() const;
    // The breed's event codes, made on the first request and kept; null (Nothing) when the breed's
    // library cannot be used.
    IDispatch* GetEventCodes();
    CEventCodes* GetEventCodesObject();
    // Loads the library around the one call; FALSE when it cannot be loaded or lacks the check.
    BOOL ValidateTattoo(const WString& tattoo) const;

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    class XBreed : public CDualImpl<CComBreed, IBreed, IID_IBreed> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Name(BSTR* pName) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Version(DOUBLE* pVersion) override;
        HRESULT get_EventCodes(IEventCodes** ppCodes) override;
        HRESULT ValidateTattoo(BSTR tattoo, VARIANT_BOOL* pValid) override;
    } m_xBreed{this};
    CSupportErrorInfoImpl<CComBreed, IID_IBreed> m_xSupportErrorInfo{this};

    CCmdTarget* m_pParent;
    WString m_strName;
    CRefPtr<CEventCodes> m_eventCodes;
};

class CBreeds : public CAutoCollection {
    DECLARE_DYNCREATE(CBreeds)
public:
    // Reads the Breeds list once.
    CBreeds();
    ~CBreeds() override;

    IDispatch* GetApplication();
    IDispatch* GetParent() { return GetApplication(); }
    LONG GetCount() { return static_cast<LONG>(m_breeds.size()); }
    // By zero-based position in the collection's order (breed names in ordinal order).
    IDispatch* Item(const VARIANT& index);
    CComBreed* GetBreedAt(LONG index) const { return m_breeds[index].Get(); }

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    LONG EnumCount() override { return GetCount(); }
    void EnumItem(LONG index, VARIANT* pItem) override;

    class XBreeds : public CDualImpl<CBreeds, IBreeds, IID_IBreeds> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(VARIANT index, IBreed** ppBreed) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppApplication) override;
        HRESULT get_Count(LONG* pCount) override;
    } m_xBreeds{this};
    CSupportErrorInfoImpl<CBreeds, IID_IBreeds> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    std::vector<CRefPtr<CComBreed>> m_breeds;
};
