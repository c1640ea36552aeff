// Numeric resource identifiers shared by the resource scripts and the code.
#pragma once

#define IDI_TONALIX 1
#define IDR_MAINMENU 100
#define IDR_TRAYMENU 101
#define IDS_NONE 0
