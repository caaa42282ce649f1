#include <libnotify/notify.h>
#include <wx/notifmsg.h>
#include <wx/generic/notifmsg.h>

#include "document/ui/wx_strings.h"
#include "shell/reader_tray.h"

namespace {

class CLibNotifyNotifier : public IReaderNotifier {
public:
    ~CLibNotifyNotifier() override { Close(); }

    void Show(const WString& title, const WString& text, std::function<void()> onClick) override {
        // One notification at a time, as the tray had one balloon.
        Close();
        m_current = notify_notification_new(WToUtf8(title).c_str(), WToUtf8(text).c_str(), "dialog-information");
        if (!m_current) return;
        auto* click = new std::function<void()>(std::move(onClick));
        notify_notification_add_action(
            m_current, "default", "Open",
            [](NotifyNotification*, char*, gpointer data) {
                auto* fn = static_cast<std::function<void()>*>(data);
                if (*fn) (*fn)();
            },
            click, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
        notify_notification_show(m_current, nullptr);
    }

private:
    void Close() {
        if (!m_current) return;
        notify_notification_close(m_current, nullptr);
        g_object_unref(m_current);
        m_current = nullptr;
    }
    NotifyNotification* m_current = nullptr;
};

class CGenericNotifier : public IReaderNotifier {
public:
    explicit CGenericNotifier(wxWindow* parent) : m_parent(parent) {}

    void Show(const WString& title, const WString& text, std::function<void()> onClick) override {
        m_current = std::make_unique<wxGenericNotificationMessage>(ToWx(title), ToWx(text), m_parent);
        m_current->Bind(wxEVT_NOTIFICATION_MESSAGE_CLICK, [fn = std::move(onClick)](wxCommandEvent&) {
            if (fn) fn();
        });
        m_current->Show();
    }

private:
    wxWindow* m_parent;
    std::unique_ptr<wxGenericNotificationMessage> m_current;
};

// A notification service answers on the session bus.
bool HasNotificationService() {
    if (!notify_is_initted() && !notify_init("Corvalen")) return false;
    char *name = nullptr, *vendor = nullptr, *version = nullptr, *spec = nullptr;
    const bool found = notify_get_server_info(&name, &vendor, &version, &spec);
    g_free(name);
    g_free(vendor);
    g_free(version);
    g_free(spec);
    return found;
}

}  // namespace

std::unique_ptr<IReaderNotifier> CreateDesktopNotifier(wxWindow* parent) {
    if (HasNotificationService()) return std::make_unique<CLibNotifyNotifier>();
    return std::make_unique<CGenericNotifier>(parent);
}
