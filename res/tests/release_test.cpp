// The exe from the zip, unpacked into an empty folder: its manifest as the loader reads it,
// its version information, and that it starts and shows its main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "link/tests/e2e_support.h"

namespace {

// Windows Vista, 7, 8, 8.1, and 10 and 11.
constexpr const char* kSupportedOs[] = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
};

struct ActCtxRelease {
    void operator()(HANDLE context) const { ReleaseActCtx(context); }
};
using ActCtx = std::unique_ptr<void, ActCtxRelease>;

struct LibraryFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree>;

std::string guid_text(const GUID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
    return text;
}

// What the loader makes of a manifest when it starts the program.
struct Reading {
    bool parsed = false;
    ACTCTX_REQUESTED_RUN_LEVEL level = ACTCTX_RUN_LEVEL_UNSPECIFIED;
    DWORD ui_access = 0;
    std::vector<std::string> supported_os;
    DWORD assemblies = 0; // the program's own and every dependency (common controls 6 ...)
    bool declares_dpi_awareness = false;
};

// The list of supported systems as Windows 10 and Wine hand it out: each entry has grown a
// MaxVersionTested since the layout in mingw-w64's winnt.h.
struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG max_version_tested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[1];
};

// A variable-sized answer of QueryActCtxW; empty when the context cannot give it.
std::vector<ULONGLONG> query(HANDLE context, ULONG what) {
    SIZE_T size = 0;
    QueryActCtxW(0, context, nullptr, what, nullptr, 0, &size);
    std::vector<ULONGLONG> answer((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
    if (answer.empty() || !QueryActCtxW(0, context, nullptr, what, answer.data(), size, nullptr))
        answer.clear();
    return answer;
}

Reading read_manifest(ACTCTXA request) {
    Reading reading;
    HANDLE handle = CreateActCtxA(&request);
    if (handle == INVALID_HANDLE_VALUE)
        return reading;
    ActCtx context(handle);
    const std::vector<ULONGLONG> run_level = query(handle, RunlevelInformationInActivationContext);
    const std::vector<ULONGLONG> detail = query(handle, ActivationContextDetailedInformation);
    const std::vector<ULONGLONG> compatibility =
        query(handle, CompatibilityInformationInActivationContext);
    if (run_level.empty() || detail.empty() || compatibility.empty())
        return reading;
    reading.parsed = true;
    WCHAR setting[32];
    reading.declares_dpi_awareness =
        QueryActCtxSettingsW(0, handle, nullptr, L"dpiAware", setting, 32, nullptr) ||
        QueryActCtxSettingsW(0, handle, nullptr, L"dpiAwareness", setting, 32, nullptr);
    const auto* level =
        reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(run_level.data());
    reading.level = level->RunLevel;
    reading.ui_access = level->UiAccess;
    reading.assemblies =
        reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data())
            ->ulAssemblyCount;
    const auto* supported = reinterpret_cast<const CompatibilityInformation*>(compatibility.data());
    for (DWORD i = 0; i < supported->count; ++i)
        if (supported->elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
            reading.supported_os.push_back(guid_text(supported->elements[i].id));
    return reading;
}

// The manifest linked into an exe: read from the file, as Windows does before it starts it.
Reading read_exe_manifest(const char* exe) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe;
    request.lpResourceName = MAKEINTRESOURCEA(1);
    return read_manifest(request);
}

Reading read_manifest_text(const std::string& text) {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "mft", 0, path);
    std::ofstream(path, std::ios::binary) << text;
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.lpSource = path;
    Reading reading = read_manifest(request);
    DeleteFileA(path);
    return reading;
}

// The manifest's text as linked into the exe; empty when it has none.
std::string manifest_text(const char* exe) {
    Library module(LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return "";
    HRSRC resource = FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = resource ? LoadResource(module.get(), resource) : nullptr;
    if (!loaded)
        return "";
    return std::string(static_cast<const char*>(LockResource(loaded)),
                       SizeofResource(module.get(), resource));
}

// Administrators are asked for elevation, a standard user runs unelevated, no shims, classic
// controls, and Windows scales the windows at more than 96 dpi (the font editor's character
// list would cut off its codes if the program drew itself at 144).
bool fit_to_ship(const Reading& reading) {
    return reading.parsed && reading.level == ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE &&
           reading.ui_access == 0 &&
           reading.supported_os ==
               std::vector<std::string>(std::begin(kSupportedOs), std::end(kSupportedOs)) &&
           reading.assemblies == 1 && !reading.declares_dpi_awareness;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) {
        ADD_FAILURE() << "the manifest has no " << from;
        return text;
    }
    return text.replace(at, from.size(), to);
}

TEST(Manifest, TheShippedExeAsksForTheHighestLevelOnEveryWindowsFromVista) {
    const Reading reading = read_exe_manifest(TQ350_EXE);
    ASSERT_TRUE(reading.parsed);
    EXPECT_EQ(reading.level, ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE);
    EXPECT_EQ(reading.ui_access, 0u);
    EXPECT_EQ(reading.supported_os,
              std::vector<std::string>(std::begin(kSupportedOs), std::end(kSupportedOs)));
    EXPECT_EQ(reading.assemblies, 1u) << "a dependency such as common controls 6";
    EXPECT_FALSE(reading.declares_dpi_awareness);
}

TEST(Manifest, AMissingOrFaultyManifestIsNotFitToShip) {
    const std::string built = manifest_text(TQ350_EXE);
    ASSERT_FALSE(built.empty());
    char own_exe[MAX_PATH];
    GetModuleFileNameA(nullptr, own_exe, sizeof own_exe);
    const std::string common_controls =
        "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
        "processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
        "</dependentAssembly></dependency></assembly>";
    struct Case {
        const char* name;
        Reading reading;
        bool fit;
    };
    const Case cases[] = {
        {"the built manifest from a file", read_manifest_text(built), true},
        {"an exe without one", read_exe_manifest(own_exe), false},
        {"cut in half", read_manifest_text(built.substr(0, built.size() / 2)), false},
        {"asInvoker", read_manifest_text(replaced(built, "\"highestAvailable\"", "\"asInvoker\"")),
         false},
        {"uiAccess true",
         read_manifest_text(replaced(built, "uiAccess=\"false\"", "uiAccess=\"true\"")), false},
        {"Windows 10 and 11 left out",
         read_manifest_text(replaced(built, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "")), false},
        {"compatibility in another namespace",
         read_manifest_text(replaced(built, "compatibility.v1", "compatibility.v2")), false},
        {"system DPI-aware",
         read_manifest_text(replaced(
             built, "</assembly>",
             "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>"
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
             "</dpiAware></windowsSettings></application></assembly>")),
         false},
        {"common controls 6", read_manifest_text(replaced(built, "</assembly>", common_controls)),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fit_to_ship(c.reading), c.fit);
    }
}

TEST(VersionInfo, TheShippedExeCarriesTheProjectVersion) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(TQ350_EXE, &unused);
    ASSERT_NE(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(TQ350_EXE, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const auto dotted = [](DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
               std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    const std::string numbers = dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + " / " +
                                dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    EXPECT_EQ(numbers, TQ350_VERSION ".0 / " TQ350_VERSION ".0");

    // Explorer finds the texts through the translation: US English, Unicode.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
    struct Case {
        const char* name;
        const char* text;
    };
    constexpr Case cases[] = {
        {"FileVersion", TQ350_VERSION},
        {"ProductVersion", TQ350_VERSION},
        {"ProductName", "TQ-350 Setup Tool"},
        {"CompanyName", "Halvik"},
        {"FileDescription", "TQ-350 printer setup"},
        {"OriginalFilename", "tq350setup.exe"},
        {"LegalCopyright", "Copyright (C) 2026 Halvik"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + c.name;
        char* text = nullptr;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::string(text), c.text);
    }
}

TEST(UnpackedZip, TheExeStartsAndShowsItsMainWindow) {
    tq350::e2e::Program program(TQ350_EXE);
    ASSERT_TRUE(program.started());
    EXPECT_TRUE(IsWindowVisible(program.main()));
    EXPECT_EQ(program.close_and_wait(), 1u);
}

} // namespace
