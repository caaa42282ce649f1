// Text at the UI edge: our UTF-16 text to wx and back.
#pragma once

#include <wx/string.h>

#include "platform/text.h"

inline wxString ToWx(WStringView text) {
    return wxString::FromUTF8(WToUtf8(text));
}
inline WString FromWx(const wxString& text) {
    return Utf8ToW(text.utf8_string());
}
