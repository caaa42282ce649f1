// Reference counting for the reconciler's small objects that implement one interface each.
#pragma once

#include <atomic>

#include "platform/automation/com.h"

// I: the interface; the object answers for it and for IUnknown. Starts with one reference.
template <class I>
class CSingleInterfaceObject : public I {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != InterfaceId()) return E_NOINTERFACE;
        *ppv = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_ref.fetch_add(1) + 1; }
    ULONG Release() override {
        const ULONG left = m_ref.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~CSingleInterfaceObject() = default;
    virtual const IID& InterfaceId() const = 0;

private:
    std::atomic<ULONG> m_ref{1};
};

// Holds one reference to an interface.
template <class I>
class CComPtr {
public:
    CComPtr() = default;
    // Takes over a reference the caller owns.
    static CComPtr Adopt(I* p) {
        CComPtr r;
        r.m_p = p;
        return r;
    }
    CComPtr(const CComPtr& o) : m_p(o.m_p) {
        if (m_p) m_p->AddRef();
    }
    CComPtr& operator=(CComPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    ~CComPtr() { Reset(); }
    void Reset() {
        if (I* p = m_p) {
            m_p = nullptr;
            p->Release();
        }
    }
    // A new reference to p.
    void Set(I* p) {
        if (p) p->AddRef();
        Reset();
        m_p = p;
    }
    I** Out() {
        Reset();
        return &m_p;
    }
    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    I* m_p = nullptr;
};
