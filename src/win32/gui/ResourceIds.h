#pragma once

// Identifiers shared by the window's resource script and its code.
#define IDI_TESSEL 1
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101
#define IDM_FILE_EXIT 200
#define IDM_HELP_HELP 201
#define IDM_HELP_VERINFO 202
#define IDM_FILE_EDIT_LIST 203
#define IDM_FILE_RELOAD_LIST 204
#define IDM_FILE_MARK_ALL 205
#define IDM_FILE_UNMARK_ALL 206
#define IDM_UPDATE 207
#define IDM_FILE_UNDO 208
#define IDM_STORE_MENU 209
// The store menu's items, filled in when it opens.
#define IDM_STORE_FIRST 300
#define IDM_STORE_LAST 399
