// The main window's menu bar, built in one place. Its menus are known by their position on the bar,
// never by their titles; the items carry the wx ids of their commands (document/command_ids.h).
#pragma once

#include <cstddef>

class wxMenu;
class wxMenuBar;

// The menus in the order they stand on the bar.
enum CvlMainMenu : size_t {
    MENU_FILE,
    MENU_EDIT,
    MENU_VIEW,
    MENU_SHEEP,  // the animals: moving through the flock, adding, finding
    MENU_OPTIONS,
    MENU_OPERATIONS,
    MENU_HELP,
    MENU_COUNT
};

struct CMainMenus {
    wxMenuBar* bar = nullptr;
    // View | Reports: empty; the bars fill it with the active document's reports.
    wxMenu* reports = nullptr;
};

// A new menu bar with every menu and item of the main window.
CMainMenus BuildMainMenus();
