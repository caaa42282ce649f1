#include "platform/object.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

struct ClassRegistry {
    std::mutex lock;
    std::unordered_map<std::string, const CRuntimeClass*> byName;
};

ClassRegistry& Registry() {
    static ClassRegistry r;
    return r;
}

}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", NOT_SERIAL_SCHEMA, nullptr, nullptr};

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass) return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view className) {
    ClassRegistry& r = Registry();
    std::lock_guard g(r.lock);
    auto it = r.byName.find(std::string(className));
    return it == r.byName.end() ? nullptr : it->second;
}

void CRuntimeClass::Register(const CRuntimeClass* pClass) {
    ClassRegistry& r = Registry();
    std::lock_guard g(r.lock);
    r.byName.emplace(pClass->m_lpszClassName, pClass);
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* pClass) const {
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

uint32_t CObject::InternalRelease() {
    uint32_t n = m_dwRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (n == 0) OnFinalRelease();
    return n;
}
