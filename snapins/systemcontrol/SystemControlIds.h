// Resource numbers of System Control (15009): its dialogs, controls, strings
// and commands share the numbering. Only #define lines: the resource compiler
// reads this file.
// Block: 425-449 4505-4507 9100-9101 10200
#pragma once

// ---- the window: dialog 425 on the general platform, 449 on a device ----
#define IDD_SYS_GENERAL           425
#define IDD_SYS_DEVICE            449
#define IDC_SYS_STATE_GROUP       426
#define IDC_SYS_STATE             427
#define IDC_SYS_USER              428
#define IDC_SYS_ACTION_GROUP      429
#define IDC_SYS_LOCK              430
#define IDC_SYS_LOGOFF            431
#define IDC_SYS_BACKLIGHT_OFF     432
#define IDC_SYS_BACKLIGHT_ON      433
#define IDC_SYS_RESTART           434
#define IDC_SYS_SUSPEND           435
#define IDC_SYS_SHUTDOWN          436
#define IDC_SYS_OPTIONS_GROUP     437
#define IDC_SYS_PROMPT            438
#define IDC_SYS_TIMEOUT_LABEL     439
#define IDC_SYS_TIMEOUT           440
#define IDC_SYS_TIMEOUT_SPIN      441
#define IDC_SYS_SECONDS           442
#define IDC_SYS_MESSAGE_LABEL     443
#define IDC_SYS_MESSAGE           444
#define IDC_SYS_ALLOW_CANCEL      445
#define IDC_SYS_CLOSE_PROGRAMS    446
#define IDC_SYS_SEND              447

// ---- the session's state ----
#define IDS_SYS_LOGGED_ON         4505
#define IDS_SYS_LOCKED            4506
#define IDS_SYS_LOGGED_OFF        4507

// ---- commands: toolbar, accelerator and menu ----
#define ID_SYS_REFRESH            9100
#define ID_SYS_SEND               9101
// The menu's Refresh item has a number of its own and no string: 10200 lies
// among the Inventory's strings.
#define ID_SYS_REFRESH_MENU       10200

#define IDH_SYS_CONTROL           690
