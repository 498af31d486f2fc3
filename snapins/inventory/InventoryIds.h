// Resource numbers of the Inventory (15007). The labels of the categories
// (10101 + label number) and of the fields (10601 + field number) are numbered
// by the tables of snapins/inventory/model and written as numbers in
// resources/inventory.rc. Only #define lines: the resource compiler reads this file.
// Block: 419-424 10050-10052 10101-10192 10200-10201 10602-10876 15007 16008-16011
#pragma once

// ---- drive types ----
#define IDS_INV_DRIVE_CDROM       419
#define IDS_INV_DRIVE_FIXED       420
#define IDS_INV_DRIVE_REMOVABLE   421
#define IDS_INV_DRIVE_REMOTE      422
#define IDS_INV_DRIVE_RAM         423
#define IDS_INV_DRIVE_UNKNOWN     424

// ---- commands ----
#define ID_INV_REFRESH            10050
// Opens a local inventory file; the console sends it, no button or key of ours.
#define ID_INV_OPEN_FILE          10052

// ---- the list's columns ----
#define IDS_INV_ITEM              10200
#define IDS_INV_VALUE             10201

// ---- window ----
#define IDC_INV_TREE              16008
#define IDC_INV_LIST              16009
#define IDC_INV_SPLITTER          16010
#define IDS_INV_OPEN_FILTER       16011

#define IDH_INV_WINDOW            670
