// The module as a host meets it: the export, one list per host, snap-ins
// created and cached by number, and the choice of the language library.
#include "tests/host/LocalFiles.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vantrel::test {
namespace {

TEST(SnapInList, OneListPerHostUntilReleased) {
    TestHost first;
    TestHost second;
    ASSERT_NE(first.List(), nullptr);
    EXPECT_EQ(ModuleUnderTest::CreateList(&first), first.List());
    EXPECT_NE(second.List(), first.List());

    // After Release the same host gets a new, empty list.
    ISnapInList* list = second.List();
    ISnapIn* drives = list->GetSnapIn(15001);
    ASSERT_NE(drives, nullptr);
    EXPECT_EQ(list->GetSnapIn(15001), drives);
    ISnapInList* renewed = second.RenewList();
    ASSERT_NE(renewed, nullptr);
    EXPECT_EQ(ModuleUnderTest::CreateList(&second), renewed);
    EXPECT_EQ(ModuleUnderTest::CreateList(&first), first.List()) << "other hosts keep theirs";
    ISnapIn* again = renewed->GetSnapIn(15001);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetSnapInId(), 15001);
}

TEST(SnapInList, CreatesEachCatalogueNumberOnceAndRefusesOthers) {
    TestHost host;
    for (int32_t id = 15000; id <= 15010; ++id) {
        ISnapIn* snapIn = host.List()->GetSnapIn(id);
        ASSERT_NE(snapIn, nullptr) << id;
        EXPECT_EQ(snapIn->GetSnapInId(), id);
        EXPECT_EQ(host.List()->GetSnapIn(id), snapIn) << "cached";
        EXPECT_NE(snapIn->GetAnswerSink(), nullptr);
    }
    EXPECT_EQ(host.List()->GetSnapIn(14999), nullptr);
    EXPECT_EQ(host.List()->GetSnapIn(15011), nullptr);
    EXPECT_EQ(host.List()->GetSnapIn(-1), nullptr);
}

// Runs this program in another directory so that the module chooses its
// resources afresh; returns the title the snap-in 15001 made.
std::string ProbeLanguageIn(const std::wstring& directory) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "no pipe";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --probe-language";
    BOOL started = CreateProcessW(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &startup,
                                  &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[256];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) output.append(buffer, read);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    return started ? output : "not started";
}

std::wstring LanguageDirectory(const wchar_t* name) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path.resize(path.find_last_of(L"\\/"));      // bin
    path.resize(path.find_last_of(L"\\/") + 1);  // build directory
    return path + L"langlibs\\" + name;
}

TEST(LanguageLibrary, GermanWinsOverFrenchWhateverTheWalkFindsFirst) {
    EXPECT_EQ(ProbeLanguageIn(LanguageDirectory(L"both")), "Console - Laufwerke");
}

TEST(LanguageLibrary, FrenchIsUsedWithoutGerman) {
    EXPECT_EQ(ProbeLanguageIn(LanguageDirectory(L"french-only")), "Console - Lecteurs");
}

TEST(LanguageLibrary, BuiltInStringsWithoutLanguageLibraries) {
    EXPECT_EQ(ProbeLanguageIn(LanguageDirectory(L"none")), "Console - Disk Drives");
}

// Layouts made from copies of the two built libraries, named as the test needs.
TEST(LanguageLibrary, TheFirstFileOfANameInTheWalkIsTheOneUsed) {
    namespace fs = std::filesystem;
    const fs::path built = LanguageDirectory(L"both");
    const fs::path french = built / "a-first" / "Vantrel.Snapins.fr.dll";
    const fs::path german = built / "z-deeper" / "nested" / "Vantrel.Snapins.de.dll";
    {
        // Both named German; the walk meets the French strings first, in the
        // folder itself, and a later match below must not replace them.
        TemporaryFolder root("vantrel-first-match");
        fs::create_directories(root.Path() / "below");
        fs::copy_file(french, root.Path() / "Vantrel.Snapins.de.dll");
        fs::copy_file(german, root.Path() / "below" / "Vantrel.Snapins.de.dll");
        EXPECT_EQ(ProbeLanguageIn(root.Path().wstring()), "Console - Lecteurs");
    }
    {
        // A folder of the library's name is no library: the one inside it is.
        TemporaryFolder root("vantrel-folder-named-like-a-library");
        fs::create_directories(root.Path() / "Vantrel.Snapins.de.dll");
        fs::copy_file(german, root.Path() / "Vantrel.Snapins.de.dll" / "Vantrel.Snapins.de.dll");
        EXPECT_EQ(ProbeLanguageIn(root.Path().wstring()), "Console - Laufwerke");
    }
}

}  // namespace
}  // namespace vantrel::test
