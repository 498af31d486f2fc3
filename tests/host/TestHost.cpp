#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace vantrel::test {
namespace {

TestHost* g_host = nullptr;
constexpr wchar_t kCapturedMark[] = L"VantrelTestCaptured";

// Marks a dialog as seen; the mark goes with the window, so a later dialog
// that reuses the handle is seen again.
bool MarkCaptured(HWND window) {
    if (GetPropW(window, kCapturedMark)) return false;
    SetPropW(window, kCapturedMark, reinterpret_cast<HANDLE>(1));
    return true;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_host) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        if (wcscmp(className, L"#32770") == 0 && MarkCaptured(window)) g_host->CaptureDialog(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Dialogs that open while this process is not in the foreground are never
// activated, so a thread timer also looks for them; it runs inside their modal
// loops.
void CaptureOpenDialogs() {
    if (!g_host) return;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t className[32] = {};
            GetClassNameW(window, className, 32);
            if (!IsWindowVisible(window)) return TRUE;
            if (wcscmp(className, L"#32770") == 0 && MarkCaptured(window)) g_host->CaptureDialog(window);
            if (wcscmp(className, L"#32768") == 0 && MarkCaptured(window)) g_host->CaptureMenu(window);
            return TRUE;
        },
        0);
}

void CALLBACK DialogTimer(HWND, UINT, UINT_PTR, DWORD) { CaptureOpenDialogs(); }

bool IsButton(HWND window) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    return _wcsicmp(className, L"Button") == 0;
}

}  // namespace

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring WindowProcModule(HWND window) {
    auto proc = reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    HMODULE owner = nullptr;
    if (!proc || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                     static_cast<LPCWSTR>(proc), &owner))
        return {};
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(owner, path, MAX_PATH);
    std::wstring file(path);
    for (auto& c : file) c = static_cast<wchar_t>(towlower(c));
    return file;
}

std::wstring ListViewText(HWND list, int item, int subItem) {
    wchar_t buffer[1024] = {};
    LVITEMW lv = {};
    lv.iSubItem = subItem;
    lv.pszText = buffer;
    lv.cchTextMax = 1024;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    return buffer;
}

HWND Descendant(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    EnumChildWindows(
        root,
        [](HWND window, LPARAM context) -> BOOL {
            auto s = reinterpret_cast<Search*>(context);
            if (GetDlgCtrlID(window) != s->id) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HMODULE ModuleUnderTest::Handle() {
    static HMODULE module = [] {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring directory(path);
        directory.resize(directory.find_last_of(L"\\/") + 1);
        return LoadLibraryW((directory + L"Vantrel.Snapins.dll").c_str());
    }();
    return module;
}

ISnapInList* ModuleUnderTest::CreateList(ISnapInHost* host) {
    HMODULE module = Handle();
    if (!module) return nullptr;
    auto create = reinterpret_cast<CreateSnapInListFn>(reinterpret_cast<void*>(GetProcAddress(module, "CreateSnapInList")));
    return create ? create(host) : nullptr;
}

TestHost::TestHost() {
    if (!CreateFrame(L"Test console", false)) throw std::runtime_error("the test host's frame could not be created");
    g_host = this;
    hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    dialogTimer_ = SetTimer(nullptr, 0, 25, DialogTimer);
    list_ = ModuleUnderTest::CreateList(this);
}

TestHost::~TestHost() {
    if (list_) list_->Release();
    DetachAllSnapIns();
    if (hook_) UnhookWindowsHookEx(hook_);
    if (dialogTimer_) KillTimer(nullptr, dialogTimer_);
    if (g_host == this) g_host = nullptr;
}

ISnapInList* TestHost::RenewList() {
    DetachAllSnapIns();
    if (list_) list_->Release();
    list_ = ModuleUnderTest::CreateList(this);
    return list_;
}

ISnapIn* TestHost::Open(int32_t snapInId) {
    return Adopt(list_ ? list_->GetSnapIn(snapInId) : nullptr);
}

ISnapIn* TestHost::Adopt(ISnapIn* snapIn) {
    if (!snapIn) return nullptr;
    AttachSnapIn(snapIn);
    if (HWND window = snapIn->Create(Content())) {
        RECT area;
        GetClientRect(Content(), &area);
        MoveWindow(window, 0, 0, area.right, area.bottom, TRUE);
    }
    return snapIn;
}

void TestHost::Activate(ISnapIn* snapIn) {
    if (ActiveSnapIn() && ActiveSnapIn() != snapIn) ActiveSnapIn()->Deactivate();
    SetActiveSnapIn(snapIn);
    if (snapIn) snapIn->Activate();
}

const Message* TestHost::LastRequest(uint32_t command) const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it)
        if ((*it)->Command() == command) return it->get();
    return nullptr;
}

size_t TestHost::CountRequests(uint32_t command) const {
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                             [command](const auto& request) { return request->Command() == command; }));
}

void TestHost::OnRequest(std::unique_ptr<Message> request) {
    requests_.push_back(request->Clone());
    if (responder_) {
        if (std::unique_ptr<Message> answer = responder_(*request)) {
            Track(*answer);
            DeliverLater(std::move(answer), answerDelayMs_);
        }
    }
}

std::unique_ptr<Message> TestHost::MakeAnswer(int32_t snapInId, uint32_t command) {
    auto answer = std::make_unique<Message>(command, static_cast<uint32_t>(snapInId), 1);
    Track(*answer);
    return answer;
}

void TestHost::Track(Message& answer) {
    if (answer.HasReleaseHandler()) return;  // made here already
    answer.SetReleaseHandler([this](Message* message) { OnReleased(message); });
    ++answersMade_;
}

void TestHost::Deliver(std::unique_ptr<Message> answer) {
    ISnapIn* snapIn = FindSnapIn(static_cast<int32_t>(answer->SnapInId()));
    IAnswerSink* sink = snapIn ? snapIn->GetAnswerSink() : nullptr;
    if (sink)
        sink->OnAnswer(answer.release());
    else
        answer.release()->Release();
}

void TestHost::AnswerWith(std::function<std::unique_ptr<Message>(const Message&)> responder, unsigned delayMs) {
    responder_ = std::move(responder);
    answerDelayMs_ = delayMs;
}

void TestHost::OnReleased(Message* message) {
    for (const auto& kept : releasedAnswers_) {
        if (kept.get() == message) {
            ++doubleReleases_;
            return;
        }
    }
    ++releases_;
    releasedAnswers_.emplace_back(message);
}

void TestHost::OnSupported(int32_t snapInId, bool supported) {
    (supported ? supported_ : notSupported_).push_back(snapInId);
}

void TestHost::BeginBusy() {
    ++beginBusy_;
    HostFrame::BeginBusy();
}

void TestHost::EndBusy() {
    ++endBusy_;
    HostFrame::EndBusy();
}

bool TestHost::PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        PumpPending();
        if (condition()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void TestHost::PumpFor(unsigned ms) {
    ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    PumpPending();
}

void TestHost::CaptureMenu(HWND menuWindow) {
    CapturedMenu captured;
    GetWindowRect(menuWindow, &captured.window);
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        captured.items.push_back({text, state, GetMenuItemID(menu, i)});
    }
    menus_.push_back(std::move(captured));
    EndMenu();
}

void TestHost::CaptureDialog(HWND dialog) {
    CapturedDialog captured;
    captured.caption = WindowText(dialog);
    HICON stop = LoadIconW(nullptr, IDI_HAND);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        std::wstring text = WindowText(child);
        captured.controlTexts[id] = text;
        if (id == 0xFFFF) {
            captured.text = text;
            captured.isMessageBox = true;
        }
        LONG style = GetWindowLongW(child, GWL_STYLE);
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
            if (icon && icon == stop) captured.errorIcon = true;
        }
        if (IsButton(child)) {
            LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
                captured.checked[id] = ::SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
                captured.buttons.push_back(text);
        }
    }
    int button = dialogHandler_ ? dialogHandler_(dialog, captured) : IDOK;
    dialogs_.push_back(std::move(captured));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring ColumnHeader(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    return text;
}

std::vector<uint32_t> PrintedClient(HWND window, int width, int height, uint32_t ground) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* first = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::fill_n(first, count, ground);
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    std::vector<uint32_t> pixels(first, first + count);
    for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

void CacheHint(HWND list, int first, int last) {
    NMLVCACHEHINT hint = {};
    hint.hdr.hwndFrom = list;
    hint.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    hint.hdr.code = LVN_ODCACHEHINT;
    hint.iFrom = first;
    hint.iTo = last;
    ::SendMessageW(GetParent(list), WM_NOTIFY, hint.hdr.idFrom, reinterpret_cast<LPARAM>(&hint));
}

int SortArrow(HWND list, int column) {
    LVCOLUMNW info = {};
    info.mask = LVCF_FMT | LVCF_IMAGE;
    if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info))) return -1;
    return (info.fmt & LVCFMT_IMAGE) ? info.iImage : -1;
}

std::wstring TabText(HWND tabs, int index) {
    wchar_t text[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

void ChooseTab(HWND tabs, int index) {
    ::SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(tabs));
    NMHDR change = {tabs, id, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(GetParent(tabs), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&change));
}

void ExpectQuietEndAfterTheWindowHasGone(TestHost& host, ISnapIn* snapIn) {
    DestroyWindow(snapIn->GetWindow());
    EXPECT_TRUE(host.PumpUntil([&host] { return host.PendingAnswers() == 0; })) << "answers still on their way";
    EXPECT_EQ(host.BusyDepth(), 0);
    EXPECT_TRUE(host.Dialogs().empty());
    EXPECT_EQ(host.Releases(), host.AnswersMade());
}

}  // namespace vantrel::test
