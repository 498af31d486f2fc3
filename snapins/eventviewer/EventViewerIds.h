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
#define IDD_ELS_GENERAL_PAGE          9002
#define IDD_ELS_EVENT_PAGE            9005
#define IDD_ELS_OPEN                  9006
#define IDD_ELS_FILTER_PAGE           9007
#define IDD_ELS_SAVE                  9008
#define IDD_ELS_ADD_FAVORITE          9009

// ---- help contexts ----
#define IDH_ELS_MAIN                  620
#define IDH_ELS_LOG_PROPERTIES        621
#define IDH_ELS_EVENT_PROPERTIES      622
#define IDH_ELS_OPEN                  623
#define IDH_ELS_SAVE                  624
#define IDH_ELS_CLEAR                 625

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

// ---- the event page ----
#define IDC_ELS_DATE_LABEL            9108
#define IDC_ELS_TIME_LABEL            9109
#define IDC_ELS_TYPE_LABEL            9110
#define IDC_ELS_USER_LABEL            9111
#define IDC_ELS_COMPUTER_LABEL        9112
#define IDC_ELS_DATE_VALUE            9113
#define IDC_ELS_TIME_VALUE            9114
#define IDC_ELS_TYPE_VALUE            9115
#define IDC_ELS_USER_VALUE            9116
#define IDC_ELS_COMPUTER_VALUE        9117
#define IDC_ELS_UP                    9118
#define IDC_ELS_DOWN                  9119
#define IDC_ELS_DESCRIPTION           9120
#define IDC_ELS_DESCRIPTION_LABEL     9121
#define IDC_ELS_COPY                  9122
#define IDC_ELS_DATA_LABEL            9123
#define IDC_ELS_BYTES                 9124
#define IDC_ELS_WORDS                 9125
#define IDC_ELS_DATA                  9126
#define IDC_ELS_CATEGORY_LABEL        9127
#define IDC_ELS_EVENT_ID_LABEL        9128
#define IDC_ELS_SOURCE_VALUE          9129
#define IDC_ELS_CATEGORY_VALUE        9130
#define IDC_ELS_EVENT_ID_VALUE        9131
#define IDC_ELS_SOURCE_LABEL          9180

// ---- the General page ----
#define IDC_ELS_CREATED               9103
#define IDC_ELS_DISPLAY_NAME          9164
#define IDC_ELS_LOG_NAME              9165
#define IDC_ELS_SIZE                  9166
#define IDC_ELS_MODIFIED              9167
#define IDC_ELS_ACCESSED              9168
#define IDC_ELS_MAX_SIZE              9169
#define IDC_ELS_MAX_SIZE_SPIN         9170
#define IDC_ELS_LOG_SIZE_GROUP        9171
#define IDC_ELS_OVERWRITE             9172
#define IDC_ELS_OVERWRITE_OLDER       9173
#define IDC_ELS_NEVER_OVERWRITE       9174
#define IDC_ELS_DAYS                  9175
#define IDC_ELS_DAYS_SPIN             9176

// ---- the Filter page and the favourite's name ----
#define IDC_ELS_INFORMATION           9134
#define IDC_ELS_WARNING               9135
#define IDC_ELS_ERROR                 9136
#define IDC_ELS_FAILURE_AUDIT         9137
#define IDC_ELS_SUCCESS_AUDIT         9138
#define IDC_ELS_TYPES_GROUP           9144
#define IDC_ELS_FILTER_SOURCE         9145
#define IDC_ELS_FILTER_CATEGORY       9146
#define IDC_ELS_FILTER_EVENT_ID       9147
#define IDC_ELS_FILTER_USER           9148
#define IDC_ELS_FILTER_COMPUTER       9149
#define IDC_ELS_FROM                  9152
#define IDC_ELS_TO                    9153
#define IDC_ELS_FROM_DATE             9154
#define IDC_ELS_TO_DATE               9155
#define IDC_ELS_FROM_TIME             9156
#define IDC_ELS_TO_TIME               9157
#define IDC_ELS_FAVORITES             9191
#define IDC_ELS_ADD_FAVORITE          9192
#define IDC_ELS_DELETE_FAVORITE       9193
#define IDC_ELS_FAVORITE_NAME         9194

// ---- Save and Open ----
#define IDC_ELS_GUEST                 9181
#define IDC_ELS_HOST                  9182
#define IDC_ELS_PATH                  9183
#define IDC_ELS_LOG_TYPE              9186

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
#define IDS_ELS_EVENT_TAB             9320
#define IDS_ELS_GENERAL_TAB           9321
#define IDS_ELS_FILTER_TAB            9322
#define IDS_ELS_ALL                   9323
#define IDS_ELS_FIRST_EVENT           9324
#define IDS_ELS_LAST_EVENT            9325
#define IDS_ELS_EVENTS_ON             9326
#define IDS_ELS_KB                    9327
#define IDS_ELS_BYTES_WORD            9328
#define IDS_ELS_FILE                  9330
#define IDS_ELS_SAVE_BEFORE_CLEAR     9331
#define IDS_ELS_UNSPECIFIED           9332
#define IDS_ELS_COPYING               9334
#define IDS_ELS_UP_TIP                9335
#define IDS_ELS_DOWN_TIP              9336
#define IDS_ELS_COPY_TIP              9337
#define IDS_ELS_COPY_FAILED           9338
#define IDS_ELS_DETAILS_UNAVAILABLE   10193
