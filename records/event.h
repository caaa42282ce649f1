// One dated event in an animal's life. What a code means, how many parameters it takes and how it
// reads as text is the breed plug-in's: the event asks it through the document of its animal.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/packed_texts.h"
#include "records/record_interfaces.h"
#include "records/xml_object.h"

class CArchive;
class CSheep;
class IFlockDocument;

// Codes with a fixed meaning here; every other code is the plug-in's alone.
constexpr uint32_t EVENT_SOLD = 0;
constexpr uint32_t EVENT_PURCHASED = 1;
constexpr uint32_t EVENT_DIED = 2;
constexpr uint32_t EVENT_WEIGHED = 4;
constexpr uint32_t EVENT_RETAG = 5;
constexpr uint32_t EVENT_BORN = 9;
constexpr uint32_t EVENT_KILLED = 21;
constexpr uint32_t EVENT_CODE_NONE = 0xFFFFFFFFu;

// The plug-in's type flag asking to be told when an event of the code is deleted.
constexpr uint32_t EVENT_FLAG_REPORT_DELETE = 0x20;

// The address keys an XML file refers to (key -> 1).
using CAddressKeySet = std::map<WString, int>;

// The escaped Type names of event codes for one writing run, asked of the plug-in once per code.
// A writer holds one for its run only, so a name the plug-in changes is seen by the next run.
class CEventXmlNames {
public:
    const std::string& Get(IFlockDocument* doc, uint32_t code);

private:
    IFlockDocument* m_pDocument = nullptr;
    std::map<uint32_t, std::string> m_names;
};

// For the length of a scope on this thread (a reading that inserts many events in order), what
// events ask the plug-in and the settings for their names and texts is asked once per code.
class CEventTextScope {
public:
    CEventTextScope();
    ~CEventTextScope();
    CEventTextScope(const CEventTextScope&) = delete;
    CEventTextScope& operator=(const CEventTextScope&) = delete;

    static CEventTextScope* Current();
    // The zone's offset, taken once for the scope: a reading converts every stamp with it.
    long UtcOffsetSeconds();
    // The document's breed export, looked up once for the scope.
    void* BreedProc(IFlockDocument* doc, const char* name);
    struct Cache;
    Cache& GetCache() { return *m_pCache; }

private:
    std::unique_ptr<Cache> m_pCache;
    CEventTextScope* m_pOuter;
};

// The document's breed export; from the open scope's cache when there is one.
void* GetScopedBreedProc(IFlockDocument* doc, const char* name);

class CEvent : public CXMLObject {
    DECLARE_SERIAL(CEvent)
public:
    CEvent();
    // Each text that is not null is appended as a parameter, in order.
    CEvent(const COleDateTime& date, uint32_t code, const char16_t* text1 = nullptr,
           const char16_t* text2 = nullptr, const char16_t* text3 = nullptr);
    CEvent(const CEvent& other);
    // The XML element form: reads Type, Created and Edited; clears *ok (and reports) on a bad one.
    CEvent(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
           bool* ok);
    ~CEvent() override;
    CEvent& operator=(const CEvent&) = delete;

    void SetOwner(CSheep* owner) { m_pOwner = owner; }
    CSheep* GetOwner() const { return m_pOwner; }

    const COleDateTime& GetDate() const { return m_dtDate; }
    void SetDate(const COleDateTime& date) { m_dtDate = date; }
    uint32_t GetCode() const { return m_nCode; }
    void SetCode(uint32_t code) { m_nCode = code; }
    std::vector<WString> GetParameters() const { return m_arrParameters.ToVector(); }
    const CPackedTexts& GetParameterTexts() const { return m_arrParameters; }
    void SetParameters(const std::vector<WString>& parameters) { m_arrParameters.Assign(parameters); }
    // The text at position i (parameter i + 1), or empty when the event has none there.
    WString GetParameter(size_t i) const {
        return i < m_arrParameters.size() ? WString(m_arrParameters[i]) : WString();
    }
    const COleDateTime& GetCreated() const { return m_dtCreated; }
    void SetCreated(const COleDateTime& created) { m_dtCreated = created; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }
    void SetEditedNow();
    void SetEdited(const COleDateTime& edited) { m_dtEdited = edited; }

    // The code's name from the plug-in; empty without an owner's plug-in.
    WString GetEventName() const;
    // The plug-in's type flags of the code AND mask; message 1034 and 0 when the plug-in has none.
    uint32_t HasFlag(uint32_t mask) const;
    // The plug-in's parameter count for the code (0xFFFFFFFF as -1: a list of any length).
    int GetParameterCount() const;
    bool IsSystemEvent() const;
    // The display text through the plug-in's template.
    WString FormatText(bool includeDate) const;
    // The text without the date, added to result; a template the parameters do not fit replaces
    // all of result with the error.
    void AppendText(WString& result) const;
    // The order of an animal's events (not a strict weak order: never hand it to a sort).
    int Compare(const CEvent& other) const;
    // This event's text for many comparisons: made by the first that needs it. The storage may be
    // kept from one event's comparisons to the next, made set false between them.
    struct SortText {
        WString text;
        bool made = false;
    };
    // The same, with this event's text made once for many comparisons.
    int Compare(const CEvent& other, SortText& text) const;

    void Serialize(CArchive& ar) override;
    // The parameter texts lie apart from the event (see PrefetchForStoring in archive.h).
    void PrefetchForStoring(int depth) const {
        if (depth == 0) __builtin_prefetch(m_arrParameters.Data());
    }
    // The Event element; enters the address key of codes 0, 1, 19, 20 and 21 in addressKeys.
    std::string WriteXML(CAddressKeySet& addressKeys) const;
    // The same appended to out, the name taken from names when given.
    void AppendXML(std::string& out, CAddressKeySet& addressKeys, CEventXmlNames* names) const;

    bool OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                             const CXMLAttributes& attributes) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

    // True for the codes whose parameter 1 is an address key.
    static bool IsAddressCode(uint32_t code);

    // The document whose plug-in answers for this event (the owner's), or null.
    IFlockDocument* GetDocument() const;

    // ---- automation ---------------------------------------------------------------------------
    // The automation form (a collection's Add): Edited is the valid zero date. parameters is empty
    // or a one-dimensional array of strings: DISP_E_TYPEMISMATCH for anything else, E_INVALIDARG
    // for more dimensions. The caller owns the one reference.
    static CEvent* CreateForAutomation(DATE date, uint32_t code, const VARIANT& parameters);

    DATE GetDateAuto() const { return m_dtDate.m_dt; }
    void SetDateAuto(DATE date);
    IDispatch* GetApplication();
    IDispatch* GetParent();
    WString GetValue() const { return GetEventName(); }
    void SetValue(const WString& name);
    COleVariant GetParametersAuto() const;
    void SetParametersAuto(const VARIANT& parameters);
    WString TextAuto(const VARIANT& includeDate) const;

    DECLARE_DISPATCH_MAP()
    DECLARE_INTERFACE_MAP()

protected:
    class XEvent : public CDualImpl<CEvent, IEvent, IID_IEvent> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Value(BSTR* pValue) override;
        HRESULT put_Value(BSTR value) override;
        HRESULT get_Date(DATE* pDate) override;
        HRESULT put_Date(DATE date) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(ISheep** ppSheep) override;
        HRESULT get_Parameters(VARIANT* pParameters) override;
        HRESULT put_Parameters(VARIANT parameters) override;
        HRESULT Text(VARIANT includeDate, BSTR* pText) override;
    } m_xEvent{this};
    CSupportErrorInfoImpl<CEvent, IID_IEvent> m_xSupportErrorInfo{this};

    // The automation form shares these with the dispatch and dual members. Ordered widest first:
    // a flock holds a million events.
    CPackedTexts m_arrParameters;
    CSheep* m_pOwner = nullptr;
    uint32_t m_nCode = EVENT_CODE_NONE;
    COleDateTime m_dtDate;
    COleDateTime m_dtCreated;
    COleDateTime m_dtEdited;
    COleAppLock m_appLock;
};

// The code's name from a document's plug-in (two-call fetch); empty without the export.
WString GetEventNameFromPlugIn(IFlockDocument* doc, uint32_t code);
// The plug-in's code for a name; EVENT_CODE_NONE without the export.
uint32_t GetEventCodeFromPlugIn(IFlockDocument* doc, const WString& name);
