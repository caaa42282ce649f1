#include "platform/automation/dbus_server.h"

#include <gio/gio.h>

#include <cinttypes>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "platform/automation/driver.h"
#include "platform/automation/errors.h"
#include "platform/automation/variant.h"

namespace {

constexpr const char* kObjectPrefix = "/net/velmora/Dedov/Object/";
constexpr const char* kErrorPrefix = "net.velmora.Dedov.Error.E";

constexpr const char* kIntrospection =
    "<node>"
    " <interface name='net.velmora.Dedov.Dispatch'>"
    "  <method name='GetIDsOfNames'>"
    "   <arg name='names' type='as' direction='in'/>"
    "   <arg name='dispids' type='ai' direction='out'/>"
    "  </method>"
    "  <method name='Invoke'>"
    "   <arg name='dispid' type='i' direction='in'/>"
    "   <arg name='flags' type='q' direction='in'/>"
    "   <arg name='args' type='av' direction='in'/>"
    "   <arg name='result' type='v' direction='out'/>"
    "  </method>"
    "  <method name='InvokeByName'>"
    "   <arg name='name' type='s' direction='in'/>"
    "   <arg name='flags' type='q' direction='in'/>"
    "   <arg name='args' type='av' direction='in'/>"
    "   <arg name='result' type='v' direction='out'/>"
    "  </method>"
    "  <method name='Release'/>"
    " </interface>"
    "</node>";

// A failure of one call, as the caller's error reply carries it.
struct CallError {
    HRESULT hr = E_FAIL;
    WORD code = 0;
    WString source, description, helpFile;
    DWORD helpContext = 0;
};

CallError FromExcepInfo(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
    CallError e;
    e.code = info.wCode;
    e.hr = info.scode != 0 ? info.scode : MAKE_HRESULT(1, FACILITY_ITF, 0x200u + info.wCode);
    e.source = BstrToW(info.bstrSource);
    e.description = BstrToW(info.bstrDescription);
    e.helpFile = BstrToW(info.bstrHelpFile);
    e.helpContext = info.dwHelpContext;
    return e;
}

void ReturnError(GDBusMethodInvocation* invocation, const CallError& e) {
    char name[64];
    std::snprintf(name, sizeof(name), "%s%08" PRIX32, kErrorPrefix, static_cast<uint32_t>(e.hr));
    char head[64];
    std::snprintf(head, sizeof(head), "HRESULT=0x%08" PRIX32 "\nCode=%u\n", static_cast<uint32_t>(e.hr),
                  unsigned(e.code));
    std::string message = head;
    message += "Source=" + WToUtf8(e.source) + "\n";
    message += "Description=" + WToUtf8(e.description) + "\n";
    message += "HelpFile=" + WToUtf8(e.helpFile) + "\n";
    message += "HelpContext=" + std::to_string(e.helpContext);
    g_dbus_method_invocation_return_dbus_error(invocation, name, message.c_str());
}

CallError StatusError(HRESULT hr) {
    CallError e;
    e.hr = hr;
    return e;
}

GVariant* EmptyValue() {
    return g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0);
}

}  // namespace

// One object served on the bus: the reference the server holds and who holds it.
struct CServedObject {
    std::string path;
    IDispatch* dispatch = nullptr;  // one reference, the server's
    IUnknown* identity = nullptr;   // not AddRef'd: only compared
    guint registration = 0;
    std::map<std::string, int> holders;
};

struct CDBusAutomationServer::Impl {
    CDBusAutomationServer* owner = nullptr;
    GDBusConnection* connection = nullptr;
    GDBusNodeInfo* introspection = nullptr;
    guint ownerChanged = 0;
    gulong closedHandler = 0;
    std::map<std::string, std::shared_ptr<CServedObject>> objects;
    std::shared_ptr<CServedObject> root;
    unsigned long long nextId = 1;
    bool hadClients = false;

    static const GDBusInterfaceVTable kVTable;

    ~Impl() { Shutdown(); }

    void Shutdown() {
        if (connection != nullptr) {
            if (closedHandler != 0) g_signal_handler_disconnect(connection, closedHandler);
            closedHandler = 0;
            if (ownerChanged != 0) g_dbus_connection_signal_unsubscribe(connection, ownerChanged);
            for (auto& [path, object] : objects)
                if (object->registration != 0) g_dbus_connection_unregister_object(connection, object->registration);
            // Replies still queued (the answer to a script's Quit) go out before the line is closed.
            g_dbus_connection_flush_sync(connection, nullptr, nullptr);
            g_dbus_connection_close_sync(connection, nullptr, nullptr);
            g_object_unref(connection);
            connection = nullptr;
        }
        ownerChanged = 0;
        for (auto& [path, object] : objects) {
            object->registration = 0;
            if (object->dispatch != nullptr) object->dispatch->Release();
            object->dispatch = nullptr;
        }
        objects.clear();
        root.reset();
        if (introspection != nullptr) g_dbus_node_info_unref(introspection);
        introspection = nullptr;
    }

    bool Register(const std::shared_ptr<CServedObject>& object, std::string* error) {
        GError* err = nullptr;
        object->registration = g_dbus_connection_register_object(
            connection, object->path.c_str(), introspection->interfaces[0], &kVTable, this, nullptr, &err);
        if (object->registration == 0) {
            if (error != nullptr) *error = err != nullptr ? err->message : "the object could not be served";
            if (err != nullptr) g_error_free(err);
            return false;
        }
        objects[object->path] = object;
        return true;
    }

    // The path under which a result's object is served, held once more by the caller.
    std::string Export(IUnknown* unknown, const std::string& caller) {
        if (unknown == nullptr) return "/";
        IUnknown* identity = QueryInterfaceAs<IUnknown>(unknown, IID_IUnknown);
        if (identity != nullptr) identity->Release();  // only compared
        for (auto& [path, object] : objects) {
            if (object->identity == identity) {
                Hold(*object, caller);
                return path;
            }
        }
        IDispatch* dispatch = QueryInterfaceAs<IDispatch>(unknown, IID_IDispatch);
        if (dispatch == nullptr) AfxThrowOleException(DISP_E_TYPEMISMATCH);
        auto object = std::make_shared<CServedObject>();
        object->path = kObjectPrefix + std::to_string(nextId++);
        object->dispatch = dispatch;
        object->identity = identity;
        std::string error;
        if (!Register(object, &error)) {
            dispatch->Release();
            AfxThrowOleException(E_OUTOFMEMORY);
        }
        Hold(*object, caller);
        return object->path;
    }

    void Hold(CServedObject& object, const std::string& caller) {
        int& count = object.holders[caller];
        // The root is held once however often it is reached.
        if (&object == root.get() && count > 0) return;
        ++count;
        hadClients = true;
    }

    // Gives back holds; an object nobody holds any longer is no longer served.
    void LetGo(const std::shared_ptr<CServedObject>& object, const std::string& caller, bool all) {
        auto it = object->holders.find(caller);
        if (it == object->holders.end()) return;
        if (all || --it->second <= 0) object->holders.erase(it);
        if (object != root && object->holders.empty()) Forget(object);
    }

    void Forget(const std::shared_ptr<CServedObject>& object) {
        if (object->registration != 0 && connection != nullptr)
            g_dbus_connection_unregister_object(connection, object->registration);
        object->registration = 0;
        objects.erase(object->path);
        if (IDispatch* p = std::exchange(object->dispatch, nullptr)) p->Release();
    }

    void DropClient(const std::string& caller) {
        std::vector<std::shared_ptr<CServedObject>> all;
        for (auto& [path, object] : objects) all.push_back(object);
        for (auto& object : all) LetGo(object, caller, true);
        CheckLastClient();
    }

    size_t ClientCount() const {
        std::set<std::string> clients;
        for (auto& [path, object] : objects)
            for (auto& [caller, count] : object->holders) clients.insert(caller);
        return clients.size();
    }

    void CheckLastClient() {
        if (!hadClients || ClientCount() != 0) return;
        hadClients = false;
        if (owner->m_onLastClientGone) owner->m_onLastClientGone();
    }

    // ---- values --------------------------------------------------------------------------------

    COleVariant FromBus(GVariant* value) {
        const char* type = g_variant_get_type_string(value);
        switch (type[0]) {
            case 's':
                return COleVariant(WStringView(Utf8ToW(g_variant_get_string(value, nullptr))));
            case 'b':
                return COleVariant(SHORT(g_variant_get_boolean(value) ? VARIANT_TRUE : VARIANT_FALSE), VT_BOOL);
            case 'y':
                return COleVariant(SHORT(g_variant_get_byte(value)));
            case 'n':
                return COleVariant(SHORT(g_variant_get_int16(value)));
            case 'q':
                return COleVariant(LONG(g_variant_get_uint16(value)));
            case 'i':
                return COleVariant(LONG(g_variant_get_int32(value)));
            case 'u':
                return COleVariant(ULONGLONG(g_variant_get_uint32(value)));
            case 'x': {
                COleVariant v;
                v.vt = VT_I8;
                v.llVal = g_variant_get_int64(value);
                return v;
            }
            case 't':
                return COleVariant(ULONGLONG(g_variant_get_uint64(value)));
            case 'd':
                return COleVariant(g_variant_get_double(value));
            case 'v': {
                GVariant* inner = g_variant_get_variant(value);
                COleVariant v = FromBus(inner);
                g_variant_unref(inner);
                return v;
            }
            case 'o': {
                const char* path = g_variant_get_string(value, nullptr);
                if (std::string(path) == "/") return COleVariant(static_cast<IDispatch*>(nullptr), false);
                auto it = objects.find(path);
                if (it == objects.end() || it->second->dispatch == nullptr)
                    AfxThrowOleException(DISP_E_TYPEMISMATCH);
                return COleVariant(it->second->dispatch, true);
            }
            case 'a':
                return ArrayFromBus(value, type + 1);
            default:
                AfxThrowOleException(DISP_E_TYPEMISMATCH);
        }
    }

    COleVariant ArrayFromBus(GVariant* value, const char* elementType) {
        const gsize n = g_variant_n_children(value);
        if (std::string(elementType) == "v" && n == 0) return COleVariant();
        if (std::string(elementType) == "s") {
            std::vector<WString> texts;
            for (gsize i = 0; i < n; ++i) {
                GVariant* child = g_variant_get_child_value(value, i);
                texts.push_back(Utf8ToW(g_variant_get_string(child, nullptr)));
                g_variant_unref(child);
            }
            SAFEARRAY* psa = SafeArrayFromStrings(texts);
            if (psa == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
            return COleVariant::FromSafeArray(psa, VT_BSTR);
        }
        // Any other array: its elements as values of their own.
        std::vector<COleVariant> items;
        for (gsize i = 0; i < n; ++i) {
            GVariant* child = g_variant_get_child_value(value, i);
            items.push_back(FromBus(child));
            g_variant_unref(child);
        }
        VARTYPE vt = VT_VARIANT;
        if (!items.empty()) {
            vt = items[0].vt;
            for (const COleVariant& item : items)
                if (item.vt != vt) vt = VT_VARIANT;
            if (vt == VT_DISPATCH || vt == VT_EMPTY) vt = VT_VARIANT;
        }
        SAFEARRAY* psa = SafeArrayCreateVector(vt, 0, ULONG(items.size()));
        if (psa == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
        for (LONG i = 0; i < LONG(items.size()); ++i) {
            const COleVariant& item = items[size_t(i)];
            const void* element = vt == VT_VARIANT ? static_cast<const void*>(&item)
                                  : vt == VT_BSTR  ? static_cast<const void*>(item.bstrVal)
                                                   : static_cast<const void*>(&item.llVal);
            if (FAILED(SafeArrayPutElement(psa, &i, element))) {
                SafeArrayDestroy(psa);
                AfxThrowOleException(DISP_E_TYPEMISMATCH);
            }
        }
        return COleVariant::FromSafeArray(psa, vt);
    }

    GVariant* ToBus(const VARIANT& in, const std::string& caller) {
        const VARIANT& v = VariantDeref(in);
        if ((v.vt & VT_BYREF) != 0) {
            COleVariant copy;
            if (FAILED(VariantCopyInd(&copy, &v))) AfxThrowOleException(DISP_E_TYPEMISMATCH);
            return ToBus(copy, caller);
        }
        if ((v.vt & VT_ARRAY) != 0) return ArrayToBus(v, caller);
        switch (v.vt) {
            case VT_EMPTY:
            case VT_NULL:
                return EmptyValue();
            case VT_BSTR:
                return g_variant_new_string(WToUtf8(BstrToW(v.bstrVal)).c_str());
            case VT_BOOL:
                return g_variant_new_boolean(v.boolVal != VARIANT_FALSE);
            case VT_I1:
                return g_variant_new_int16(v.cVal);
            case VT_I2:
                return g_variant_new_int16(v.iVal);
            case VT_UI1:
                return g_variant_new_byte(v.bVal);
            case VT_UI2:
                return g_variant_new_uint16(v.uiVal);
            case VT_I4:
            case VT_INT:
            case VT_ERROR:
                return g_variant_new_int32(v.lVal);
            case VT_UI4:
            case VT_UINT:
                return g_variant_new_uint32(v.ulVal);
            case VT_I8:
                return g_variant_new_int64(v.llVal);
            case VT_UI8:
                return g_variant_new_uint64(v.ullVal);
            case VT_R4:
                return g_variant_new_double(v.fltVal);
            case VT_R8:
            case VT_DATE:
                return g_variant_new_double(v.dblVal);
            case VT_DISPATCH:
            case VT_UNKNOWN:
                return g_variant_new_object_path(Export(v.punkVal, caller).c_str());
            default: {
                COleVariant text;
                if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR))) AfxThrowOleException(DISP_E_TYPEMISMATCH);
                return ToBus(text, caller);
            }
        }
    }

    GVariant* ArrayToBus(const VARIANT& v, const std::string& caller) {
        const VARTYPE element = v.vt & VT_TYPEMASK;
        SAFEARRAY* psa = v.parray;
        if (psa == nullptr || SafeArrayGetDim(psa) != 1) AfxThrowOleException(DISP_E_TYPEMISMATCH);
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(psa, 1, &lower);
        SafeArrayGetUBound(psa, 1, &upper);
        GVariantBuilder builder;
        g_variant_builder_init(&builder, element == VT_BSTR ? G_VARIANT_TYPE("as") : G_VARIANT_TYPE("av"));
        for (LONG i = lower; i <= upper; ++i) {
            COleVariant item;
            if (element == VT_VARIANT) {
                SafeArrayGetElement(psa, &i, &item);
            } else {
                item.vt = element;
                SafeArrayGetElement(psa, &i, &item.llVal);
            }
            GVariant* value = ToBus(item, caller);
            g_variant_builder_add_value(&builder, element == VT_BSTR ? value : g_variant_new_variant(value));
        }
        return g_variant_builder_end(&builder);
    }

    // ---- calls ---------------------------------------------------------------------------------

    void OnCall(const std::string& caller, const std::string& path, const std::string& method,
                GVariant* parameters, GDBusMethodInvocation* invocation) {
        auto it = objects.find(path);
        if (it == objects.end()) {
            g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.UnknownObject",
                                                       path.c_str());
            return;
        }
        std::shared_ptr<CServedObject> object = it->second;
        if (method == "Release") {
            if (object == root)
                DropClient(caller);
            else
                LetGo(object, caller, false);
            g_dbus_method_invocation_return_value(invocation, nullptr);
            CheckLastClient();
            return;
        }
        if (object == root) Hold(*object, caller);
        // Kept while the call runs: a nested loop may let the object go meanwhile.
        IDispatch* dispatch = object->dispatch;
        if (dispatch == nullptr) {
            ReturnError(invocation, StatusError(RPC_E_DISCONNECTED));
            return;
        }
        dispatch->AddRef();
        COleDispatchDriver driver;
        driver.AttachDispatch(dispatch, true);
        if (method == "GetIDsOfNames") {
            GetIDsOfNames(driver, parameters, invocation);
            return;
        }
        DISPID dispid = DISPID_UNKNOWN;
        guint16 flags = 0;
        GVariant* args = nullptr;
        if (method == "Invoke") {
            gint32 id = 0;
            g_variant_get(parameters, "(iq@av)", &id, &flags, &args);
            dispid = id;
        } else {
            const char* name = nullptr;
            g_variant_get(parameters, "(&sq@av)", &name, &flags, &args);
            WString wide = Utf8ToW(name);
            LPOLESTR names[1] = {wide.data()};
            const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
            if (FAILED(hr)) {
                g_variant_unref(args);
                ReturnError(invocation, StatusError(hr));
                return;
            }
        }
        Invoke(driver, dispid, flags, args, caller, invocation);
        g_variant_unref(args);
    }

    void GetIDsOfNames(COleDispatchDriver& driver, GVariant* parameters, GDBusMethodInvocation* invocation) {
        GVariant* namesValue = g_variant_get_child_value(parameters, 0);
        std::vector<WString> names;
        const gsize n = g_variant_n_children(namesValue);
        for (gsize i = 0; i < n; ++i) {
            GVariant* child = g_variant_get_child_value(namesValue, i);
            names.push_back(Utf8ToW(g_variant_get_string(child, nullptr)));
            g_variant_unref(child);
        }
        g_variant_unref(namesValue);
        // One member a name: a second name in one IDispatch call would name a parameter.
        std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
        for (size_t i = 0; i < names.size(); ++i) {
            LPOLESTR one[1] = {names[i].data()};
            const HRESULT hr =
                driver.m_lpDispatch->GetIDsOfNames(IID_NULL, one, 1, LOCALE_USER_DEFAULT, &ids[i]);
            if (FAILED(hr)) {
                ReturnError(invocation, StatusError(hr));
                return;
            }
        }
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("ai"));
        for (DISPID id : ids) g_variant_builder_add(&builder, "i", gint32(id));
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(ai)", &builder));
    }

    void Invoke(COleDispatchDriver& driver, DISPID dispid, WORD flags, GVariant* args, const std::string& caller,
                GDBusMethodInvocation* invocation) {
        std::vector<COleVariant> values;
        try {
            const gsize n = g_variant_n_children(args);
            for (gsize i = 0; i < n; ++i) {
                GVariant* child = g_variant_get_child_value(args, i);
                try {
                    values.push_back(FromBus(child));
                } catch (...) {
                    g_variant_unref(child);
                    throw;
                }
                g_variant_unref(child);
            }
        } catch (const COleException& e) {
            ReturnError(invocation, StatusError(e.m_sc));
            return;
        }
        COleVariant result;
        EXCEPINFO info{};
        const HRESULT hr = driver.TryInvoke(dispid, flags, values, &result, &info);
        if (FAILED(hr)) {
            CallError error = hr == DISP_E_EXCEPTION ? FromExcepInfo(info) : StatusError(hr);
            ClearExcepInfo(&info);
            ReturnError(invocation, error);
            return;
        }
        try {
            GVariant* value = ToBus(result, caller);
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
        } catch (const COleException& e) {
            ReturnError(invocation, StatusError(e.m_sc));
        }
    }

    static void MethodCall(GDBusConnection*, const gchar* sender, const gchar* path, const gchar*,
                           const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                           gpointer self) {
        static_cast<Impl*>(self)->OnCall(sender != nullptr ? sender : "", path, method, parameters, invocation);
    }

    // The bus went away: no script can reach the objects any more, as if every caller had left.
    static void Closed(GDBusConnection*, gboolean, GError*, gpointer self) {
        auto* impl = static_cast<Impl*>(self);
        for (auto& [path, object] : impl->objects) object->holders.clear();
        std::vector<std::shared_ptr<CServedObject>> all;
        for (auto& [path, object] : impl->objects)
            if (object != impl->root) all.push_back(object);
        for (auto& object : all) impl->Forget(object);
        impl->hadClients = false;
        if (impl->owner->m_onLastClientGone) impl->owner->m_onLastClientGone();
    }

    static void NameOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                 GVariant* parameters, gpointer self) {
        const char* name = nullptr;
        const char* oldOwner = nullptr;
        const char* newOwner = nullptr;
        g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
        if (name[0] == ':' && newOwner[0] == '\0') static_cast<Impl*>(self)->DropClient(name);
    }
};

const GDBusInterfaceVTable CDBusAutomationServer::Impl::kVTable = {&Impl::MethodCall, nullptr, nullptr, {}};

CDBusAutomationServer::CDBusAutomationServer() = default;

CDBusAutomationServer::~CDBusAutomationServer() {
    Stop();
}

bool CDBusAutomationServer::Start(IDispatch* root, std::string* error, const char* address, const char* busName) {
    Stop();
    auto impl = std::make_unique<Impl>();
    impl->owner = this;
    GError* err = nullptr;
    auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = err != nullptr ? why + ": " + err->message : why;
        if (err != nullptr) g_error_free(err);
        return false;
    };
    gchar* busAddress =
        address != nullptr ? g_strdup(address) : g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &err);
    if (busAddress == nullptr) return fail("no session bus");
    impl->connection = g_dbus_connection_new_for_address_sync(
        busAddress,
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &err);
    g_free(busAddress);
    if (impl->connection == nullptr) return fail("the bus cannot be reached");
    g_dbus_connection_set_exit_on_close(impl->connection, FALSE);
    impl->introspection = g_dbus_node_info_new_for_xml(kIntrospection, &err);
    if (impl->introspection == nullptr) return fail("bad interface description");

    impl->ownerChanged = g_dbus_connection_signal_subscribe(
        impl->connection, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
        "/org/freedesktop/DBus", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &Impl::NameOwnerChanged, impl.get(), nullptr);

    impl->root = std::make_shared<CServedObject>();
    impl->root->path = kRootPath;
    root->AddRef();
    impl->root->dispatch = root;
    IUnknown* identity = QueryInterfaceAs<IUnknown>(root, IID_IUnknown);
    if (identity != nullptr) identity->Release();
    impl->root->identity = identity;
    impl->closedHandler = g_signal_connect(impl->connection, "closed", G_CALLBACK(&Impl::Closed), impl.get());
    std::string why;
    if (!impl->Register(impl->root, &why)) {
        if (error != nullptr) *error = why;
        return false;
    }

    // The first program to ask keeps the name; later ones are not queued behind it.
    GVariant* reply = g_dbus_connection_call_sync(
        impl->connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", busName, 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &err);
    if (reply == nullptr) return fail("the bus name cannot be asked for");
    guint32 answer = 0;
    g_variant_get(reply, "(u)", &answer);
    g_variant_unref(reply);
    if (answer != 1 && answer != 4) return fail(std::string("another program holds ") + busName);
    m_impl = std::move(impl);
    return true;
}

void CDBusAutomationServer::Stop() {
    m_impl.reset();
}

bool CDBusAutomationServer::IsRunning() const {
    return m_impl != nullptr;
}

size_t CDBusAutomationServer::GetObjectCount() const {
    return m_impl ? m_impl->objects.size() - 1 : 0;
}

size_t CDBusAutomationServer::GetClientCount() const {
    return m_impl ? m_impl->ClientCount() : 0;
}
