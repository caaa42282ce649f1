// Dispatch tables: what each automation class offers by name, as data. An entry's dispatch id is its
// 1-based position in the table (the default-member entry takes a position too) unless the entry
// names its own (_NewEnum: DISPID_NEWENUM). Getters, putters and methods are the class's own member
// functions; the table says the automation types and the thunks convert.
//
// C++ types for the automation types (parameters and results):
//   VT_I2: SHORT   VT_I4: LONG   VT_BOOL: VARIANT_BOOL, SHORT or BOOL (raw value in, -1/0 out)
//   VT_R8, VT_DATE: double   VT_UI8: ULONGLONG   VT_BSTR: WString (in: also const WString&, BSTR)
//   VT_DISPATCH: IDispatch*   VT_UNKNOWN: IUnknown*   VT_VARIANT: const VARIANT& in, COleVariant out
//   VT_ERROR: SCODE   VT_EMPTY (method result only): void
// A returned interface pointer carries the reference the caller gets; an [in] one is borrowed.
#pragma once

#include <initializer_list>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/automation/variant.h"

class CCmdTarget;

enum class DispKind : BYTE { Property, Method, DefaultValue };

// args: the parameters already converted to their declared types, in declared order.
using DispGetFn = void (*)(CCmdTarget* self, const VARIANT* args, VARIANT* result);
using DispPutFn = void (*)(CCmdTarget* self, const VARIANT* args, const VARIANT& value);
using DispCallFn = DispGetFn;

struct DispEntry {
    const char16_t* name;  // for DefaultValue: the member that answers DISPID_VALUE
    DispKind kind;
    DISPID id;              // DISPID_UNKNOWN: numbered by position
    VARTYPE vt;             // the property's type, the method's result (VT_EMPTY: none)
    const VARTYPE* params;  // parameters (of a method or a parameterized property) in declared order
    UINT cParams;
    DispGetFn get;  // null: the property cannot be read
    DispPutFn put;  // null: "set not supported"
    DispCallFn call;
};

class CDispatchTable {
public:
    CDispatchTable(std::initializer_list<DispEntry> entries);

    std::span<const DispEntry> Entries() const { return m_entries; }
    // DISPID_VALUE finds the default member; null when there is no such member.
    const DispEntry* FindById(DISPID id) const;
    // Case-insensitive; DefaultValue entries are not found by name. DISPID_UNKNOWN when absent.
    DISPID FindName(WStringView name) const;
    // The default member's entry, null when the class has none.
    const DispEntry* DefaultMember() const { return m_default; }

private:
    std::vector<DispEntry> m_entries;
    const DispEntry* m_default = nullptr;
};

namespace dispatch_detail {

template <class F>
struct MemberFn;
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...)> {
    using Class = C;
    using Ret = R;
    using Args = std::tuple<A...>;
};
template <class C, class R, class... A>
struct MemberFn<R (C::*)(A...) const> : MemberFn<R (C::*)(A...)> {};

template <class>
inline constexpr bool kDependentFalse = false;

// An argument already converted to vt, as the C++ parameter type T takes it.
template <VARTYPE vt, class T>
decltype(auto) FromArg(const VARIANT& v) {
    using U = std::remove_cvref_t<T>;
    if constexpr (vt == VT_VARIANT) {
        static_assert(std::is_same_v<U, VARIANT> || std::is_same_v<U, COleVariant>,
                      "VT_VARIANT takes const VARIANT&");
        if constexpr (std::is_same_v<U, COleVariant>)
            return COleVariant(v);
        else
            return (v);
    } else if constexpr (vt == VT_BSTR) {
        if constexpr (std::is_same_v<U, WString>)
            return BstrToW(v.bstrVal);
        else if constexpr (std::is_same_v<U, BSTR>)
            return v.bstrVal;
        else
            static_assert(kDependentFalse<U>, "VT_BSTR takes WString or BSTR");
    } else if constexpr (vt == VT_BOOL) {
        static_assert(std::is_integral_v<U>, "VT_BOOL takes VARIANT_BOOL, SHORT or BOOL");
        return static_cast<U>(v.boolVal);
    } else if constexpr (vt == VT_I2) {
        static_assert(std::is_integral_v<U> && sizeof(U) >= 2, "VT_I2 takes SHORT");
        return static_cast<U>(v.iVal);
    } else if constexpr (vt == VT_I4) {
        static_assert(std::is_integral_v<U> && sizeof(U) >= 4, "VT_I4 takes LONG");
        return static_cast<U>(v.lVal);
    } else if constexpr (vt == VT_ERROR) {
        static_assert(std::is_same_v<U, SCODE>, "VT_ERROR takes SCODE");
        return v.scode;
    } else if constexpr (vt == VT_R8 || vt == VT_DATE) {
        static_assert(std::is_same_v<U, double>, "VT_R8 and VT_DATE take double");
        return v.dblVal;
    } else if constexpr (vt == VT_UI8) {
        static_assert(std::is_same_v<U, ULONGLONG>, "VT_UI8 takes ULONGLONG");
        return v.ullVal;
    } else if constexpr (vt == VT_DISPATCH) {
        static_assert(std::is_same_v<U, IDispatch*>, "VT_DISPATCH takes IDispatch*");
        return v.pdispVal;
    } else if constexpr (vt == VT_UNKNOWN) {
        static_assert(std::is_same_v<U, IUnknown*>, "VT_UNKNOWN takes IUnknown*");
        return v.punkVal;
    } else {
        static_assert(kDependentFalse<U>, "automation type not supported in dispatch tables");
    }
}

// Stores a result of C++ type T as vt. Throws std::bad_alloc when a text cannot be made.
void StoreBstr(VARIANT* r, WStringView s);
template <VARTYPE vt, class T>
void ToResult(T&& value, VARIANT* r) {
    using U = std::remove_cvref_t<T>;
    if constexpr (vt == VT_VARIANT) {
        static_assert(std::is_same_v<U, COleVariant>, "VT_VARIANT results are COleVariant");
        VARIANT out = value.Detach();
        *r = out;
    } else if constexpr (vt == VT_BSTR) {
        if constexpr (std::is_same_v<U, BSTR>) {
            r->vt = VT_BSTR;
            r->bstrVal = value;  // ownership passes to the result
        } else {
            StoreBstr(r, WStringView(value));
        }
    } else if constexpr (vt == VT_BOOL) {
        static_assert(std::is_integral_v<U>, "VT_BOOL results are integral");
        r->vt = VT_BOOL;
        r->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else if constexpr (vt == VT_I2) {
        static_assert(std::is_integral_v<U>, "VT_I2 results are SHORT");
        r->vt = VT_I2;
        r->iVal = static_cast<SHORT>(value);
    } else if constexpr (vt == VT_I4) {
        static_assert(std::is_integral_v<U>, "VT_I4 results are LONG");
        r->vt = VT_I4;
        r->lVal = static_cast<LONG>(value);
    } else if constexpr (vt == VT_ERROR) {
        r->vt = VT_ERROR;
        r->scode = value;
    } else if constexpr (vt == VT_R8 || vt == VT_DATE) {
        static_assert(std::is_arithmetic_v<U>, "VT_R8 and VT_DATE results are double");
        r->vt = vt;
        r->dblVal = static_cast<double>(value);
    } else if constexpr (vt == VT_UI8) {
        r->vt = VT_UI8;
        r->ullVal = static_cast<ULONGLONG>(value);
    } else if constexpr (vt == VT_DISPATCH) {
        static_assert(std::is_convertible_v<U, IDispatch*>, "VT_DISPATCH results are IDispatch*");
        r->vt = VT_DISPATCH;
        r->pdispVal = value;
    } else if constexpr (vt == VT_UNKNOWN) {
        static_assert(std::is_convertible_v<U, IUnknown*>, "VT_UNKNOWN results are IUnknown*");
        r->vt = VT_UNKNOWN;
        r->punkVal = value;
    } else {
        static_assert(kDependentFalse<U>, "automation type not supported in dispatch tables");
    }
}

template <VARTYPE vt, auto Set, VARTYPE... vtParams, std::size_t... I>
void PutWith(CCmdTarget* p, const VARIANT* args, const VARIANT& v, std::index_sequence<I...>) {
    using F = MemberFn<decltype(Set)>;
    using Args = typename F::Args;
    static_assert(std::tuple_size_v<Args> == sizeof...(vtParams) + 1,
                  "a putter takes its parameters, then the value");
    auto* self = static_cast<typename F::Class*>(p);
    (self->*Set)(FromArg<vtParams, std::tuple_element_t<I, Args>>(args[I])...,
                 FromArg<vt, std::tuple_element_t<sizeof...(vtParams), Args>>(v));
}

template <VARTYPE vt, auto Set, VARTYPE... vtParams>
void PutThunk(CCmdTarget* p, const VARIANT* args, const VARIANT& v) {
    PutWith<vt, Set, vtParams...>(p, args, v, std::make_index_sequence<sizeof...(vtParams)>());
}

template <VARTYPE vtRet, auto Fn, VARTYPE... vtParams, std::size_t... I>
void CallWith(CCmdTarget* p, const VARIANT* args, VARIANT* r, std::index_sequence<I...>) {
    using F = MemberFn<decltype(Fn)>;
    using Args = typename F::Args;
    static_assert(std::tuple_size_v<Args> == sizeof...(vtParams), "one automation type per parameter");
    auto* self = static_cast<typename F::Class*>(p);
    if constexpr (vtRet == VT_EMPTY) {
        static_assert(std::is_void_v<typename F::Ret>, "VT_EMPTY methods return void");
        (self->*Fn)(FromArg<vtParams, std::tuple_element_t<I, Args>>(args[I])...);
    } else {
        ToResult<vtRet>((self->*Fn)(FromArg<vtParams, std::tuple_element_t<I, Args>>(args[I])...), r);
    }
}

template <VARTYPE vtRet, auto Fn, VARTYPE... vtParams>
void CallThunk(CCmdTarget* p, const VARIANT* args, VARIANT* r) {
    CallWith<vtRet, Fn, vtParams...>(p, args, r, std::make_index_sequence<sizeof...(vtParams)>());
}

template <VARTYPE... vts>
struct ParamList {
    static constexpr VARTYPE kTypes[sizeof...(vts) + 1] = {vts..., VT_EMPTY};
};

}  // namespace dispatch_detail

// A property with parameters (Attribute(Index)): the getter takes the parameters, the putter the
// parameters and then the value. Get or Set may be nullptr (write-only / "set not supported").
template <VARTYPE vt, auto Get, auto Set, VARTYPE... vtParams>
DispEntry DispPropertyParam(const char16_t* name, DISPID id = DISPID_UNKNOWN) {
    DispGetFn get = nullptr;
    DispPutFn put = nullptr;
    if constexpr (!std::is_null_pointer_v<decltype(Get)>)
        get = &dispatch_detail::CallThunk<vt, Get, vtParams...>;
    if constexpr (!std::is_null_pointer_v<decltype(Set)>)
        put = &dispatch_detail::PutThunk<vt, Set, vtParams...>;
    return DispEntry{name,
                     DispKind::Property,
                     id,
                     vt,
                     dispatch_detail::ParamList<vtParams...>::kTypes,
                     static_cast<UINT>(sizeof...(vtParams)),
                     get,
                     put,
                     nullptr};
}

// A property. Get or Set may be nullptr (write-only / "set not supported").
template <VARTYPE vt, auto Get, auto Set = nullptr>
DispEntry DispProperty(const char16_t* name, DISPID id = DISPID_UNKNOWN) {
    return DispPropertyParam<vt, Get, Set>(name, id);
}

// A method returning vtRet (VT_EMPTY: nothing) with parameters of the types vtParams. Trailing
// VT_VARIANT parameters are optional: a missing one arrives as VT_ERROR / DISP_E_PARAMNOTFOUND.
template <VARTYPE vtRet, auto Fn, VARTYPE... vtParams>
DispEntry DispMethod(const char16_t* name, DISPID id = DISPID_UNKNOWN) {
    return DispEntry{name,
                     DispKind::Method,
                     id,
                     vtRet,
                     dispatch_detail::ParamList<vtParams...>::kTypes,
                     static_cast<UINT>(sizeof...(vtParams)),
                     nullptr,
                     nullptr,
                     &dispatch_detail::CallThunk<vtRet, Fn, vtParams...>};
}

// The default-member entry: DISPID_VALUE answers as the named member. It takes a position.
inline DispEntry DispDefValue(const char16_t* name) {
    return DispEntry{name,   DispKind::DefaultValue, DISPID_VALUE, VT_EMPTY, nullptr, 0, nullptr, nullptr,
                     nullptr};
}

// A class declares `const CDispatchTable* GetDispatchMap() const override;` and defines it in its
// source file (the trailing comma keeps one entry a line):
//   const CDispatchTable* CEvent::GetDispatchMap() const {
//       static const CDispatchTable table{
//           DispProperty<VT_DATE, &CEvent::GetDate, &CEvent::SetDate>(u"Date"),
//           ...
//           DispDefValue(u"Value"),
//       };
//       return &table;
//   }
// The same as macros (clang-format folds their entries together: prefer the function above).
#define DECLARE_DISPATCH_MAP() \
public:                        \
    const CDispatchTable* GetDispatchMap() const override;

#define BEGIN_DISPATCH_MAP(theClass)                         \
    const CDispatchTable* theClass::GetDispatchMap() const { \
        static const CDispatchTable cvlDispatchTable {
#define END_DISPATCH_MAP()    \
    }                         \
    ;                         \
    return &cvlDispatchTable; \
    }
