// The session lock heard from logind on the system bus: a bus of the test's own stands for the system
// bus and the test plays logind on it.
#include "platform/session_lock.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <functional>
#include <string>

#include "support/private_bus.h"

namespace {

constexpr const char* kOurSession = "/org/freedesktop/login1/session/_31";
constexpr const char* kOtherSession = "/org/freedesktop/login1/session/_32";
constexpr const char* kManagerXml =
    "<node><interface name='org.freedesktop.login1.Manager'>"
    "<method name='GetSessionByPID'><arg type='u' direction='in'/><arg type='o' direction='out'/></method>"
    "</interface></node>";

class SessionLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus_.Address().empty());
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address().c_str(), 1);
        GError* err = nullptr;
        logind_ = g_dbus_connection_new_for_address_sync(
            bus_.Address().c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &err);
        ASSERT_NE(logind_, nullptr) << (err ? err->message : "");
        GVariant* owned = g_dbus_connection_call_sync(
            logind_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.freedesktop.login1", 0u), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000,
            nullptr, &err);
        ASSERT_NE(owned, nullptr) << (err ? err->message : "");
        g_variant_unref(owned);
        node_ = g_dbus_node_info_new_for_xml(kManagerXml, nullptr);
        static const GDBusInterfaceVTable vtable = {
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
               GDBusMethodInvocation* invocation, gpointer data) {
                ++*static_cast<int*>(data);
                g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", kOurSession));
            },
            nullptr,
            nullptr,
            {}};
        registration_ = g_dbus_connection_register_object(
            logind_, "/org/freedesktop/login1", node_->interfaces[0], &vtable, &lookups_, nullptr, &err);
        ASSERT_NE(registration_, 0u) << (err ? err->message : "");
    }
    void TearDown() override {
        // The system bus connection must not take the process with it when the daemon goes.
        if (GDBusConnection* system = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr)) {
            g_dbus_connection_set_exit_on_close(system, FALSE);
            g_object_unref(system);
        }
        if (logind_) {
            if (registration_) g_dbus_connection_unregister_object(logind_, registration_);
            g_dbus_connection_set_exit_on_close(logind_, FALSE);
            g_object_unref(logind_);
        }
        if (node_) g_dbus_node_info_unref(node_);
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    void Lock(const char* session) {
        g_dbus_connection_emit_signal(logind_, nullptr, session, "org.freedesktop.login1.Session", "Lock",
                                      nullptr, nullptr);
        g_dbus_connection_flush_sync(logind_, nullptr, nullptr);
    }
    // Runs the main context until done() or the time has passed.
    static bool Iterate(const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end) g_main_context_iteration(nullptr, FALSE);
        return done();
    }

    CPrivateBus bus_;
    GDBusConnection* logind_ = nullptr;
    GDBusNodeInfo* node_ = nullptr;
    guint registration_ = 0;
    int lookups_ = 0;
};

TEST_F(SessionLockTest, OnlyTheLockOfThisSessionIsHeardAndNothingOnceTheWatcherIsGone) {
    int locks = 0;
    auto watcher = WatchSessionLock([&] { ++locks; });
    ASSERT_TRUE(Iterate([&] { return lookups_ == 1; }));
    // Wait until our session is known: a Lock of it then arrives.
    ASSERT_TRUE(Iterate([&] {
        Lock(kOurSession);
        g_main_context_iteration(nullptr, FALSE);
        return locks > 0;
    }));
    // Locks sent while the session was still unknown may yet arrive: let them in before counting.
    for (int seen = -1; seen != locks;) {
        seen = locks;
        Iterate([] { return false; }, std::chrono::milliseconds(300));
    }
    const int before = locks;
    Lock(kOtherSession);
    Lock(kOurSession);
    EXPECT_TRUE(Iterate([&] { return locks == before + 1; }));
    Iterate([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(locks, before + 1);
    watcher.reset();
    Lock(kOurSession);
    Iterate([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(locks, before + 1);
}

}  // namespace
