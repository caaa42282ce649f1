// The locking of the desktop session: logind's Lock signal for this process's session, heard on the
// system bus. Where there is no system bus or no logind session the watcher hears nothing.
#pragma once

#include <functional>
#include <memory>

class ISessionLockWatcher {
public:
    virtual ~ISessionLockWatcher() = default;
};

// onLock runs on the thread whose GLib main context was the thread default when the watcher was
// made (the program's user-interface thread). Nothing is called once the watcher is gone.
using SessionLockFactory = std::function<std::unique_ptr<ISessionLockWatcher>(std::function<void()> onLock)>;
std::unique_ptr<ISessionLockWatcher> WatchSessionLock(std::function<void()> onLock);

// Tests hand in their own watchers; an empty factory restores logind's.
void SetSessionLockFactory(SessionLockFactory factory);
