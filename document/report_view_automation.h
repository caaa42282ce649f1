// The report list's automation face: the breed plug-in builds a report's columns by calling
// ResetColumns and BindColumn on it (by slot on the dual interface, or by name).
#pragma once

#include "platform/automation/automation.h"
#include "platform/text.h"

inline constexpr IID IID_IReportViewDisp = {
    0x6b1f3a90, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IReportView = {
    0x6b1f3a91, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7 and 8 after those of IDispatch.
struct IReportView : public IDispatch {
    virtual HRESULT ResetColumns() = 0;
    virtual HRESULT BindColumn(BSTR title, LONG kind, LONG position) = 0;

protected:
    ~IReportView() = default;
};

// What the view does for the two calls.
class IReportColumns {
public:
    virtual void DeleteAllColumns() = 0;
    // Position -1 appends; any other position p goes to p + 1 (at most the end).
    virtual int InsertColumn(const WString& title, unsigned kind, int position) = 0;

protected:
    ~IReportColumns() = default;
};

class CReportViewAutomation : public CCmdTarget {
    DECLARE_DYNAMIC(CReportViewAutomation)
public:
    explicit CReportViewAutomation(IReportColumns* columns);
    // The view is going: later calls are refused with a dispatch error.
    void Disconnect();

    void ResetColumns();
    void BindColumn(const WString& title, LONG kind, LONG position);

    IReportView* GetReportView() { return &m_xReportView; }

    IUnknown* GetInterface(REFIID iid) override;
    const CDispatchTable* GetDispatchMap() const override;

private:
    IReportColumns* m_pColumns;

    class XReportView : public CDualImpl<CReportViewAutomation, IReportView, IID_IReportView> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT ResetColumns() override;
        HRESULT BindColumn(BSTR title, LONG kind, LONG position) override;
    } m_xReportView{this};
    CSupportErrorInfoImpl<IID_IReportView> m_xSupportErrorInfo{this};
};
