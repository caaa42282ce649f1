// Text at the UI edge: our UTF-16 text to wx and back, for every wx target.
#pragma once

#include <wx/string.h>

#include "platform/text.h"

inline wxString ToWx(WStringView text) {
    return wxString::FromUTF8(WToUtf8(text));
}
inline WString FromWx(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return Utf8ToW(std::string_view(utf8.data(), utf8.length()));
}
