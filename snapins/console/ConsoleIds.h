// Resource numbers of Command Console (15008): its command, controls and
// strings share the numbering. Only #define lines: the resource compiler reads
// this file.
// Block: 8002 8120-8160
#pragma once

#define IDD_CON_STARTUP           8002
#define IDC_CON_USE_HOST          8120
#define IDC_CON_USE_ACCOUNT       8121
#define IDC_CON_LOGIN             8122
#define IDC_CON_PASSWORD          8123
#define IDC_CON_LOAD_PROFILE      8124
#define IDC_CON_DOMAIN            8127
#define ID_CON_RESTART            8130
#define IDS_CON_RESTART_FAILED    8140
#define IDS_CON_STOP_FAILED       8141
#define IDS_CON_WRITE_FAILED      8142
#define IDS_CON_READ_FAILED       8143
#define IDS_CON_CHECK_FAILED      8144
#define IDS_CON_SIZE_RESTRICTED   8145
#define IDS_CON_RESTART_HINT      8150
#define IDS_CON_RESTARTING        8151
#define IDS_CON_RELEASE_KEYBOARD  8152
#define IDC_CON_TERMINAL          8160
