// Resource and command ids; the numbers are fixed by the program's files and peers.
#pragma once

// Icons
#define IDI_QUILLMATE 137
#define IDI_HISTORY_1 138
#define IDI_HISTORY_2 139
#define IDI_HISTORY_3 140
#define IDI_HISTORY_OFF 141

// Menus
#define IDR_COMMAND_MENU 131
#define IDR_TEXT_MENU 147

// Dialogs
#define IDD_EDIT_PAD 129
#define IDD_REGISTERED_TEXTS 130
#define IDD_SETTINGS 133
#define IDD_HOTKEYS 144

// Registered-text dialog controls
#define IDC_REGTEXT_ADD 1010
#define IDC_REGTEXT_EDIT 1011
#define IDC_REGTEXT_DELETE 1012
#define IDC_REGTEXT_LIST 1013

// Edit pad controls
#define IDC_EDITPAD_EDIT 1014

// Commands (WM_COMMAND ids of the main window)
#define IDM_QUIT 40001
#define IDM_ABOUT 40002
#define IDM_SETTINGS 40003
#define IDM_HOTKEYS 40004
#define IDM_TEXT_NONE 40007
#define IDM_REGISTER_TEXT 40031
#define IDM_IP_ADDRESS 40034
#define IDM_DATE_TIME 40045
#define IDM_EDIT_REGISTERED 40049
#define IDM_CLEAR_HISTORY 40050
#define IDM_HISTORY_ON_OFF 40054
#define IDM_CLEAR_CLIPBOARD 40055
#define IDM_TEXT_MENU 40056
#define IDM_COMMAND_MENU 40057

// Edit pad system menu
#define IDM_ALWAYS_ON_TOP 40041

// About box items (its template is built in memory)
#define IDC_ABOUT_ICON 100
#define IDC_ABOUT_NAME 101
#define IDC_ABOUT_LINK 102
#define IDC_ABOUT_RESOURCES 103
