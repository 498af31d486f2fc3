// Resource numbers of Shared Folders (15006): dialogs 6000-6009, commands,
// controls and strings 6100-6339 and 6343-6348 (6340-6342 are the account
// picker's), the context menu 6500, the tabs and lists 15106-15109; the
// snap-in's menu, accelerators and toolbar carry its own number. Included by
// the resource compiler: #define lines only.
//
// Block: 6000-6009 6100-6339 6343-6348 6500 15006 15106-15109
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// Add 1, Remove 2, Properties 9.
#pragma once

// ---- dialogs and the context menu ----
#define IDD_SHR_MAIN                  6000
#define IDD_SHR_PROPERTIES            6001
#define IDD_SHR_WIZARD                6003
#define IDM_SHR_CONTEXT               6500

// ---- the main dialog's controls ----
#define IDC_SHR_TABS                  15106
#define IDC_SHR_SHARES                15107
#define IDC_SHR_SESSIONS              15108
#define IDC_SHR_FILES                 15109

// ---- commands: status text, a line feed, the tooltip ----
#define ID_SHR_REFRESH                6116
#define ID_SHR_ADD                    6117
#define ID_SHR_REMOVE                 6118
#define ID_SHR_PROPERTIES             6139

// ---- controls of the wizard, the property dialog and their pages ----
#define IDC_SHR_PATH                  6140
#define IDC_SHR_PATH_STATE            6141
#define IDC_SHR_NAME                  6142
#define IDC_SHR_DESCRIPTION           6143
#define IDC_SHR_COMPUTER              6144
#define IDC_SHR_LIMIT_MAX             6145
#define IDC_SHR_LIMIT_COUNT           6146
#define IDC_SHR_USERS                 6147
#define IDC_SHR_USERS_SPIN            6148
#define IDC_SHR_READ_ONLY             6150
#define IDC_SHR_FULL                  6151
#define IDC_SHR_CUSTOM                6152
#define IDC_SHR_ACCOUNTS              6153
#define IDC_SHR_ADD_ACCOUNT           6154
#define IDC_SHR_REMOVE_ACCOUNT        6155
#define IDC_SHR_ACCOUNTS_FULL         6156
#define IDC_SHR_BY_PASSWORD           6157
#define IDC_SHR_RO_PASS               6158
#define IDC_SHR_RW_PASS               6159
#define IDC_SHR_BACK                  6161
#define IDC_SHR_NEXT                  6162
#define IDC_SHR_FINISH                6163
#define IDC_SHR_APPLY                 6164
#define IDC_SHR_PAGE_TABS             6165
#define IDC_SHR_PATH_LABEL            6190
#define IDC_SHR_NAME_LABEL            6191
#define IDC_SHR_DESCRIPTION_LABEL     6192
#define IDC_SHR_COMPUTER_LABEL        6193
#define IDC_SHR_LIMIT_GROUP           6194
#define IDC_SHR_PERMISSIONS_GROUP     6195
#define IDC_SHR_RO_PASS_LABEL         6196
#define IDC_SHR_RW_PASS_LABEL         6197
#define IDC_SHR_STEP_TITLE            6198

// ---- texts of the dialogs ----
#define IDS_SHR_WIZARD_TITLE          6170
#define IDS_SHR_PROPERTIES_TITLE      6171
#define IDS_SHR_PATH_MISSING          6172
#define IDS_SHR_PATH_NOT_LOCAL        6173
#define IDS_SHR_PATH_CHECKING         6174
#define IDS_SHR_PATH_FOUND            6175
#define IDS_SHR_NAME_MISSING          6176
#define IDS_SHR_NAME_INVALID          6177
#define IDS_SHR_NO_ACCOUNTS           6178
#define IDS_SHR_USERS_RANGE           6179
#define IDS_SHR_PAGE_GENERAL          6180
#define IDS_SHR_PAGE_PERMISSIONS      6181
#define IDS_SHR_PASSWORD_MISSING      6182
#define IDS_SHR_STEP_FOLDER           6183
#define IDS_SHR_STEP_LIMIT            6184
#define IDS_SHR_STEP_PERMISSIONS      6185
#define IDS_SHR_PATH_NOT_FOUND        6186

// ---- tabs ----
#define IDS_SHR_TAB_SHARES            6300
#define IDS_SHR_TAB_SESSIONS          6301
#define IDS_SHR_TAB_FILES             6302

// ---- column headers ----
#define IDS_SHR_COLUMN_SHARE_NAME     6303
#define IDS_SHR_COLUMN_FOLDER_PATH    6304
#define IDS_SHR_COLUMN_TYPE           6305
#define IDS_SHR_COLUMN_CONNECTIONS    6306
#define IDS_SHR_COLUMN_DESCRIPTION    6307
#define IDS_SHR_COLUMN_USER           6308
#define IDS_SHR_COLUMN_COMPUTER       6309
#define IDS_SHR_COLUMN_CLIENT_TYPE    6310
#define IDS_SHR_COLUMN_OPEN_FILES     6311
#define IDS_SHR_COLUMN_CONNECTED      6312
#define IDS_SHR_COLUMN_IDLE           6313
#define IDS_SHR_COLUMN_GUEST          6314
#define IDS_SHR_COLUMN_TRANSPORT      6343
#define IDS_SHR_COLUMN_OPEN_FILE      6317
#define IDS_SHR_COLUMN_ACCESSED_BY    6318
#define IDS_SHR_COLUMN_LOCKS          6320
#define IDS_SHR_COLUMN_MODE           6321

// ---- texts of the cells and the confirmation ----
#define IDS_SHR_YES                   6315
#define IDS_SHR_NO                    6316
#define IDS_SHR_TYPE_DISK             6325
#define IDS_SHR_TYPE_PRINT            6326
#define IDS_SHR_TYPE_DEVICE           6327
#define IDS_SHR_TYPE_IPC              6328
#define IDS_SHR_CAPTION               6337
#define IDS_SHR_CONFIRM_DELETE        6338
#define IDS_SHR_MODE_READ             6344
#define IDS_SHR_MODE_WRITE            6345
#define IDS_SHR_MODE_CREATE           6346
#define IDS_SHR_TYPE_UNKNOWN          6347
#define IDS_SHR_TYPE_HIDDEN           6348
