// Resource numbers shared by every snap-in: the catalogue (each snap-in's
// number is also the id of its name string, menu, accelerator table, toolbar
// and bitmap), the status and error texts, and the toolbar resource type.
// Only #define lines: the resource compiler reads this file.
// Block: 2010-2024 15000-15010
#pragma once

// Toolbar resources, in the 16-bit layout of version 1.
#define RT_TOOLBAR_DATA           241

#define IDS_STATUS_SUCCESS        2010
#define IDS_STATUS_FAILED         2011
#define IDS_STATUS_IN_PROGRESS    2012
#define IDS_STATUS_CANCELLING     2013
#define IDS_STATUS_CANCELED       2014
#define IDS_ERROR_CAPTION         2021
#define IDS_ERROR_UNKNOWN         2023
#define IDS_UNREADABLE_ANSWER     2024

#define IDS_SNAPIN_PLAIN          15000
#define IDS_SNAPIN_DRIVES         15001
#define IDS_SNAPIN_EVENTVIEWER    15002
#define IDS_SNAPIN_TASKMANAGER    15003
#define IDS_SNAPIN_REGISTRY       15004
#define IDS_SNAPIN_SERVICES       15005
#define IDS_SNAPIN_SHARES         15006
#define IDS_SNAPIN_INVENTORY      15007
#define IDS_SNAPIN_CONSOLE        15008
#define IDS_SNAPIN_SYSTEMCONTROL  15009
#define IDS_SNAPIN_USERS          15010
