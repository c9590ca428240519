// Control ids of the Your Addresses dialog.
#pragma once

#define IDD_YOUR_ADDRESSES 160

#define IDC_ADDR_INTRO 1200
#define IDC_ADDR_LEGEND 1201
#define IDC_ADDR_STATUS 1202
#define IDC_ADDR_COPY_SERVER 1203
// Made at opening, one per row: the row's text and its Copy button.
#define IDC_ADDR_ROW_FIRST 1210
#define IDC_ADDR_COPY_FIRST 1240
#define ADDR_MAX_ROWS 16
