// Process-wide state of the module: its own instance, the instance from which
// every user-interface resource is loaded, and the activation context that
// gives the module's windows version 6 of the common controls.
#pragma once

#include "host/SnapInHost.h"

#include <string>

namespace vantrel {

HINSTANCE ModuleInstance();
// The language library if one was chosen, otherwise the module itself.
HINSTANCE ResourceInstance();
void SetModuleInstance(HINSTANCE instance);
// Written with an interlocked exchange; returns the previous instance.
HINSTANCE ExchangeResourceInstance(HINSTANCE instance);

// Activates the module's own manifest (common controls 6) for the lifetime of
// the object. Every window, dialog and message box of the module is created
// inside one, so that it looks and works the same whatever the host's manifest.
class ActivationScope {
public:
    ActivationScope();
    ~ActivationScope();
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// Creates the module's activation context and registers the common-control
// classes of version 6 inside it. Safe to call more than once; not from DllMain.
void InitializeVisualStyles();
void ReleaseVisualStyles();

// An image list of size x size pictures from a bitmap strip with magenta as
// the transparent colour; the resource library's strip wins over the module's.
HIMAGELIST LoadImageStrip(const wchar_t* bitmapName, int size, UINT colorFlags);

// Strings of the resource instance; empty when the id has none.
std::wstring LoadStringW(UINT id);
std::string LoadStringAnsi(UINT id);
bool HasString(UINT id);

}  // namespace vantrel
