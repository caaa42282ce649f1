#include "shell/main_menus.h"

#include <wx/menu.h>

#include <initializer_list>

#include "document/command_ids.h"

namespace {

constexpr int kSeparator = 0;

struct CMenuItem {
    int command;  // kSeparator for a separator
    const char* text = "";
    bool check = false;
};

wxMenu* AppendItems(wxMenu* menu, std::initializer_list<CMenuItem> items) {
    for (const CMenuItem& item : items) {
        if (item.command == kSeparator)
            menu->AppendSeparator();
        else if (item.check)
            menu->AppendCheckItem(WxCommandId(item.command), item.text);
        else
            menu->Append(WxCommandId(item.command), item.text);
    }
    return menu;
}

wxMenu* NewMenu(std::initializer_list<CMenuItem> items) {
    return AppendItems(new wxMenu, items);
}

wxMenu* ViewMenu(wxMenu* reports) {
    wxMenu* view = NewMenu({{ID_VIEW_FLOCK, "&Multiple Records", true},
                            {ID_VIEW_SHEEP, "&Individual Records", true},
                            {ID_VIEW_ANTECEDANTS, "&Antecedants", true},
                            {ID_VIEW_ADDRESSES, "A&ddresses", true},
                            {kSeparator},
                            {ID_VIEW_STATUS_BAR, "&Status Bar", true}});
    view->AppendSubMenu(reports, "&Reports");
    AppendItems(view, {{kSeparator}, {ID_GO_BACK, "Go &Back"}, {ID_GO_FORWARD, "Go &Forward"}});
    view->AppendSubMenu(NewMenu({{ID_BAR_STANDARD, "&Standard", true},
                                 {ID_BAR_NAVIGATOR, "Record &Navigator", true},
                                 {ID_BAR_FILTER, "Record &Filter", true},
                                 {ID_BAR_REPORTING, "&Reporting", true},
                                 {kSeparator},
                                 {ID_TOOLBAR_CUSTOMIZE, "&Customize..."}}),
                        "&Toolbars");
    return view;
}

wxMenu* OperationsMenu() {
    wxMenu* operations =
        NewMenu({{ID_OPERATIONS_TUPPING, "&Tupping..."}, {ID_OPERATIONS_LAMBING, "&Lambing..."}});
    operations->AppendSubMenu(
        NewMenu({{ID_EID_AUTOSCAN, "&Auto Scan IDs", true}, {ID_EID_DOWNLOAD, "&Download"}}),
        "&Electronic ID Management");
    AppendItems(operations, {{ID_GET_IMAGE, "&Get Image from Scanner or Camera"}});
    return operations;
}

}  // namespace

CMainMenus BuildMainMenus() {
    CMainMenus menus;
    menus.reports = new wxMenu;
    menus.bar = new wxMenuBar;
    // Appended in the order of CvlMainMenu.
    menus.bar->Append(NewMenu({{ID_FILE_NEW, "&New\tCtrl+N"},
                               {ID_FILE_OPEN, "&Open...\tCtrl+O"},
                               {ID_FILE_CLOSE, "&Close"},
                               {ID_FILE_SAVE, "&Save\tCtrl+S"},
                               {ID_FILE_SAVE_AS, "Save &As..."},
                               {kSeparator},
                               {ID_FILE_IMPORT, "&Import..."},
                               {ID_FILE_EXPORT, "&Export..."},
                               {ID_FILE_UPLOAD, "&Upload..."},
                               {kSeparator},
                               {ID_FILE_REPORT, "&Report..."},
                               {kSeparator},
                               {ID_FILE_PROPERTIES, "Propert&ies"},
                               {kSeparator},
                               {ID_FILE_PAGE_SETUP, "Page Set&up..."},
                               {ID_FILE_PRINT, "&Print...\tCtrl+P"},
                               {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
                               {kSeparator},
                               {ID_APP_EXIT, "E&xit"}}),
                      "&File");
    menus.bar->Append(NewMenu({{ID_EDIT_COPY, "&Copy\tCtrl+C"},
                               {ID_EDIT_PASTE, "&Paste\tCtrl+V"},
                               {ID_EDIT_SELECT_ALL, "Select &All\tCtrl+A"},
                               {kSeparator},
                               {ID_EDIT_DELETE_RECORDS, "&Delete\tDel"}}),
                      "&Edit");
    menus.bar->Append(ViewMenu(menus.reports), "&View");
    menus.bar->Append(NewMenu({{ID_SHEEP_FIRST, "&First"},
                               {ID_SHEEP_PREVIOUS, "&Previous"},
                               {ID_SHEEP_NEXT, "&Next"},
                               {ID_SHEEP_LAST, "&Last"},
                               {kSeparator},
                               {ID_SHEEP_ADD, "&Add..."},
                               {ID_SHEEP_GOTO, "&Goto..."},
                               {ID_SHEEP_SIGNET, "&Signet Averages..."},
                               {kSeparator},
                               {ID_MULTIPLE_DATA_ENTRY, "&Multiple Data Entry..."}}),
                      "&Dedov");
    menus.bar->Append(NewMenu({{ID_OPTIONS_FARM, "&Farm..."},
                               {ID_OPTIONS_EVENTS, "&Event Database..."},
                               {ID_VIEW_OPTIONS, "&View..."}}),
                      "&Options");
    menus.bar->Append(OperationsMenu(), "O&perations");
    menus.bar->Append(NewMenu({{ID_HELP_FINDER, "&Help Topics\tF1"},
                               {kSeparator},
                               {ID_HELP_DETECT_AND_REPAIR, "&Detect and Repair..."},
                               {ID_APP_ABOUT, "&About Corvalen..."}}),
                      "&Help");
    return menus;
}
