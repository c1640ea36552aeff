// Numeric resource identifiers shared by the resource scripts and the code.
#pragma once

#define IDI_TONALIX 1

#define IDR_MAINMENU 100
#define IDR_TRAYMENU 101

// Menu commands start above IDOK/IDCANCEL so dialog navigation never triggers one.
#define IDM_OPTIONS 200
#define IDM_CLOSE 201
#define IDM_EXIT 202
#define IDM_HELP 203
#define IDM_ABOUT 204
#define IDM_OPEN 210
#define IDM_WEBSITE 211
#define IDM_QUIT 212
