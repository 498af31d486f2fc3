// The Inventory through its real tree and list, against the simulated machine
// and against inventory files of the tests' own, handed over as the machine's
// answers: categories and pictures, rows and their formats, failures that keep
// or empty the tree, answers and paths that are refused, the file dialog, and
// the splitter.
#include "remote/inventory/InventoryData.h"
#include "snapins/inventory/InventoryIds.h"
#include "snapins/inventory/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = inventory::protocol;
namespace fs = std::filesystem;
constexpr int32_t kInventory = wire::kSnapInId;

struct TreeEntry {
    std::wstring text;
    int image;
};

class InventoryTest : public ToolTest {
protected:
    InventoryTest() : ToolTest(kInventory, remote::MachineConfig{}) {}

    void SetUp() override {
        ToolTest::SetUp();
        tree_ = GetDlgItem(Splitter(), IDC_INV_TREE);
        list_ = GetDlgItem(Splitter(), IDC_INV_LIST);
        ASSERT_NE(tree_, nullptr);
        ASSERT_NE(list_, nullptr);
    }

    HWND Splitter() const { return GetDlgItem(snapIn_->GetWindow(), IDC_INV_SPLITTER); }

    // A file of the test's own, and the machine answering with its path (or
    // with whatever text the test names) from now on.
    std::string WriteFile(const std::string& text, const char* name = "inventory.xml") {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    void AnswerWithPath(const std::string& path) {
        host_.AnswerWith(
            [this, path](const Message& request) {
                auto answer = host_.MakeAnswer(kInventory, request.Command());
                answer->Root().ChildNode(wire::kFileNameNode).SetText(path);
                return answer;
            },
            1);
    }
    // The file's inventory shown after a Refresh.
    void Show(const std::string& text) {
        AnswerWithPath(WriteFile(text));
        Refresh();
    }
    void Refresh() {
        Command(ID_INV_REFRESH);
        WaitIdle();
    }

    // The tree read back: items below `parent` (null: the top level).
    std::vector<TreeEntry> Children(HTREEITEM parent) const {
        std::vector<TreeEntry> entries;
        auto item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
        for (; item; item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                       reinterpret_cast<LPARAM>(item))))
            entries.push_back(Entry(item));
        return entries;
    }
    std::vector<std::wstring> Texts(HTREEITEM parent) const {
        std::vector<std::wstring> texts;
        for (const TreeEntry& entry : Children(parent)) texts.push_back(entry.text);
        return texts;
    }
    TreeEntry Entry(HTREEITEM item) const {
        wchar_t text[512] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT | TVIF_IMAGE;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 512;
        ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return {text, tv.iImage};
    }
    // The item reached by texts from the top.
    HTREEITEM Find(std::initializer_list<std::wstring> path) const {
        HTREEITEM parent = nullptr;
        for (const std::wstring& text : path) {
            auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                                                                   reinterpret_cast<LPARAM>(parent)));
            while (item && Entry(item).text != text)
                item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
            if (!item) return nullptr;
            parent = item;
        }
        return parent;
    }
    // Selects the item and returns the list's rows as "item=value".
    std::vector<std::wstring> RowsOf(HTREEITEM item) const {
        ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        std::vector<std::wstring> rows;
        for (int i = 0; i < ItemCount(list_); ++i) rows.push_back(ListViewText(list_, i, 0) + L"=" + ListViewText(list_, i, 1));
        return rows;
    }
    std::vector<std::wstring> RowsAt(std::initializer_list<std::wstring> path) const {
        HTREEITEM item = Find(path);
        EXPECT_NE(item, nullptr);
        return item ? RowsOf(item) : std::vector<std::wstring>{};
    }
    int TreeCount() const { return static_cast<int>(::SendMessageW(tree_, TVM_GETCOUNT, 0, 0)); }
    int PaneWidth(HWND pane) const {
        RECT rect = {};
        GetWindowRect(pane, &rect);
        return rect.right - rect.left;
    }

    HWND tree_ = nullptr;
    HWND list_ = nullptr;
    TemporaryFolder folderOwner_{"inventory-test"};
    const fs::path folder_ = folderOwner_.Path();
};

TEST_F(InventoryTest, IsOfferedWithoutAskingAndAsksForTheInventoryOnFirstActivation) {
    snapIn_->QuerySupported();
    EXPECT_EQ(host_.Supported(), std::vector<int32_t>{kInventory});
    EXPECT_TRUE(host_.Requests().empty());
    EXPECT_EQ(TreeCount(), 0) << "an empty tree until the answer";

    ActivateAndWait();
    ASSERT_EQ(host_.Requests().size(), 1u);
    const Message& request = *host_.Requests()[0];
    EXPECT_EQ(request.SnapInId(), static_cast<uint32_t>(kInventory));
    EXPECT_EQ(request.Command(), 0u) << "the code the new message had";
    EXPECT_EQ(request.ReplyFlag(), 0);
    ASSERT_NE(request.Root().Find(wire::kForceNewNode), nullptr);
    EXPECT_EQ(request.Root().Find(wire::kForceNewNode)->ValueKind(), host::MessageNode::Kind::Short);
    EXPECT_EQ(request.Root().Find(wire::kForceNewNode)->AsShort(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(Texts(nullptr), (std::vector<std::wstring>{L"Generation", L"Summary", L"WS-ÅSA-0417", L"Inventory",
                                                         L"Components", L"Software", L"Custom Items"}));
    EXPECT_EQ(ItemCount(list_), 0) << "empty until a category is selected";
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(InventoryTest, CategoriesShowTheirLabelsPicturesAndNamesFromTheirFields) {
    ActivateAndWait();
    // The vendor's block holds a printer too: it is not shown.
    const std::vector<TreeEntry> printing = Children(Find({L"Components", L"Printing"}));
    ASSERT_EQ(printing.size(), 1u);
    EXPECT_EQ(printing[0].text, L"Printer");
    EXPECT_EQ(printing[0].image, 4);
    std::vector<std::wstring> drives;
    for (const TreeEntry& drive : Children(Find({L"Components", L"Storage", L"Drives"})))
        drives.push_back(drive.text + L"/" + std::to_wstring(drive.image));
    EXPECT_EQ(drives, (std::vector<std::wstring>{L"A:\\/32", L"C:\\/33", L"D:\\/33", L"E:\\/35", L"R:\\/36", L"Z:\\/34",
                                                 L"X:\\/0", L"Q:\\/33"}));
    EXPECT_EQ(Texts(Find({L"Components", L"Multimedia", L"Video Codecs"})),
              (std::vector<std::wstring>{L"H.264", L"VP9", L"Cinépak"}));
    EXPECT_EQ(Children(Find({L"Software", L"Installed Software"})).size(), 300u);
}

TEST_F(InventoryTest, RowsGoByFieldNumberWithUnknownAndUnlabelledFieldsNamelessFirst) {
    ActivateAndWait();
    const std::vector<std::wstring> summary = RowsAt({L"Summary"});
    ASSERT_GE(summary.size(), 3u);
    EXPECT_EQ(summary[0], L"=A-0417") << "a field the console does not know";
    EXPECT_EQ(summary[1], L"Computer Name=WS-ÅSA-0417");
    EXPECT_EQ(summary[2], L"OS Name=Workstation 10 Pro");
    const std::vector<std::wstring> adapter = RowsAt({L"Components", L"Network", L"Adapter"});
    EXPECT_NE(std::find(adapter.begin(), adapter.end(), L"=WS-ÅSA-0417"), adapter.end()) << "Host_Name has no label";
    EXPECT_NE(std::find(adapter.begin(), adapter.end(), L"=255.255.255.0"), adapter.end()) << "nor has Subnet_Mask";
    EXPECT_EQ(RowsAt({L"Components", L"Storage", L"Drives", L"C:\\"}),
              (std::vector<std::wstring>{L"Name=C:\\", L"Label=System", L"Volume Serial=4C1E-9A07",
                                         L"Size=512110190592", L"Available=170703396864", L"Type Code=Fixed"}));
}

std::wstring LocalDateTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    wchar_t date[64] = {}, clock[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 64);
    return std::wstring(date) + L" " + clock;
}

TEST_F(InventoryTest, ValuesAreShownInTheirFormats) {
    ActivateAndWait();
    Show("<?xml version=\"1.0\"?>\n<Inventory><Custom_Items>"
         "<Custom_Item Custom_Item_Name='Skript' Custom_Item_Type='2' Custom_Item_Result='18' "
         "Custom_Item_Value='a\r\nb\tc' Custom_Item_FileSize='1536' Custom_Item_FileDateWrite='2026-10-01T07:30:05.250+02:00' "
         "Custom_Item_FileLanguage='1031' Custom_Item_FileCodePage='1041' Custom_Item_FileDateCreate='gestern' "
         "Custom_Item_FileChecksum='Ünïcødé ✓'/>"
         "<Custom_Item Custom_Item_Name='big' Custom_Item_FileSize='1073741824'/>"
         "<Custom_Item Custom_Item_Name='odd' Custom_Item_FileSize='1048575' Custom_Item_Type='x'/>"
         "<Custom_Item Custom_Item_Name='nan' Custom_Item_FileSize='-5'/>"
         "</Custom_Items><Drives><Drive SubType='5'/><Drive SubType='1'/></Drives></Inventory>");
    EXPECT_EQ(RowsAt({L"Custom Items", L"Skript"}),
              (std::vector<std::wstring>{L"Name=Skript", L"Type=2 (0x0002)", L"Result=18 (0x0012)", L"Value=a  b c",
                                         L"File size=2 KB (1536 bytes)", L"File created=gestern",
                                         L"File modified=" + LocalDateTime(2026, 10, 1, 7, 30, 5),
                                         L"File language=German 0407", L"File code page=Japanese 0411",
                                         L"Date checksum=Ünïcødé ✓"}));
    EXPECT_EQ(RowsAt({L"Custom Items", L"big"})[1], L"File size=1 GB (1073741824 bytes)");
    EXPECT_EQ(RowsAt({L"Custom Items", L"odd"}),
              (std::vector<std::wstring>{L"Name=odd", L"Type=x", L"File size=1024 KB (1048575 bytes)"}));
    EXPECT_EQ(RowsAt({L"Custom Items", L"nan"})[1], L"File size=-5") << "a negative size shows as it is";
    const std::vector<HTREEITEM> drives = {Find({L"Drives"})};
    auto first = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(drives[0])));
    EXPECT_EQ(RowsOf(first), std::vector<std::wstring>{L"Type Code=CD-ROM/DVD"});
    auto second = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(first)));
    EXPECT_EQ(RowsOf(second), std::vector<std::wstring>{L"Type Code=1"});
}

TEST_F(InventoryTest, AFileThatCannotBeReadKeepsTheTreeAndAnEmptyOneEmptiesIt) {
    ActivateAndWait();
    const int shown = TreeCount();
    AnswerWithPath((folder_ / "missing.xml").string());
    Refresh();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(TreeCount(), shown);

    Show("");
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(TreeCount(), 0);
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(InventoryTest, MalformedXmlShowsWhatParsedAndSaysWhy) {
    ActivateAndWait();
    Show("<Inventory><Summary Summary_OS_Name='x'/><Software><Installed_Applications>"
         "<Installed_Application Application_Name='A'/><Installed_Applic");
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_FALSE(host_.StatusText(0).empty()) << "the parser's message";
    EXPECT_EQ(Texts(nullptr), (std::vector<std::wstring>{L"Summary", L"Software"}));
    EXPECT_EQ(Texts(Find({L"Software", L"Installed Software"})), std::vector<std::wstring>{L"A"});
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(InventoryTest, AnswersNobodyAskedForAndPathsOffTheLocalDisksAreRefused) {
    ActivateAndWait();
    const int shown = TreeCount();
    // Unasked, and twice for one request.
    const std::string other = WriteFile("<I><Summary/></I>", "other.xml");
    auto unasked = host_.MakeAnswer(kInventory, 0);
    unasked->Root().ChildNode(wire::kFileNameNode).SetText(other);
    host_.Deliver(std::move(unasked));
    EXPECT_EQ(TreeCount(), shown);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // A share, the device namespaces, a relative path, a stream, a device
    // behind a drive letter, a file above 64 MiB, no path at all.
    const std::string large = (folder_ / "large.xml").string();
    {
        HANDLE file = CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER size = {};
        size.QuadPart = (64ll << 20) + 1;
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    for (const std::string& path : {std::string("\\\\localhost\\c$\\x.xml"), std::string("\\\\?\\") + other,
                                    std::string("\\\\.\\") + other, std::string("inventory.xml"), other + ":stream",
                                    std::string("C:\\NUL"), large, std::string()}) {
        AnswerWithPath(path);
        Refresh();
        EXPECT_EQ(host_.StatusText(1), L"Failed") << path;
        EXPECT_EQ(TreeCount(), shown) << path;
    }
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());

    host_.AnswerWith(
        [this, other](const Message& request) {
            auto answer = host_.MakeAnswer(kInventory, 77);  // any code is our answer
            answer->Root().ChildNode(wire::kFileNameNode).SetText(other);
            auto second = host_.MakeAnswer(kInventory, 77);
            second->Root().ChildNode(wire::kFileNameNode).SetText("C:\\nothing.xml");
            host_.Deliver(std::move(second));  // arrives first: taken for the request
            return answer;                     // the same answer again: ignored
        },
        1);
    Refresh();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(TreeCount(), shown);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(InventoryTest, RefreshAsksForANewInventoryOnceWhileBusy) {
    ActivateAndWait();
    const std::vector<std::wstring> before = RowsAt({L"Generation"});
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 50);
    Command(ID_INV_REFRESH);
    EXPECT_FALSE(ButtonEnabled(ID_INV_REFRESH));
    Command(ID_INV_REFRESH);
    Command(ID_INV_OPEN_FILE);
    WaitIdle();
    ASSERT_EQ(host_.Requests().size(), 2u) << "the second Refresh came while busy";
    EXPECT_EQ(host_.Requests()[1]->Root().Find(wire::kForceNewNode)->AsShort(), 1);
    EXPECT_TRUE(host_.Dialogs().empty()) << "no file dialog while busy";
    EXPECT_TRUE(ButtonEnabled(ID_INV_REFRESH));
    const std::vector<std::wstring> after = RowsAt({L"Generation"});
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0].substr(0, 5), L"Date=");
    EXPECT_NE(after[0], before[0]) << "a new generation";
}

TEST_F(InventoryTest, ALocalFileIsOpenedThroughTheFileDialog) {
    ActivateAndWait();
    const std::string path = WriteFile("<I><Printing><Printer Name='Ünï'/></Printing></I>", "chosen.xml");
    const std::wstring wide(path.begin(), path.end());
    host_.OnDialog([&](HWND dialog, const CapturedDialog&) {
        for (int edit : {0x47C, 0x480}) SetDlgItemTextW(dialog, edit, wide.c_str());
        return IDOK;
    });
    const int busyCalls = host_.BeginBusyCalls();
    Command(ID_INV_OPEN_FILE);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.BeginBusyCalls(), busyCalls + 1) << "the load begins the busy state it ends";
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(Texts(nullptr), std::vector<std::wstring>{L"Printing"});
    EXPECT_EQ(RowsAt({L"Printing", L"Printer"}), std::vector<std::wstring>{L"Name=Ünï"});
    EXPECT_EQ(host_.Requests().size(), 1u) << "nothing asked of the machine";
}

TEST_F(InventoryTest, TheSplitterKeepsItsProportionAndItsPositionIsStored) {
    host_.LoadSettings();
    host_.GetSnapInSettings(kInventory)->Items()->SetNamedValue(L"SplitterPos", 20);
    ActivateAndWait();
    EXPECT_EQ(PaneWidth(tree_), 150) << "a stored position below the least is clamped";

    // Dragged to 300, then the window twice as wide: the bar keeps its share.
    HWND splitter = Splitter();
    RECT client = {};
    GetClientRect(splitter, &client);
    ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(151, 10));
    ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(301, 10));
    ::SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(301, 10));
    EXPECT_EQ(PaneWidth(tree_), 300);
    RECT list = {};
    GetWindowRect(list_, &list);
    MapWindowPoints(nullptr, splitter, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(list.left, 300 + GetSystemMetrics(SM_CXFRAME));
    MoveWindow(splitter, 0, 0, 2 * client.right, client.bottom, TRUE);
    EXPECT_EQ(PaneWidth(tree_), 600);
    MoveWindow(splitter, 0, 0, client.right, client.bottom, TRUE);
    EXPECT_EQ(PaneWidth(tree_), 300);

    snapIn_->Deactivate();
    EXPECT_EQ(host_.Settings().FindSnapInSection(kInventory)->FindEntry(L"SplitterPos")->Value(), 300);
}

TEST_F(InventoryTest, AnAnswerAfterTheWindowHasGoneEndsTheBusyState) {
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 30);
    host_.Activate(snapIn_);
    ASSERT_EQ(host_.BusyDepth(), 1);
    DestroyWindow(snapIn_->GetWindow());
    WaitIdle();
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

}  // namespace
}  // namespace vantrel::test
