// Calls that arrive on another thread (the reader plug-in's workers) run on the user-interface thread,
// which owns the flock and every window. The program installs a dispatcher that knows its UI loop;
// without one (tests, the reconciler) a call runs on the thread that made it.
#pragma once

#include <exception>
#include <functional>

class CUiDispatcher {
public:
    virtual ~CUiDispatcher() = default;
    // True on the thread that owns the windows.
    virtual bool IsUiThread() const = 0;
    // Runs fn on the UI thread and returns when it has finished; while the UI loop is not running
    // (before it starts, after it ends) it runs fn on the calling thread. fn never throws.
    virtual void RunOnUiThread(const std::function<void()>& fn) = 0;
};

// Installs the dispatcher (nullptr: none) and returns the previous one. Not owned.
CUiDispatcher* AfxSetUiDispatcher(CUiDispatcher* dispatcher);
CUiDispatcher* AfxGetUiDispatcher();

// Runs fn where automation calls run: here when there is no dispatcher or this is the UI thread,
// else on the UI thread while this thread waits. An exception thrown by fn reaches the caller.
// The thread's error information set by fn is handed over to the calling thread.
// AddRef, Release and QueryInterface are not marshalled: the last Release runs the object's
// destructor on the thread that made it.
void RunOnUiThread(const std::function<void()>& fn);
