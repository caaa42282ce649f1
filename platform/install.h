// The installer's product state: the program counts as installed when the installed layout is
// present under the install prefix. Tests and build-tree runs name another prefix with
// CVL_INSTALL_PREFIX.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// $CVL_INSTALL_PREFIX when set, else the prefix the program was built for.
std::string CvlInstallPrefix();
// The list of installed components, relative to the prefix.
constexpr const char* kCvlComponentList = "share/corvalen/components";
// True when the installed layout (its component list) is present.
bool CvlIsInstalled();
// The installed path of a component ("name=relative path" lines of the list), when it is listed
// and present.
std::optional<std::string> CvlGetComponentPath(std::string_view component);

// What Detect and Repair found. The list may name registrations beside the files:
//   Breed:<name>=<library>                       the machine-wide Breeds entry
//   Reader:<maker>|<model>|<modes>=<library>     the machine-wide Readers\<maker>\<model> entry
struct CInstallRepair {
    bool installed = false;             // the component list is there
    std::vector<std::string> missing;   // listed components not present: only a reinstall helps
    std::vector<std::string> restored;  // registrations written again
    std::vector<std::string> failed;    // registrations that could not be written
    bool Sound() const { return installed && missing.empty() && failed.empty(); }
};
// Checks every listed component and writes again each registration of a present plug-in that is
// missing or names a library that is not there. Registrations that name another existing library
// are left as they are.
CInstallRepair CvlDetectAndRepair();
