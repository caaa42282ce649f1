// The program's command ids, each with one name and one number, for every layer: the document core
// answers and enables commands by these numbers, the views and the shell put them on menus and bars.
//
// A command's number is fixed: the framework's numbers (57600 and up) and ours. Its help context is
// HID_BASE_COMMAND + number (the bases of the other help contexts are in platform/strings.h). wx
// takes menu and window ids only below 0x8000, so the wx layers hand wx WxCommandId(number), never the
// number itself, and turn a wx id back into the number with CommandOfWxId. Our numbers below 0x8000
// are the same in both.
//
// The main window's bars and their controls take ids from the same range: a bar's id is also the
// command that shows or hides it.
#pragma once

constexpr int WxCommandId(int command) {
    return command >= 0x8000 ? command - 0x8000 : command;
}
// The number of a command from its wx id; only for commands numbered from 0x8000 up.
constexpr int CommandOfWxId(int wxId) {
    return wxId + 0x8000;
}

constexpr unsigned HID_BASE_COMMAND = 0x10000u;
constexpr unsigned CvlCommandHelpId(int command) {
    return HID_BASE_COMMAND + unsigned(command);
}

// File
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PAGE_SETUP = 57605;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_MRU_FILE1 = 57616;  // to 57631; four are used
constexpr int ID_FILE_MRU_LAST = 57631;
constexpr int ID_FILE_IMPORT = 40003;
constexpr int ID_FILE_EXPORT = 40004;
constexpr int ID_FILE_PROPERTIES = 40082;
constexpr int ID_FILE_UPLOAD = 40112;
constexpr int ID_FILE_REPORT = 40118;
constexpr int ID_APP_EXIT = 57665;

// Edit; the event list's menu takes the same commands.
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_DELETE_RECORDS = 40035;

// View
constexpr int ID_VIEW_FLOCK = 40001;  // Multiple Records
constexpr int ID_VIEW_SHEEP = 40002;  // Individual Records
constexpr int ID_VIEW_ANTECEDANTS = 40090;
constexpr int ID_VIEW_ADDRESSES = 40127;
constexpr int ID_VIEW_OPTIONS = 40029;  // Options | View...
constexpr int ID_VIEW_STATUS_BAR = 59393;
constexpr int ID_GO_BACK = 40085;
constexpr int ID_GO_FORWARD = 40087;

// View | Reports: the breed's reports are ID_REPORT_BASE + the report's identifier, to ID_REPORT_LAST.
// The breed finds the submenu in the menu whose first item is ID_VIEW_FLOCK.
constexpr int ID_REPORTS_MENU_LAST = 40111;  // last item of the Reports submenu
constexpr int ID_REPORT_BASE = 40103;
constexpr int ID_REPORT_LAST = 40110;

// The animals: moving through the flock and the record's menu.
constexpr int ID_SHEEP_FIRST = 40010;
constexpr int ID_SHEEP_NEXT = 40011;
constexpr int ID_SHEEP_PREVIOUS = 40012;
constexpr int ID_SHEEP_LAST = 40013;
constexpr int ID_SHEEP_ADD = 40014;
constexpr int ID_SHEEP_GOTO = 40015;
constexpr int ID_SHEEP_SIGNET = 40119;
constexpr int ID_MULTIPLE_DATA_ENTRY = 40022;

// The flock list
constexpr int ID_COLUMN_SORT = 40084;
constexpr int ID_RECORD_DETAILS = 40128;

// The record filter's switches and extraction
constexpr int ID_FILTER_RAMS = 40005;
constexpr int ID_FILTER_EWES = 40006;
constexpr int ID_FILTER_ADULTS = 40007;
constexpr int ID_FILTER_SHEARLINGS = 40008;
constexpr int ID_FILTER_LAMBS = 40009;
constexpr int ID_EXTRACT_TYPE = 40020;
constexpr int ID_EXTRACT_YEAR = 40021;
constexpr int ID_EXTRACT_DATE = 277;

// Options and Operations
constexpr int ID_OPTIONS_FARM = 40017;
constexpr int ID_OPTIONS_EVENTS = 40018;
constexpr int ID_OPERATIONS_TUPPING = 40019;
constexpr int ID_OPERATIONS_LAMBING = 40023;
constexpr int ID_GET_IMAGE = 301;
// Operations | Electronic ID Management; Auto Scan IDs is also the tray menu's item, the status
// bar's scan pane and that pane's text.
constexpr int ID_EID_AUTOSCAN = 59135;
constexpr int ID_EID_DOWNLOAD = 40123;
constexpr int ID_EID_UPLOAD = 40124;

// Help
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_WHATS_THIS = 57670;
constexpr int ID_HELP_DETECT_AND_REPAIR = 40117;
constexpr int ID_APP_ABOUT = 57664;

// The event list's menu
constexpr int ID_EVENT_ADD = 40044;
constexpr int ID_EVENT_EDIT = 40042;
constexpr int ID_EVENT_FILTER = 40041;
constexpr int ID_EVENT_SORT = 40101;

// The address browser's menu
constexpr int ID_ADDRESS_ADD = 297;
constexpr int ID_VIEW_DETAILS = 40102;
constexpr int ID_ADDRESS_MOVEMENTS = 40129;

// The antecedants' menu
constexpr int ID_VIEW_SIRE = 40091;
constexpr int ID_VIEW_DAM = 40092;
constexpr int ID_HIDE = 40093;

// The main window's bars and their controls
constexpr int ID_BAR_STANDARD = 40025;
constexpr int ID_BAR_NAVIGATOR = 40026;
constexpr int ID_BAR_FILTER = 40027;
constexpr int ID_BAR_REPORTING = 40049;
constexpr int ID_TOOLBAR_CUSTOMIZE = 40120;
constexpr int ID_ZOOM_BOX = 40095;
constexpr int ID_YEAR_ENTER = 40126;
constexpr int ID_YEAR_SPIN = 40028;
constexpr int ID_DATE_AREA = 144;
constexpr int ID_REPORT_TYPE = 40050;
constexpr int ID_REPORT_YEAR = 40051;
constexpr int ID_REPORT_SEX = 40052;

// The status bar's lock panes; each pane's number is also its text's string number.
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;
// The string number of the message pane's idle prompt.
constexpr unsigned AFX_IDS_IDLEMESSAGE = 0xE001;
