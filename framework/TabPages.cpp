#include "framework/TabPages.h"

#include "framework/Module.h"

#include <uxtheme.h>

#include <string>

namespace vantrel {

void AddTabs(HWND tabs, std::span<const UINT> titles) {
    for (UINT title : titles) {
        std::wstring text = LoadStringW(title);
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        const auto count = ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0);
        ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
    }
}

HWND CreateTabPage(HWND dialog, HWND tabs, UINT templateId, DLGPROC procedure, LPARAM parameter) {
    HWND page = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId), dialog, procedure, parameter);
    if (page) PlaceOverTabs(dialog, tabs, page);
    return page;
}

void PlaceOverTabs(HWND dialog, HWND tabs, HWND page) {
    EnableThemeDialogTexture(page, ETDT_ENABLETAB);
    RECT area = {};
    GetWindowRect(tabs, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    // Above the tabs, which clip what lies over them.
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
}

}  // namespace vantrel
