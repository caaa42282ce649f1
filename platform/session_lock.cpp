#include "platform/session_lock.h"

#include <gio/gio.h>
#include <unistd.h>

#include <mutex>
#include <string>

namespace {

constexpr const char* kLogin = "org.freedesktop.login1";

std::mutex g_factoryLock;
SessionLockFactory g_factory;

// Shared with the pending session lookup, which may answer after the watcher went.
struct State {
    std::function<void()> onLock;
    std::string sessionPath;
    bool alive = true;
};

class CLogindLockWatcher : public ISessionLockWatcher {
public:
    explicit CLogindLockWatcher(std::function<void()> onLock) : m_state(new std::shared_ptr<State>(new State)) {
        (*m_state)->onLock = std::move(onLock);
        m_connection = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
        if (!m_connection) return;
        m_cancel = g_cancellable_new();
        // The session's object path decides which Lock signals are ours; until it is known none are.
        m_subscription = g_dbus_connection_signal_subscribe(
            m_connection, kLogin, "org.freedesktop.login1.Session", "Lock", nullptr, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, &CLogindLockWatcher::OnSignal, new std::shared_ptr<State>(*m_state),
            [](gpointer data) { delete static_cast<std::shared_ptr<State>*>(data); });
        g_dbus_connection_call(m_connection, kLogin, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                               "GetSessionByPID", g_variant_new("(u)", guint32(getpid())), G_VARIANT_TYPE("(o)"),
                               G_DBUS_CALL_FLAGS_NONE, 2000, m_cancel, &CLogindLockWatcher::OnSession,
                               new std::shared_ptr<State>(*m_state));
    }
    ~CLogindLockWatcher() override {
        (*m_state)->alive = false;
        if (m_cancel) {
            g_cancellable_cancel(m_cancel);
            g_object_unref(m_cancel);
        }
        if (m_connection) {
            if (m_subscription) g_dbus_connection_signal_unsubscribe(m_connection, m_subscription);
            g_object_unref(m_connection);
        }
        delete m_state;
    }

private:
    static void OnSession(GObject* source, GAsyncResult* result, gpointer data) {
        std::shared_ptr<State> state = *static_cast<std::shared_ptr<State>*>(data);
        delete static_cast<std::shared_ptr<State>*>(data);
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        if (!reply) return;
        const gchar* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        if (state->alive && path) state->sessionPath = path;
        g_variant_unref(reply);
    }
    static void OnSignal(GDBusConnection*, const gchar*, const gchar* path, const gchar*, const gchar*, GVariant*,
                         gpointer data) {
        std::shared_ptr<State> state = *static_cast<std::shared_ptr<State>*>(data);
        if (state->alive && !state->sessionPath.empty() && path && state->sessionPath == path && state->onLock)
            state->onLock();
    }

    std::shared_ptr<State>* m_state;
    GDBusConnection* m_connection = nullptr;
    GCancellable* m_cancel = nullptr;
    guint m_subscription = 0;
};

}  // namespace

std::unique_ptr<ISessionLockWatcher> WatchSessionLock(std::function<void()> onLock) {
    {
        std::lock_guard lock(g_factoryLock);
        if (g_factory) return g_factory(std::move(onLock));
    }
    return std::make_unique<CLogindLockWatcher>(std::move(onLock));
}

void SetSessionLockFactory(SessionLockFactory factory) {
    std::lock_guard lock(g_factoryLock);
    g_factory = std::move(factory);
}
