// Control ids of the Host for Friends dialog, and its system-menu item.
#pragma once

#define IDD_HOST_FRIENDS 180
#define IDC_HOST_GAME 1400          // static: the game's name, e.g. "Orvanta"
#define IDC_HOST_PORT 1401          // edit: the port, filled from the main window's port field as it stands
#define IDC_HOST_OPEN 1402          // "&Open Port"
#define IDC_HOST_CLOSE_PORT 1403    // "C&lose Port"
#define IDC_HOST_COPY_LINK 1404     // "Copy &Link"  (disabled until a port is open)
#define IDC_HOST_COPY_ADDRESS 1405  // "Copy &Address" (disabled until a port is open)
#define IDC_HOST_RESULT 1406        // read-only multi-line edit: progress ("Looking for your router...") and results in plain words
// The dialog's "Close" button is IDCANCEL. Caption: "Host for Friends".
#define IDM_HOST_FRIENDS 0x0050     // system menu item "Host for Friends...", in the program's group, before About
