#include "framework/Module.h"

#include "framework/Handles.h"

#include <atomic>

namespace vantrel {
namespace {

HINSTANCE g_moduleInstance = nullptr;
HINSTANCE volatile g_resourceInstance = nullptr;
INIT_ONCE g_visualStylesOnce = INIT_ONCE_STATIC_INIT;

// Never destroyed: when the process ends nothing is tidied up (other libraries
// may be gone already); a library unloaded on purpose releases it in
// ReleaseVisualStyles.
UniqueActCtx& ActivationContext() {
    static UniqueActCtx* const context = new UniqueActCtx();
    return *context;
}

// The manifest is the module's resource 2, the id the loader also uses for a
// library's own dependencies.
constexpr WORD kManifestResource = 2;

BOOL CALLBACK CreateActivationContext(PINIT_ONCE, PVOID, PVOID*) {
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = g_moduleInstance;
    context.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
    ActivationContext().reset(CreateActCtxW(&context));

    // Register the version-6 classes: the common-controls library that the
    // context resolves is not necessarily the one the host has loaded.
    ActivationScope scope;
    if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        if (auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")))) {
            INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                                         ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS |
                                                         ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
            init(&icc);
        }
        // The library stays loaded for the process: windows of its classes may
        // outlive any scope here.
    }
    return TRUE;
}

}  // namespace

HINSTANCE ModuleInstance() { return g_moduleInstance; }

HINSTANCE ResourceInstance() {
    HINSTANCE instance = g_resourceInstance;
    return instance ? instance : g_moduleInstance;
}

void SetModuleInstance(HINSTANCE instance) {
    g_moduleInstance = instance;
    ExchangeResourceInstance(instance);
}

HINSTANCE ExchangeResourceInstance(HINSTANCE instance) {
    return static_cast<HINSTANCE>(
        InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_resourceInstance), instance));
}

void InitializeVisualStyles() { InitOnceExecuteOnce(&g_visualStylesOnce, CreateActivationContext, nullptr, nullptr); }

void ReleaseVisualStyles() { ActivationContext().reset(); }

ActivationScope::ActivationScope() {
    if (const UniqueActCtx& context = ActivationContext()) active_ = ActivateActCtx(context.get(), &cookie_) != FALSE;
}

ActivationScope::~ActivationScope() {
    if (active_) DeactivateActCtx(0, cookie_);
}

HIMAGELIST LoadImageStrip(const wchar_t* bitmapName, int size, UINT colorFlags) {
    auto load = [bitmapName](HINSTANCE instance) {
        return static_cast<HBITMAP>(LoadImageW(instance, bitmapName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    };
    UniqueBitmap bitmap(load(ResourceInstance()));
    if (!bitmap && ResourceInstance() != ModuleInstance()) bitmap.reset(load(ModuleInstance()));
    if (!bitmap) return nullptr;
    BITMAP info = {};
    GetObjectW(bitmap.get(), sizeof(info), &info);
    int count = size > 0 ? info.bmWidth / size : 0;
    HIMAGELIST list = ImageList_Create(size, size, colorFlags | ILC_MASK, count, 4);
    if (list) ImageList_AddMasked(list, bitmap.get(), RGB(255, 0, 255));
    return list;
}

std::wstring LoadStringW(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size, LoadStringW hands out the resource's own text.
    int length = ::LoadStringW(ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

std::string LoadStringAnsi(UINT id) {
    std::wstring wide = LoadStringW(id);
    if (wide.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), result.data(), size, nullptr, nullptr);
    return result;
}

bool HasString(UINT id) {
    const wchar_t* text = nullptr;
    return ::LoadStringW(ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0) > 0;
}

}  // namespace vantrel
