// UTF-16 text: the one string type for everything that is stored or crosses a plug-in boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using WString = std::u16string;
using WStringView = std::u16string_view;

// UTF-8 <-> UTF-16. Unpaired surrogates read from files survive a UTF-16 round trip; towards
// UTF-8 they become U+FFFD. Bad UTF-8 bytes become U+FFFD.
WString Utf8ToW(std::string_view s);
std::string WToUtf8(WStringView s);

// Short spelling for literals in code: W("abc") == u"abc" but from a narrow (UTF-8) literal.
inline WString W(std::string_view s) {
    return Utf8ToW(s);
}

// The simple, locale-independent upper-case mapping of one UTF-16 code unit.
char16_t ToUpperSimple(char16_t c);
char16_t ToLowerSimple(char16_t c);
WString ToUpper(WStringView s);
WString ToLower(WStringView s);

// The one case-insensitive comparison (code units after the simple upper-case mapping):
// the flock's key order and every text column use it. Returns <0, 0, >0.
int CompareNoCase(WStringView a, WStringView b);
inline bool EqualsNoCase(WStringView a, WStringView b) {
    // The mapping is one unit for one: texts of two lengths are never equal.
    return a.size() == b.size() && (a == b || CompareNoCase(a, b) == 0);
}
// Ordinal comparison, with regard to case. Returns <0, 0, >0.
int CompareOrdinal(WStringView a, WStringView b);

// Text shown to the user sorts as people read it: the collation of the locale's LC_COLLATE, after
// the simple upper-case mapping (so without regard to case). Never for stored orders: the flock's
// key order is CompareNoCase's. The key's byte order is CompareCollated's order; sorting many
// rows makes each key once.
std::string CollationKey(WStringView s);
int CompareCollated(WStringView a, WStringView b);

// The "system ANSI code page": Windows-1252 through iconv. Characters it cannot hold become '?'.
std::string WToAnsi(WStringView s);
WString AnsiToW(std::string_view s);
// Bytes of another Windows code page (65001: UTF-8) in the system ANSI code page; a code page iconv
// does not know leaves the bytes as they are.
std::string CodePageToAnsi(std::string_view s, unsigned codePage);

// Trimming and splitting helpers used by parsers.
WString Trim(WStringView s);
// True when Trim would leave nothing.
bool IsBlankText(WStringView s);
WString TrimLeft(WStringView s);
WString TrimRight(WStringView s);
std::vector<WString> Split(WStringView s, char16_t sep);

// Replaces "%1".."%9" in fmt with args (the framework's AfxFormatString style).
WString FormatPlaceholders(WStringView fmt, const std::vector<WString>& args);

// Numbers as text, always with '.' whatever the locale.
WString IntToW(long long v);
WString DoubleToW(double v, const char* printfFormat = "%g");
// Parse: accepts '.' or ',' as the decimal mark; false on anything that is not a whole number.
bool ParseDouble(WStringView s, double& out);
bool ParseInt(WStringView s, long long& out);
// The C runtime's _wtoi/_wtof: leading blanks, optional sign, digits; stops at the first other char.
long long WToLongLenient(WStringView s);
double WToDoubleLenient(WStringView s);

// printf-style formatting into UTF-16 (ASCII format; %s takes const char* UTF-8).
WString FormatW(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
