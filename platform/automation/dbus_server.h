// Automation objects served on a D-Bus bus to scripts in other processes: one object path per
// object, one interface that calls IDispatch by dispatch id or by name.
//
//   net.velmora.Dedov.Dispatch
//     GetIDsOfNames(as names) -> (ai dispids)
//     Invoke(i dispid, q flags, av args) -> (v result)      flags: 1 method, 2 get, 4 put
//     InvokeByName(s name, q flags, av args) -> (v result)
//     Release()                                              lets go of the object; on the root,
//                                                            of everything the caller held
//
// Arguments are given in their natural order; a put passes the value last. Values: s text, b
// boolean, n/i/x 16/32/64-bit integers, t unsigned 64-bit, d double and date, as an array of texts,
// o an object (the path "/" is Nothing), av [] empty. A failure is the error
// net.velmora.Dedov.Error.E<HRESULT in 8 hex digits> whose message has the lines HRESULT=, Code=,
// Source=, Description=, HelpFile= and HelpContext=.
//
// Lifetime: a caller holds the root object from its first call, and every other object each time a
// result hands it out; Release gives back one hold (on the root: everything). A caller that leaves
// the bus gives back everything it held. An object nobody holds is no longer served.
//
// The calls run on the thread whose main context was the thread default when Start ran (the
// program's: the user-interface thread).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/automation/com.h"

class CDBusAutomationServer {
public:
    static constexpr const char* kBusName = "net.velmora.Dedov";
    static constexpr const char* kRootPath = "/net/velmora/Dedov/Application";
    static constexpr const char* kInterface = "net.velmora.Dedov.Dispatch";

    CDBusAutomationServer();
    ~CDBusAutomationServer();
    CDBusAutomationServer(const CDBusAutomationServer&) = delete;
    CDBusAutomationServer& operator=(const CDBusAutomationServer&) = delete;

    // Connects to the bus at address (the session bus when null), serves root at kRootPath and asks
    // for busName, which the first program to ask keeps. False, with the reason, when there is no
    // bus or the name is taken; nothing is served then.
    bool Start(IDispatch* root, std::string* error, const char* address = nullptr,
               const char* busName = kBusName);
    // Lets go of every object and leaves the bus.
    void Stop();
    bool IsRunning() const;

    // Runs when the last caller that held anything let go (Release or leaving the bus), and when the
    // bus itself goes away.
    void SetLastClientGoneHandler(std::function<void()> handler) { m_onLastClientGone = std::move(handler); }

    // Objects served besides the root, and callers holding anything.
    size_t GetObjectCount() const;
    size_t GetClientCount() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
    std::function<void()> m_onLastClientGone;
};
