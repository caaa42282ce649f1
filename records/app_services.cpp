#include "records/app_services.h"

#include <charconv>
#include <cstdlib>
#include <string>

#include "platform/settings.h"

namespace {

const char16_t kSettingsKey[] = u"Settings";

// The number of decimals a format can take without running into the double's noise.
constexpr int kMaxDecimalPlaces = 15;

int ClampDecimals(int places) {
    if (places < 0) return 0;
    if (places > kMaxDecimalPlaces) return kMaxDecimalPlaces;
    return places;
}

}  // namespace

float ScanMeasurement(WStringView text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    std::string s;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') s += '-';
        ++i;
    }
    const size_t start = s.size();
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            s += static_cast<char>(c);
            digits = true;
        } else if ((c == u'.' || c == u',') && !point) {
            s += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0f;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        std::string e = "e";
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) e += static_cast<char>(text[j++]);
        bool expDigits = false;
        for (; j < text.size() && text[j] >= u'0' && text[j] <= u'9'; ++j) {
            e += static_cast<char>(text[j]);
            expDigits = true;
        }
        if (expDigits) s += e;
    }
    float value = 0.0f;
    const char* first = s.data() + start;
    auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // The C library gives +-HUGE_VALF or 0 here; from_chars leaves the value alone.
        value = std::strtof(first, nullptr);
    }
    (void)ptr;
    return start == 1 ? -value : value;
}

CSheepAppServices& CSheepAppServices::Get() {
    static CSheepAppServices app;
    return app;
}

CSheepAppServices::CSheepAppServices() {
    m_nDecimalPlaces = static_cast<int>(static_cast<int32_t>(
        CRegistrySettings::GetDWord(HKEY_CURRENT_USER, kSettingsKey, u"Decimal Places", 2)));
}

int CSheepAppServices::GetDecimalPlaces() const {
    std::lock_guard lock(m_mutex);
    return m_nDecimalPlaces;
}

void CSheepAppServices::SetDecimalPlaces(int places) {
    std::lock_guard lock(m_mutex);
    m_nDecimalPlaces = places;
}

WString CSheepAppServices::FormatMeasurement(const int32_t* unitFlag, WStringView stored) const {
    if (stored.empty()) return WString();
    const float value = ScanMeasurement(stored);
    const float shown = (unitFlag && *unitFlag != 0) ? value / 2.12f : value / 1.0f;
    const std::string format = "%." + std::to_string(ClampDecimals(GetDecimalPlaces())) + "f";
    return DoubleToW(static_cast<double>(shown), format.c_str());
}

WString FormatMeasurementShort(const int32_t* unitFlag, WStringView entered) {
    if (entered.empty()) return WString();
    const float value = ScanMeasurement(entered);
    const float stored = (unitFlag && *unitFlag != 0) ? value * 2.12f : value * 1.0f;
    return DoubleToW(static_cast<double>(stored), "%.4g");
}

const std::vector<WString>& CSheepAppServices::GetImageSearchPath() {
    std::lock_guard lock(m_mutex);
    if (!m_bImagePathBuilt) {
        // The setting lists folders separated by ';'; without it, the user's picture folder.
        const WString setting =
            CRegistrySettings::GetString(HKEY_CURRENT_USER, kSettingsKey, u"Image Search Path", u"");
        for (WString& folder : Split(setting, u';')) {
            WString trimmed = Trim(folder);
            if (!trimmed.empty()) m_imageSearchPath.push_back(std::move(trimmed));
        }
        if (m_imageSearchPath.empty()) {
            if (const char* pictures = std::getenv("XDG_PICTURES_DIR"); pictures && *pictures) {
                m_imageSearchPath.push_back(Utf8ToW(pictures));
            } else if (const char* home = std::getenv("HOME"); home && *home) {
                m_imageSearchPath.push_back(Utf8ToW(std::string(home) + "/Pictures"));
            }
        }
        m_bImagePathBuilt = true;
    }
    return m_imageSearchPath;
}

void CSheepAppServices::SetImageSearchPath(std::vector<WString> folders) {
    std::lock_guard lock(m_mutex);
    m_imageSearchPath = std::move(folders);
    m_bImagePathBuilt = true;
}
