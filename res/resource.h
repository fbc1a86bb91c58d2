// Every resource and control identifier of the program. The numbers are part of
// the program's contract (dialog templates, menu commands, string table), so they
// never change; a test fails on duplicates. Control numbers are per dialog: the
// main dialog's share their space with the menu commands, each other dialog's
// controls (IDC_<DIALOG>_...) have a space of their own.
#pragma once

// Dialogs, menu, icon, accelerators
#define IDD_MAIN 101
#define IDI_PRINTER 102
#define IDR_MAIN_MENU 104
#define IDD_FONT_EDITOR 105
#define IDD_LOGO 106
#define IDR_ACCELERATORS 108
#define IDD_MAGSTRIPE 109
#define IDD_BARCODE 110
#define IDD_BLUETOOTH 112

// Main dialog controls
#define IDC_PORT 1000
#define IDC_CAPABILITIES 1001
#define IDC_PRINTER_NAME 1002
#define IDC_VOLTAGE 1003
#define IDC_TEMPERATURE 1004
#define IDC_DENSITY 1005
#define IDC_SPEED 1006
#define IDC_AUTO_OFF_EDIT 1007
#define IDC_STATUS 1008
#define IDC_IRDA_MAX_115200 1014
#define IDC_IRDA_MAX_57600 1015
#define IDC_IRDA_RELIABLE 1016
#define IDC_IRDA_RAW 1017
#define IDC_SWITCHES 1018
#define IDC_CONNECT_GET 1019
#define IDC_CONNECT_SET 1020
#define IDC_AUTO_OFF_SPIN 1021
#define IDC_BLACK_MARK 1022
// Target of the Ctrl+Alt+A accelerator; nothing handles it.
#define IDC_ACCEL_UNUSED 1023

// Magstripe test dialog controls
#define IDC_MAGSTRIPE_TRACK1 1044
#define IDC_MAGSTRIPE_TRACK2 1045
#define IDC_MAGSTRIPE_TRACK3 1046
#define IDC_MAGSTRIPE_TEXT1 1047
#define IDC_MAGSTRIPE_TEXT2 1048
#define IDC_MAGSTRIPE_TEXT3 1049

// Barcode dialog controls
#define IDC_BARCODE_DATA 1019
#define IDC_BARCODE_TYPE 1043
#define IDC_BARCODE_WIDTH_EDIT 1044
#define IDC_BARCODE_WIDTH_SPIN 1045
#define IDC_BARCODE_HEIGHT_EDIT 1046
#define IDC_BARCODE_HEIGHT_SPIN 1047
#define IDC_BARCODE_TEXT_POSITION 1048
#define IDC_BARCODE_TEXT_FONT 1049

// Bluetooth address dialog controls: six byte fields left to right, then the flag
#define IDC_BLUETOOTH_BYTE1 1050
#define IDC_BLUETOOTH_BYTE2 1051
#define IDC_BLUETOOTH_BYTE3 1052
#define IDC_BLUETOOTH_BYTE4 1053
#define IDC_BLUETOOTH_BYTE5 1054
#define IDC_BLUETOOTH_BYTE6 1055
#define IDC_BLUETOOTH_SHOW_BARCODE 1056

// Logo dialog controls (IDC_LOGO_...)
#define IDC_LOGO_PREVIEW 1024
#define IDC_LOGO_BLACK_WHITE 1025
#define IDC_LOGO_STRETCH 1026
#define IDC_LOGO_CENTER_HORIZONTAL 1027
#define IDC_LOGO_CENTER_VERTICAL 1028
#define IDC_LOGO_LOAD_OTHER 1042
#define IDC_LOGO_WIDTH 1043
#define IDC_LOGO_HEIGHT 1044
#define IDC_LOGO_AREA_WIDTH 1045
#define IDC_LOGO_AREA_HEIGHT 1046
// -- end of logo dialog controls --

// Font editor dialog controls (IDC_FONT_...)
#define IDC_FONT_A 1027
#define IDC_FONT_B 1028
#define IDC_FONT_GLYPH 1029
#define IDC_FONT_CODES 1030
#define IDC_FONT_PREVIEW 1031
#define IDC_FONT_CLEAR 1032
#define IDC_FONT_FILL 1033
#define IDC_FONT_INVERT 1034
#define IDC_FONT_BOX 1035
#define IDC_FONT_REVERT 1036
#define IDC_FONT_NULL 1037
#define IDC_FONT_LOAD 1038
#define IDC_FONT_SAVE 1039
#define IDC_FONT_NEW 1040
#define IDC_FONT_DOWNLOAD 1041
// -- end of font editor controls --

// Menu commands
#define IDM_FONT_EDITOR 40001
#define IDM_LOGO_EDITOR 40002
#define IDM_SPEED_1200 40007
#define IDM_SPEED_2400 40008
#define IDM_SPEED_4800 40009
#define IDM_SPEED_9600 40010
#define IDM_SPEED_19200 40011
#define IDM_SPEED_57600 40012
#define IDM_SPEED_115200 40013
#define IDM_SHORT_TEST 40014
#define IDM_LONG_TEST 40015
#define IDM_TOTAL_RESET 40016
#define IDM_DELETE_LOGO 40017
#define IDM_BEEP 40018
#define IDM_FIND_BLACKMARK 40019
#define IDM_TURN_OFF 40020
#define IDM_MAGSTRIPE 40021
#define IDM_BARCODE 40022
#define IDM_LOGO_NORMAL 40025
#define IDM_LOGO_DOUBLE_WIDTH 40026
#define IDM_LOGO_DOUBLE_HEIGHT 40027
#define IDM_LOGO_DOUBLED 40028
#define IDM_BLUETOOTH_NUMBER 40029
#define IDM_ABOUT 49152

// Strings: capability list item i shows IDS_CAPABILITY_FIRST + i,
// switch list item i shows IDS_SWITCH_FIRST + i.
#define IDS_CAPABILITY_FIRST 1
#define IDS_CAPABILITY_COUNT 13
#define IDS_SWITCH_FIRST 20
#define IDS_SWITCH_COUNT 8
#define IDS_SWITCH_NOT_USED 30
#define IDS_STATUS_ONLINE 31
#define IDS_STATUS_OUT_OF_PAPER 32
#define IDS_STATUS_LOW_BATTERY 33
#define IDS_STATUS_OVERHEAT 34

// Strings of the logo dialog and download: the caption format of the test
// print, then the names of logo modes 0 to 3 (IDS_LOGO_MODE_FIRST + mode).
#define IDS_LOGO_CAPTION 35
#define IDS_LOGO_MODE_FIRST 36
#define IDS_LOGO_MODE_COUNT 4
// -- end of logo strings --

// Strings of the font editor
#define IDS_FONT_RESET_FIRST 40
#define IDS_FONT_DISCARD_FONT 41
#define IDS_FONT_DISCARD_SYMBOL 42
#define IDS_FONT_PRINT_TEST 43
// -- end of font editor strings --
