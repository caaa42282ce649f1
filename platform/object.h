// Reference-counted base object and run-time class information with creation by class name.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <utility>

class CObject;
class CArchive;

// High bit of a schema: the class accepts other stored schemas (the reader can ask which one
// it got through CArchive::GetObjectSchema). Only the low 16 bits are stored.
constexpr uint32_t VERSIONABLE_SCHEMA = 0x80000000u;
// Schema of classes that cannot be stored (no IMPLEMENT_SERIAL).
constexpr uint32_t NOT_SERIAL_SCHEMA = 0xFFFFu;

struct CRuntimeClass {
    const char* m_lpszClassName;      // ASCII; the name stored in archives
    uint32_t m_wSchema;               // NOT_SERIAL_SCHEMA for classes that are not stored
    CObject* (*m_pfnCreateObject)();  // nullptr when the class cannot be created by name
    const CRuntimeClass* m_pBaseClass;

    // A new object with one reference owned by the caller; nullptr when the class has no factory.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    bool IsSerializable() const { return m_wSchema != NOT_SERIAL_SCHEMA && m_pfnCreateObject != nullptr; }

    // Registered classes by exact (case-sensitive) name; nullptr when none.
    static const CRuntimeClass* FromName(std::string_view className);
    // IMPLEMENT_SERIAL and IMPLEMENT_DYNCREATE register their class at start-up; registering
    // again is harmless.
    static void Register(const CRuntimeClass* pClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// Base of records and automation objects. The reference count starts at 1 for the creator;
// the object deletes itself (OnFinalRelease) when the count reaches 0. Copies start with a
// count of their own.
class CObject {
public:
    static const CRuntimeClass classCObject;
    static const CRuntimeClass* GetThisClass() { return &classCObject; }

    CObject() = default;
    CObject(const CObject&) {}
    CObject& operator=(const CObject&) { return *this; }
    virtual ~CObject() = default;

    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* pClass) const;
    bool IsSerializable() const { return GetRuntimeClass()->IsSerializable(); }

    // Thread-safe; each returns the new count.
    uint32_t InternalAddRef() { return m_dwRef.fetch_add(1, std::memory_order_relaxed) + 1; }
    uint32_t InternalRelease();
    uint32_t AddRef() { return InternalAddRef(); }
    uint32_t Release() { return InternalRelease(); }
    uint32_t GetRefCount() const { return m_dwRef.load(std::memory_order_relaxed); }

protected:
    // Called once when the count reaches 0. Derived classes may release what they hold first;
    // the default deletes the object.
    virtual void OnFinalRelease() { delete this; }

    std::atomic<uint32_t> m_dwRef{1};
};

// Owning pointer to a CObject-derived object: holds one reference.
template <class T>
class CRefPtr {
public:
    CRefPtr() = default;
    CRefPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit CRefPtr(T* p) : m_p(p) {
        if (m_p) m_p->InternalAddRef();
    }
    CRefPtr(const CRefPtr& o) : CRefPtr(o.m_p) {}
    CRefPtr(CRefPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    template <class U>
    CRefPtr(const CRefPtr<U>& o) : CRefPtr(static_cast<T*>(o.Get())) {}
    template <class U>
    CRefPtr(CRefPtr<U>&& o) noexcept : m_p(o.Detach()) {}
    ~CRefPtr() { Reset(); }

    CRefPtr& operator=(CRefPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }

    // Adopts the reference the caller already owns (a new object, or ReadObject's result).
    static CRefPtr Adopt(T* p) {
        CRefPtr r;
        r.m_p = p;
        return r;
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->InternalRelease();
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool operator==(const CRefPtr& o) const { return m_p == o.m_p; }
    bool operator==(std::nullptr_t) const { return m_p == nullptr; }

private:
    T* m_p = nullptr;
};

// A new T with its one reference owned by the returned pointer.
template <class T, class... Args>
CRefPtr<T> MakeRef(Args&&... args) {
    return CRefPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Registers a class at start-up (used by the IMPLEMENT_ macros).
struct CClassRegistrar {
    explicit CClassRegistrar(const CRuntimeClass* pClass) { CRuntimeClass::Register(pClass); }
};

#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    static const CRuntimeClass* GetThisClass() {  \
        return &class##class_name;                \
    }                                             \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

// Schema: our stored classes use VERSIONABLE_SCHEMA | 1.
#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, pfnNew)              \
    const CRuntimeClass class_name::class##class_name = {#class_name, (wSchema), (pfnNew), \
                                                         RUNTIME_CLASS(base_class_name)};  \
    const CRuntimeClass* class_name::GetRuntimeClass() const {                             \
        return RUNTIME_CLASS(class_name);                                                  \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, NOT_SERIAL_SCHEMA, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                              \
    CObject* class_name::CreateObject() {                                                             \
        return new class_name;                                                                        \
    }                                                                                                 \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, NOT_SERIAL_SCHEMA, class_name::CreateObject) \
    static const CClassRegistrar cvlRegistrar_##class_name(RUNTIME_CLASS(class_name));

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                              \
    CObject* class_name::CreateObject() {                                                   \
        return new class_name;                                                              \
    }                                                                                       \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, class_name::CreateObject) \
    static const CClassRegistrar cvlRegistrar_##class_name(RUNTIME_CLASS(class_name));
