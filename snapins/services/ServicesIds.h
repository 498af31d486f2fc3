// Resource numbers of Services (15005): strings, commands and controls share
// the block 2300-2565; dialogs 2000, 2010 and 2012; the list 15106; the
// snap-in's menu, accelerators and toolbar carry its own number. Included by
// the resource compiler: #define lines only.
//
// Block: 2000-2012 2300-2565 15005 15106
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// Add 1, Remove 2, Start 20, Stop 21, Pause 23, Restart 22.
#pragma once

// ---- menu, accelerators and toolbar of the snap-in; context menu ----
#define IDR_SRV_SNAPIN                15005
#define IDM_SRV_CONTEXT               2500

// ---- dialogs ----
#define IDD_SRV_MAIN                  2000
#define IDD_SRV_DESCRIPTION           2010
#define IDD_SRV_STOP_DEPENDENTS       2012

// ---- controls ----
#define IDC_SRV_LIST                  15106
#define IDC_SRV_TABS                  2336
// Description pane (2010)
#define IDC_SRV_DISPLAY_NAME          2337
#define IDC_SRV_DESCRIPTION_LABEL     2338
#define IDC_SRV_DESCRIPTION_TEXT      2339
#define IDC_SRV_LINK_START            2340
#define IDC_SRV_LINK_STOP             2341
#define IDC_SRV_LINK_PAUSE            2342
#define IDC_SRV_LINK_RESUME           2343
#define IDC_SRV_LINK_RESTART          2344
#define IDC_SRV_SELECT_HINT           2345
// Dependents dialog (2012); its buttons are IDYES and IDNO
#define IDC_SRV_DEPENDENTS_TEXT       2351
#define IDC_SRV_DEPENDENTS_LIST       2354

// ---- commands (menus, toolbar, accelerators) ----
#define ID_SRV_REFRESH                2556
#define ID_SRV_ADD                    2558
#define ID_SRV_REMOVE                 2559
#define ID_SRV_START                  2560
#define ID_SRV_STOP                   2561
#define ID_SRV_PAUSE                  2562
#define ID_SRV_RESUME                 2563
#define ID_SRV_RESTART                2564
#define ID_SRV_PROPERTIES             2565

// ---- strings ----
#define IDS_SRV_COLUMN_NAME           2300
#define IDS_SRV_COLUMN_DESCRIPTION    2301
#define IDS_SRV_COLUMN_STATUS         2302
#define IDS_SRV_COLUMN_STARTUP_TYPE   2303
#define IDS_SRV_COLUMN_LOG_ON_AS      2304
#define IDS_SRV_STATE_STOPPED         2305
#define IDS_SRV_STATE_STARTING        2306
#define IDS_SRV_STATE_STOPPING        2307
#define IDS_SRV_STATE_STARTED         2308
#define IDS_SRV_STATE_CONTINUING      2309
#define IDS_SRV_STATE_PAUSING         2310
#define IDS_SRV_STATE_PAUSED          2311
#define IDS_SRV_UNKNOWN               2312
#define IDS_SRV_STARTUP_BOOT          2313
#define IDS_SRV_STARTUP_SYSTEM        2314
#define IDS_SRV_STARTUP_AUTOMATIC     2315
#define IDS_SRV_STARTUP_MANUAL        2316
#define IDS_SRV_STARTUP_DISABLED      2317
#define IDS_SRV_PAGE_GENERAL          2318
#define IDS_SRV_PAGE_LOG_ON           2319
#define IDS_SRV_TAB_STANDARD          2320
#define IDS_SRV_TAB_EXTENDED          2321
#define IDS_SRV_PAGE_DEPENDENCIES     2322
#define IDS_SRV_NO_DEPENDENCIES       2323
#define IDS_SRV_DEPENDENTS_STOP       2324
#define IDS_SRV_CONFIRM_REMOVE        2325
#define IDS_SRV_SERVICE_MANAGER       2326
#define IDS_SRV_WIZARD_CAPTION        2327
#define IDS_SRV_EMPTY_SERVICE_NAME    2328
#define IDS_SRV_EMPTY_DISPLAY_NAME    2329
#define IDS_SRV_EMPTY_FILE_LOCATION   2330
#define IDS_SRV_EMPTY_ACCOUNT_NAME    2331
#define IDS_SRV_EMPTY_PASSWORD        2332
#define IDS_SRV_PASSWORDS_DIFFER      2333
#define IDS_SRV_LOGON_NAME_CHANGED    2334
#define IDS_SRV_FIELDS_INCORRECT      2335
#define IDS_SRV_TIP_START             2336
#define IDS_SRV_TIP_RESUME            2337
#define IDS_SRV_PREFIX_LENGTH         2338
#define IDS_SRV_SELECT_ITEM           2345

// ---- help contexts ----
#define IDH_SRV_WINDOW                650
#define IDH_SRV_CONFIRM_REMOVE        651
