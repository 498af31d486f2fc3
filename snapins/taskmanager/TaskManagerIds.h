// Resource numbers of the Task Manager (15003): strings, commands and controls
// share the block 3000-3404; the lists and the tab control 15103-15106; the
// snap-in's menu, accelerators and toolbar carry its own number. Included by
// the resource compiler: #define lines only.
//
// Block: 3000-3404 15003 15103-15106
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// New Task 1, End Task 2.
#pragma once

// ---- dialogs, the processes page and the context menu ----
#define IDD_TM_MAIN                   3000
#define IDD_TM_NEW_TASK               3001
#define IDC_TM_PROCESSES_PAGE         3002
#define IDM_TM_CONTEXT                3010

// ---- controls ----
#define IDC_TM_TABS                   15103
#define IDC_TM_APPLICATIONS           15104
#define IDC_TM_PROCESSES              15105
#define IDC_TM_THREADS                15106
#define IDC_TM_COMMAND                3302

// ---- tabs ----
#define IDS_TM_TAB_APPLICATIONS       3100
#define IDS_TM_TAB_PROCESSES          3101

// ---- commands: status text, a line feed, the tooltip ----
#define ID_TM_REFRESH                 3200
#define ID_TM_NEW_TASK                3201
#define ID_TM_END_TASK                3202

// ---- column headers ----
#define IDS_TM_COLUMN_TASK            3300
#define IDS_TM_COLUMN_STATUS          3301
#define IDS_TM_COLUMN_IMAGE_NAME      3310
#define IDS_TM_COLUMN_PID             3311
#define IDS_TM_COLUMN_CPU_USAGE       3312
#define IDS_TM_COLUMN_TIME            3313
#define IDS_TM_COLUMN_KERNEL_TIME     3314
#define IDS_TM_COLUMN_USER_TIME       3315
#define IDS_TM_COLUMN_THREADS         3316
#define IDS_TM_COLUMN_PRIORITY        3317
#define IDS_TM_COLUMN_MEM_USAGE       3318
#define IDS_TM_COLUMN_ID              3320

// ---- texts of the cells, the menu, the boxes and the status line ----
#define IDS_TM_STATE_UNKNOWN          3330
#define IDS_TM_STATE_RUNNING          3331
#define IDS_TM_STATE_NOT_RESPONDING   3332
#define IDS_TM_STATE_GHOST            3333
#define IDS_TM_IDLE_PROCESS           3340
#define IDS_TM_MENU_END_TASK          3350
#define IDS_TM_MENU_END_PROCESS       3351
#define IDS_TM_CONFIRM_END_APP        3360
#define IDS_TM_CONFIRM_END_PROCESS    3361
#define IDS_TM_END_PROCESS_CAPTION    3362
#define IDS_TM_END_APP_CAPTION        3363
#define IDS_TM_STATUS                 3370
#define IDS_TM_TIP_END_TASK           3371
#define IDS_TM_TIP_END_PROCESS        3372
#define IDS_TM_LIST_FAILED            3400
#define IDS_TM_START_FAILED           3401
#define IDS_TM_END_TASK_FAILED        3402
#define IDS_TM_END_PROCESS_FAILED     3403
#define IDS_TM_COMMAND_FAILED         3404

// ---- context help ----
#define IDH_TM_NEW_TASK               632
#define IDH_TM_END_APP                633
#define IDH_TM_END_PROCESS            634
