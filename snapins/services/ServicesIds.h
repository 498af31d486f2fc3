// Resource numbers of Services (15005): strings, commands and controls share
// the block 2300-2565; dialogs 2000-2013 and the controls of the property
// pages 2102-2131; the list 15106 and the property dialog's tabs 15105; the
// snap-in's menu, accelerators and toolbar carry its own number. Included by
// the resource compiler: #define lines only.
//
// Block: 2000-2013 2102-2131 2300-2565 15005 15105 15106
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
#define IDD_SRV_PROPERTIES            2001
#define IDD_SRV_PAGE_GENERAL          2002
#define IDD_SRV_PAGE_LOG_ON           2003
#define IDD_SRV_PAGE_DEPENDENCIES     2011
#define IDD_SRV_WIZARD                2005
#define IDD_SRV_WIZARD_NAMES          2006
#define IDD_SRV_WIZARD_FILE           2007
#define IDD_SRV_WIZARD_LOG_ON         2008
#define IDD_SRV_WIZARD_STARTUP        2009
#define IDD_SRV_WIZARD_PREFIX         2013

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
// Property dialog (2001); OK and Cancel are IDOK and IDCANCEL
#define IDC_SRV_APPLY                 2102
#define IDC_SRV_PROPERTY_TABS         15105
// General page (2002)
#define IDC_SRV_NAME                  2105
#define IDC_SRV_PROP_DISPLAY_NAME     2107
#define IDC_SRV_PROP_DESCRIPTION      2109
#define IDC_SRV_PATH                  2111
#define IDC_SRV_STARTUP_TYPE          2113
#define IDC_SRV_STATUS                2115
#define IDC_SRV_BUTTON_START          2116
#define IDC_SRV_BUTTON_STOP           2117
#define IDC_SRV_BUTTON_PAUSE          2118
#define IDC_SRV_BUTTON_RESUME         2119
#define IDC_SRV_START_PARAMETERS      2122
// Log On page (2003)
#define IDC_SRV_LOCAL_SYSTEM          2123
#define IDC_SRV_INTERACT              2125
#define IDC_SRV_THIS_ACCOUNT          2126
#define IDC_SRV_ACCOUNT               2127
#define IDC_SRV_PASSWORD              2129
#define IDC_SRV_CONFIRM_PASSWORD      2131
#define IDC_SRV_BROWSE                2355
// Dependencies page (2011)
#define IDC_SRV_DEPENDS_ON_TREE       2347
#define IDC_SRV_DEPENDENTS_TREE       2349
#define IDC_SRV_DEPENDENCIES_NAME     2350
// Install wizard (2005) and its pages; Cancel is IDCANCEL
#define IDC_SRV_WIZARD_FILE           2519
#define IDC_SRV_WIZARD_BACK           2522
#define IDC_SRV_WIZARD_NEXT           2523
#define IDC_SRV_WIZARD_NAME           2528
#define IDC_SRV_WIZARD_DISPLAY_NAME   2529
#define IDC_SRV_WIZARD_FRAME          2530
#define IDC_SRV_WIZARD_LOCAL_SYSTEM   2534
#define IDC_SRV_WIZARD_INTERACT       2535
#define IDC_SRV_WIZARD_THIS_ACCOUNT   2536
#define IDC_SRV_WIZARD_ACCOUNT        2537
#define IDC_SRV_WIZARD_PASSWORD       2538
#define IDC_SRV_WIZARD_CONFIRM        2539
#define IDC_SRV_WIZARD_AUTOMATIC      2543
#define IDC_SRV_WIZARD_MANUAL         2544
#define IDC_SRV_WIZARD_DISABLED       2545
#define IDC_SRV_WIZARD_START_AFTER    2546
#define IDC_SRV_WIZARD_FINISH         2547
#define IDC_SRV_WIZARD_PREFIX         2553

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
