// The installer's product state: the program counts as installed when the installed layout is
// present under the install prefix. Tests and build-tree runs name another prefix with
// CVL_INSTALL_PREFIX.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// $CVL_INSTALL_PREFIX when set, else the prefix the program was built for.
std::string CvlInstallPrefix();
// The list of installed components, relative to the prefix.
constexpr const char* kCvlComponentList = "share/corvalen/components";
// True when the installed layout (its component list) is present.
bool CvlIsInstalled();
// The installed path of a component ("name=relative path" lines of the list), when it is listed
// and present.
std::optional<std::string> CvlGetComponentPath(std::string_view component);
