// A small automation class and collection built the way record classes are, for the layer's tests.
#pragma once

#include <vector>

#include "platform/automation/automation.h"

inline constexpr IID IID_ISampleDisp = {
    0x9a4e2c11, 0x51b0, 0x4c7e, {0x8f, 0x12, 0x6d, 0x3a, 0x90, 0x1b, 0x44, 0x01}};
inline constexpr IID IID_ISample = {
    0x9a4e2c11, 0x51b0, 0x4c7e, {0x8f, 0x12, 0x6d, 0x3a, 0x90, 0x1b, 0x44, 0x02}};
inline constexpr IID IID_ISampleItems = {
    0x9a4e2c11, 0x51b0, 0x4c7e, {0x8f, 0x12, 0x6d, 0x3a, 0x90, 0x1b, 0x44, 0x03}};

// Failures that CSample::Fail raises, by kind.
enum SampleFailure : LONG {
    kFailBounds = 0,      // dispatch error 5, string 110
    kFailOwnStatus = 1,   // dispatch error carrying E_INVALIDARG
    kFailOleNotImpl = 2,  // OLE exception E_NOTIMPL
    kFailMemory = 3,      // std::bad_alloc
    kFailOther = 4,       // std::runtime_error
    kFailCode160 = 5,     // dispatch error 160, text given
};

class ISample : public IDispatch {
public:
    virtual HRESULT get_Name(BSTR* pName) = 0;                           // 7
    virtual HRESULT put_Name(BSTR name) = 0;                             // 8
    virtual HRESULT get_Count(LONG* pCount) = 0;                         // 9
    virtual HRESULT get_Flag(VARIANT_BOOL* pFlag) = 0;                   // 10
    virtual HRESULT put_Flag(VARIANT_BOOL flag) = 0;                     // 11
    virtual HRESULT Describe(SHORT n, VARIANT suffix, BSTR* pText) = 0;  // 12
    virtual HRESULT Fail(LONG how) = 0;                                  // 13

protected:
    ~ISample() = default;
};

class CSample : public CCmdTarget {
public:
    explicit CSample(WString name = u"Ewe");

    WString GetName() const { return m_name; }
    void SetName(const WString& name) { m_name = name; }
    LONG GetCount() const { return m_count; }
    BOOL GetFlag() const { return m_flag; }
    void SetFlag(VARIANT_BOOL flag) { m_flag = FromVariantBool(flag); }
    WString Describe(SHORT n, const VARIANT& suffix);
    void Fail(LONG how);
    WString GetTag(SHORT index) const;
    void SetTag(SHORT index, const WString& text);

    WString m_name;
    LONG m_count = 3;
    BOOL m_flag = FALSE;
    WString m_tags[2];
    COleAppLock m_appLock;

    const CDispatchTable* GetDispatchMap() const override;
    IUnknown* GetInterface(REFIID iid) override;

    class XSample : public CDualImpl<CSample, ISample, IID_ISample> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Name(BSTR* pName) override;
        HRESULT put_Name(BSTR name) override;
        HRESULT get_Count(LONG* pCount) override;
        HRESULT get_Flag(VARIANT_BOOL* pFlag) override;
        HRESULT put_Flag(VARIANT_BOOL flag) override;
        HRESULT Describe(SHORT n, VARIANT suffix, BSTR* pText) override;
        HRESULT Fail(LONG how) override;
    } m_xSample{this};
    CSupportErrorInfoImpl<CSample, IID_ISample> m_xSupportErrorInfo{this};
};

// A collection over samples it holds one reference to each; Clone only when allowed.
class CSampleItems : public CAutoCollection {
public:
    explicit CSampleItems(bool allowClone = false);
    CSampleItems(const CSampleItems& other);
    ~CSampleItems() override;

    void Add(CSample* item);  // takes a new reference
    LONG GetCount() { return EnumCount(); }
    IDispatch* Item(const VARIANT& index);

    const CDispatchTable* GetDispatchMap() const override;

protected:
    LONG EnumCount() override { return static_cast<LONG>(m_items.size()); }
    void EnumItem(LONG index, VARIANT* pItem) override;
    CAutoCollection* EnumClone() override;

private:
    std::vector<CSample*> m_items;
    bool m_allowClone;
};
