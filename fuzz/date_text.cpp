// Dates typed by users or read from XML and CSV files: any text, in a few locales.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/oledate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const locales[] = {"C", "en_GB.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"};
    if (size == 0) return 0;
    setlocale(LC_TIME, locales[data[0] % 4]);
    const WString text = Utf8ToW(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    for (uint32_t flags : {0u, VAR_DATEVALUEONLY, VAR_TIMEVALUEONLY}) {
        COleDateTime dt;
        if (dt.ParseDateTime(text, flags)) {
            // Whatever parsed is a date in range that reads back the same from its own short form.
            if (dt.GetStatus() != COleDateTime::valid || dt.GetYear() < 100 || dt.GetYear() > 9999) abort();
            COleDateTime again;
            if (!again.ParseDateTime(dt.Format("%Y-%m-%dT%H:%M:%S")) || again != dt) abort();
        } else if (dt.GetStatus() != COleDateTime::invalid) {
            abort();
        }
    }
    return 0;
}
