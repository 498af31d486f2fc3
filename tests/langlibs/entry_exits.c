/* The German test library's entry point ends the process if it ever runs: a
   language library must be loaded as data only. */
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

int __stdcall LanguageLibraryEntry(void* instance, unsigned long reason, void* reserved) {
    (void)instance;
    (void)reserved;
    if (reason == 1) ExitProcess(77);
    return 1;
}
