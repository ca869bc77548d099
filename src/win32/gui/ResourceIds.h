#pragma once

// Identifiers shared by the window's resource script and its code.
#define IDI_TESSEL 1
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101
#define IDM_FILE_EXIT 200
#define IDM_HELP_HELP 201
#define IDM_HELP_VERINFO 202
