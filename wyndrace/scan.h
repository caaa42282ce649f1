// The tag scan: one background thread per library that keeps the reader's port open and tells the
// program of every tag read, until the program stops it.
#pragma once

#include <cstdint>

#include "abi/reader_abi.h"

// Starts a scan on the port with a copy of the settings. A scan still running is stopped first.
int32_t EIDStartScan(const EIDNotifySink* sink, const char16_t* port, COMMCONFIG* config);
// Ends the scan thread, waiting for it, and gives the sink of the last start. Once it returns the
// sink is not called again and the port is closed.
const EIDNotifySink* EIDStopScan();

// Scan threads alive in this library (tests check that none outlives its scan).
int LiveScanThreads();
