// The animal's lambing and tupping arrays and its XML text as the automation side reaches them.
// Written against the animal's own members when it has them; until then the histories read empty
// and the XML text is refused.
#pragma once

#include "platform/automation/errors.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"

namespace sheep_access {

template <class S>
LONG LambingCount(S& s) {
    if constexpr (requires { s.GetLambingCount(); })
        return s.GetLambingCount();
    else
        return 0;
}
template <class S>
CCmdTarget* LambingAt(S& s, LONG i) {
    if constexpr (requires { s.GetLambingAt(0); })
        return s.GetLambingAt(i);
    else
        AfxThrowInvalidArgException();
}
template <class S>
void RemoveLambingAt(S& s, LONG i) {
    if constexpr (requires { s.RemoveLambingAt(0); })
        s.RemoveLambingAt(i);
    else
        AfxThrowInvalidArgException();
}
template <class S>
LONG TuppingCount(S& s) {
    if constexpr (requires { s.GetTuppingCount(); })
        return s.GetTuppingCount();
    else
        return 0;
}
template <class S>
CCmdTarget* TuppingAt(S& s, LONG i) {
    if constexpr (requires { s.GetTuppingAt(0); })
        return s.GetTuppingAt(i);
    else
        AfxThrowInvalidArgException();
}
template <class S>
void RemoveTuppingAt(S& s, LONG i) {
    if constexpr (requires { s.RemoveTuppingAt(0); })
        s.RemoveTuppingAt(i);
    else
        AfxThrowInvalidArgException();
}
template <class S>
WString Xml(S& s) {
    if constexpr (requires { s.GetXml(); })
        return s.GetXml();
    else
        AfxThrowOleException(E_NOTIMPL);
}

}  // namespace sheep_access
