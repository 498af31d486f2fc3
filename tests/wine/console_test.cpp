// The console program, driven in-process through its windows: it loads the
// module from the program's folder, lists the tools, follows the simulated
// machine's answers, switches tools, keeps its settings file and walks the
// tools for screenshots.
#include "console/ConsoleHost.h"
#include "console/ScreenshotWalker.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/TestHost.h"
#include "tests/host/TreeView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vantrel::console {
namespace {

// The tools of the catalogue, the plain snap-in aside.
const std::vector<int32_t> kBuiltTools = {15001, 15002, 15003, 15004, 15005, 15006, 15007, 15008, 15009, 15010};
// Offered whatever the machine says: it does not ask.
constexpr int32_t kAlwaysOffered = 15007;

bool IsBuilt(int32_t id) { return std::find(kBuiltTools.begin(), kBuiltTools.end(), id) != kBuiltTools.end(); }

// A folder of the test's own under the temporary folder, removed afterwards.
struct TempFolder : test::TemporaryFolder {
    TempFolder() : TemporaryFolder(std::string("vantrel-console-") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    const std::filesystem::path& path() const { return Path(); }
};

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

ConsoleOptions QuietOptions(const std::filesystem::path& settings, unsigned latencyMs = 5) {
    ConsoleOptions options;
    options.latencyMs = latencyMs;
    options.settingsFile = settings;
    options.interactive = false;
    return options;
}

bool PumpUntil(ConsoleHost& console, const std::function<bool()>& condition, unsigned timeoutMs = 5000) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        console.PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// A started console whose machine has answered every "Supported" query.
std::unique_ptr<ConsoleHost> StartedConsole(ConsoleOptions options) {
    auto console = std::make_unique<ConsoleHost>(std::move(options));
    std::wstring error;
    EXPECT_TRUE(console->Start(false, &error)) << std::string(error.begin(), error.end());
    EXPECT_TRUE(PumpUntil(*console, [&] { return console->AllToolsAnswered() && console->Idle(); }));
    return console;
}

// A tool's item below the machine's.
HTREEITEM FindTreeItem(HWND tree, const std::wstring& text) { return test::TreeChild(tree, test::TreeRoot(tree), text); }
int ItemPicture(HWND tree, HTREEITEM item) { return test::TreeImages(tree, item).first; }

// The colours a picture of the list draws on a green ground; the ground itself
// is left out.
std::vector<uint32_t> PictureColours(HIMAGELIST pictures, int index) {
    constexpr int kSide = 16;
    constexpr uint32_t kGround = 0x0000FF00;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + kSide * kSide, kGround);
    ImageList_Draw(pictures, index, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<uint32_t> colours;
    for (int i = 0; i < kSide * kSide; ++i) {
        if ((pixels[i] & 0x00FFFFFF) != kGround) colours.push_back(pixels[i] & 0x00FFFFFF);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(canvas);
    return colours;
}

bool IsGrey(uint32_t colour) {
    return (colour & 0xFF) == ((colour >> 8) & 0xFF) && (colour & 0xFF) == ((colour >> 16) & 0xFF);
}

std::wstring StatusText(HWND bar, int part) {
    wchar_t text[512] = {};
    ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(ConsoleOptions, ParsesEveryOptionAndNamesTheFaultyOne) {
    std::wstring error;
    auto options = ParseConsoleOptions({L"--platform", L"device", L"--latency", L"0", L"--scale", L"7", L"--unsupported",
                                        L"15004,15010", L"--settings", L"s.txt", L"--screenshots", L"shots",
                                        L"--event-level", L"1"},
                                       &error);
    ASSERT_TRUE(options.has_value()) << std::string(error.begin(), error.end());
    EXPECT_EQ(options->machine.platform, remote::kDevicePlatform);
    EXPECT_EQ(options->latencyMs, 0u);
    EXPECT_EQ(options->machine.scale, 7);
    EXPECT_EQ(options->machine.eventLogs.protocolLevel, 1);
    EXPECT_EQ(options->machine.supportedSnapIns.size(), 9u);
    EXPECT_EQ(std::count(options->machine.supportedSnapIns.begin(), options->machine.supportedSnapIns.end(), 15004u), 0);
    EXPECT_EQ(options->settingsFile, std::filesystem::path(L"s.txt"));
    EXPECT_EQ(options->screenshotsDir, std::filesystem::path(L"shots"));
    EXPECT_FALSE(options->interactive) << "screenshots never wait for a box";

    auto defaults = ParseConsoleOptions({}, &error);
    ASSERT_TRUE(defaults.has_value());
    EXPECT_EQ(defaults->latencyMs, 40u);
    EXPECT_TRUE(defaults->interactive);

    const std::vector<std::vector<std::wstring>> faulty = {
        {L"--latency"},          {L"--latency", L"-5"},       {L"--latency", L"60001"},
        {L"--latency", L"4x"},   {L"--scale", L"0"},          {L"--scale", L"101"},
        {L"--platform", L"pda"}, {L"--unsupported", L"15000"}, {L"--unsupported", L"15004,,15005"},
        {L"--unsupported", L"15004,"}, {L"--settings", L""},  {L"--verbose"},
        {L"--event-level", L"3"},
    };
    for (const auto& args : faulty) {
        error.clear();
        EXPECT_FALSE(ParseConsoleOptions(args, &error).has_value()) << std::string(args[0].begin(), args[0].end());
        EXPECT_NE(error.find(args[0]), std::wstring::npos) << "the message names the option";
    }
}

TEST(Console, ListsToolsByTheModulesNamesAndGreysThoseTheMachineRefuses) {
    TempFolder folder;
    ConsoleOptions options = QuietOptions(folder.path() / L"settings.txt");
    // The machine refuses every tool that is built; the others are never offered.
    auto& supported = options.machine.supportedSnapIns;
    for (int32_t built : kBuiltTools)
        supported.erase(std::remove(supported.begin(), supported.end(), static_cast<uint32_t>(built)), supported.end());
    {
        ConsoleHost console(options);
        ASSERT_TRUE(console.Start(false, nullptr));
        // Until the machine answers, no tool can be opened.
        EXPECT_EQ(console.StateOf(15001), ToolState::Checking);
        EXPECT_FALSE(console.Select(15001));
        ASSERT_TRUE(PumpUntil(console, [&] { return console.AllToolsAnswered(); }));

        // Each tool shows the greyed copy of its picture until it is offered:
        // the module's eleven pictures, then the eleven greyed.
        constexpr int kPictures = 11;
        HWND tree = console.Pane().Tree();
        HIMAGELIST pictures = reinterpret_cast<HIMAGELIST>(::SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
        ASSERT_NE(pictures, nullptr);
        EXPECT_EQ(ImageList_GetImageCount(pictures), 2 * kPictures);
        EXPECT_EQ(ItemPicture(tree, FindTreeItem(tree, L"Disk Drives")), 1 + kPictures) << "refused";
        EXPECT_EQ(ItemPicture(tree, FindTreeItem(tree, L"Registry")), 4 + kPictures) << "not built";
        const std::vector<uint32_t> normal = PictureColours(pictures, 4);
        const std::vector<uint32_t> greyed = PictureColours(pictures, 4 + kPictures);
        EXPECT_FALSE(normal.empty());
        EXPECT_FALSE(std::all_of(normal.begin(), normal.end(), IsGrey));
        EXPECT_EQ(greyed.size(), normal.size()) << "the same outline";
        EXPECT_TRUE(std::all_of(greyed.begin(), greyed.end(), IsGrey));

        const wchar_t* const names[] = {L"Disk Drives", L"Event Viewer",   L"Task Manager",    L"Registry",
                                        L"Services",    L"Shared Folders", L"Inventory",       L"Command Console",
                                        L"System Control", L"Local Users and Groups"};
        for (int32_t id = 15001; id <= 15010; ++id) {
            EXPECT_EQ(console.Pane().ItemText(id), names[id - 15001]);
            EXPECT_EQ(console.StateOf(id), id == kAlwaysOffered ? ToolState::Available : ToolState::Unavailable)
                << id << ": refused or not built";
        }
        EXPECT_EQ(console.AvailableTools().size(), 1u);

        // Neither the console nor a click in the tree opens the refused tool.
        EXPECT_FALSE(console.Select(15001));
        HTREEITEM drives = FindTreeItem(console.Pane().Tree(), L"Disk Drives");
        ASSERT_NE(drives, nullptr);
        ::SendMessageW(console.Pane().Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(drives));
        EXPECT_EQ(console.SelectedTool(), ConsoleHost::kStartPage);
        EXPECT_EQ(console.ActiveSnapIn(), console.FindSnapIn(ConsoleHost::kStartPage));
        EXPECT_NE(StatusText(console.StatusBar(), 0).find(L"1 of 10 tools"), std::wstring::npos);
    }
    // A machine that supports everything offers exactly the tools that exist.
    auto console = StartedConsole(QuietOptions(folder.path() / L"settings.txt"));
    EXPECT_EQ(ItemPicture(console->Pane().Tree(), FindTreeItem(console->Pane().Tree(), L"Disk Drives")), 1);
    for (int32_t id = 15001; id <= 15010; ++id)
        EXPECT_EQ(console->StateOf(id), IsBuilt(id) ? ToolState::Available : ToolState::Unavailable) << id;
    EXPECT_EQ(console->AvailableTools().size(), kBuiltTools.size());
}

TEST(Console, PlainSnapInLearnsTheRemoteHostVersionOnConnection) {
    TempFolder folder;
    ConsoleOptions options = QuietOptions(folder.path() / L"settings.txt");
    options.machine.hostVersion = 7;
    auto console = StartedConsole(options);
    ASSERT_TRUE(PumpUntil(*console, [&] { return console->RemoteHostVersionIsKnown(); }));
    EXPECT_EQ(console->RemoteHostVersion(), 7);
    EXPECT_EQ(console->Pane().ItemText(ToolPane::kMachineItem), L"Simulated machine (host version 7)");
}

TEST(Console, SwitchingToolsDeactivatesTheOldAndActivatesTheNew) {
    TempFolder folder;
    ConsoleOptions options = QuietOptions(folder.path() / L"settings.txt");
    std::erase(options.machine.supportedSnapIns, 15006u);
    auto console = StartedConsole(options);
    ISnapIn* start = console->FindSnapIn(ConsoleHost::kStartPage);
    ASSERT_NE(start, nullptr);
    HWND startWindow = start->GetWindow();
    ASSERT_NE(startWindow, nullptr);
    EXPECT_EQ(console->ActiveSnapIn(), start);
    EXPECT_TRUE(IsWindowVisible(startWindow) || !IsWindowVisible(console->Frame()));
    EXPECT_TRUE(GetWindowLongW(startWindow, GWL_STYLE) & WS_VISIBLE) << "the start page is shown";
    EXPECT_EQ(console->ShownTitle(), L"Vantrel Console [simulated machine]");

    // A tool with its own window shows it in place of the start page and
    // merges its menu; leaving it takes both away again.
    const int consoleMenus = GetMenuItemCount(console->MenuBar());
    ASSERT_TRUE(console->Select(15001));
    EXPECT_EQ(console->ActiveSnapIn(), console->FindSnapIn(15001));
    EXPECT_FALSE(GetWindowLongW(startWindow, GWL_STYLE) & WS_VISIBLE) << "deactivated";
    HWND drives = console->FindSnapIn(15001)->GetWindow();
    ASSERT_NE(drives, nullptr);
    EXPECT_TRUE(GetWindowLongW(drives, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(console->EmptyPageWindow(), GWL_STYLE) & WS_VISIBLE);
    const int drivesMenus = GetMenuItemCount(console->MenuBar());
    ASSERT_TRUE(PumpUntil(*console, [&] { return console->Idle(); }));

    // A tool the machine refuses cannot be chosen; the start page takes over
    // from Disk Drives and its popup goes.
    EXPECT_FALSE(console->Select(15006));
    EXPECT_EQ(console->ActiveSnapIn(), console->FindSnapIn(15001));
    EXPECT_EQ(drivesMenus, consoleMenus + 1) << "Disk Drives merged its popup";
    EXPECT_EQ(console->ShownTitle(), L"Vantrel Console [simulated machine] - Disk Drives");

    ASSERT_TRUE(console->Select(ConsoleHost::kStartPage));
    EXPECT_EQ(console->ActiveSnapIn(), start);
    EXPECT_EQ(GetMenuItemCount(console->MenuBar()), consoleMenus);
    EXPECT_FALSE(GetWindowLongW(drives, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(startWindow, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(console->EmptyPageWindow(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(console->ShownTitle(), L"Vantrel Console [simulated machine]");
}

TEST(Console, AnswersComeThroughTheMessageLoopAfterTheLatency) {
    TempFolder folder;
    {
        // Even without latency nothing is answered inside SendMessage.
        ConsoleHost console(QuietOptions(folder.path() / L"settings.txt", 0));
        ASSERT_TRUE(console.Start(false, nullptr));
        EXPECT_FALSE(console.AllToolsAnswered());
        EXPECT_FALSE(console.RemoteHostVersionIsKnown());
        EXPECT_GT(console.PendingAnswers(), 0u);
        EXPECT_FALSE(console.Idle());
        console.PumpPending();
        EXPECT_TRUE(console.AllToolsAnswered());
        EXPECT_TRUE(console.RemoteHostVersionIsKnown());
    }
    constexpr unsigned kLatency = 150;
    ConsoleHost console(QuietOptions(folder.path() / L"settings.txt", kLatency));
    ULONGLONG sent = GetTickCount64();
    ASSERT_TRUE(console.Start(false, nullptr));
    console.PumpPending();
    ASSERT_TRUE(PumpUntil(console, [&] { return console.RemoteHostVersionIsKnown(); }));
    EXPECT_GE(GetTickCount64() - sent, kLatency);
    ASSERT_TRUE(PumpUntil(console, [&] { return console.Idle(); }));
}

TEST(Console, BusyStateShowsInThePaneAndAsTheCursor) {
    TempFolder folder;
    auto console = StartedConsole(QuietOptions(folder.path() / L"settings.txt"));
    EXPECT_FALSE(console->Pane().BusyShown());
    console->BeginBusy();
    console->BeginBusy();
    EXPECT_TRUE(console->Pane().BusyShown());
    EXPECT_FALSE(console->Idle());
    ::SendMessageW(console->Frame(), WM_SETCURSOR, reinterpret_cast<WPARAM>(console->Frame()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_APPSTARTING));
    console->EndBusy();
    EXPECT_TRUE(console->Pane().BusyShown()) << "paired: one begin is still open";
    console->EndBusy();
    EXPECT_FALSE(console->Pane().BusyShown());
    EXPECT_TRUE(console->Idle());
}

TEST(Console, DisconnectReleasesTheToolsAndConnectBringsThemBack) {
    TempFolder folder;
    auto console = StartedConsole(QuietOptions(folder.path() / L"settings.txt", 50));
    ASSERT_TRUE(console->Select(15001));
    console->BeginBusy();  // a tool still busy when the connection goes
    HWND toolBar = console->ConsoleToolBar();
    EXPECT_FALSE(::SendMessageW(toolBar, TB_ISBUTTONENABLED, ConsoleHost::kConnectCommand, 0));

    // A request on its way when the tools go: its answer is dropped, not delivered.
    ISnapIn* drives = console->FindSnapIn(15001);
    ASSERT_NE(drives, nullptr);
    drives->QuerySupported();
    ::SendMessageW(console->Frame(), WM_COMMAND, ConsoleHost::kDisconnectCommand, reinterpret_cast<LPARAM>(toolBar));
    EXPECT_FALSE(console->Connected());
    EXPECT_EQ(console->ActiveSnapIn(), nullptr);
    EXPECT_FALSE(console->Pane().HasTool(15001));
    EXPECT_EQ(console->BusyDepth(), 0);
    EXPECT_TRUE(GetWindowLongW(console->EmptyPageWindow(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::SendMessageW(toolBar, TB_ISBUTTONENABLED, ConsoleHost::kConnectCommand, 0));
    EXPECT_FALSE(::SendMessageW(toolBar, TB_ISBUTTONENABLED, ConsoleHost::kDisconnectCommand, 0));
    ASSERT_TRUE(PumpUntil(*console, [&] { return console->PendingAnswers() == 0; }));

    ::SendMessageW(console->Frame(), WM_COMMAND, ConsoleHost::kConnectCommand, reinterpret_cast<LPARAM>(toolBar));
    EXPECT_TRUE(console->Connected());
    ASSERT_TRUE(PumpUntil(*console, [&] { return console->AllToolsAnswered(); }));
    EXPECT_EQ(console->AvailableTools().size(), kBuiltTools.size());
    EXPECT_TRUE(console->Select(15001));
}

TEST(Console, DamagedSettingsAreReportedAndSetAsideWithoutLosingAnything) {
    TempFolder folder;
    const std::filesystem::path settings = folder.path() / L"settings.txt";
    const std::string damaged = "this is not a settings file\n\x01\x02";
    WriteFile(settings, damaged);
    WriteFile(folder.path() / L"settings.txt.damaged", "an older damaged file");
    {
        auto console = StartedConsole(QuietOptions(settings));
        EXPECT_FALSE(console->Notice().empty());
        EXPECT_EQ(StatusText(console->StatusBar(), 0).rfind(L"Settings: ", 0), 0u);
        EXPECT_EQ(console->SetAsideSettingsFile(), folder.path() / L"settings.txt.damaged-2");
        EXPECT_EQ(ReadFile(folder.path() / L"settings.txt.damaged-2"), damaged);
        EXPECT_EQ(ReadFile(folder.path() / L"settings.txt.damaged"), "an older damaged file");
        console->GetSnapInSettings(15001)->Items()->SetNamedValue(L"Width", 80);
    }
    // The console started afresh and saved a sound file in its place.
    ConsoleHost again(QuietOptions(settings));
    ASSERT_TRUE(again.Start(false, nullptr));
    EXPECT_TRUE(again.Notice().empty());
    EXPECT_EQ(again.GetSnapInSettings(15001)->Items()->GetNamedValue(L"Width"), 80);
}

TEST(Console, ASettingsFileThatCannotBeSetAsideIsNeverOverwritten) {
    TempFolder folder;
    const std::filesystem::path settings = folder.path() / L"settings.txt";
    WriteFile(settings, "locked");
    HANDLE lock = CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    {
        auto console = StartedConsole(QuietOptions(settings));
        EXPECT_FALSE(console->SettingsSavingAllowed());
        EXPECT_NE(console->Notice().find(L"not be saved"), std::wstring::npos);
        CloseHandle(lock);
        console->GetSnapInSettings(15001)->Items()->SetNamedValue(L"Width", 80);
    }
    EXPECT_EQ(ReadFile(settings), "locked");
}

TEST(Console, ViewSettingsAndThePaneWidthSurviveARestart) {
    TempFolder folder;
    const std::filesystem::path settings = folder.path() / L"settings.txt";
    int draggedWidth = 0;
    {
        auto console = StartedConsole(QuietOptions(settings));
        // As a snap-in stores its view settings.
        ISettingsNode* section = console->GetSnapInSettings(15001);
        ASSERT_NE(section, nullptr);
        section->Items()->SetNamedValue(L"ColumnWidth", 123);
        section->Items()->AddChild(L"Order", 0)->Items()->AddAt(2, 5);

        // The user drags the splitter 40 pixels to the right.
        RECT pane = {};
        GetWindowRect(console->Pane().Window(), &pane);
        MapWindowPoints(nullptr, console->Frame(), reinterpret_cast<POINT*>(&pane), 2);
        int x = pane.right + 2, y = (pane.top + pane.bottom) / 2;
        ::SendMessageW(console->Frame(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(console->Frame(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, y));
        ::SendMessageW(console->Frame(), WM_LBUTTONUP, 0, MAKELPARAM(x + 40, y));
        GetWindowRect(console->Pane().Window(), &pane);
        draggedWidth = pane.right - pane.left;
        EXPECT_GE(draggedWidth, 150);
    }
    ConsoleHost console(QuietOptions(settings));
    ASSERT_TRUE(console.Start(false, nullptr));
    EXPECT_TRUE(console.Notice().empty());
    ISettingsNode* section = console.GetSnapInSettings(15001);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->Items()->GetNamedValue(L"ColumnWidth"), 123);
    ISettingsNode* order = section->Items()->Find(L"Order");
    ASSERT_NE(order, nullptr);
    ASSERT_EQ(order->Items()->Count(), 1);
    EXPECT_EQ(order->Items()->At(0)->GetIndex(), 2);
    EXPECT_EQ(order->Items()->At(0)->GetValue(), 5);
    RECT pane = {};
    GetWindowRect(console.Pane().Window(), &pane);
    EXPECT_EQ(pane.right - pane.left, draggedWidth);
}

TEST(Console, ScreenshotsWalkEveryAvailableToolOnceIdle) {
    TempFolder folder;
    ConsoleOptions options = QuietOptions(folder.path() / L"settings.txt", 20);
    ConsoleHost console(options);
    ASSERT_TRUE(console.Start(false, nullptr));

    WalkTiming timing;
    timing.settleMs = 30;
    // Longer than the pause between a console's screen reads: answers that
    // never stop must not hold the walk.
    timing.paintMs = 150;
    ScreenshotWalker walker(console, folder.path() / L"shots", timing);
    EXPECT_EQ(walker.Run(), 0);
    ASSERT_EQ(walker.Shots().size(), 1 + kBuiltTools.size()) << "the start page and every tool offered";
    EXPECT_EQ(walker.Shots().front().file.filename(), L"00-start-page.bmp");
    RECT frame = {};
    GetWindowRect(console.Frame(), &frame);
    for (const Shot& shot : walker.Shots()) {
        EXPECT_TRUE(shot.tool == ConsoleHost::kStartPage || IsBuilt(shot.tool)) << shot.tool;
        EXPECT_TRUE(shot.settled && shot.saved) << shot.file.string();
        std::string bytes = ReadFile(shot.file);
        ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        BITMAPINFOHEADER info = {};
        std::memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof(info));
        EXPECT_EQ(info.biWidth, frame.right - frame.left);
        EXPECT_EQ(info.biHeight, frame.bottom - frame.top);
    }
    std::string list = ReadFile(folder.path() / L"shots" / L"screenshots.txt");
    // Every tool offered has its picture, numbered in the order of the pane.
    for (size_t i = 1; i < walker.Shots().size(); ++i) {
        const Shot& shot = walker.Shots()[i];
        const std::wstring title = console.Pane().ItemText(shot.tool);
        wchar_t number[8];
        swprintf(number, 8, L"%02zu-", i);
        const std::wstring file = std::wstring(number) + FileNameFor(title);
        EXPECT_EQ(shot.file.filename(), file + L".bmp");
        const std::wstring line = file + L"\t" + title + L"\tidle after";
        EXPECT_NE(list.find(std::string(line.begin(), line.end())), std::string::npos) << list;
    }
    EXPECT_EQ(console.SelectedTool(), ConsoleHost::kStartPage);
}

TEST(ScreenshotNames, AreLowerCaseWordsJoinedByDashes) {
    EXPECT_EQ(FileNameFor(L"Local Users and Groups"), L"local-users-and-groups");
    EXPECT_EQ(FileNameFor(L"  Disk/Drives: 2 "), L"disk-drives-2");
    EXPECT_EQ(FileNameFor(L"\u00e9\u00e9"), L"tool");
}

}  // namespace
}  // namespace vantrel::console
