// File Import and File Export as the farmer runs them: the file dialogs, and which view decides
// what an export writes.
#pragma once

#include <string>

class wxView;
class wxWindow;
class CSheepDoc;

// True when something was imported; Cancel imports nothing.
bool RunFileImport(wxWindow* parent, CSheepDoc& doc);
// The flock list writes the exchange file of its selection; another list writes its rows as text.
void RunFileExport(wxWindow* parent, CSheepDoc& doc, wxView* activeView);
// The export to a chosen file: its extension picks the mode, the active view what is written.
// Gives the records written, or -1 when nothing was (the farmer was told why).
int ExportToPath(CSheepDoc& doc, wxView* activeView, const std::string& path);
