// Control ids of the address book. Row buttons 1 and 2 share their numbers with the main window's
// Ping and Telnet buttons; each template has its own id space.
#pragma once

#define IDC_BOOK_PING1 1002
#define IDC_BOOK_PING2 1003
#define IDC_BOOK_PING3 1004
#define IDC_BOOK_PING4 1005
#define IDC_BOOK_PING5 1006
#define IDC_BOOK_TELNET1 1085
#define IDC_BOOK_TELNET2 1086
#define IDC_BOOK_TELNET3 1087
#define IDC_BOOK_TELNET4 1088
#define IDC_BOOK_TELNET5 1089
#define IDC_BOOK_JOIN1 1111
#define IDC_BOOK_JOIN2 1112
#define IDC_BOOK_JOIN3 1113
#define IDC_BOOK_JOIN4 1114
#define IDC_BOOK_JOIN5 1115
#define IDC_BOOK_IP1 1128
#define IDC_BOOK_IP2 1129
#define IDC_BOOK_IP3 1130
#define IDC_BOOK_PORT1 1131
#define IDC_BOOK_PORT2 1132
#define IDC_BOOK_PORT3 1133
#define IDC_BOOK_IP4 1134
#define IDC_BOOK_IP5 1135
#define IDC_BOOK_PORT4 1136
#define IDC_BOOK_PORT5 1137
#define IDC_BOOK_TITLE 1146
