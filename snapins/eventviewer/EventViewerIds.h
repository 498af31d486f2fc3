// Resource numbers of the Event Viewer (15002): its commands, controls and
// strings share the numbering; the snap-in's menu, accelerators, toolbar and
// name carry its own number. Only #define lines: the resource compiler reads
// this file.
//
// Block: 620-625 9001-9009 9100-9199 9201-9212 9300-9340 9500 10193 15002 15103-15108
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// Save 16, Open 15, Properties 9, Clear 17, Stop 25.
#pragma once

// ---- dialogs ----
#define IDD_ELS_MAIN                  9001
#define IDD_ELS_EVENT_PROPERTIES      9003
#define IDD_ELS_LOG_PROPERTIES        9004

// ---- help contexts ----
#define IDH_ELS_MAIN                  620
#define IDH_ELS_LOG_PROPERTIES        621

// ---- controls of the main dialog ----
#define IDC_ELS_TABS                  15103
#define IDC_ELS_APPLICATION_LIST      15104
#define IDC_ELS_SECURITY_LIST         15106
#define IDC_ELS_SYSTEM_LIST           15107
#define IDC_ELS_FILES_LIST            15108

// ---- controls of the properties dialogs ----
#define IDC_ELS_EVENT_APPLY           9106
#define IDC_ELS_EVENT_TABS            9107
#define IDC_ELS_LOG_TABS              9132
#define IDC_ELS_LOG_APPLY             9133

// ---- commands of the menus ----
#define ID_ELS_REFRESH                9201
#define ID_ELS_LOG_PROPERTIES         9202
#define ID_ELS_SAVE                   9203
#define ID_ELS_CLEAR                  9204
#define ID_ELS_OPEN                   9205
#define ID_ELS_EVENT_PROPERTIES       9206

// ---- commands of the toolbar ----
#define ID_ELS_TB_STOP                9207
#define ID_ELS_TB_PROPERTIES          9208
#define ID_ELS_TB_SAVE                9209
#define ID_ELS_TB_OPEN                9210
#define ID_ELS_TB_CLEAR               9211
#define ID_ELS_TB_REFRESH             9212

// ---- the snap-in's own menu, accelerators and toolbar; the context menu ----
#define IDR_ELS_SNAPIN                15002
#define IDM_ELS_CONTEXT               9500

// ---- strings ----
#define IDS_ELS_APPLICATION           9300
#define IDS_ELS_SECURITY              9301
#define IDS_ELS_SYSTEM                9302
#define IDS_ELS_TYPE                  9303
#define IDS_ELS_DATE                  9304
#define IDS_ELS_TIME                  9305
#define IDS_ELS_SOURCE                9306
#define IDS_ELS_CATEGORY              9307
#define IDS_ELS_EVENT                 9308
#define IDS_ELS_USER                  9309
#define IDS_ELS_COMPUTER              9310
#define IDS_ELS_TYPE_SUCCESS          9311
#define IDS_ELS_TYPE_ERROR            9312
#define IDS_ELS_TYPE_WARNING          9313
#define IDS_ELS_TYPE_INFORMATION      9314
#define IDS_ELS_TYPE_AUDIT_SUCCESS    9315
#define IDS_ELS_TYPE_AUDIT_FAILURE    9316
#define IDS_ELS_TYPE_UNKNOWN          9317
#define IDS_ELS_NOT_AVAILABLE         9318
#define IDS_ELS_CATEGORY_NONE         9319
#define IDS_ELS_FILE                  9330
#define IDS_ELS_DETAILS_UNAVAILABLE   10193
