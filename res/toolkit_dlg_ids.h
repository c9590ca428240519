// Control ids of the main window.
#pragma once

#define IDC_SERVER_ADDRESS 1000
#define IDC_JOIN 1001
#define IDC_PING 1002
#define IDC_CREATE 1012
#define IDC_PORT 1013
#define IDC_ABOUT 1014
#define IDC_PLAYER_CONFIG 1015
#define IDC_LOCAL_IP 1024
#define IDC_SELECT_OV 1027
#define IDC_SELECT_BM 1028
#define IDC_SELECT_MH 1029
#define IDC_SERVER_CONFIG 1034
#define IDC_GENERAL_OPTIONS 1035
#define IDC_ADDRESS_BOOK 1055
#define IDC_TELNET 1085

// System-menu commands: the About item, and the items before it.
#define IDM_ABOUTBOX 0x0010
#define IDM_YOUR_ADDRESSES 0x0020
#define IDM_OPEN_LINKS 0x0030
