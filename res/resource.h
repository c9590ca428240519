// Resource ids of the program's templates, strings and pictures.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TOOLKIT_DIALOG 102
#define IDR_MAINFRAME 129
#define IDB_TITLE 138
#define IDB_ABOUT 142
#define IDD_PLAYER_CONFIG 146
#define IDD_SERVER_CONFIG 147
#define IDD_GENERAL_OPTIONS 151
#define IDD_ADDRESS_BOOK 155

// Combo-box lists of a dialog template: records of control id, message, length and string.
#define RT_DLGINIT_ID 240
#define DLGINIT_CB_ADDSTRING 0x0403
