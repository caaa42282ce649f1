// The animal as an automation object: its dispatch members by name and its dual interface, which
// the reader plug-in calls by slot. CSheep derives from CSheepAutomation, which holds everything the
// animal needs for automation: the interfaces, the cached history collections and the members.
#pragma once

#include "platform/automation/automation.h"
#include "records/history_collections.h"
#include "records/record_interfaces.h"
#include "records/xml_object.h"

class CSheep;
class CEvents;
class CLambingHistory;
class CTuppingHistory;
enum SignetFigure : int;

// Slots 7-69. For the texts and shorts the put comes before the get, for the figures and the later
// properties the get comes first.
struct ISheep : public IDispatch {
    virtual HRESULT get_Tattoo(BSTR* pTattoo) = 0;                        // 7
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;       // 8
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;                 // 9
    virtual HRESULT get_DateofBirth(VARIANT* pDate) = 0;                  // 10
    virtual HRESULT get_DateofDepart(VARIANT* pDate) = 0;                 // 11
    virtual HRESULT get_DateofPurchase(VARIANT* pDate) = 0;               // 12
    virtual HRESULT put_Name(BSTR name) = 0;                              // 13
    virtual HRESULT get_Name(BSTR* pName) = 0;                            // 14
    virtual HRESULT put_Sex(SHORT sex) = 0;                               // 15
    virtual HRESULT get_Sex(SHORT* pSex) = 0;                             // 16
    virtual HRESULT put_OneOf(SHORT oneOf) = 0;                           // 17
    virtual HRESULT get_OneOf(SHORT* pOneOf) = 0;                         // 18
    virtual HRESULT put_EartagColour(BSTR colour) = 0;                    // 19
    virtual HRESULT get_EartagColour(BSTR* pColour) = 0;                  // 20
    virtual HRESULT put_EartagNumber(BSTR number) = 0;                    // 21
    virtual HRESULT get_EartagNumber(BSTR* pNumber) = 0;                  // 22
    virtual HRESULT get_DepartReason(SHORT* pReason) = 0;                 // 23
    virtual HRESULT put_Sire(BSTR sire) = 0;                              // 24
    virtual HRESULT get_Sire(BSTR* pSire) = 0;                            // 25
    virtual HRESULT put_Dam(BSTR dam) = 0;                                // 26
    virtual HRESULT get_Dam(BSTR* pDam) = 0;                              // 27
    virtual HRESULT get_Events(IEvents** ppEvents) = 0;                   // 28
    virtual HRESULT get_LambingHistory(ILambingHistory** ppHistory) = 0;  // 29
    virtual HRESULT get_TuppingHistory(ITuppingHistory** ppHistory) = 0;  // 30
    virtual HRESULT put_Comments(BSTR comments) = 0;                      // 31
    virtual HRESULT get_Comments(BSTR* pComments) = 0;                    // 32
    virtual HRESULT put_Xml(BSTR xml) = 0;                                // 33
    virtual HRESULT get_Xml(BSTR* pXml) = 0;                              // 34
    virtual HRESULT get_Images(VARIANT* pImages) = 0;                     // 35
    virtual HRESULT get_AWT(DOUBLE* pValue) = 0;                          // 36
    virtual HRESULT put_AWT(DOUBLE value) = 0;
    virtual HRESULT get_EightWeekWeightEBV(DOUBLE* pValue) = 0;  // 38
    virtual HRESULT put_EightWeekWeightEBV(DOUBLE value) = 0;
    virtual HRESULT get_LitterEBV(DOUBLE* pValue) = 0;  // 40
    virtual HRESULT put_LitterEBV(DOUBLE value) = 0;
    virtual HRESULT get_MatureEBV(DOUBLE* pValue) = 0;  // 42
    virtual HRESULT put_MatureEBV(DOUBLE value) = 0;
    virtual HRESULT get_MaternalEBV(DOUBLE* pValue) = 0;  // 44
    virtual HRESULT put_MaternalEBV(DOUBLE value) = 0;
    virtual HRESULT get_MuscleDepthEBV(DOUBLE* pValue) = 0;  // 46
    virtual HRESULT put_MuscleDepthEBV(DOUBLE value) = 0;
    virtual HRESULT get_ScanWeightEBV(DOUBLE* pValue) = 0;  // 48
    virtual HRESULT put_ScanWeightEBV(DOUBLE value) = 0;
    virtual HRESULT get_FatDepthEBV(DOUBLE* pValue) = 0;  // 50
    virtual HRESULT put_FatDepthEBV(DOUBLE value) = 0;
    virtual HRESULT get_LeanIndex(DOUBLE* pValue) = 0;  // 52
    virtual HRESULT put_LeanIndex(DOUBLE value) = 0;
    virtual HRESULT get_MaternalActual(DOUBLE* pValue) = 0;  // 54
    virtual HRESULT put_MaternalActual(DOUBLE value) = 0;
    virtual HRESULT get_MuscleDepthActual(DOUBLE* pValue) = 0;  // 56
    virtual HRESULT put_MuscleDepthActual(DOUBLE value) = 0;
    virtual HRESULT get_ScanWeightActual(DOUBLE* pValue) = 0;  // 58
    virtual HRESULT put_ScanWeightActual(DOUBLE value) = 0;
    virtual HRESULT get_FatDepthActual(DOUBLE* pValue) = 0;  // 60
    virtual HRESULT put_FatDepthActual(DOUBLE value) = 0;
    virtual HRESULT get_GeneticScrapie(SHORT* pCode) = 0;  // 62
    virtual HRESULT put_GeneticScrapie(SHORT code) = 0;
    virtual HRESULT get_ElectronicID(BSTR* pText) = 0;  // 64
    virtual HRESULT put_ElectronicID(BSTR text) = 0;
    virtual HRESULT get__ElectronicID(ULONGLONG* pEid) = 0;  // 66
    virtual HRESULT put__ElectronicID(ULONGLONG eid) = 0;
    virtual HRESULT get_Flags(VARIANT* pFlags) = 0;  // 68
    virtual HRESULT put_Flags(VARIANT flags) = 0;    // 69

protected:
    ~ISheep() = default;
};

// The base of CSheep that makes it an automation object.
class CSheepAutomation : public CXMLObject {
public:
    using CXMLObject::CXMLObject;
    ~CSheepAutomation() override;
    CSheepAutomation(const CSheepAutomation&) = delete;
    CSheepAutomation& operator=(const CSheepAutomation&) = delete;

    // The cached collections (made on first use; the animal keeps one reference to each).
    CEvents* GetEventsObject();
    CLambingHistory* GetLambingHistoryObject();
    CTuppingHistory* GetTuppingHistoryObject();
    CHistoryViews& HistoryViews() { return m_views; }

    // ---- the dispatch members -----------------------------------------------------------------
    WString GetTattooAuto();
    IDispatch* GetApplication();
    IDispatch* GetParent() { return GetApplication(); }
    COleVariant GetDateofBirthAuto();
    COleVariant GetDateofDepartAuto();
    COleVariant GetDateofPurchaseAuto();
    WString GetNameAuto();
    void SetNameAuto(const WString& v);
    SHORT GetSexAuto();
    void SetSexAuto(SHORT v);
    SHORT GetOneOfAuto();
    void SetOneOfAuto(SHORT v);
    WString GetEartagColourAuto();
    void SetEartagColourAuto(const WString& v);
    WString GetEartagNumberAuto();
    void SetEartagNumberAuto(const WString& v);
    SHORT GetDepartReasonAuto();
    WString GetSireAuto();
    void SetSireAuto(const WString& v);
    WString GetDamAuto();
    void SetDamAuto(const WString& v);
    IDispatch* GetEvents();
    WString GetCommentsAuto();
    void SetCommentsAuto(const WString& v);
    WString GetXmlAuto();
    void SetXmlAuto(const WString& v);
    COleVariant GetImagesAuto();
    template <SignetFigure F>
    double GetFigureAuto();
    template <SignetFigure F>
    void SetFigureAuto(double v);
    SHORT GetGeneticScrapieAuto();
    void SetGeneticScrapieAuto(SHORT v);
    WString GetElectronicIDAuto();
    void SetElectronicIDAuto(const WString& text);
    ULONGLONG GetElectronicIDNumberAuto();
    void SetElectronicIDNumberAuto(ULONGLONG eid);
    COleVariant GetFlagsAuto();
    void SetFlagsAuto(const VARIANT& flags);

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    CSheep* Sheep();
    void StampEditedLocal();
    // Stores an EID put through automation: the document's EID map follows, and an EID that another
    // animal holds is refused (error 160) with nothing changed.
    void StoreElectronicID(ULONGLONG eid);

    class XSheep : public CDualImpl<CSheepAutomation, ISheep, IID_ISheep> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Tattoo(BSTR* pTattoo) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_DateofBirth(VARIANT* pDate) override;
        HRESULT get_DateofDepart(VARIANT* pDate) override;
        HRESULT get_DateofPurchase(VARIANT* pDate) override;
        HRESULT put_Name(BSTR name) override;
        HRESULT get_Name(BSTR* pName) override;
        HRESULT put_Sex(SHORT sex) override;
        HRESULT get_Sex(SHORT* pSex) override;
        HRESULT put_OneOf(SHORT oneOf) override;
        HRESULT get_OneOf(SHORT* pOneOf) override;
        HRESULT put_EartagColour(BSTR colour) override;
        HRESULT get_EartagColour(BSTR* pColour) override;
        HRESULT put_EartagNumber(BSTR number) override;
        HRESULT get_EartagNumber(BSTR* pNumber) override;
        HRESULT get_DepartReason(SHORT* pReason) override;
        HRESULT put_Sire(BSTR sire) override;
        HRESULT get_Sire(BSTR* pSire) override;
        HRESULT put_Dam(BSTR dam) override;
        HRESULT get_Dam(BSTR* pDam) override;
        HRESULT get_Events(IEvents** ppEvents) override;
        HRESULT get_LambingHistory(ILambingHistory** ppHistory) override;
        HRESULT get_TuppingHistory(ITuppingHistory** ppHistory) override;
        HRESULT put_Comments(BSTR comments) override;
        HRESULT get_Comments(BSTR* pComments) override;
        HRESULT put_Xml(BSTR xml) override;
        HRESULT get_Xml(BSTR* pXml) override;
        HRESULT get_Images(VARIANT* pImages) override;
        HRESULT get_AWT(DOUBLE* pValue) override;
        HRESULT put_AWT(DOUBLE value) override;
        HRESULT get_EightWeekWeightEBV(DOUBLE* pValue) override;
        HRESULT put_EightWeekWeightEBV(DOUBLE value) override;
        HRESULT get_LitterEBV(DOUBLE* pValue) override;
        HRESULT put_LitterEBV(DOUBLE value) override;
        HRESULT get_MatureEBV(DOUBLE* pValue) override;
        HRESULT put_MatureEBV(DOUBLE value) override;
        HRESULT get_MaternalEBV(DOUBLE* pValue) override;
        HRESULT put_MaternalEBV(DOUBLE value) override;
        HRESULT get_MuscleDepthEBV(DOUBLE* pValue) override;
        HRESULT put_MuscleDepthEBV(DOUBLE value) override;
        HRESULT get_ScanWeightEBV(DOUBLE* pValue) override;
        HRESULT put_ScanWeightEBV(DOUBLE value) override;
        HRESULT get_FatDepthEBV(DOUBLE* pValue) override;
        HRESULT put_FatDepthEBV(DOUBLE value) override;
        HRESULT get_LeanIndex(DOUBLE* pValue) override;
        HRESULT put_LeanIndex(DOUBLE value) override;
        HRESULT get_MaternalActual(DOUBLE* pValue) override;
        HRESULT put_MaternalActual(DOUBLE value) override;
        HRESULT get_MuscleDepthActual(DOUBLE* pValue) override;
        HRESULT put_MuscleDepthActual(DOUBLE value) override;
        HRESULT get_ScanWeightActual(DOUBLE* pValue) override;
        HRESULT put_ScanWeightActual(DOUBLE value) override;
        HRESULT get_FatDepthActual(DOUBLE* pValue) override;
        HRESULT put_FatDepthActual(DOUBLE value) override;
        HRESULT get_GeneticScrapie(SHORT* pCode) override;
        HRESULT put_GeneticScrapie(SHORT code) override;
        HRESULT get_ElectronicID(BSTR* pText) override;
        HRESULT put_ElectronicID(BSTR text) override;
        HRESULT get__ElectronicID(ULONGLONG* pEid) override;
        HRESULT put__ElectronicID(ULONGLONG eid) override;
        HRESULT get_Flags(VARIANT* pFlags) override;
        HRESULT put_Flags(VARIANT flags) override;

    private:
        HRESULT GetText(BSTR* pOut, WString (CSheepAutomation::*get)());
        HRESULT PutText(BSTR in, void (CSheepAutomation::*put)(const WString&));
        HRESULT GetShort(SHORT* pOut, SHORT (CSheepAutomation::*get)());
        HRESULT PutShort(SHORT in, void (CSheepAutomation::*put)(SHORT));
        HRESULT GetVariant(VARIANT* pOut, COleVariant (CSheepAutomation::*get)());
        HRESULT GetFigure(DOUBLE* pOut, int figure);
        HRESULT PutFigure(DOUBLE in, int figure);
    } m_xSheep{this};
    CSupportErrorInfoImpl<CSheepAutomation, IID_ISheep> m_xSupportErrorInfo{this};

    CHistoryViews m_views;
    CEvents* m_pEvents = nullptr;
    CLambingHistory* m_pLambingHistory = nullptr;
    CTuppingHistory* m_pTuppingHistory = nullptr;
};
