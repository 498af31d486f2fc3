// Resource numbers of Local Users and Groups (15010): commands, controls and
// strings share the block 11100-11217; the pane, dialogs and property pages
// 11500-11557; the context menu 11600; the snap-in's menu, accelerators and
// toolbar carry its own number. Only #define lines: the resource compiler
// reads this file.
//
// Block: 11100-11217 11500-11557 11600 15010
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// New 1, Delete 2, Properties 9, Set Password 26.
#pragma once

// ---- menu, accelerators and toolbar of the snap-in; context menu ----
#define IDR_USR_SNAPIN                15010
#define IDM_USR_CONTEXT               11600

// ---- commands ----
#define ID_USR_REFRESH                11100
#define ID_USR_RENAME                 11101
#define ID_USR_PROPERTIES             11102
#define ID_USR_DELETE                 11103
#define ID_USR_NEW                    11104
#define ID_USR_SET_PASSWORD           11105

// ---- strings ----
#define IDS_USR_TAB_USERS             11200
#define IDS_USR_TAB_GROUPS            11201
#define IDS_USR_COLUMN_NAME           11202
#define IDS_USR_COLUMN_FULL_NAME      11203
#define IDS_USR_COLUMN_DESCRIPTION    11204
#define IDS_USR_COLUMN_GROUP_NAME     11205
#define IDS_USR_CONFIRM_DELETE_USER   11206
#define IDS_USR_CONFIRM_DELETE_GROUP  11207
#define IDS_USR_PASSWORDS_DIFFER      11208
#define IDS_USR_CAPTION               11209
#define IDS_USR_PASSWORD_CHANGED      11210
#define IDS_USR_BAD_NAME              11211
#define IDS_USR_USER_PROPERTIES       11212
#define IDS_USR_GROUP_PROPERTIES      11213
#define IDS_USR_NEW_USER_SHORTCUT     11214
#define IDS_USR_NEW_USER              11215
#define IDS_USR_NEW_GROUP_SHORTCUT    11216
#define IDS_USR_NEW_GROUP             11217

// ---- the pane (11500) ----
#define IDD_USR_PANE                  11500
#define IDC_USR_TABS                  11501
#define IDC_USR_USERS                 11502
#define IDC_USR_GROUPS                11503

// ---- Set Password (11510) ----
#define IDD_USR_SET_PASSWORD          11510
#define IDC_USR_PASSWORD              11511
#define IDC_USR_CONFIRM_PASSWORD      11512

// ---- New User (11520); also the fields of the property pages ----
#define IDD_USR_NEW_USER              11520
#define IDC_USR_NAME                  11521
#define IDC_USR_FULL_NAME             11522
#define IDC_USR_DESCRIPTION           11523
#define IDC_USR_MUST_CHANGE           11524
#define IDC_USR_CANNOT_CHANGE         11525
#define IDC_USR_NEVER_EXPIRES         11526
#define IDC_USR_DISABLED              11527

// ---- New Group (11530) and the group's General page (11535) ----
#define IDD_USR_NEW_GROUP             11530
#define IDC_USR_MEMBERS               11531
#define IDC_USR_ADD_MEMBER            11532
#define IDC_USR_REMOVE_MEMBER         11533
#define IDD_USR_GROUP_GENERAL         11535

// ---- the user's pages: General (11540), Member Of (11545), Profile (11550) ----
#define IDD_USR_USER_GENERAL          11540
#define IDC_USR_LOCKED_OUT            11541
#define IDD_USR_MEMBER_OF             11545
#define IDC_USR_ADD_GROUP             11546
#define IDC_USR_REMOVE_GROUP          11547
#define IDD_USR_PROFILE               11550
#define IDC_USR_PROFILE_PATH          11551
#define IDC_USR_LOGON_SCRIPT          11552
#define IDC_USR_LOCAL_PATH            11553
#define IDC_USR_LOCAL_PATH_TEXT       11554
#define IDC_USR_CONNECT               11555
#define IDC_USR_DRIVE                 11556
#define IDC_USR_NETWORK_PATH          11557

// ---- help contexts ----
#define IDH_USR_USERS                 701
#define IDH_USR_GROUPS                702
#define IDH_USR_SET_PASSWORD          703
#define IDH_USR_NEW_USER              704
#define IDH_USR_NEW_GROUP             705
#define IDH_USR_USER_GENERAL          706
#define IDH_USR_MEMBER_OF             707
#define IDH_USR_PROFILE               708
#define IDH_USR_GROUP_GENERAL         709
