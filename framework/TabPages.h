// Pages of a dialog with tabs: child dialogs of the resources that lie over
// the tab control's display area with the tab's themed background.
#pragma once

#include "host/SnapInHost.h"

#include <initializer_list>
#include <span>

namespace vantrel {

// Appends tabs titled by the strings, in order.
void AddTabs(HWND tabs, std::span<const UINT> titles);
inline void AddTabs(HWND tabs, std::initializer_list<UINT> titles) { AddTabs(tabs, {titles.begin(), titles.size()}); }
// Makes the page (hidden) inside `dialog` over the display area of `tabs`;
// `parameter` reaches WM_INITDIALOG. Null when the template is missing.
HWND CreateTabPage(HWND dialog, HWND tabs, UINT templateId, DLGPROC procedure, LPARAM parameter);
// Lays a page made elsewhere over the display area of `tabs`, with the tab's
// themed background.
void PlaceOverTabs(HWND dialog, HWND tabs, HWND page);

}  // namespace vantrel
