// The automation collection of the program's open flock documents (the Application's Documents):
// count, enumerate, create a document for a breed, open a data file and close everything. The
// program's window layer supplies the list through IOpenDocuments.
#pragma once

#include "document/document_automation.h"
#include "platform/automation/automation.h"

class CSheepDoc;

// The open documents of the program's flock document template, in the template's order.
class IOpenDocuments {
public:
    virtual int GetDocumentCount() = 0;
    // Null for an index without a document.
    virtual CSheepDoc* GetDocumentAt(int index) = 0;
    // A new, untitled document, not shown and without the new-database wizard; null when none could
    // be made.
    virtual CSheepDoc* CreateDocument() = 0;
    // Opens the file as File|Open does and lets the program finish its idle work; null when the
    // file could not be opened (the user has been told why).
    virtual CSheepDoc* OpenDocument(const WString& path) = 0;
    // Closes the document without saving.
    virtual void CloseDocument(CSheepDoc* doc) = 0;
    // Closes every open document without asking.
    virtual void CloseAllDocuments() = 0;

protected:
    ~IOpenDocuments() = default;
};

inline constexpr IID IID_IDocumentsDisp = {
    0x6b1f3a93, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IDocuments = {
    0x6b1f3a94, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-14 after those of IDispatch.
struct IDocuments : public IDispatch {
    virtual HRESULT Item(VARIANT index, IDispatch** ppDocument) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT Add(BSTR breed, IDispatch** ppDocument) = 0;
    virtual HRESULT Open(BSTR fileName, IDispatch** ppDocument) = 0;
    virtual HRESULT Close() = 0;

protected:
    ~IDocuments() = default;
};

class CDocuments : public CAutoCollection {
public:
    // The list is the program's; it outlives every collection over it.
    explicit CDocuments(IOpenDocuments* list);
    ~CDocuments() override;

    // The documents as C++ callers see them (not AddRef'd).
    CSheepDoc* GetDocument(const VARIANT& index);
    CSheepDoc* AddDocument(const WString& breed);
    CSheepDoc* OpenDocument(const WString& fileName);

    // ---- dispatch members ------------------------------------------------------------------
    IDispatch* GetApplication();
    LONG GetCount();
    IDispatch* Item(const VARIANT& index);
    IDispatch* Add(const WString& breed);
    IDispatch* Open(const WString& fileName);
    void Close();

    DECLARE_DISPATCH_MAP()
    IUnknown* GetInterface(REFIID iid) override;

protected:
    LONG EnumCount() override;
    void EnumItem(LONG index, VARIANT* pItem) override;
    CAutoCollection* EnumClone() override;
    // After a document came: an enumeration that had run out starts again.
    void RestartIfRunOut(LONG countBefore);

    class XDocuments : public CDualImpl<CDocuments, IDocuments, IID_IDocuments> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT Item(VARIANT index, IDispatch** ppDocument) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_Count(LONG* pCount) override;
        HRESULT get__NewEnum(IUnknown** ppEnum) override;
        HRESULT Add(BSTR breed, IDispatch** ppDocument) override;
        HRESULT Open(BSTR fileName, IDispatch** ppDocument) override;
        HRESULT Close() override;
    } m_xDocuments{this};
    CSupportErrorInfoImpl<CDocuments, IID_IDocuments> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    IOpenDocuments* m_pList;
};
