// The built breed plug-in, loaded once with dlopen, and stand-ins for the program's dual interfaces
// that it calls by slot.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "abi/breed_abi.h"
#include "platform/automation/com.h"
#include "platform/automation/variant.h"

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

// Points both settings stores at a fresh folder for one test and restores the environment after.
class ScopedSettingsFolder {
public:
    ScopedSettingsFolder() {
        char tmpl[] = "/tmp/cvl-breeds-XXXXXX";
        if (!mkdtemp(tmpl)) ADD_FAILURE() << "no temporary folder";
        root = tmpl;
        for (const char* name : {"CVL_MACHINE_CONFIG_DIR", "CVL_USER_CONFIG_DIR"}) {
            const char* v = getenv(name);
            saved_.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        setenv("CVL_MACHINE_CONFIG_DIR", (root + "/machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (root + "/user").c_str(), 1);
    }
    ~ScopedSettingsFolder() {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(root);
    }
    std::string root;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Runs the install step's registration tool; its exit status.
inline int RunRegisterTool(const std::vector<std::string>& args) {
    std::string command = std::string("'") + CVL_REGISTER_TOOL + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace fakes {

constexpr HRESULT kFail = E_FAIL;

// IUnknown and IDispatch, slots 0 to 6, with a reference count that tests can check.
class FakeDispatch : public IDispatch {
public:
    HRESULT QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ULONG(++references); }
    ULONG Release() override { return ULONG(--references); }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    int references = 1;
};

inline VARIANT DateVariant(std::optional<double> date) {
    VARIANT v;
    VariantInit(&v);
    if (date) {
        v.vt = VT_DATE;
        v.date = *date;
    }
    return v;
}

// ISheep up to slot 12.
class FakeSheep : public FakeDispatch {
public:
    virtual HRESULT get_Tattoo(BSTR* out) {
        *out = SysAllocStringW(tattoo);
        return S_OK;
    }
    virtual HRESULT get_Application(IDispatch** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Parent(IDispatch** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_DateofBirth(VARIANT* out) {
        *out = DateVariant(birth);
        return S_OK;
    }
    virtual HRESULT get_DateofDepart(VARIANT* out) {
        VariantInit(out);
        return S_OK;
    }
    virtual HRESULT get_DateofPurchase(VARIANT* out) {
        *out = DateVariant(purchase);
        return S_OK;
    }

    std::u16string tattoo;
    std::optional<double> birth, purchase;
};

// IRecords up to slot 11.
class FakeRecords : public FakeDispatch {
public:
    virtual HRESULT get__NewEnum(IUnknown** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT Item(VARIANT index, FakeSheep** out) {
        *out = nullptr;
        if (index.vt != VT_I2) return DISP_E_TYPEMISMATCH;
        if (index.iVal < 0 || size_t(index.iVal) >= animals.size()) return kFail;
        *out = &animals[size_t(index.iVal)];
        (*out)->AddRef();
        return S_OK;
    }
    virtual HRESULT get_Application(IDispatch** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Parent(IDispatch** out) {
        *out = nullptr;
        return kFail;
    }
    virtual HRESULT get_Count(LONG* out) {
        *out = LONG(animals.size());
        return S_OK;
    }

    std::vector<FakeSheep> animals;
};

// IDocument up to slot 19.
class FakeDocument : public FakeDispatch {
public:
    virtual HRESULT get_Name(BSTR* out) { return Text(out); }
    virtual HRESULT get_FullName(BSTR* out) { return Text(out); }
    virtual HRESULT put_Attribute(SHORT, BSTR) { return kFail; }
    virtual HRESULT get_Attribute(SHORT, BSTR* out) { return Text(out); }
    virtual HRESULT put_Author(BSTR) { return kFail; }
    virtual HRESULT get_Author(BSTR* out) { return Text(out); }
    virtual HRESULT put_Comments(BSTR) { return kFail; }
    virtual HRESULT get_Comments(BSTR* out) { return Text(out); }
    virtual HRESULT put_Keywords(BSTR) { return kFail; }
    virtual HRESULT get_Keywords(BSTR* out) { return Text(out); }
    virtual HRESULT get_Application(IDispatch** out) { return None(out); }
    virtual HRESULT get_Parent(IDispatch** out) { return None(out); }
    virtual HRESULT get_Records(IDispatch** out) {
        records.AddRef();
        *out = &records;
        return S_OK;
    }

    FakeRecords records;

private:
    static HRESULT Text(BSTR* out) {
        *out = SysAllocStringW(u"");
        return S_OK;
    }
    static HRESULT None(IDispatch** out) {
        *out = nullptr;
        return kFail;
    }
};

// IReportView: ResetColumns and BindColumn.
class FakeReportView : public FakeDispatch {
public:
    struct Column {
        std::u16string title;
        LONG kind;
        LONG position;
    };
    virtual HRESULT ResetColumns() {
        ++resets;
        columns.clear();
        return S_OK;
    }
    virtual HRESULT BindColumn(BSTR title, LONG kind, LONG position) {
        columns.push_back({BstrToW(title), kind, position});
        return S_OK;
    }

    int resets = 0;
    std::vector<Column> columns;
};

}  // namespace fakes

// The program hands the plug-in each interface as its own pointer.
inline ISheep* AsSheep(fakes::FakeSheep& s) {
    return reinterpret_cast<ISheep*>(static_cast<IDispatch*>(&s));
}
inline IDocument* AsDocument(fakes::FakeDocument& d) {
    return reinterpret_cast<IDocument*>(static_cast<IDispatch*>(&d));
}
inline IDispatch* AsDispatch(fakes::FakeDispatch& d) {
    return &d;
}
