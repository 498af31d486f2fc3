#include "snapins/registry/RegistryDialogs.h"

#include "framework/ModalDialog.h"
#include "framework/Module.h"
#include "snapins/registry/RegistryIds.h"

namespace vantrel::registry {
namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string Narrow(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// OK (or "Find Next") only while a text box holds something.
void EnableWhileFilled(HWND dialog, int edit) {
    EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, edit)) > 0);
}

class CSearchDialog final : public CModalDialog {
public:
    explicit CSearchDialog(const SearchOptions& last) : options_(last) {}
    const SearchOptions& Options() const { return options_; }

private:
    static constexpr std::pair<int, bool SearchOptions::*> kBoxes[] = {
        {IDC_REG_FIND_KEYS, &SearchOptions::keys},
        {IDC_REG_FIND_VALUES, &SearchOptions::values},
        {IDC_REG_FIND_DATA, &SearchOptions::data},
        {IDC_REG_FIND_WHOLE_STRING, &SearchOptions::wholeString},
    };

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) {
            SetItemText(IDC_REG_FIND_WHAT, Wide(options_.text));
            for (const auto& [box, flag] : kBoxes) CheckDlgButton(Window(), box, options_.*flag ? BST_CHECKED : BST_UNCHECKED);
            EnableWhileFilled(Window(), IDC_REG_FIND_WHAT);
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_REG_FIND_WHAT:
            if (HIWORD(wParam) == EN_CHANGE) EnableWhileFilled(Window(), IDC_REG_FIND_WHAT);
            return TRUE;
        case IDOK:
            options_.text = Narrow(ItemText(IDC_REG_FIND_WHAT));
            if (options_.text.empty()) return TRUE;
            for (const auto& [box, flag] : kBoxes) options_.*flag = IsDlgButtonChecked(Window(), box) == BST_CHECKED;
            EndDialog(Window(), IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(Window(), IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    }

    SearchOptions options_;
};

class CFavoriteNameDialog final : public CModalDialog {
public:
    explicit CFavoriteNameDialog(std::u16string name) : name_(std::move(name)) {}
    const std::u16string& Name() const { return name_; }

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) {
            // No longer than the settings give back.
            ::SendMessageW(Item(IDC_REG_FAVORITE_NAME), EM_LIMITTEXT, kMaxFavoriteName, 0);
            SetItemText(IDC_REG_FAVORITE_NAME, Wide(name_));
            EnableWhileFilled(Window(), IDC_REG_FAVORITE_NAME);
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_REG_FAVORITE_NAME:
            if (HIWORD(wParam) == EN_CHANGE) EnableWhileFilled(Window(), IDC_REG_FAVORITE_NAME);
            return TRUE;
        case IDOK:
            name_ = Narrow(ItemText(IDC_REG_FAVORITE_NAME));
            if (!name_.empty()) EndDialog(Window(), IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(Window(), IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    }

    std::u16string name_;
};

class COrganizeDialog final : public CModalDialog {
public:
    explicit COrganizeDialog(const Favorites& favorites) : favorites_(favorites) {}
    const Favorites& Kept() const { return favorites_; }

private:
    HWND Names() const { return Item(IDC_REG_FAVORITE_NAMES); }

    void EnableDelete() const {
        EnableWindow(Item(IDC_REG_FAVORITE_DELETE), ::SendMessageW(Names(), LB_GETCURSEL, 0, 0) != LB_ERR);
    }

    void DeleteSelected() {
        const LRESULT selected = ::SendMessageW(Names(), LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR) return;
        favorites_.Remove(favorites_.Items()[static_cast<size_t>(selected)].name);
        ::SendMessageW(Names(), LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
        const LRESULT left = ::SendMessageW(Names(), LB_GETCOUNT, 0, 0);
        if (left > 0) ::SendMessageW(Names(), LB_SETCURSEL, static_cast<WPARAM>(std::min(selected, left - 1)), 0);
        EnableDelete();
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) {
            // The list box keeps the favourites' order: position i is Items()[i].
            for (const Favorite& favorite : favorites_.Items())
                ::SendMessageW(Names(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(favorite.name).c_str()));
            EnableDelete();
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_REG_FAVORITE_NAMES:
            if (HIWORD(wParam) == LBN_SELCHANGE) EnableDelete();
            return TRUE;
        case IDC_REG_FAVORITE_DELETE:
            DeleteSelected();
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(Window(), LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    }

    Favorites favorites_;
};

}  // namespace

std::optional<SearchOptions> AskSearch(HWND owner, const SearchOptions& last) {
    CSearchDialog dialog(last);
    if (dialog.Run(IDD_REG_FIND, owner) != IDOK) return std::nullopt;
    return dialog.Options();
}

std::optional<std::u16string> AskFavoriteName(HWND owner, const std::u16string& proposal, const Favorites& favorites) {
    std::u16string name = proposal;
    for (;;) {
        CFavoriteNameDialog dialog(name);
        if (dialog.Run(IDD_REG_ADD_FAVORITE, owner) != IDOK) return std::nullopt;
        name = dialog.Name();
        if (!favorites.Find(name)) return name;
        MessageBoxW(owner, LoadStringW(IDS_REG_FAVORITE_EXISTS).c_str(), LoadStringW(IDS_REG_EDITOR_CAPTION).c_str(),
                    MB_OK | MB_ICONERROR);
    }
}

std::optional<Favorites> OrganizeFavorites(HWND owner, const Favorites& favorites) {
    COrganizeDialog dialog(favorites);
    if (dialog.Run(IDD_REG_ORGANIZE_FAVORITES, owner) != IDOK) return std::nullopt;
    return dialog.Kept();
}

}  // namespace vantrel::registry
