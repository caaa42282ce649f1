// The built breed plug-in, loaded once with dlopen, and stand-ins for the program's dual interfaces
// that it calls by slot.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "breeds/breed_abi.h"
#include "breeds/dual_client.h"

class BreedPlugin {
public:
    static BreedPlugin& Get() {
        static BreedPlugin plugin;
        return plugin;
    }
    static const char* Path() { return CVL_BREED_PLUGIN; }

    template <typename Fn>
    Fn Export(const char* name) {
        void* address = handle_ ? dlsym(handle_, name) : nullptr;
        EXPECT_NE(address, nullptr) << name;
        return reinterpret_cast<Fn>(address);
    }

    // The two-call text fetch: the length with no buffer, then a buffer one longer.
    template <typename Call>
    static std::u16string Fetch(Call call) {
        int32_t n = call(nullptr, 0);
        if (n < 0) return u"<undefined>";
        std::u16string text(size_t(n) + 1, u'\xFFFF');
        int32_t again = call(text.data(), n);
        EXPECT_EQ(again, n);
        EXPECT_EQ(text[size_t(n)], u'\0');
        text.resize(size_t(n));
        return text;
    }

private:
    BreedPlugin() : handle_(dlopen(Path(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) ADD_FAILURE() << dlerror();
    }
    void* handle_;
};

template <typename Fn>
Fn BreedExport(const char* name) {
    return BreedPlugin::Get().Export<Fn>(name);
}

namespace fakes {

using dual_client::BSTR;
using dual_client::HRESULT;
using dual_client::VARIANT;

constexpr HRESULT kOk = 0;
constexpr HRESULT kFail = int32_t(0x80004005);

// IUnknown and IDispatch, slots 0 to 6, with a reference count that tests can check.
class FakeDispatch {
public:
    virtual HRESULT QueryInterface(const void*, void** out) {
        *out = nullptr;
        return int32_t(0x80004002);
    }
    virtual uint32_t AddRef() { return uint32_t(++references); }
    virtual uint32_t Release() { return uint32_t(--references); }
    virtual HRESULT GetTypeInfoCount(uint32_t*) { return kFail; }
    virtual HRESULT GetTypeInfo(uint32_t, uint32_t, void**) { return kFail; }
    virtual HRESULT GetIDsOfNames(const void*, BSTR*, uint32_t, uint32_t, int32_t*) { return kFail; }
    virtual HRESULT Invoke(int32_t, const void*, uint32_t, uint16_t, void*, VARIANT*, void*, uint32_t*) {
        return kFail;
    }
    int references = 1;
};

inline VARIANT DateVariant(std::optional<double> date) {
    VARIANT v{};
    if (date) {
        v.vt = dual_client::VT_DATE;
        v.date = *date;
    }
    return v;
}

// ISheep up to slot 12.
class FakeSheep : public FakeDispatch {
public:
    virtual HRESULT get_Tattoo(BSTR* out) {
        *out = dual_client::AllocText(tattoo);
        return kOk;
    }
    virtual HRESULT get_Application(void** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Parent(void** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_DateofBirth(VARIANT* out) {
        *out = DateVariant(birth);
        return kOk;
    }
    virtual HRESULT get_DateofDepart(VARIANT* out) {
        *out = VARIANT{};
        return kOk;
    }
    virtual HRESULT get_DateofPurchase(VARIANT* out) {
        *out = DateVariant(purchase);
        return kOk;
    }

    std::u16string tattoo;
    std::optional<double> birth, purchase;
};

// IRecords up to slot 11.
class FakeRecords : public FakeDispatch {
public:
    virtual HRESULT get__NewEnum(void** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT Item(VARIANT index, FakeSheep** out) {
        *out = nullptr;
        if (index.vt != dual_client::VT_I2) return int32_t(0x80020005);
        if (index.iVal < 0 || size_t(index.iVal) >= animals.size()) return int32_t(0x800A0005);
        *out = &animals[size_t(index.iVal)];
        (*out)->AddRef();
        return kOk;
    }
    virtual HRESULT get_Application(void** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Parent(void** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Count(int32_t* out) {
        *out = int32_t(animals.size());
        return kOk;
    }

    std::vector<FakeSheep> animals;
};

// IDocument up to slot 19.
class FakeDocument : public FakeDispatch {
public:
    virtual HRESULT get_Name(BSTR* out) { return Text(out); }
    virtual HRESULT get_FullName(BSTR* out) { return Text(out); }
    virtual HRESULT put_Attribute(int16_t, BSTR) { return kFail; }
    virtual HRESULT get_Attribute(int16_t, BSTR* out) { return Text(out); }
    virtual HRESULT put_Author(BSTR) { return kFail; }
    virtual HRESULT get_Author(BSTR* out) { return Text(out); }
    virtual HRESULT put_Comments(BSTR) { return kFail; }
    virtual HRESULT get_Comments(BSTR* out) { return Text(out); }
    virtual HRESULT put_Keywords(BSTR) { return kFail; }
    virtual HRESULT get_Keywords(BSTR* out) { return Text(out); }
    virtual HRESULT get_Application(void** out) { return None(out); }
    virtual HRESULT get_Parent(void** out) { return None(out); }
    virtual HRESULT get_Records(void** out) {
        records.AddRef();
        *out = &records;
        return kOk;
    }

    FakeRecords records;

private:
    static HRESULT Text(BSTR* out) {
        *out = dual_client::AllocText(u"");
        return kOk;
    }
    static HRESULT None(void** out) {
        *out = nullptr;
        return kFail;
    }
};

// IReportView: ResetColumns and BindColumn.
class FakeReportView : public FakeDispatch {
public:
    struct Column {
        std::u16string title;
        int32_t kind;
        int32_t position;
    };
    virtual HRESULT ResetColumns() {
        ++resets;
        columns.clear();
        return kOk;
    }
    virtual HRESULT BindColumn(BSTR title, int32_t kind, int32_t position) {
        columns.push_back({std::u16string(title, dual_client::TextLength(title)), kind, position});
        return kOk;
    }

    int resets = 0;
    std::vector<Column> columns;
};

}  // namespace fakes

inline ISheep* AsSheep(fakes::FakeSheep& s) {
    return reinterpret_cast<ISheep*>(static_cast<fakes::FakeDispatch*>(&s));
}
inline IDocument* AsDocument(fakes::FakeDocument& d) {
    return reinterpret_cast<IDocument*>(static_cast<fakes::FakeDispatch*>(&d));
}
inline IDispatch* AsDispatch(fakes::FakeDispatch& d) {
    return reinterpret_cast<IDispatch*>(&d);
}
