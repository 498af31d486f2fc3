/* A resource-only library: an entry point that does nothing. */
int __stdcall LanguageLibraryEntry(void* instance, unsigned long reason, void* reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
