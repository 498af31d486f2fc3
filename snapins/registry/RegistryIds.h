// Resource numbers of the Registry (15004): menus, dialogs, commands, controls
// and strings share the block 4001-4504; the tree and the list are 16005 and
// 16006; the snap-in's menu, accelerators and toolbar carry its own number.
// Included by the resource compiler: #define lines only.
//
// Block: 641-644 648 4001-4017 4101-4141 4200-4235 4300-4464 4500-4504 15004 16005-16006
//
// Toolbar images (command: index in the shared toolbar strip): Refresh 0,
// New 1, Delete 2, Import 3, Export 5, Find 6, Copy Key Name 7, Add to
// Favorites 8, Modify 10.
#pragma once

// ---- menus ----
#define IDM_REG_NEW                   4001
#define IDM_REG_KEY                   4002
#define IDM_REG_VALUE                 4003
#define IDM_REG_ROOT                  4004
#define IDC_REG_PANES                 4005

// ---- controls ----
#define IDC_REG_TREE                  16005
#define IDC_REG_LIST                  16006

// ---- commands: status text, a line feed, the tooltip ----
#define ID_REG_NEW                    4200
#define ID_REG_DELETE                 4201
#define ID_REG_IMPORT                 4202
#define ID_REG_EXPORT                 4203
#define ID_REG_FIND                   4204
#define ID_REG_MODIFY                 4205
#define ID_REG_COPY_KEY_NAME          4206
#define ID_REG_REFRESH                4207
#define ID_REG_RENAME                 4208
#define ID_REG_FIND_NEXT              4209
#define ID_REG_EXPAND                 4210
#define ID_REG_ADD_FAVORITE           4211
#define ID_REG_GO_TO_FAVORITE         4212
#define ID_REG_ORGANIZE_FAVORITES     4213
#define ID_REG_NEW_KEY                4230
#define ID_REG_NEW_STRING             4231
#define ID_REG_NEW_BINARY             4232
#define ID_REG_NEW_DWORD              4233
#define ID_REG_NEW_MULTI_STRING       4234
#define ID_REG_NEW_EXPAND_STRING      4235

// ---- column headers and cell texts ----
#define IDS_REG_COLUMN_NAME           4300
#define IDS_REG_COLUMN_TYPE           4301
#define IDS_REG_COLUMN_DATA           4302
#define IDS_REG_DEFAULT_VALUE         4320
#define IDS_REG_VALUE_NOT_SET         4322
#define IDS_REG_ZERO_LENGTH_BINARY    4323

// ---- boxes, menus and templates ----
#define IDS_REG_CONFIRM_VALUE_CAPTION 4350
#define IDS_REG_CONFIRM_VALUE_DELETE  4351
#define IDS_REG_CONFIRM_KEY_CAPTION   4352
#define IDS_REG_CONFIRM_KEY_DELETE    4353
#define IDS_REG_EDITOR_CAPTION        4360
#define IDS_REG_FIND_FINISHED         4361
#define IDS_REG_DEFAULT_EXTENSION     4370
#define IDS_REG_FILE_FILTER           4371
#define IDS_REG_IMPORT_TITLE          4372
#define IDS_REG_EXPORT_TITLE          4373
#define IDS_REG_ALL_FILES             4374
#define IDS_REG_MENU_COLLAPSE         4390
#define IDS_REG_MENU_EXPAND           4391
#define IDS_REG_NEW_KEY_TEMPLATE      4400
#define IDS_REG_NEW_VALUE_TEMPLATE    4401

// ---- errors ----
#define IDS_REG_EMPTY_VALUE_NAME      4450
#define IDS_REG_EMPTY_KEY_NAME        4451
#define IDS_REG_LIST_FAILED           4452
#define IDS_REG_RENAME_VALUE_FAILED   4453
#define IDS_REG_RENAME_KEY_FAILED     4454
#define IDS_REG_DELETE_VALUE_FAILED   4455
#define IDS_REG_DELETE_KEY_FAILED     4456
#define IDS_REG_CREATE_KEY_FAILED     4457
#define IDS_REG_CREATE_VALUE_FAILED   4458
#define IDS_REG_CHANGE_VALUE_FAILED   4459
#define IDS_REG_FIND_FAILED           4460
#define IDS_REG_IMPORT_FAILED         4461
#define IDS_REG_EXPORT_FAILED         4462
#define IDS_REG_KEY_BACKSLASH         4463
#define IDS_REG_KEY_NOT_FOUND         4500
#define IDS_REG_KEY_EXISTS            4501
#define IDS_REG_VALUE_EXISTS          4503
#define IDS_REG_FAVORITE_EXISTS       4504
#define IDS_REG_EMPTY_LINES_REMOVED   4464

// ---- the value editors, find and favourites ----
#define IDD_REG_EDIT_STRING           4010
#define IDD_REG_EDIT_BINARY           4011
#define IDD_REG_EDIT_DWORD            4012
#define IDD_REG_EDIT_MULTI_STRING     4013
#define IDD_REG_FIND                  4014
#define IDD_REG_FAVORITES_BAR         4015
#define IDD_REG_ORGANIZE_FAVORITES    4016
#define IDD_REG_ADD_FAVORITE          4017
#define IDC_REG_VALUE_NAME            4101
#define IDC_REG_VALUE_DATA_LABEL      4102
#define IDC_REG_VALUE_DATA            4103
#define IDC_REG_BASE_HEX              4105
#define IDC_REG_BASE_DECIMAL          4106
#define IDC_REG_BINARY_OFFSETS        4107
#define IDC_REG_BINARY_BYTES          4108
#define IDC_REG_BINARY_CHARACTERS     4109
#define IDC_REG_FAVORITE_LIST         4110
#define IDC_REG_FIND_WHAT             4121
#define IDC_REG_LOOK_AT               4122
#define IDC_REG_FIND_KEYS             4123
#define IDC_REG_FIND_VALUES           4124
#define IDC_REG_FIND_DATA             4125
#define IDC_REG_FIND_WHOLE_STRING     4126
#define IDC_REG_FAVORITE_NAMES        4130
#define IDC_REG_FAVORITE_DELETE       4131
#define IDC_REG_FAVORITE_NAME         4141

// ---- context help ----
#define IDH_REG_EDIT_STRING           641
#define IDH_REG_EDIT_BINARY           642
#define IDH_REG_EDIT_DWORD            643
#define IDH_REG_EDIT_MULTI_STRING     644
#define IDH_REG_CONFIRM_DELETE        648
