#include "platform/automation/dispatch.h"

#include <new>

static_assert(sizeof(COleVariant) == sizeof(VARIANT), "COleVariant arrays are read as VARIANT arrays");

CDispatchTable::CDispatchTable(std::initializer_list<DispEntry> entries) : m_entries(entries) {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        DispEntry& e = m_entries[i];
        if (e.kind != DispKind::DefaultValue && e.id == DISPID_UNKNOWN) e.id = static_cast<DISPID>(i + 1);
    }
    for (const DispEntry& d : m_entries) {
        if (d.kind != DispKind::DefaultValue) continue;
        for (const DispEntry& e : m_entries)
            if (e.kind != DispKind::DefaultValue && EqualsNoCase(e.name, d.name)) {
                m_default = &e;
                break;
            }
    }
}

const DispEntry* CDispatchTable::FindById(DISPID id) const {
    if (id == DISPID_VALUE) return m_default;
    for (const DispEntry& e : m_entries)
        if (e.kind != DispKind::DefaultValue && e.id == id) return &e;
    return nullptr;
}

DISPID CDispatchTable::FindName(WStringView name) const {
    for (const DispEntry& e : m_entries)
        if (e.kind != DispKind::DefaultValue && EqualsNoCase(e.name, name)) return e.id;
    return DISPID_UNKNOWN;
}

void dispatch_detail::StoreBstr(VARIANT* r, WStringView s) {
    BSTR b = SysAllocStringW(s);
    if (b == nullptr) throw std::bad_alloc();
    r->vt = VT_BSTR;
    r->bstrVal = b;
}
