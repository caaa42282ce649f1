#include "platform/automation/dbus_server.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "automation_sample.h"
#include "support/private_bus.h"

namespace {

constexpr const char* kTestName = "net.velmora.DedovTest";

// A bus of the test's own: a dbus-daemon that the fixture starts and stops.
class DBusServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus_ = std::make_unique<CPrivateBus>();
        address_ = bus_->Address();
        ASSERT_FALSE(address_.empty());

        items_ = CRefPtr<CSampleItems>::Adopt(new CSampleItems);
        for (const char16_t* name : {u"First", u"Second"}) {
            CRefPtr<CSample> sample = CRefPtr<CSample>::Adopt(new CSample(name));
            items_->Add(sample.Get());
        }
        IDispatch* root = items_->GetIDispatch(true);
        std::string why;
        ASSERT_TRUE(server_.Start(root, &why, address_.c_str(), kTestName)) << why;
        root->Release();
        server_.SetLastClientGoneHandler([this] { ++lastClientGone_; });
        client_ = Connect();
    }
    void TearDown() override {
        if (client_) g_object_unref(client_);
        server_.Stop();
        bus_.reset();
    }

    GDBusConnection* Connect() {
        GError* err = nullptr;
        GDBusConnection* c = g_dbus_connection_new_for_address_sync(
            address_.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &err);
        EXPECT_NE(c, nullptr) << (err ? err->message : "");
        return c;
    }

    struct Reply {
        GVariant* value = nullptr;
        std::string error;  // the D-Bus error name, empty on success
        std::string message;
        ~Reply() {
            if (value) g_variant_unref(value);
        }
    };

    // One call from the client; the server answers on this thread while the call waits.
    void Call(const std::string& path, const char* method, GVariant* params, Reply& reply,
              GDBusConnection* via = nullptr) {
        struct Pending {
            Reply* reply;
            bool done = false;
        } pending{&reply};
        g_dbus_connection_call(
            via ? via : client_, kTestName, path.c_str(), CDBusAutomationServer::kInterface, method, params,
            nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto* p = static_cast<Pending*>(data);
                GError* err = nullptr;
                p->reply->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &err);
                if (err) {
                    gchar* name = g_dbus_error_get_remote_error(err);
                    p->reply->error = name ? name : "?";
                    g_free(name);
                    g_dbus_error_strip_remote_error(err);
                    p->reply->message = err->message;
                    g_error_free(err);
                }
                p->done = true;
            },
            &pending);
        while (!pending.done) g_main_context_iteration(nullptr, TRUE);
    }

    // Invoke by name; the result's value (the v unwrapped), or null with the error kept.
    GVariant* ByName(const std::string& path, const char* name, guint16 flags, GVariant* args, Reply& reply,
                     GDBusConnection* via = nullptr) {
        if (!args) args = g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0);
        Call(path, "InvokeByName", g_variant_new("(sq@av)", name, flags, args), reply, via);
        if (!reply.value) return nullptr;
        GVariant* inner = nullptr;
        g_variant_get(reply.value, "(v)", &inner);
        g_variant_unref(reply.value);
        reply.value = inner;
        return inner;
    }

    static GVariant* Args(std::initializer_list<GVariant*> values) {
        GVariantBuilder b;
        g_variant_builder_init(&b, G_VARIANT_TYPE("av"));
        for (GVariant* v : values) g_variant_builder_add(&b, "v", v);
        return g_variant_builder_end(&b);
    }

    // Lets the bus's notices reach the server.
    void Settle() {
        for (int i = 0; i < 50; ++i) {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            g_usleep(2000);
        }
    }

    std::unique_ptr<CPrivateBus> bus_;
    std::string address_;
    CRefPtr<CSampleItems> items_;
    CDBusAutomationServer server_;
    GDBusConnection* client_ = nullptr;
    int lastClientGone_ = 0;
};

const std::string kRoot = CDBusAutomationServer::kRootPath;

TEST_F(DBusServerTest, CallsGoThroughTheDispatchTableByIdOrName) {
    Reply ids;
    const char* names[] = {"Count", "item", nullptr};
    Call(kRoot, "GetIDsOfNames", g_variant_new("(^as)", names), ids);
    ASSERT_NE(ids.value, nullptr) << ids.message;
    gint32 count = 0, item = 0;
    GVariantIter* iter = nullptr;
    g_variant_get(ids.value, "(ai)", &iter);
    ASSERT_TRUE(g_variant_iter_next(iter, "i", &count));
    ASSERT_TRUE(g_variant_iter_next(iter, "i", &item));
    g_variant_iter_free(iter);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(item, 2);

    Reply counted;
    Call(kRoot, "Invoke", g_variant_new("(iq@av)", count, guint16(DISPATCH_PROPERTYGET), Args({})), counted);
    ASSERT_NE(counted.value, nullptr) << counted.message;
    GVariant* value = nullptr;
    g_variant_get(counted.value, "(v)", &value);
    EXPECT_EQ(g_variant_get_int32(value), 2);
    g_variant_unref(value);

    // Objects come back as paths; the same object as the same path.
    Reply first, again;
    ASSERT_NE(ByName(kRoot, "Item", DISPATCH_METHOD, Args({g_variant_new_int16(1)}), first), nullptr);
    ASSERT_NE(ByName(kRoot, "Item", DISPATCH_METHOD, Args({g_variant_new_int32(1)}), again), nullptr);
    const std::string path = g_variant_get_string(first.value, nullptr);
    EXPECT_EQ(std::string(g_variant_get_type_string(first.value)), "o");
    EXPECT_EQ(path, g_variant_get_string(again.value, nullptr));

    Reply name;
    ASSERT_NE(ByName(path, "Name", DISPATCH_PROPERTYGET, nullptr, name), nullptr) << name.message;
    EXPECT_STREQ(g_variant_get_string(name.value, nullptr), "Second");
    Reply put;
    ByName(path, "Name", DISPATCH_PROPERTYPUT, Args({g_variant_new_string("Ram 7")}), put);
    EXPECT_EQ(put.error, "") << put.message;
    VARIANT index = COleVariant(SHORT(1));
    COleDispatchDriver second(items_->Item(index));
    EXPECT_EQ(BstrToW(second.Get(u"Name").bstrVal), u"Ram 7");
    // A method without a result answers an empty array.
    Reply none;
    ASSERT_NE(ByName(path, "Fail", DISPATCH_METHOD, Args({g_variant_new_int32(99)}), none), nullptr);
    EXPECT_EQ(std::string(g_variant_get_type_string(none.value)), "av");
}

TEST_F(DBusServerTest, FailuresCarryTheStatusSourceDescriptionAndHelpContext) {
    const struct {
        const char* name;
        GVariant* args;
        const char* error;
        const char* says;
    } cases[] = {
        {"Fail", Args({g_variant_new_int32(kFailOwnStatus)}), "net.velmora.Dedov.Error.E80070057",
         "HRESULT=0x80070057"},
        {"Fail", Args({g_variant_new_int32(kFailBounds)}), "net.velmora.Dedov.Error.E80040205",
         "HelpContext=196718"},
        {"Fail", Args({g_variant_new_int32(kFailOleNotImpl)}), "net.velmora.Dedov.Error.E80004001", "Code=0"},
        {"Bleat", nullptr, "net.velmora.Dedov.Error.E80020006", "HRESULT=0x80020006"},
        {"Describe", Args({g_variant_new_string("many")}), "net.velmora.Dedov.Error.E80020005", ""},
        {"Name", Args({g_variant_new_object_path("/no/such/object")}), "net.velmora.Dedov.Error.E80020005", ""},
    };
    Reply item;
    ASSERT_NE(ByName(kRoot, "Item", DISPATCH_METHOD, Args({g_variant_new_int16(0)}), item), nullptr);
    const std::string sample = g_variant_get_string(item.value, nullptr);
    for (const auto& c : cases) {
        Reply reply;
        EXPECT_EQ(ByName(sample, c.name, c.name == std::string("Name") ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD,
                         c.args, reply),
                  nullptr)
            << c.name;
        EXPECT_EQ(reply.error, c.error) << c.name << ": " << reply.message;
        EXPECT_NE(reply.message.find(c.says), std::string::npos) << reply.message;
    }
}

TEST_F(DBusServerTest, ObjectsLiveAsLongAsSomeCallerHoldsThem) {
    Reply item;
    ASSERT_NE(ByName(kRoot, "Item", DISPATCH_METHOD, Args({g_variant_new_int16(0)}), item), nullptr);
    const std::string path = g_variant_get_string(item.value, nullptr);
    EXPECT_EQ(server_.GetObjectCount(), 1u);
    EXPECT_EQ(server_.GetClientCount(), 1u);

    // Another caller reaches the same object by its path without holding it.
    GDBusConnection* other = Connect();
    Reply seen;
    ASSERT_NE(ByName(path, "Name", DISPATCH_PROPERTYGET, nullptr, seen, other), nullptr);
    Reply released, gone;
    Call(path, "Release", nullptr, released);
    EXPECT_EQ(server_.GetObjectCount(), 0u);
    EXPECT_EQ(ByName(path, "Name", DISPATCH_PROPERTYGET, nullptr, gone, other), nullptr);
    EXPECT_EQ(gone.error.rfind("org.freedesktop.DBus.Error.Unknown", 0), 0u) << gone.error;

    // A caller that leaves gives back everything it held; the last one to go is reported once.
    Reply held;
    ASSERT_NE(ByName(kRoot, "Item", DISPATCH_METHOD, Args({g_variant_new_int16(1)}), held, other), nullptr);
    EXPECT_EQ(server_.GetClientCount(), 2u);
    g_dbus_connection_close_sync(other, nullptr, nullptr);
    g_object_unref(other);
    Settle();
    EXPECT_EQ(server_.GetObjectCount(), 0u);
    EXPECT_EQ(server_.GetClientCount(), 1u);
    EXPECT_EQ(lastClientGone_, 0);
    Reply letGo;
    Call(kRoot, "Release", nullptr, letGo);
    EXPECT_EQ(server_.GetClientCount(), 0u);
    EXPECT_EQ(lastClientGone_, 1);
}

TEST_F(DBusServerTest, TheFirstProgramKeepsTheName) {
    CDBusAutomationServer second;
    std::string why;
    IDispatch* root = items_->GetIDispatch(true);
    EXPECT_FALSE(second.Start(root, &why, address_.c_str(), kTestName));
    root->Release();
    EXPECT_NE(why.find(kTestName), std::string::npos) << why;
    EXPECT_FALSE(second.IsRunning());
    Reply count;
    EXPECT_NE(ByName(kRoot, "Count", DISPATCH_PROPERTYGET, nullptr, count), nullptr);
}

}  // namespace
