#include "platform/text.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

WString Utf8ToW(std::string_view s) {
    WString out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    while (i < n) {
        unsigned c = byte(i);
        char32_t cp;
        int extra;
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        bool ok = i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned cc = byte(i + k);
            if ((cc & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and out-of-range values are invalid.
        static const char32_t minFor[4] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < minFor[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string WToUtf8(WStringView s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

namespace {
struct CaseTables {
    std::array<char16_t, 0x10000> upper{};
    std::array<char16_t, 0x10000> lower{};
    CaseTables() {
        // C.UTF-8 carries Unicode's simple case mapping and never depends on the user's locale.
        locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        for (unsigned c = 0; c < 0x10000; ++c) {
            char16_t u = static_cast<char16_t>(c), l = static_cast<char16_t>(c);
            if (c >= 0xD800 && c <= 0xDFFF) {
                // surrogates map to themselves
            } else if (loc) {
                wint_t uu = towupper_l(static_cast<wint_t>(c), loc);
                wint_t ll = towlower_l(static_cast<wint_t>(c), loc);
                if (uu < 0x10000) u = static_cast<char16_t>(uu);
                if (ll < 0x10000) l = static_cast<char16_t>(ll);
            } else if (c < 0x80) {
                if (c >= 'a' && c <= 'z') u = static_cast<char16_t>(c - 32);
                if (c >= 'A' && c <= 'Z') l = static_cast<char16_t>(c + 32);
            }
            upper[c] = u;
            lower[c] = l;
        }
        if (loc) freelocale(loc);
    }
};
const CaseTables& Tables() {
    static const CaseTables t;
    return t;
}
}  // namespace

char16_t ToUpperSimple(char16_t c) {
    return Tables().upper[c];
}
char16_t ToLowerSimple(char16_t c) {
    return Tables().lower[c];
}

WString ToUpper(WStringView s) {
    const auto& t = Tables();
    WString r(s);
    for (auto& c : r) c = t.upper[c];
    return r;
}

WString ToLower(WStringView s) {
    const auto& t = Tables();
    WString r(s);
    for (auto& c : r) c = t.lower[c];
    return r;
}

int CompareNoCase(WStringView a, WStringView b) {
    const auto& t = Tables();
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t x = t.upper[a[i]], y = t.upper[b[i]];
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string CollationKey(WStringView s) {
    const std::string text = WToUtf8(ToUpper(s));
    std::string key;
    // A text with a NUL in it is collated piece by piece.
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\0', start), text.size());
        const std::string piece = text.substr(start, end - start);
        std::string part(piece.size() * 4 + 16, '\0');
        size_t n = std::strxfrm(part.data(), piece.c_str(), part.size());
        if (n >= part.size()) {
            part.resize(n + 1);
            n = std::strxfrm(part.data(), piece.c_str(), part.size());
        }
        part.resize(n);
        key += part;
        if (end == text.size()) break;
        key.push_back('\0');
        start = end + 1;
    }
    return key;
}

int CompareCollated(WStringView a, WStringView b) {
    const int c = CollationKey(a).compare(CollationKey(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareOrdinal(WStringView a, WStringView b) {
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {
// Converts between encodings with iconv; characters the target cannot hold become '?'.
std::string IconvConvert(const char* to, const char* from, const char* in, size_t inLen, size_t unit) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out;
    out.resize(inLen * 4 + 16);
    char* inp = const_cast<char*>(in);
    size_t inLeft = inLen;
    char* outp = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outp = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: replace one input unit with '?'
        if (outLeft < 4) {
            size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outp = out.data() + used;
            outLeft = out.size() - used;
        }
        if (std::strcmp(to, "UTF-16LE") == 0) {
            *outp++ = '?';
            *outp++ = 0;
            outLeft -= 2;
        } else {
            *outp++ = '?';
            --outLeft;
        }
        size_t skip = unit < inLeft ? unit : inLeft;
        inp += skip;
        inLeft -= skip;
    }
    out.resize(out.size() - outLeft);
    iconv_close(cd);
    return out;
}
}  // namespace

std::string WToAnsi(WStringView s) {
    if (s.empty()) return std::string();
    std::string le;
    le.reserve(s.size() * 2);
    for (char16_t c : s) {
        le.push_back(static_cast<char>(c & 0xFF));
        le.push_back(static_cast<char>(c >> 8));
    }
    return IconvConvert("WINDOWS-1252", "UTF-16LE", le.data(), le.size(), 2);
}

WString AnsiToW(std::string_view s) {
    if (s.empty()) return WString();
    std::string le = IconvConvert("UTF-16LE", "WINDOWS-1252", s.data(), s.size(), 1);
    WString out;
    out.reserve(le.size() / 2);
    for (size_t i = 0; i + 1 < le.size(); i += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(le[i]) |
                                            (static_cast<unsigned char>(le[i + 1]) << 8)));
    return out;
}

std::string CodePageToAnsi(std::string_view s, unsigned codePage) {
    if (s.empty() || codePage == 1252) return std::string(s);
    const std::string from = codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("WINDOWS-1252", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(s);
    iconv_close(cd);
    return IconvConvert("WINDOWS-1252", from.c_str(), s.data(), s.size(), 1);
}

namespace {
bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}
}  // namespace

WString TrimLeft(WStringView s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return WString(s.substr(i));
}

WString TrimRight(WStringView s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return WString(s.substr(0, n));
}

WString Trim(WStringView s) {
    return TrimLeft(TrimRight(s));
}

bool IsBlankText(WStringView s) {
    for (const char16_t c : s)
        if (!IsBlank(c)) return false;
    return true;
}

std::vector<WString> Split(WStringView s, char16_t sep) {
    std::vector<WString> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.emplace_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

WString FormatPlaceholders(WStringView fmt, const std::vector<WString>& args) {
    WString out;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == u'%' && i + 1 < fmt.size() && fmt[i + 1] >= u'1' && fmt[i + 1] <= u'9') {
            size_t k = static_cast<size_t>(fmt[i + 1] - u'1');
            if (k < args.size()) {
                out += args[k];
                ++i;
                continue;
            }
        }
        out.push_back(fmt[i]);
    }
    return out;
}

WString IntToW(long long v) {
    return Utf8ToW(std::to_string(v));
}

WString DoubleToW(double v, const char* printfFormat) {
    // snprintf follows LC_NUMERIC; swap any decimal comma back to '.'.
    char buf[512];
    std::snprintf(buf, sizeof buf, printfFormat, v);
    std::string s(buf);
    const char* dp = localeconv()->decimal_point;
    if (dp && std::strcmp(dp, ".") != 0) {
        size_t p = s.find(dp);
        if (p != std::string::npos) s.replace(p, std::strlen(dp), ".");
    }
    return Utf8ToW(s);
}

namespace {
std::string ToCNumber(WStringView s) {
    std::string a;
    for (char16_t c : s) {
        if (c >= 0x80) return std::string("\x01");
        a.push_back(c == u',' ? '.' : static_cast<char>(c));
    }
    return a;
}

double StrtodC(const char* p, char** end) {
    static locale_t cloc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(p, end, cloc);
}
}  // namespace

bool ParseDouble(WStringView s, double& out) {
    std::string a = ToCNumber(Trim(s));
    if (a.empty()) return false;
    char* end = nullptr;
    double v = StrtodC(a.c_str(), &end);
    if (end == a.c_str() || *end != '\0') return false;
    out = v;
    return true;
}

bool ParseInt(WStringView s, long long& out) {
    std::string a = ToCNumber(Trim(s));
    if (a.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(a.c_str(), &end, 10);
    if (end == a.c_str() || *end != '\0' || errno == ERANGE) return false;
    out = v;
    return true;
}

long long WToLongLenient(WStringView s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) neg = s[i++] == u'-';
    long long v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        if (v < (1LL << 58)) v = v * 10 + (s[i] - u'0');
        ++i;
    }
    return neg ? -v : v;
}

double WToDoubleLenient(WStringView s) {
    std::string a;
    for (char16_t c : s) {
        if (c >= 0x80) break;
        a.push_back(c == u',' ? '.' : static_cast<char>(c));
    }
    char* end = nullptr;
    double v = StrtodC(a.c_str(), &end);
    return end == a.c_str() ? 0.0 : v;
}

WString FormatW(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(s.data(), s.size() + 1, fmt, ap2);
    va_end(ap2);
    return Utf8ToW(s);
}
