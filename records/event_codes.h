// The event codes that a breed's plug-in knows, as automation objects: the collection of codes, one
// code with its name and type bits, a code's parameter list and one parameter. Built from the
// plug-in's answers; nothing is stored.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/module.h"

// A breed plug-in's events in enumeration order with their codes, through the exports getProc finds.
std::vector<std::pair<WString, uint32_t>> EnumBreedEvents(const std::function<void*(const char*)>& getProc);

class CComBreed;
class CEventCode;
class CEventCodeProperties;
class CEventCodeProperty;
struct IBreed;
struct IEventCode;
struct IEventCodeProperties;
struct IEventCodeProperty;

inline constexpr IID IID_IEventCodesDisp = {
    0x7c2e4b10, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodes = {
    0x7c2e4b11, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodeDisp = {
    0x7c2e4b12, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCode = {
    0x7c2e4b13, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodePropertiesDisp = {
    0x7c2e4b14, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodeProperties = {
    0x7c2e4b15, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodePropertyDisp = {
    0x7c2e4b16, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IEventCodeProperty = {
    0x7c2e4b17, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};

// Slots 7-11.
struct IEventCodes : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IEventCode** ppCode) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IBreed** ppBreed) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;

protected:
    ~IEventCodes() = default;
};

// Slots 7-15; the five type bits exist only here.
struct IEventCode : public IDispatch {
    virtual HRESULT get_Value(BSTR* pName) = 0;
    virtual HRESULT get_EventCodeProperties(IEventCodeProperties** ppProperties) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IEventCodes** ppCodes) = 0;
    virtual HRESULT get_TypeBit0(VARIANT_BOOL* pSet) = 0;
    virtual HRESULT get_TypeBit1(VARIANT_BOOL* pSet) = 0;
    virtual HRESULT get_TypeBit2(VARIANT_BOOL* pSet) = 0;
    virtual HRESULT get_TypeBit3(VARIANT_BOOL* pSet) = 0;
    virtual HRESULT get_TypeBit4(VARIANT_BOOL* pSet) = 0;

protected:
    ~IEventCode() = default;
};

// Slots 7-11.
struct IEventCodeProperties : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Item(VARIANT index, IEventCodeProperty** ppProperty) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IEventCode** ppCode) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;

protected:
    ~IEventCodeProperties() = default;
};

// Slots 7-10.
struct IEventCodeProperty : public IDispatch {
    virtual HRESULT get_Value(BSTR* pTag) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IEventCodeProperties** ppProperties) = 0;
    virtual HRESULT get_DataType(LONG* pType) = 0;

protected:
    ~IEventCodeProperty() = default;
};

// The breed library, shared by the collection and every object made from it: it stays loaded while
// any of them lives.
using CBreedLibrary = std::shared_ptr<CModule>;

class CEventCodes : public CAutoCollection {
    DECLARE_DYNCREATE(CEventCodes)
public:
    CEventCodes();
    // Loads the library that the Breeds list gives for the breed and reads its codes. When the
    // breed is not registered or its library does not load, the collection stays empty and offers
    // no automation (the breed's EventCodes is then Nothing).
    explicit CEventCodes(CComBreed* breed);
    ~CEventCodes() override;

    // The breed went: Parent gives Nothing from now on.
    void ForgetBreed() { m_pBreed = nullptr; }

    LONG GetCount() { return static_cast<LONG>(m_names.size()); }
    IDispatch* GetParent();
    IDispatch* GetApplication();
    // By code number (the plug-in names it) or by a name that does not read as a number.
    IDispatch* Item(const VARIANT& index);
    CEventCode* ItemObject(const VARIANT& index);

    const std::vector<WString>& GetNames() const { return m_names; }
    const CBreedLibrary& GetLibrary() const { return m_library; }

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    LONG EnumCount() override { return GetCount(); }
    void EnumItem(LONG index, VARIANT* pItem) override;
    CEventCode* Lookup(const WString& name) const;

    class XEventCodes : public CDualImpl<CEventCodes, IEventCodes, IID_IEventCodes> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(VARIANT index, IEventCode** ppCode) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IBreed** ppBreed) override;
        HRESULT get_Count(LONG* pCount) override;
    } m_xEventCodes{this};
    CSupportErrorInfoImpl<CEventCodes, IID_IEventCodes> m_xSupportErrorInfo{this};

    CComBreed* m_pBreed = nullptr;
    CBreedLibrary m_library;
    std::vector<WString> m_names;
    std::map<WString, CRefPtr<CEventCode>> m_codes;
};

class CEventCode : public CCmdTarget {
    DECLARE_DYNAMIC(CEventCode)
public:
    CEventCode(CEventCodes* parent, CBreedLibrary library, uint32_t code);
    ~CEventCode() override;

    void ForgetParent() { m_pParent = nullptr; }
    uint32_t GetCode() const { return m_nCode; }

    WString GetValue();
    IDispatch* GetEventCodeProperties();
    CEventCodeProperties* GetPropertiesObject();
    // TRUE when bit `bit` (0-4) of the plug-in's type of the code is set.
    BOOL TestTypeBit(unsigned bit) const;

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    class XEventCode : public CDualImpl<CEventCode, IEventCode, IID_IEventCode> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Value(BSTR* pName) override;
        HRESULT get_EventCodeProperties(IEventCodeProperties** ppProperties) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IEventCodes** ppCodes) override;
        HRESULT get_TypeBit0(VARIANT_BOOL* pSet) override;
        HRESULT get_TypeBit1(VARIANT_BOOL* pSet) override;
        HRESULT get_TypeBit2(VARIANT_BOOL* pSet) override;
        HRESULT get_TypeBit3(VARIANT_BOOL* pSet) override;
        HRESULT get_TypeBit4(VARIANT_BOOL* pSet) override;

    private:
        HRESULT TypeBit(unsigned bit, VARIANT_BOOL* pSet);
    } m_xEventCode{this};
    CSupportErrorInfoImpl<CEventCode, IID_IEventCode> m_xSupportErrorInfo{this};

    uint32_t m_nCode;
    CEventCodes* m_pParent;
    CRefPtr<CEventCodeProperties> m_properties;
    CBreedLibrary m_library;
};

class CEventCodeProperties : public CAutoCollection {
    DECLARE_DYNCREATE(CEventCodeProperties)
public:
    CEventCodeProperties();
    CEventCodeProperties(CEventCode* parent, CBreedLibrary library, uint32_t code);
    ~CEventCodeProperties() override;

    void ForgetParent() { m_pParent = nullptr; }

    LONG GetCount() { return static_cast<LONG>(m_items.size()); }
    IDispatch* GetParent();
    IDispatch* GetApplication();
    // By zero-based position.
    IDispatch* Item(const VARIANT& index);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    LONG EnumCount() override { return GetCount(); }
    void EnumItem(LONG index, VARIANT* pItem) override;

    class XEventCodeProperties
        : public CDualImpl<CEventCodeProperties, IEventCodeProperties, IID_IEventCodeProperties> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Item(VARIANT index, IEventCodeProperty** ppProperty) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IEventCode** ppCode) override;
        HRESULT get_Count(LONG* pCount) override;
    } m_xEventCodeProperties{this};
    CSupportErrorInfoImpl<CEventCodeProperties, IID_IEventCodeProperties> m_xSupportErrorInfo{this};

    uint32_t m_nCode = 0xFFFFFFFFu;
    CBreedLibrary m_library;
    CEventCode* m_pParent = nullptr;
    std::vector<CRefPtr<CEventCodeProperty>> m_items;
};

class CEventCodeProperty : public CCmdTarget {
    DECLARE_DYNAMIC(CEventCodeProperty)
public:
    CEventCodeProperty(CEventCodeProperties* parent, WString tag, int32_t dataType);
    ~CEventCodeProperty() override;

    void ForgetParent() { m_pParent = nullptr; }

    WString GetValue() const { return m_strTag; }
    IDispatch* GetParent();
    IDispatch* GetApplication();
    SHORT GetDataTypeShort() const { return static_cast<SHORT>(m_nDataType); }
    int32_t GetDataType() const { return m_nDataType; }

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    class XEventCodeProperty
        : public CDualImpl<CEventCodeProperty, IEventCodeProperty, IID_IEventCodeProperty> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Value(BSTR* pTag) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IEventCodeProperties** ppProperties) override;
        HRESULT get_DataType(LONG* pType) override;
    } m_xEventCodeProperty{this};
    CSupportErrorInfoImpl<CEventCodeProperty, IID_IEventCodeProperty> m_xSupportErrorInfo{this};

    CEventCodeProperties* m_pParent;
    WString m_strTag;
    int32_t m_nDataType;
};
