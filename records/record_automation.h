// The automation side of the attached records: a lambing record, a lamb, a tupping record, a set of
// Signet class averages and an address. Each record class derives from its automation base here,
// which holds the dispatch members, the dual interface that the reader plug-in calls by slot and the
// error-information interface.
#pragma once

#include "platform/automation/automation.h"
#include "records/history_collections.h"
#include "records/xml_object.h"

class CEweLambingData;
class CLambData;
class CRamLambingData;
class CSignetData;
class CAddress;

inline constexpr IID IID_ISignetDataDisp = {
    0x7c2e4b46, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_ISignetData = {
    0x7c2e4b47, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IAddressDisp = {
    0x7c2e4b48, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};
inline constexpr IID IID_IAddress = {
    0x7c2e4b49, 0x3d5f, 0x4e2b, {0xa0, 0x32, 0x6b, 0x81, 0x24, 0xd5, 0x9c, 0x11}};

// Slots 7-17.
struct IEweLambingData : public IDispatch {
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Comments(BSTR* pComments) = 0;
    virtual HRESULT put_Comments(BSTR comments) = 0;
    virtual HRESULT get_Date(DATE* pDate) = 0;
    virtual HRESULT put_Date(DATE date) = 0;
    virtual HRESULT get_Lambs(ILambs** ppLambs) = 0;
    virtual HRESULT get_Method(LONG* pMethod) = 0;
    virtual HRESULT put_Method(LONG method) = 0;
    virtual HRESULT get_Tup(BSTR* pTup) = 0;
    virtual HRESULT put_Tup(BSTR tup) = 0;

protected:
    ~IEweLambingData() = default;
};

// Slots 7-14.
struct ILambData : public IDispatch {
    virtual HRESULT put_Tattoo(BSTR tattoo) = 0;
    virtual HRESULT get_Tattoo(BSTR* pTattoo) = 0;
    virtual HRESULT put_Comments(BSTR comments) = 0;
    virtual HRESULT get_Comments(BSTR* pComments) = 0;
    virtual HRESULT put_Sex(LONG sex) = 0;
    virtual HRESULT get_Sex(LONG* pSex) = 0;
    virtual HRESULT put_BirthWeight(BSTR weight) = 0;
    virtual HRESULT get_BirthWeight(BSTR* pWeight) = 0;

protected:
    ~ILambData() = default;
};

// Slots 7-16.
struct IRamLambingData : public IDispatch {
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT put_DateIn(DATE date) = 0;
    virtual HRESULT get_DateIn(DATE* pDate) = 0;
    virtual HRESULT put_DateOut(DATE date) = 0;
    virtual HRESULT get_DateOut(DATE* pDate) = 0;
    virtual HRESULT put_Method(LONG method) = 0;
    virtual HRESULT get_Method(LONG* pMethod) = 0;
    virtual HRESULT put_Ewes(VARIANT ewes) = 0;
    virtual HRESULT get_Ewes(VARIANT* pEwes) = 0;

protected:
    ~IRamLambingData() = default;
};

// Slots 7-24: the nine gets, then the nine puts, in the same order.
struct ISignetData : public IDispatch {
    virtual HRESULT get_AWT(DOUBLE* p) = 0;
    virtual HRESULT get_EightWeekWeightEBV(DOUBLE* p) = 0;
    virtual HRESULT get_LitterEBV(DOUBLE* p) = 0;
    virtual HRESULT get_MatureEBV(DOUBLE* p) = 0;
    virtual HRESULT get_MaternalEBV(DOUBLE* p) = 0;
    virtual HRESULT get_MuscleDepthEBV(DOUBLE* p) = 0;
    virtual HRESULT get_ScanWeightEBV(DOUBLE* p) = 0;
    virtual HRESULT get_FatDepthEBV(DOUBLE* p) = 0;
    virtual HRESULT get_LeanIndex(DOUBLE* p) = 0;
    virtual HRESULT put_AWT(DOUBLE v) = 0;
    virtual HRESULT put_EightWeekWeightEBV(DOUBLE v) = 0;
    virtual HRESULT put_LitterEBV(DOUBLE v) = 0;
    virtual HRESULT put_MatureEBV(DOUBLE v) = 0;
    virtual HRESULT put_MaternalEBV(DOUBLE v) = 0;
    virtual HRESULT put_MuscleDepthEBV(DOUBLE v) = 0;
    virtual HRESULT put_ScanWeightEBV(DOUBLE v) = 0;
    virtual HRESULT put_FatDepthEBV(DOUBLE v) = 0;
    virtual HRESULT put_LeanIndex(DOUBLE v) = 0;

protected:
    ~ISignetData() = default;
};

// Slots 7-19. The text getters take their out-string in and out: a text already there is freed.
struct IAddress : public IDispatch {
    virtual HRESULT put_Address(BSTR text) = 0;
    virtual HRESULT get_Address(BSTR* pText) = 0;
    virtual HRESULT put_Telephone(BSTR text) = 0;
    virtual HRESULT get_Telephone(BSTR* pText) = 0;
    virtual HRESULT put_Facsimile(BSTR text) = 0;
    virtual HRESULT get_Facsimile(BSTR* pText) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Key(BSTR* pKey) = 0;
    virtual HRESULT put_PostCode(BSTR text) = 0;
    virtual HRESULT get_PostCode(BSTR* pText) = 0;
    virtual HRESULT put_Email(BSTR text) = 0;
    virtual HRESULT get_Email(BSTR* pText) = 0;

protected:
    ~IAddress() = default;
};

// ---- the automation bases --------------------------------------------------------------------

class CEweLambingDataAutomation : public CXMLObject {
public:
    using CXMLObject::CXMLObject;
    CEweLambingDataAutomation(const CEweLambingDataAutomation& other) : CXMLObject(other) {}
    CEweLambingDataAutomation& operator=(const CEweLambingDataAutomation&) { return *this; }
    ~CEweLambingDataAutomation() override;

    // The lambs collection, made on first use and kept.
    CLambs* GetLambsObject();
    CHistoryViews& HistoryViews() { return m_views; }

    IDispatch* GetApplication();
    IDispatch* GetParent() { return nullptr; }  // the record keeps no link to its animal
    WString GetCommentsAuto();
    void SetCommentsAuto(const WString& v);
    DATE GetDateAuto();
    void SetDateAuto(DATE v);
    IDispatch* GetLambs();
    SHORT GetMethodAuto();
    void SetMethodAuto(SHORT v);
    WString GetTupAuto();
    void SetTupAuto(const WString& v);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    CEweLambingData* Record();

    class XEweLambingData
        : public CDualImpl<CEweLambingDataAutomation, IEweLambingData, IID_IEweLambingData> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Comments(BSTR* pComments) override;
        HRESULT put_Comments(BSTR comments) override;
        HRESULT get_Date(DATE* pDate) override;
        HRESULT put_Date(DATE date) override;
        HRESULT get_Lambs(ILambs** ppLambs) override;
        HRESULT get_Method(LONG* pMethod) override;
        HRESULT put_Method(LONG method) override;
        HRESULT get_Tup(BSTR* pTup) override;
        HRESULT put_Tup(BSTR tup) override;
    } m_xEweLambingData{this};
    CSupportErrorInfoImpl<CEweLambingDataAutomation, IID_IEweLambingData> m_xSupportErrorInfo{this};

    CHistoryViews m_views;
    CLambs* m_pLambs = nullptr;
};

class CLambDataAutomation : public CXMLObject {
public:
    using CXMLObject::CXMLObject;
    CLambDataAutomation(const CLambDataAutomation& other) : CXMLObject(other) {}
    CLambDataAutomation& operator=(const CLambDataAutomation&) { return *this; }

    WString GetTattooAuto();
    void SetTattooAuto(const WString& v);
    WString GetCommentsAuto();
    void SetCommentsAuto(const WString& v);
    WString GetBirthWeightAuto();
    void SetBirthWeightAuto(const WString& v);
    SHORT GetSexAuto();
    void SetSexAuto(SHORT v);
    // -1 (not set) is refused with dispatch error 7, message 132.
    void StoreSex(LONG v);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    CLambData* Lamb();

    class XLambData : public CDualImpl<CLambDataAutomation, ILambData, IID_ILambData> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT put_Tattoo(BSTR tattoo) override;
        HRESULT get_Tattoo(BSTR* pTattoo) override;
        HRESULT put_Comments(BSTR comments) override;
        HRESULT get_Comments(BSTR* pComments) override;
        HRESULT put_Sex(LONG sex) override;
        HRESULT get_Sex(LONG* pSex) override;
        HRESULT put_BirthWeight(BSTR weight) override;
        HRESULT get_BirthWeight(BSTR* pWeight) override;
    } m_xLambData{this};
    CSupportErrorInfoImpl<CLambDataAutomation, IID_ILambData> m_xSupportErrorInfo{this};
};

class CRamLambingDataAutomation : public CXMLObject {
public:
    using CXMLObject::CXMLObject;
    CRamLambingDataAutomation(const CRamLambingDataAutomation& other) : CXMLObject(other) {}
    CRamLambingDataAutomation& operator=(const CRamLambingDataAutomation&) { return *this; }

    IDispatch* GetApplication();
    IDispatch* GetParent() { return nullptr; }  // the record keeps no link to its ram
    DATE GetDateInAuto();
    void SetDateInAuto(DATE v);
    DATE GetDateOutAuto();
    void SetDateOutAuto(DATE v);
    SHORT GetMethodAuto();
    void SetMethodAuto(SHORT v);
    COleVariant GetEwesAuto();
    // Exactly a one-dimensional array of strings (not by reference), else E_INVALIDARG.
    void SetEwesAuto(const VARIANT& v);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    CRamLambingData* Record();

    class XRamLambingData
        : public CDualImpl<CRamLambingDataAutomation, IRamLambingData, IID_IRamLambingData> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT put_DateIn(DATE date) override;
        HRESULT get_DateIn(DATE* pDate) override;
        HRESULT put_DateOut(DATE date) override;
        HRESULT get_DateOut(DATE* pDate) override;
        HRESULT put_Method(LONG method) override;
        HRESULT get_Method(LONG* pMethod) override;
        HRESULT put_Ewes(VARIANT ewes) override;
        HRESULT get_Ewes(VARIANT* pEwes) override;
    } m_xRamLambingData{this};
    CSupportErrorInfoImpl<CRamLambingDataAutomation, IID_IRamLambingData> m_xSupportErrorInfo{this};
};

class CSignetDataAutomation : public CCmdTarget {
public:
    CSignetDataAutomation() = default;
    CSignetDataAutomation(const CSignetDataAutomation& other) : CCmdTarget(other) {}
    CSignetDataAutomation& operator=(const CSignetDataAutomation&) { return *this; }

    template <int kFigure>
    double GetFigureAuto();
    template <int kFigure>
    void SetFigureAuto(double v);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    // The nine figures in the dispatch order.
    double& Figure(int index);

    class XSignetData : public CDualImpl<CSignetDataAutomation, ISignetData, IID_ISignetData> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_AWT(DOUBLE* p) override { return Get(0, p); }
        HRESULT get_EightWeekWeightEBV(DOUBLE* p) override { return Get(1, p); }
        HRESULT get_LitterEBV(DOUBLE* p) override { return Get(2, p); }
        HRESULT get_MatureEBV(DOUBLE* p) override { return Get(3, p); }
        HRESULT get_MaternalEBV(DOUBLE* p) override { return Get(4, p); }
        HRESULT get_MuscleDepthEBV(DOUBLE* p) override { return Get(5, p); }
        HRESULT get_ScanWeightEBV(DOUBLE* p) override { return Get(6, p); }
        HRESULT get_FatDepthEBV(DOUBLE* p) override { return Get(7, p); }
        HRESULT get_LeanIndex(DOUBLE* p) override { return Get(8, p); }
        HRESULT put_AWT(DOUBLE v) override { return Put(0, v); }
        HRESULT put_EightWeekWeightEBV(DOUBLE v) override { return Put(1, v); }
        HRESULT put_LitterEBV(DOUBLE v) override { return Put(2, v); }
        HRESULT put_MatureEBV(DOUBLE v) override { return Put(3, v); }
        HRESULT put_MaternalEBV(DOUBLE v) override { return Put(4, v); }
        HRESULT put_MuscleDepthEBV(DOUBLE v) override { return Put(5, v); }
        HRESULT put_ScanWeightEBV(DOUBLE v) override { return Put(6, v); }
        HRESULT put_FatDepthEBV(DOUBLE v) override { return Put(7, v); }
        HRESULT put_LeanIndex(DOUBLE v) override { return Put(8, v); }

    private:
        HRESULT Get(int index, DOUBLE* p);
        HRESULT Put(int index, DOUBLE v);
    } m_xSignetData{this};
    CSupportErrorInfoImpl<CSignetDataAutomation, IID_ISignetData> m_xSupportErrorInfo{this};
};

class CAddressAutomation : public CXMLObject {
public:
    using CXMLObject::CXMLObject;
    CAddressAutomation(const CAddressAutomation& other) : CXMLObject(other) {}
    CAddressAutomation& operator=(const CAddressAutomation&) { return *this; }

    WString GetAddressAuto();
    void SetAddressAuto(const WString& v);
    WString GetTelephoneAuto();
    void SetTelephoneAuto(const WString& v);
    WString GetFacsimileAuto();
    void SetFacsimileAuto(const WString& v);
    WString GetPostCodeAuto();
    void SetPostCodeAuto(const WString& v);
    WString GetEmailAuto();
    void SetEmailAuto(const WString& v);
    IDispatch* GetApplication();
    IDispatch* GetParent() { return nullptr; }
    WString GetKey();

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    CAddress* Address();

    class XAddress : public CDualImpl<CAddressAutomation, IAddress, IID_IAddress> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT put_Address(BSTR text) override;
        HRESULT get_Address(BSTR* pText) override;
        HRESULT put_Telephone(BSTR text) override;
        HRESULT get_Telephone(BSTR* pText) override;
        HRESULT put_Facsimile(BSTR text) override;
        HRESULT get_Facsimile(BSTR* pText) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Key(BSTR* pKey) override;
        HRESULT put_PostCode(BSTR text) override;
        HRESULT get_PostCode(BSTR* pText) override;
        HRESULT put_Email(BSTR text) override;
        HRESULT get_Email(BSTR* pText) override;

    private:
        HRESULT GetText(BSTR* pText, WString (CAddressAutomation::*get)());
        HRESULT PutText(BSTR text, void (CAddressAutomation::*put)(const WString&));
    } m_xAddress{this};
    CSupportErrorInfoImpl<CAddressAutomation, IID_IAddress> m_xSupportErrorInfo{this};
};
