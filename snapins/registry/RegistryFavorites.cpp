// Favourite keys: added from the selected key, chosen on the drop-down list
// beside the toolbar's buttons and walked to as a find hit is, organised, and
// kept in the settings.
#include "snapins/registry/RegistrySnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/TextCompare.h"
#include "snapins/registry/RegistryDialogs.h"
#include "snapins/registry/RegistryIds.h"

#include <algorithm>

namespace vantrel {

using registry::KeyNode;

namespace {

// Between the last button and the list.
constexpr int kBarGap = 6;

// The bar tells the snap-in window, whose handle it keeps, and nothing else:
// the window may go before the toolbar does.
INT_PTR CALLBACK FavoritesBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(bar, GWLP_USERDATA, lParam);
        return TRUE;
    }
    if (message != WM_COMMAND || LOWORD(wParam) != IDC_REG_FAVORITE_LIST) return FALSE;
    const auto snapIn = reinterpret_cast<HWND>(GetWindowLongPtrW(bar, GWLP_USERDATA));
    switch (HIWORD(wParam)) {
    case CBN_SELENDOK:
        // Posted: the walk may show a box, which must not open while the list closes.
        PostMessageW(snapIn, WM_COMMAND, MAKEWPARAM(ID_REG_GO_TO_FAVORITE, 0), 0);
        return TRUE;
    case CBN_CLOSEUP:
        // The keyboard goes back to the tree or list, where the snap-in's keys work.
        if (IsWindow(snapIn)) SetFocus(snapIn);
        return TRUE;
    default:
        return FALSE;
    }
}

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// The list shows the tooltip of its command, as the buttons beside it do.
void AddToolTip(HWND toolBar, HWND bar, HWND list) {
    HWND tips = reinterpret_cast<HWND>(::SendMessageW(toolBar, TB_GETTOOLTIPS, 0, 0));
    const std::wstring command = LoadStringW(ID_REG_GO_TO_FAVORITE);
    const size_t lineFeed = command.find(L'\n');
    if (!tips || lineFeed == std::wstring::npos) return;
    std::wstring text = command.substr(lineFeed + 1);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = bar;
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = text.data();
    ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void CRegistrySnapIn::CreateFavoritesBar() {
    HWND toolBar = ToolBar();
    if (!toolBar || favoritesBar_) return;
    ActivationScope scope;
    favoritesBar_ = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_REG_FAVORITES_BAR), toolBar,
                                       &FavoritesBarProc, reinterpret_cast<LPARAM>(Window()));
    HWND list = FavoritesList();
    if (!list) return;
    // The bar takes the closed list's own height, which its font decides.
    RECT size = {};
    GetWindowRect(list, &size);
    const int width = size.right - size.left;
    const int height = size.bottom - size.top;
    SetWindowPos(favoritesBar_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A separator as wide as the bar keeps its room after the last button.
    TBBUTTON room = {};
    room.iBitmap = width + kBarGap;
    room.fsStyle = BTNS_SEP;
    ::SendMessageW(toolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&room));
    const auto last = static_cast<int>(::SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0)) - 1;
    RECT slot = {};
    ::SendMessageW(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(last), reinterpret_cast<LPARAM>(&slot));
    const int top = std::max<int>(0, (slot.top + slot.bottom - height) / 2);
    SetWindowPos(favoritesBar_, nullptr, slot.left + kBarGap, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(favoritesBar_, SW_SHOWNA);
    AddToolTip(toolBar, favoritesBar_, list);
    FillFavoritesList();
}

HWND CRegistrySnapIn::FavoritesList() const {
    return favoritesBar_ ? GetDlgItem(favoritesBar_, IDC_REG_FAVORITE_LIST) : nullptr;
}

void CRegistrySnapIn::FillFavoritesList() {
    HWND list = FavoritesList();
    if (!list) return;
    ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const registry::Favorite& favorite : favorites_.Items())
        ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(favorite.name).c_str()));
}

void CRegistrySnapIn::OnToolBarEnabled() {
    if (HWND list = FavoritesList()) EnableWindow(list, !IsBusy());
}

void CRegistrySnapIn::AddToFavorites() {
    if (!registry::EnabledCommands(CurrentSelection()).addToFavorites) return;
    const KeyNode* node = SelectedNode();
    if (!node) return;
    // Texts, not the node: answers may change the tree while the dialog is open.
    const std::u16string path = registry::FullPath(*node);
    const std::optional<std::u16string> name = registry::AskFavoriteName(Window(), node->Name(), favorites_);
    if (name && favorites_.Add(*name, path)) FillFavoritesList();
}

void CRegistrySnapIn::GoToChosenFavorite() {
    HWND list = FavoritesList();
    const auto chosen = list ? ::SendMessageW(list, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (chosen == CB_ERR) return;
    const auto length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0);
    if (length == CB_ERR) return;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<size_t>(length));
    // Shown empty again, so that the same favourite can be chosen once more.
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    const registry::Favorite* favorite = favorites_.Find(ToU16(name));
    if (IsBusy() || !tree_ || !favorite) return;
    const registry::KeyLocation location = registry::SplitFullPath(favorite->path);
    SetFocus(tree_);
    for (const auto& root : model_.Top().Children())
        if (EqualsNoCase(root->Name(), location.rootName))
            return NavigateTo({root->RootKey(), location.path, {}, false});
    ShowErrorText(FormatMessageString(LoadStringW(IDS_REG_KEY_NOT_FOUND), ToWide(location.rootName)), 0);
}

void CRegistrySnapIn::OrganizeFavorites() {
    std::optional<registry::Favorites> kept = registry::OrganizeFavorites(Window(), favorites_);
    if (!kept) return;
    favorites_ = std::move(*kept);
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) SaveFavorites(*section);
    Host()->SaveSettings();
    FillFavoritesList();
}

void CRegistrySnapIn::LoadFavorites(ISettingsList& section) {
    favorites_ = registry::ReadFavorites(section);
    favoritesLoaded_ = true;
    FillFavoritesList();
}

void CRegistrySnapIn::SaveFavorites(ISettingsList& section) {
    if (favoritesLoaded_) registry::StoreFavorites(section, favorites_);
}

}  // namespace vantrel
