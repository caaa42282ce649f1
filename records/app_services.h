// The application's services that records and the document call, without any GUI: the number of
// decimal places, the measurement formatters and the list of image folders. The shell sets them from
// its options pages and automation properties; messages and the wait cursor go through the host.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/text.h"

class CSheepAppServices {
public:
    // The one application object; built on first use (reads `Decimal Places` then).
    static CSheepAppServices& Get();

    int GetDecimalPlaces() const;
    void SetDecimalPlaces(int places);

    // Stored figure -> shown text: divided by 2.12 when *unitFlag is not 0, printed with the decimal
    // places. Single-precision arithmetic, as the figures were always shown that way.
    WString FormatMeasurement(const int32_t* unitFlag, WStringView stored) const;

    // The image folders, built on the first call and kept until replaced.
    const std::vector<WString>& GetImageSearchPath();
    void SetImageSearchPath(std::vector<WString> folders);

private:
    CSheepAppServices();
    mutable std::mutex m_mutex;
    int m_nDecimalPlaces = 2;
    bool m_bImagePathBuilt = false;
    std::vector<WString> m_imageSearchPath;
};

// Entered text -> stored figure: multiplied by 2.12 when *unitFlag is not 0, printed with "%.4g".
WString FormatMeasurementShort(const int32_t* unitFlag, WStringView entered);

// The leading number of a text as the C library's "%f" scan reads it (',' also taken as the decimal
// mark), 0 when the text does not begin with a number.
float ScanMeasurement(WStringView text);
