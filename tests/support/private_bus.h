// A D-Bus bus of the test's own: a dbus-daemon started for the fixture and stopped with it.
#pragma once

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <string>

class CPrivateBus {
public:
    CPrivateBus() {
        const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
        GError* err = nullptr;
        m_daemon = g_subprocess_newv(argv, G_SUBPROCESS_FLAGS_STDOUT_PIPE, &err);
        EXPECT_NE(m_daemon, nullptr) << (err ? err->message : "");
        if (!m_daemon) return;
        GDataInputStream* out = g_data_input_stream_new(g_subprocess_get_stdout_pipe(m_daemon));
        gchar* line = g_data_input_stream_read_line(out, nullptr, nullptr, &err);
        g_object_unref(out);
        EXPECT_NE(line, nullptr);
        if (line) m_address = line;
        g_free(line);
    }
    ~CPrivateBus() {
        if (!m_daemon) return;
        g_subprocess_force_exit(m_daemon);
        g_subprocess_wait(m_daemon, nullptr, nullptr);
        g_object_unref(m_daemon);
    }
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    // Empty when the daemon did not start.
    const std::string& Address() const { return m_address; }

private:
    GSubprocess* m_daemon = nullptr;
    std::string m_address;
};
