// The Registry's favourite keys through the real dialogs and the drop-down
// list on the toolbar, kept across a restart of the console.
#include "framework/model/SettingsText.h"
#include "snapins/registry/model/Favorites.h"
#include "tests/wine/RegistryToolTest.h"

#include <algorithm>
#include <filesystem>

namespace vantrel::test {
namespace {

std::vector<std::wstring> ComboNames(HWND combo) {
    std::vector<std::wstring> names;
    const auto count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[300] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        names.push_back(text);
    }
    return names;
}

// A name chosen in the list, as the list tells its bar when it closes on it.
void Choose(HWND combo, const std::wstring& name) {
    const LRESULT index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(name.c_str()));
    ASSERT_NE(index, CB_ERR) << "not listed";
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_REG_FAVORITE_LIST, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(combo));
}

HWND FavoritesCombo(TestHost& host) { return Descendant(host.ShownSnapInToolBar(), IDC_REG_FAVORITE_LIST); }

class RegistryFavoritesTest : public RegistryTest {
protected:
    // Add to Favorites on the selected key, typing each name in turn into the
    // dialog as it opens; returns the names the dialog showed first.
    std::vector<std::wstring> AddFavorite(const std::vector<std::wstring>& typed) {
        std::vector<std::wstring> shown;
        host_.OnDialog([&](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox || shown.size() >= typed.size()) return captured.isMessageBox ? IDOK : IDCANCEL;
            shown.push_back(captured.controlTexts.count(IDC_REG_FAVORITE_NAME)
                                ? captured.controlTexts.at(IDC_REG_FAVORITE_NAME)
                                : L"<none>");
            SetDlgItemTextW(dialog, IDC_REG_FAVORITE_NAME, typed[shown.size() - 1].c_str());
            return IDOK;
        });
        Command(ID_REG_ADD_FAVORITE);
        host_.OnDialog(nullptr);
        return shown;
    }
};

TEST_F(RegistryFavoritesTest, ANameIsAskedForTakenOnceAndChoosingItWalksToTheKey) {
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Deep"}));
    EXPECT_EQ(AddFavorite({L"Tief"}), std::vector<std::wstring>{L"Deep"}) << "proposed: the key's name";
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Types"}));
    EXPECT_EQ(AddFavorite({L"TIEF", L"Typen"}), (std::vector<std::wstring>{L"Types", L"TIEF"}));
    ASSERT_EQ(Messages(), std::vector<std::wstring>{L"There is already a favorite with that name."});
    EXPECT_TRUE(std::find_if(host_.Dialogs().begin(), host_.Dialogs().end(), [](const CapturedDialog& dialog) {
                    return dialog.isMessageBox;
                })->errorIcon);

    HWND combo = FavoritesCombo(host_);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(ComboNames(combo), (std::vector<std::wstring>{L"Tief", L"Typen"}));
    wchar_t tip[80] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(combo);
    tool.uId = reinterpret_cast<UINT_PTR>(combo);
    tool.lpszText = tip;
    ::SendMessageW(reinterpret_cast<HWND>(::SendMessageW(host_.ShownSnapInToolBar(), TB_GETTOOLTIPS, 0, 0)),
                   TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tip, L"Favorites") << "the list's tooltip, as its buttons have theirs";
    Command(ID_REG_REFRESH);
    EXPECT_FALSE(IsWindowEnabled(combo)) << "busy";
    WaitIdle();
    EXPECT_TRUE(IsWindowEnabled(combo));

    SelectKey(TreeRoot(tree_));
    Choose(combo, L"Tief");
    WaitIdle();
    EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), L"Deep");
    EXPECT_EQ(host_.StatusText(0), L"HKEY_CURRENT_USER\\Software\\Vantrel\\Deep");
    EXPECT_EQ(GetFocus(), tree_);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "shown empty, to be chosen again";

    // Once its list has closed, the keys are the snap-in's again.
    SetFocus(combo);
    ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(GetFocus(), tree_);
    host_.ClearRequests();
    MSG key = {tree_, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_TRUE(snapIn_->TranslateAccelerator(&key));
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(wire::kListCommand), 1u);

    snapIn_->Deactivate();
    const registry::Favorites saved = registry::ReadFavorites(*host_.GetSnapInSettings(kRegistry)->Items());
    ASSERT_EQ(saved.Items().size(), 2u);
    EXPECT_EQ(saved.Items()[1].path, u"HKEY_CURRENT_USER\\Software\\Vantrel\\Types");
}

TEST_F(RegistryFavoritesTest, OrganizeWritesAtOnceAndAfterARestartTheKeptOneWalksThroughUnlistedKeys) {
    const auto file = std::filesystem::temp_directory_path() /
                      ("registry-favorites-" + std::to_string(GetCurrentProcessId()) + ".txt");
    std::filesystem::remove(file);
    host_.SetSettingsFile(file);
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Deep", L"Ebene 1"}));
    AddFavorite({L"Eins"});
    ASSERT_TRUE(Open({L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Many Values"}));
    AddFavorite({L"Viele \u00c4"});

    std::vector<std::wstring> listed;
    host_.OnDialog([&](HWND dialog, const CapturedDialog& captured) {
        if (captured.caption != L"Organize Favorites") return IDCANCEL;
        HWND names = GetDlgItem(dialog, IDC_REG_FAVORITE_NAMES);
        for (int i = 0; i < ::SendMessageW(names, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[300] = {};
            ::SendMessageW(names, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        ::SendMessageW(names, LB_SETCURSEL, 0, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_REG_FAVORITE_DELETE, BN_CLICKED), 0);
        return IDOK;
    });
    Command(ID_REG_ORGANIZE_FAVORITES);
    host_.OnDialog(nullptr);
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"Eins", L"Viele \u00c4"}));
    EXPECT_EQ(ComboNames(FavoritesCombo(host_)), std::vector<std::wstring>{L"Viele \u00c4"});

    // A console started on the file the organising wrote (this one never saved its view).
    TestHost restarted;
    restarted.SetSettingsFile(file);
    remote::RemoteMachine machine(config_);
    restarted.AnswerWith([&](const Message& request) { return machine.Answer(request); }, 1);
    // and one more stored by hand, under a root key the machine does not have.
    restarted.LoadSettings();
    ISettingsNode* stored = restarted.GetSnapInSettings(kRegistry)->Items()->Find(L"Favorites");
    ASSERT_NE(stored, nullptr);
    ISettingsList& texts = *stored->Items()->AddAt(1, 0)->Items();
    StoreSettingsText(*texts.AddChild(L"Name", 0), u"Fremd");
    StoreSettingsText(*texts.AddChild(L"Path", 0), u"HKEY_NOWHERE\\Key");
    ISnapIn* again = restarted.Open(kRegistry);
    ASSERT_NE(again, nullptr);
    restarted.Activate(again);
    const auto idle = [&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; };
    ASSERT_TRUE(restarted.PumpUntil(idle));
    HWND combo = FavoritesCombo(restarted);
    ASSERT_EQ(ComboNames(combo), (std::vector<std::wstring>{L"Fremd", L"Viele \u00c4"}));
    Choose(combo, L"Fremd");
    restarted.PumpFor(20);
    ASSERT_EQ(restarted.Dialogs().size(), 1u);
    EXPECT_EQ(restarted.Dialogs()[0].text, L"Key HKEY_NOWHERE not found.");

    restarted.ClearRequests();
    Choose(combo, L"Viele \u00c4");
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.CountRequests(wire::kListCommand) > 0 && idle(); }));
    std::vector<std::u16string> walked;
    for (const auto& request : restarted.Requests()) {
        const std::string text = request->Root().Find(wire::kItemsNode)->Text();
        const size_t at = text.find("SubKey='") + 8;
        walked.push_back(DecodeUtf16Base64(text.substr(at, text.find('\'', at) - at)));
    }
    ASSERT_FALSE(walked.empty());
    EXPECT_EQ(walked.front(), u"") << "the root key first";
    EXPECT_EQ(walked.back(), u"Software\\Vantrel\\Many Values");
    HWND tree = Descendant(again->GetWindow(), IDC_REG_TREE);
    EXPECT_EQ(TreeItemText(tree, TreeSelection(tree)), L"Many Values");
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace vantrel::test
