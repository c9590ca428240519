// Resource ids of the Settings Location dialog and its system-menu item.
#pragma once

#define IDD_SETTINGS_LOCATION 170

#define IDC_SL_MACHINE_KEY 1300
#define IDC_SL_MACHINE_STATE 1301
#define IDC_SL_USER_KEY 1302
#define IDC_SL_USER_STATE 1303
#define IDC_SL_VIRTUALIZED 1304
#define IDC_SL_VALUES 1305
#define IDC_SL_DETAIL 1306
#define IDC_SL_RUNAS 1307
#define IDC_SL_EXPLANATION 1308
#define IDC_SL_MATCH 1309
#define IDC_SL_FORGET 1310

// System-menu command of the main window that opens the dialog.
#define IDM_SETTINGS_LOCATION 0x0040
