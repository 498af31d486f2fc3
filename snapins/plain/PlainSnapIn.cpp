#include "snapins/plain/PlainSnapIn.h"

#include "framework/Module.h"
#include "snapins/plain/PlainIds.h"

static_assert(vantrel::CPlainSnapIn::kId == IDS_SNAPIN_PLAIN);

namespace vantrel {

HWND CPlainSnapIn::Create(HWND parent) {
    HWND window = nullptr;
    Guarded([&] { window = CreateSnapInWindow(parent); });
    return window;
}

// The plain snap-in needs nothing from the remote side to be useful.
void CPlainSnapIn::QuerySupported() { Host()->SnapInSupported(kId); }

void CPlainSnapIn::OnConnected() {
    Guarded([this] {
        using namespace plain::protocol;
        Request request(*this, kHostVersionCommand, 0);
        request.Field(kHostVersionNode).SetShort(kConsoleHostVersion);
        request.Send();
    });
}

void CPlainSnapIn::HandleAnswer(uint32_t command, IHostMessage&, IMessageNode& root) {
    using namespace plain::protocol;
    if (command != kHostVersionCommand) return;
    Host()->SetRemoteHostVersion(root.Child(kHostVersionNode)->GetShort());
    Host()->RemoteHostVersionKnown();
}

LRESULT CPlainSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Window(), &paint);
        Paint(dc);
        EndPaint(Window(), &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        InvalidateRect(Window(), nullptr, TRUE);  // the hint stays centred
        return 0;
    default:
        return CSnapInBase::WindowProc(message, wParam, lParam);
    }
}

void CPlainSnapIn::Paint(HDC dc) {
    RECT client;
    GetClientRect(Window(), &client);
    std::wstring hint = LoadStringW(IDS_SELECT_TOOL_HINT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

}  // namespace vantrel
