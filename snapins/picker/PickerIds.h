// Resource numbers of the account picker, which every snap-in may open: the
// dialog, its controls and the headers of its columns. Only #define lines:
// the resource compiler reads this file.
// Block: 6340-6342 12001 12101-12108
#pragma once

#define IDD_PICKER                12001

#define IDC_PICKER_ACCOUNTS       12101
#define IDC_PICKER_DOMAINS        12102
#define IDC_PICKER_ADDED          12103
#define IDC_PICKER_DOMAINS_LABEL  12104
#define IDC_PICKER_ACCOUNTS_LABEL 12105
#define IDC_PICKER_ADDED_LABEL    12106
#define IDC_PICKER_ADD            12107
#define IDC_PICKER_REMOVE         12108

#define IDS_PICKER_USER_NAME      6340
#define IDS_PICKER_FULL_NAME      6341
#define IDS_PICKER_DESCRIPTION    6342
