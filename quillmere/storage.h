// Storages, streams and monikers over data files, for the reconciler and its host.
//
// A storage holds the file's root streams in memory and writes the whole file on Commit (and on its
// final release when something was written): "Contents" and whatever else the file holds, the summary
// information among it, go back with the root class id, through the program's safe save, so the file
// on disk is either the old one or the new one. A storage opened for writing holds the data file's
// writer lock for as long as it lives, so a flock open in the program cannot be reconciled under it.
#pragma once

#include <string>

#include "quillmere/reconciler_abi.h"

class IFileOps;

// Opens the data file at path as a storage (STGM_ flags). Errors: STG_E_ACCESSDENIED (the lock is
// held, or the system refuses), STG_E_FILENOTFOUND, STG_E_FILEFORMAT (not a sound compound file),
// STG_E_READFAULT.
HRESULT OpenDataFileStorage(const std::string& path, DWORD grfMode, IStorage** ppStg);

// A moniker naming the data file at path; binding opens it with the bind options' mode.
IMoniker* NewFileMoniker(const std::string& path);

// The system calls every storage's commit makes (tests make one fail); null for the system's.
void SetStorageFileOps(IFileOps* ops);
