// Library entry and the module's only export.
#include "framework/Module.h"
#include "framework/SnapInBase.h"
#include "framework/Splitter.h"
#include "module/LanguageLibrary.h"
#include "module/SnapInList.h"
#include "snapins/console/TerminalView.h"

#include <objbase.h>

namespace {

INIT_ONCE g_firstListOnce = INIT_ONCE_STATIC_INIT;
HMODULE g_languageLibrary = nullptr;
bool g_comInitialized = false;

// Done on the first list rather than at attach: loading libraries and creating
// activation contexts under the loader lock can deadlock.
BOOL CALLBACK PrepareResources(PINIT_ONCE, PVOID, PVOID*) {
    try {
        g_languageLibrary = vantrel::LoadLanguageLibrary();
    } catch (...) {
        g_languageLibrary = nullptr;  // the built-in resources serve
    }
    if (g_languageLibrary) vantrel::ExchangeResourceInstance(g_languageLibrary);
    vantrel::InitializeVisualStyles();
    return TRUE;
}

void OnProcessAttach(HINSTANCE instance) {
    // Only what this call initialised is uninitialised at detach.
    g_comInitialized = SUCCEEDED(CoInitialize(nullptr));
    DefWindowProcA(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);
    DisableThreadLibraryCalls(instance);
    vantrel::SetModuleInstance(instance);
    vantrel::InitializeListRegistry();
    vantrel::RegisterSnapInWindowClass();
    vantrel::RegisterSplitterWindowClass();
    vantrel::RegisterTerminalWindowClass();
}

void OnProcessDetach(bool processEnding) {
    // When the process ends, other libraries may be gone already: only a
    // library unloaded on purpose tidies up.
    if (processEnding) return;
    vantrel::UnregisterTerminalWindowClass();
    vantrel::UnregisterSnapInWindowClass();
    vantrel::UnregisterSplitterWindowClass();
    vantrel::ReleaseVisualStyles();
    vantrel::ExchangeResourceInstance(vantrel::ModuleInstance());
    if (g_languageLibrary) FreeLibrary(g_languageLibrary);
    vantrel::TerminateListRegistry();
    if (g_comInitialized) CoUninitialize();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        OnProcessAttach(instance);
        break;
    case DLL_PROCESS_DETACH:
        OnProcessDetach(reserved != nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" ISnapInList* VANTREL_CALL CreateSnapInList(ISnapInHost* host) {
    InitOnceExecuteOnce(&g_firstListOnce, PrepareResources, nullptr, nullptr);
    return vantrel::GetOrCreateList(host);
}
