// The flock document as an automation object ("Dedov.Document.1"): its dispatch members and the
// dual interface that the reader plug-in calls by slot, the collections it hands out, and the
// frame interface through which the program's windows serve what the document core cannot.
#pragma once

#include "document/document_stores.h"
#include "document/summary_info.h"
#include "platform/automation/automation.h"
#include "records/automation_document.h"
#include "records/criteria.h"

class CRecords;
class CSheepDoc;
class CComCriterias;
class CAddresses;
class CComBreed;

inline constexpr IID IID_IDocumentDisp = {
    0x6b1f3a90, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IDocument = {
    0x6b1f3a91, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr CLSID CLSID_Document = {
    0x6b1f3a92, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr const char16_t* kDocumentProgID = u"Dedov.Document.1";

// Slots 7-39 after those of IDispatch: 40 in all.
struct IDocument : public IDispatch {
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT get_FullName(BSTR* pFullName) = 0;
    virtual HRESULT put_Attribute(SHORT index, BSTR value) = 0;
    virtual HRESULT get_Attribute(SHORT index, BSTR* pValue) = 0;
    virtual HRESULT put_Author(BSTR value) = 0;
    virtual HRESULT get_Author(BSTR* pValue) = 0;
    virtual HRESULT put_Comments(BSTR value) = 0;
    virtual HRESULT get_Comments(BSTR* pValue) = 0;
    virtual HRESULT put_Keywords(BSTR value) = 0;
    virtual HRESULT get_Keywords(BSTR* pValue) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Records(IDispatch** ppRecords) = 0;
    virtual HRESULT get_Criteria(IDispatch** ppCriteria) = 0;
    virtual HRESULT get_Saved(VARIANT_BOOL* pSaved) = 0;
    virtual HRESULT get_ReadOnly(VARIANT_BOOL* pReadOnly) = 0;
    virtual HRESULT get_Path(BSTR* pPath) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* pVisible) = 0;
    virtual HRESULT get_Windows(IDispatch** ppWindows) = 0;
    virtual HRESULT get_Addresses(IDispatch** ppAddresses) = 0;
    virtual HRESULT put_DefaultEartagColour(SHORT year, BSTR colour) = 0;
    virtual HRESULT get_DefaultEartagColour(SHORT year, BSTR* pColour) = 0;
    virtual HRESULT get_XML(BSTR* pXml) = 0;
    virtual HRESULT get_Breed(IDispatch** ppBreed) = 0;
    virtual HRESULT LookupSignetAverages(SHORT sex, SHORT year, IDispatch** ppAverages) = 0;
    virtual HRESULT Save() = 0;
    virtual HRESULT SaveAs(VARIANT fileName) = 0;
    virtual HRESULT Close(VARIANT saveChanges, VARIANT fileName) = 0;
    virtual HRESULT Print(VARIANT a, VARIANT b, VARIANT c) = 0;
    virtual HRESULT Activate() = 0;
    virtual HRESULT PrintOut(VARIANT a, VARIANT b, VARIANT c) = 0;
    virtual HRESULT put_XML(BSTR xml) = 0;

protected:
    ~IDocument() = default;
};

// What the program's window layer does for the document (the shell implements it).
class IDocumentFrame {
public:
    // Empty when the document was never saved.
    virtual WString GetPathName() const = 0;
    virtual bool IsFirstViewVisible() const = 0;
    virtual void ShowFirstView(bool show) = 0;
    // Makes the first view's window the active one; nothing without a view.
    virtual void ActivateFirstView() = 0;
    // Saves the document under path, replacing the file, and gives the document that name. False
    // when it failed (the user has been told why).
    virtual bool SaveDocument(const WString& path) = 0;
    // Keeps the document alive after its last view closes, then closes it without asking.
    virtual void CloseDocument() = 0;
    // The windows collection, with a reference for the caller.
    virtual IDispatch* CreateWindows() = 0;
    // The address browser, modal over the window the handle names, its name field preset; false
    // unless it ended with OK, with the name it then held.
    virtual bool RunAddressBrowser(long windowHandle, WString* name) = 0;

protected:
    ~IDocumentFrame() = default;
};

// The automation side of the flock document; only CSheepDoc derives from it.
class CDocumentAutomation : public CCmdTarget, public IAutomationDocument {
public:
    CDocumentAutomation();
    ~CDocumentAutomation() override;

    void SetFrame(IDocumentFrame* frame) { m_pFrame = frame; }
    IDocumentFrame* GetFrame() const { return m_pFrame; }

    // The summary information kept with the data file.
    CSummaryInfo& GetSummaryInfo() { return m_summary; }
    // The extraction criteria: the flock list's current selection.
    CCriteria& GetExtractionCriteria() { return m_criteria; }

    // ---- what records and collections need -----------------------------------------------------
    IDocument* GetDocumentDual() override { return &m_xDocument; }
    CCriteria* GetCriteria() const override { return const_cast<CCriteria*>(&m_criteria); }
    const std::map<WString, CRefPtr<CAddress>>& GetAddressMap() const override;
    bool DeleteAddress(const WString& name) override;
    bool RunAddressBrowser(long windowHandle, WString* name) override;
    IDispatch* GetDocumentDispatch() override { return GetIDispatch(true); }
    COwnerLinks& GetAutomationLinks() override { return m_links; }

    // ---- dispatch members ------------------------------------------------------------------
    WString GetAttribute(SHORT index);
    void SetAttributeAuto(SHORT index, const WString& value);
    WString GetDefaultEartagColour(SHORT year);
    void SetDefaultEartagColour(SHORT year, const WString& colour);
    WString GetName();
    WString GetFullName();
    WString GetAuthor();
    void SetAuthor(const WString& value);
    WString GetComments();
    void SetComments(const WString& value);
    WString GetKeywords();
    void SetKeywords(const WString& value);
    IDispatch* GetApplication();
    IDispatch* GetParent();
    IDispatch* GetRecords();
    IDispatch* GetCriteriaCollection();
    BOOL GetSaved();
    BOOL GetReadOnly();
    BOOL GetVisible();
    void SetVisible(VARIANT_BOOL visible);
    IDispatch* GetAddresses();
    IDispatch* GetWindows();
    WString GetXML();
    void SetXML(const WString& xml);
    IDispatch* LookupSignetAverages(SHORT sex, SHORT year);
    void Save();
    void SaveAs(const VARIANT& fileName);
    void Close(const VARIANT& saveChanges, const VARIANT& fileName);
    void Print(const VARIANT&, const VARIANT&, const VARIANT&);
    void Activate();

    // The cached collections (made on first use; the document holds one reference to each).
    CRecords* GetRecordsObject();
    CComCriterias* GetCriteriaObject();
    CAddresses* GetAddressesObject();
    // The breed object of the document's breed, made on first use (not AddRef'd).
    CComBreed* GetBreedObject();

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    IDocumentFrame& Frame(const char16_t* what);
    CSheepDoc& Doc();
    const CSheepDoc& Doc() const;

    class XDocument : public CDualImpl<CDocumentAutomation, IDocument, IID_IDocument> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Name(BSTR* pName) override;
        HRESULT get_FullName(BSTR* pFullName) override;
        HRESULT put_Attribute(SHORT index, BSTR value) override;
        HRESULT get_Attribute(SHORT index, BSTR* pValue) override;
        HRESULT put_Author(BSTR value) override;
        HRESULT get_Author(BSTR* pValue) override;
        HRESULT put_Comments(BSTR value) override;
        HRESULT get_Comments(BSTR* pValue) override;
        HRESULT put_Keywords(BSTR value) override;
        HRESULT get_Keywords(BSTR* pValue) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Records(IDispatch** ppRecords) override;
        HRESULT get_Criteria(IDispatch** ppCriteria) override;
        HRESULT get_Saved(VARIANT_BOOL* pSaved) override;
        HRESULT get_ReadOnly(VARIANT_BOOL* pReadOnly) override;
        HRESULT get_Path(BSTR* pPath) override;
        HRESULT put_Visible(VARIANT_BOOL visible) override;
        HRESULT get_Visible(VARIANT_BOOL* pVisible) override;
        HRESULT get_Windows(IDispatch** ppWindows) override;
        HRESULT get_Addresses(IDispatch** ppAddresses) override;
        HRESULT put_DefaultEartagColour(SHORT year, BSTR colour) override;
        HRESULT get_DefaultEartagColour(SHORT year, BSTR* pColour) override;
        HRESULT get_XML(BSTR* pXml) override;
        HRESULT get_Breed(IDispatch** ppBreed) override;
        HRESULT LookupSignetAverages(SHORT sex, SHORT year, IDispatch** ppAverages) override;
        HRESULT Save() override;
        HRESULT SaveAs(VARIANT fileName) override;
        HRESULT Close(VARIANT saveChanges, VARIANT fileName) override;
        HRESULT Print(VARIANT a, VARIANT b, VARIANT c) override;
        HRESULT Activate() override;
        HRESULT PrintOut(VARIANT a, VARIANT b, VARIANT c) override;
        HRESULT put_XML(BSTR xml) override;

    private:
        HRESULT Text(BSTR* pOut, WString (CDocumentAutomation::*get)());
        HRESULT Object(IDispatch** ppOut, IDispatch* (CDocumentAutomation::*get)(), const IID& dual);
    } m_xDocument{this};
    CSupportErrorInfoImpl<CDocumentAutomation, IID_IDocument> m_xSupportErrorInfo{this};

    CCriteria m_criteria;
    COwnerLinks m_links;
    IDocumentFrame* m_pFrame = nullptr;
    CRefPtr<CRecords> m_records;
    CRefPtr<CComCriterias> m_criterias;
    CRefPtr<CAddresses> m_addresses;
    IDispatch* m_pWindows = nullptr;
    CRefPtr<CComBreed> m_breed;
    CSummaryInfo m_summary;
};
