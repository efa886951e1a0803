/* Resource and control identifiers of Pellam.exe, by dialog. Shared by the
   resource script and the code. */
#ifndef PELLAM_RESOURCE_IDS_H
#define PELLAM_RESOURCE_IDS_H

/* Pictures, icon, cursor */
#define IDB_RELAY_NC 100
#define IDB_RELAY_NO 101
#define IDB_READY 102
#define IDB_NOT_READY 103
#define IDB_RELAY_BLANK 104
#define IDB_LOGO 200
#define IDB_EDIT_RELAY 320
#define IDB_SCRIPTS 800
#define IDB_SCRIPT_BUTTONS 802
#define IDI_PELLAM 300
#define IDR_HAND_CURSOR 700

/* Main window (template 1000) and menu 10000 */
#define IDD_MAIN 1000
#define IDC_RELAY1_NAME 1001 /* ..1005 */
#define IDC_CONNECT 1006
#define IDC_DISCONNECT 1007
#define IDC_EXIT 1008
#define IDC_STATUS_BAR 1009
#define IDC_BOARD_BOX 1010
#define IDC_ADD_DEVICE 1011
#define IDC_SET_DEFAULT 1012
#define IDC_DELETE_DEVICE 1013
#define IDC_RELAY1_EDIT 1015 /* ..1019 */
#define IDC_RELAY1_GROUP 1020 /* ..1024 */
#define IDC_LOGO 1025
#define IDC_RELAY_SCRIPTS 1026
#define IDC_FIRMWARE_LABEL 1027
#define IDC_BUILD_LABEL 1028
#define IDC_BUILD_NUMBER 1029
#define IDC_RELAY1_LABEL 1030 /* ..1034 */
#define IDC_FIRMWARE_VERSION 1035
#define IDC_READY_INDICATOR 1036
#define IDC_RELAY1_PICTURE 2000 /* ..2004 */
#define IDM_MAIN 10000
#define IDM_EXIT 10001
#define IDM_ABOUT 10101
#define IDM_RELAY_OPTIONS 10201

/* Add Device (template 1200) */
#define IDD_ADD_DEVICE 1200
#define IDC_ADD_REFRESH 1201
#define IDC_ADD_HIDDEN_TEXT 1202
#define IDC_ADD_LIST 1203
#define IDC_ADD_ADD 1204

#endif
