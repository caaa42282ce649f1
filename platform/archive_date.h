// Dates in the archive: the 32-bit status (0 valid, 1 invalid, 2 null), then the 8-byte double.
#pragma once

#include "platform/archive.h"
#include "platform/oledate.h"

inline CArchive& operator<<(CArchive& ar, const COleDateTime& d) {
    return ar << int32_t(d.GetStatus()) << d.m_dt;
}

// The stored double is kept whatever the status; a status the date type does not know reads as
// invalid.
inline CArchive& operator>>(CArchive& ar, COleDateTime& d) {
    int32_t status;
    double dt;
    ar >> status >> dt;
    if (status < COleDateTime::error || status > COleDateTime::null) status = COleDateTime::invalid;
    d.m_dt = dt;
    d.SetStatus(COleDateTime::DateTimeStatus(status));
    return ar;
}
