// Resource numbers. Each snap-in owns a block in which its commands, controls
// and strings share the numbering; the snap-in's own number is also the id of
// its name string, menu, accelerator table, toolbar and bitmap.
#pragma once

// Toolbar resources, in the 16-bit layout of version 1.
#define RT_TOOLBAR_DATA           241

// ---- shared by all snap-ins ----
#define IDS_SELECT_TOOL_HINT      1101
#define IDS_STATUS_SUCCESS_TEXT   2010
#define IDS_STATUS_FAILED_TEXT    2011
#define IDS_STATUS_PROGRESS_TEXT  2012
#define IDS_STATUS_CANCELLING_TEXT 2013
#define IDS_STATUS_CANCELED_TEXT  2014
#define IDS_ERROR_CAPTION_TEXT    2021
#define IDS_ERROR_UNKNOWN_TEXT    2023
#define IDS_UNREADABLE_ANSWER     2024

// ---- snap-in numbers (names, menus, accelerators, toolbars) ----
#define IDS_SNAPIN_PLAIN          15000
#define IDS_SNAPIN_DRIVES         15001
#define IDS_SNAPIN_EVENTVIEWER    15002
#define IDS_SNAPIN_TASKMANAGER    15003
#define IDS_SNAPIN_REGISTRY       15004
#define IDS_SNAPIN_SERVICES       15005
#define IDS_SNAPIN_SHARES         15006
#define IDS_SNAPIN_INVENTORY      15007
#define IDS_SNAPIN_CONSOLE        15008
#define IDS_SNAPIN_SYSTEMCONTROL  15009
#define IDS_SNAPIN_USERS          15010

// ---- Disk Drives (15001): 400-440, 1000-1040, 1102-1114, 32875 ----
#define IDS_DDS_NAME              403
#define IDS_DDS_TYPE              404
#define IDS_DDS_TOTAL_SIZE        405
#define IDS_DDS_FREE_SPACE        406
#define IDS_DDS_GROUP_HARD        407
#define IDS_DDS_GROUP_REMOVABLE   408
#define IDS_DDS_GROUP_NETWORK     409
#define IDS_DDS_GROUP_RAM         410
#define IDS_DDS_GROUP_TINY        411
#define IDS_DDS_GROUP_MEDIUM      412
#define IDS_DDS_GROUP_LARGE       413
#define IDS_DDS_GROUP_HUGE        414
#define IDS_DDS_GROUP_GIGANTIC    415
#define IDS_DDS_GROUP_NOSIZE      416
#define IDS_DDS_GROUP_UNSPECIFIED 417
#define IDS_DDS_GROUP_OTHER       418
#define IDS_DDS_GROUP_FREE        425
#define IDS_DDS_PROPERTIES_OF     426
#define IDS_DDS_SELECTION_STATUS  430
#define IDS_DDS_FILE_SYSTEM       431
#define IDS_DDS_TOTAL_USED        432
#define IDS_DDS_FREE_PERCENT      433
#define IDS_DDS_USED_PERCENT      434
#define IDS_DDS_GROUP_USED        435
#define IDS_DDS_PROPERTIES        436
#define IDC_DDS_LIST              15002
#define IDM_DDS_CONTEXT           1500
#define IDD_DDS_PROPERTIES        1002
#define IDC_DDS_DRIVE_LETTER      1004
#define IDC_DDS_VOLUME_NAME       1006
#define IDC_DDS_FILE_SYSTEM       1008
#define IDC_DDS_SERIAL            1010
#define IDC_DDS_SIZE_BYTES        1012
#define IDC_DDS_FREE_BYTES        1014
#define IDC_DDS_TOTAL_CLUSTERS    1016
#define IDC_DDS_FREE_CLUSTERS     1018
#define IDC_DDS_SECTORS           1020
#define IDC_DDS_BYTES_SECTOR      1022
#define IDC_DDS_FLAG_STREAMS      1028
#define IDC_DDS_FLAG_OBJECT_IDS   1029
#define IDC_DDS_FLAG_REPARSE      1030
#define IDC_DDS_FLAG_SPARSE       1031
#define IDC_DDS_FLAG_QUOTAS       1032
#define IDC_DDS_FLAG_CASE         1033
#define IDC_DDS_FLAG_COMPRESSION  1034
#define IDC_DDS_FLAG_ENCRYPTION   1035
#define IDC_DDS_FLAG_UNICODE      1036
#define IDC_DDS_FLAG_COMPRESSED   1037
#define IDC_DDS_FLAG_PRESERVES    1039
#define IDC_DDS_FLAG_ACLS         1040
#define ID_DDS_VIEWS              1102
#define ID_DDS_LARGE_ICONS        1108
#define ID_DDS_SMALL_ICONS        1109
#define ID_DDS_LIST               1110
#define ID_DDS_DETAILS            1111
#define ID_DDS_SHOW_GROUPS        1112
#define ID_DDS_REFRESH_MENU       1113
#define ID_DDS_REFRESH            1114
#define ID_DDS_PROPERTIES         32875
