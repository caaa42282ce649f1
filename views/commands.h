// Command ids of the program's menus. The commands keep the framework's and the program's numbers,
// from which help contexts are built (0x10000 + command); wx takes menu ids only below 0x7FFF, so the
// numbers from 0x8000 up are shifted down by 0x8000 for wx.
#pragma once

constexpr int WxCommandId(int command) {
    return command >= 0x8000 ? command - 0x8000 : command;
}

// File
constexpr int ID_FILE_NEW = WxCommandId(57600);
constexpr int ID_FILE_OPEN = WxCommandId(57601);
constexpr int ID_FILE_CLOSE = WxCommandId(57602);
constexpr int ID_FILE_SAVE = WxCommandId(57603);
constexpr int ID_FILE_SAVE_AS = WxCommandId(57604);
constexpr int ID_FILE_PAGE_SETUP = WxCommandId(57605);
constexpr int ID_FILE_PRINT_SETUP = WxCommandId(57606);
constexpr int ID_FILE_PRINT = WxCommandId(57607);
constexpr int ID_FILE_PRINT_PREVIEW = WxCommandId(57609);
constexpr int ID_FILE_MRU_FILE1 = WxCommandId(57616);  // to 57631; four are used
constexpr int ID_FILE_MRU_LAST = WxCommandId(57631);
constexpr int ID_APP_EXIT = WxCommandId(57665);
constexpr int ID_APP_ABOUT = WxCommandId(57664);
constexpr int ID_HELP_FINDER = WxCommandId(57667);
constexpr int ID_CONTEXT_HELP = WxCommandId(57669);
constexpr int ID_FILE_REPORT = WxCommandId(40118);
constexpr int ID_HELP_DETECT_AND_REPAIR = WxCommandId(40117);

// Edit
constexpr int ID_EDIT_COPY = WxCommandId(57634);
constexpr int ID_EDIT_CUT = WxCommandId(57635);
constexpr int ID_EDIT_PASTE = WxCommandId(57637);
constexpr int ID_EDIT_SELECT_ALL = WxCommandId(57642);
constexpr int ID_EDIT_DELETE_RECORDS = WxCommandId(40035);

// View
constexpr int ID_VIEW_FLOCK = WxCommandId(40001);  // Multiple Records
constexpr int ID_VIEW_SHEEP = WxCommandId(40002);  // Individual Records
constexpr int ID_VIEW_ANTECEDANTS = WxCommandId(40090);
constexpr int ID_VIEW_ADDRESSES = WxCommandId(40127);
constexpr int ID_VIEW_OPTIONS = WxCommandId(40029);
constexpr int ID_VIEW_STATUS_BAR = WxCommandId(59393);

// Flock list
constexpr int ID_COLUMN_SORT = WxCommandId(40084);
constexpr int ID_RECORD_DETAILS = WxCommandId(40128);
constexpr int ID_MULTIPLE_DATA_ENTRY = WxCommandId(40022);

// Operations | Electronic ID Management | Auto Scan IDs, also the tray menu's item and the scan pane.
constexpr int ID_EID_AUTOSCAN = WxCommandId(59135);

// Operations | Get Image from Scanner or Camera.
constexpr int ID_GET_IMAGE = 301;

// Status-bar panes
constexpr int ID_INDICATOR_AUTOSCAN = 59135;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;

// The idle prompt of the message pane.
constexpr unsigned AFX_IDS_IDLEMESSAGE = 0xE001;
// Status-bar texts.
constexpr unsigned IDS_RECORD_PANE = 1018;
constexpr unsigned IDS_NOT_INSTALLED = 115;

// Document template resource ids.
constexpr int IDR_SHEEPTYPE = 158;  // record view
constexpr int IDR_FLOCKTYPE = 159;  // flock list
constexpr int IDR_REPORTTYPE = 157;
constexpr int IDR_ANTECEDANTS = 154;
constexpr int IDR_ADDRESSES = 160;
