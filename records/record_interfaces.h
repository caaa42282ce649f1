// The records' automation interfaces: identifiers and the dual interfaces that clients (the reader
// plug-in, breed plug-ins) call by slot. The slot order of each is a fixed contract.
#pragma once

#include "abi/breed_abi.h"
#include "platform/automation/cmdtarget.h"
#include "platform/automation/com.h"

// The animal's dispatch and dual interfaces (the dual's slots come with the animal's automation).
inline constexpr IID IID_ISheepDisp = {
    0x6b1f3a52, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_ISheep = {
    0x6b1f3a53, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
// The event's dispatch and dual interfaces.
inline constexpr IID IID_IEventDisp = {
    0x6b1f3a60, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IEvent = {
    0x6b1f3a61, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-15 after those of IDispatch.
struct IEvent : public IDispatch {
    virtual HRESULT get_Value(BSTR* pValue) = 0;
    virtual HRESULT put_Value(BSTR value) = 0;
    virtual HRESULT get_Date(DATE* pDate) = 0;
    virtual HRESULT put_Date(DATE date) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(ISheep** ppSheep) = 0;
    virtual HRESULT get_Parameters(VARIANT* pParameters) = 0;
    virtual HRESULT put_Parameters(VARIANT parameters) = 0;
    virtual HRESULT Text(VARIANT includeDate, BSTR* pText) = 0;

protected:
    ~IEvent() = default;
};

// The interface iid of a record, held for the length of a call (a plug-in's hook): null when the
// record has none.
template <class T>
class CRecordInterface {
public:
    CRecordInterface(CCmdTarget* record, const IID& iid) {
        void* p = nullptr;
        if (record && SUCCEEDED(record->ExternalQueryInterface(iid, &p))) m_p = static_cast<IUnknown*>(p);
    }
    ~CRecordInterface() {
        if (m_p) m_p->Release();
    }
    CRecordInterface(const CRecordInterface&) = delete;
    CRecordInterface& operator=(const CRecordInterface&) = delete;
    // Every interface of a record starts with the IUnknown slots, so the pointer is the interface's.
    T* Get() const { return reinterpret_cast<T*>(m_p); }
    // Hands the reference to the caller.
    T* Detach() {
        T* p = Get();
        m_p = nullptr;
        return p;
    }
    explicit operator bool() const { return m_p != nullptr; }

private:
    IUnknown* m_p = nullptr;
};
