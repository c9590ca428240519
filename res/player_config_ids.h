// Control ids of the Player Config dialog.
#pragma once

#define IDC_PLAYER_NAME 1031
#define IDC_PRIMARY_WEAPON 1032
#define IDC_SECONDARY_WEAPON 1034
