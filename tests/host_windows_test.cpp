// The Windows builds: zelvik-render.exe under wine agrees with the Linux host, and the
// plug-in DLLs export the entry points and need only system DLLs.
#include "tests/host_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

using hosttest::CommandResult;
using hosttest::exists;

namespace {

const std::string kWin64Dir = ZELVIK_WIN64_DIR;
const std::string kWin32Dir = ZELVIK_WIN32_DIR;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return (char)std::tolower(c); });
    return text;
}

struct PeFacts {
    std::vector<std::string> importedDlls;
    std::vector<std::string> exportedNames;
};

// `objdump -p` of a PE file: its "DLL Name:" lines and its export name table.
PeFacts inspect(const std::string& objdump, const std::string& file) {
    CommandResult result = hosttest::run({objdump, "-p", file});
    PeFacts facts;
    std::istringstream lines(result.out);
    std::string line;
    bool inNameTable = false;
    while (std::getline(lines, line)) {
        size_t dll = line.find("DLL Name:");
        if (dll != std::string::npos) {
            std::string name = line.substr(dll + 9);
            name.erase(0, name.find_first_not_of(" \t"));
            facts.importedDlls.push_back(name);
        }
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inNameTable = true;
            continue;
        }
        if (inNameTable) {
            size_t close = line.find(']');
            if (line.find('[') == std::string::npos || close == std::string::npos) {
                inNameTable = false;
                continue;
            }
            std::string name = line.substr(close + 1);
            name.erase(0, name.find_first_not_of(" \t"));
            facts.exportedNames.push_back(name);
        }
    }
    return facts;
}

bool isSystemDll(const std::string& name) {
    static const char* const kAllowed[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "shell32.dll",
                                           "comdlg32.dll", "winmm.dll",  "msvcrt.dll", "advapi32.dll"};
    std::string lower = lowercase(name);
    if (lower.rfind("api-ms-", 0) == 0)
        return true;
    return std::find(std::begin(kAllowed), std::end(kAllowed), lower) != std::end(kAllowed);
}

// What the plug-in itself may import: the system's window, drawing, OLE, shell and multimedia
// services and the C runtime.
bool isPluginSystemDll(const std::string& name) {
    static const char* const kAllowed[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll",
                                           "shell32.dll",  "winmm.dll",  "msvcrt.dll"};
    std::string lower = lowercase(name);
    return std::find(std::begin(kAllowed), std::end(kAllowed), lower) != std::end(kAllowed);
}

void checkPluginDll(const std::string& objdump, const std::string& dll, const std::string& format) {
    if (!exists(dll))
        GTEST_SKIP() << dll << " is not built (make build-win64 build-win32)";
    EXPECT_NE(hosttest::run({objdump, "-f", dll}).out.find("file format " + format), std::string::npos) << dll;
    PeFacts facts = inspect(objdump, dll);
    ASSERT_FALSE(facts.importedDlls.empty()) << "objdump found no imports in " << dll;
    std::vector<std::string> exported = facts.exportedNames;
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, (std::vector<std::string>{"VSTPluginMain", "main"})) << dll;
    for (const std::string& name : facts.importedDlls)
        EXPECT_TRUE(isPluginSystemDll(name)) << dll << " needs " << name;
    // The editor draws on screen: the window and drawing services must be linked in.
    for (const char* needed : {"user32.dll", "gdi32.dll"}) {
        bool found = false;
        for (const std::string& name : facts.importedDlls) found = found || lowercase(name) == needed;
        EXPECT_TRUE(found) << dll << " does not import " << needed;
    }
}

TEST(HostWindowsBuild, X86PluginExportsEntryPointsAndNeedsOnlySystemDlls) {
    checkPluginDll("i686-w64-mingw32-objdump", kWin32Dir + "/zelvik-x86.dll", "pei-i386");
}

TEST(HostWindowsBuild, X64PluginExportsEntryPointsAndNeedsOnlySystemDlls) {
    checkPluginDll("x86_64-w64-mingw32-objdump", kWin64Dir + "/zelvik-x64.dll", "pei-x86-64");
}

TEST(HostWindowsBuild, RenderExeNeedsOnlySystemDlls) {
    std::string exe = kWin64Dir + "/zelvik-render.exe";
    if (!exists(exe))
        GTEST_SKIP() << exe << " is not built (make build-win64)";
    for (const std::string& name : inspect("x86_64-w64-mingw32-objdump", exe).importedDlls)
        EXPECT_TRUE(isSystemDll(name)) << "zelvik-render.exe needs " << name;
}

// The same plug-in source, built twice, described by the same host source built twice:
// the two descriptions must be identical, byte for byte.
TEST(HostWindowsBuild, WineInfoMatchesLinuxInfo) {
    std::string exe = kWin64Dir + "/zelvik-render.exe";
    std::string dll = kWin64Dir + "/zelvik-x64.dll";
    const char* wine = "/usr/lib/wine/wine64";
    if (!exists(exe) || !exists(dll) || !exists(wine))
        GTEST_SKIP() << "needs " << exe << ", " << dll << " and " << wine;
    CommandResult linux = hosttest::zelvikRender({"info", ZELVIK_NATIVE_PLUGIN});
    ASSERT_EQ(linux.exitCode, 0) << linux.err;
    ASSERT_NE(linux.out.find("\nparameters:"), std::string::npos) << linux.out;
    std::string environment = "env WINEPREFIX=" + hosttest::shellQuoted(HOST_WINE_PREFIX) +
                              " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='";
    CommandResult windows = hosttest::run({wine, exe, "info", dll}, environment);
    ASSERT_EQ(windows.exitCode, 0) << windows.err;
    EXPECT_EQ(windows.out, linux.out);
}

} // namespace
