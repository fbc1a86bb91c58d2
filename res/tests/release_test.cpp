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
constexpr const char* kSupportedOs =
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}{1f676c76-80e1-4239-95bb-83d0f6d0da78}"
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}";

std::string guid_text(const GUID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
    return text;
}

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

// Whether the loader, starting the program with this manifest, asks administrators for
// elevation and runs a standard user unelevated, with no shims, classic controls, and
// Windows scaling the windows at more than 96 dpi (the font editor's character list would
// cut off its codes if the program drew itself at 144).
// The manifest of an exe is read from the file, as Windows does before it starts it.
bool fit_to_ship(const char* source, bool exe = true) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = exe ? ACTCTX_FLAG_RESOURCE_NAME_VALID : 0;
    request.lpSource = source;
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE handle = CreateActCtxA(&request);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const std::unique_ptr<void, decltype(&ReleaseActCtx)> context(handle, ReleaseActCtx);
    const std::vector<ULONGLONG> run_level = query(handle, RunlevelInformationInActivationContext);
    const std::vector<ULONGLONG> detail = query(handle, ActivationContextDetailedInformation);
    const std::vector<ULONGLONG> compatibility =
        query(handle, CompatibilityInformationInActivationContext);
    if (run_level.empty() || detail.empty() || compatibility.empty())
        return false;
    WCHAR setting[32];
    const bool declares_dpi_awareness =
        QueryActCtxSettingsW(0, handle, nullptr, L"dpiAware", setting, 32, nullptr) ||
        QueryActCtxSettingsW(0, handle, nullptr, L"dpiAwareness", setting, 32, nullptr);
    const auto* level =
        reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(run_level.data());
    // The program's own assembly and no dependency (such as common controls 6).
    const DWORD assemblies =
        reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data())
            ->ulAssemblyCount;
    const auto* supported = reinterpret_cast<const CompatibilityInformation*>(compatibility.data());
    std::string supported_os;
    for (DWORD i = 0; i < supported->count; ++i)
        if (supported->elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
            supported_os += guid_text(supported->elements[i].id);
    return level->RunLevel == ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE && level->UiAccess == 0 &&
           supported_os == kSupportedOs && assemblies == 1 && !declares_dpi_awareness;
}

bool text_fit_to_ship(const std::string& text) {
    char folder[MAX_PATH];
    char path[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "mft", 0, path);
    std::ofstream(path, std::ios::binary) << text;
    const bool fit = fit_to_ship(path, false);
    DeleteFileA(path);
    return fit;
}

// The manifest's text as linked into the exe; empty when it has none.
std::string manifest_text(const char* exe) {
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> module(
        LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE), FreeLibrary);
    if (!module)
        return "";
    HRSRC resource = FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = resource ? LoadResource(module.get(), resource) : nullptr;
    if (!loaded)
        return "";
    return std::string(static_cast<const char*>(LockResource(loaded)),
                       SizeofResource(module.get(), resource));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) {
        ADD_FAILURE() << "the manifest has no " << from;
        return text;
    }
    return text.replace(at, from.size(), to);
}

// The shipped exe's manifest, and what a change to it would break.
TEST(Manifest, OnlyTheShippedManifestIsFitToShip) {
    const std::string built = manifest_text(TQ350_EXE);
    ASSERT_FALSE(built.empty());
    char own_exe[MAX_PATH];
    GetModuleFileNameA(nullptr, own_exe, sizeof own_exe);
    const std::string common_controls =
        "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
        "processorArchitecture=\"amd64\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
        "</dependentAssembly></dependency></assembly>";
    EXPECT_TRUE(fit_to_ship(TQ350_EXE));
    EXPECT_TRUE(text_fit_to_ship(built)) << "the built manifest from a file";
    EXPECT_FALSE(fit_to_ship(own_exe)) << "an exe without one";
    const std::pair<const char*, std::string> cases[] = {
        {"cut in half", built.substr(0, built.size() / 2)},
        {"asInvoker", replaced(built, "\"highestAvailable\"", "\"asInvoker\"")},
        {"uiAccess true", replaced(built, "uiAccess=\"false\"", "uiAccess=\"true\"")},
        {"Windows 10 and 11 left out",
         replaced(built, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "")},
        {"compatibility in another namespace",
         replaced(built, "compatibility.v1", "compatibility.v2")},
        {"system DPI-aware",
         replaced(built, "</assembly>",
                  "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>"
                  "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
                  "</dpiAware></windowsSettings></application></assembly>")},
        {"common controls 6", replaced(built, "</assembly>", common_controls)}};
    for (const auto& [name, manifest] : cases)
        EXPECT_FALSE(text_fit_to_ship(manifest)) << name;
}

TEST(VersionInfo, TheShippedExeCarriesTheProjectVersion) {
    DWORD unused = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(TQ350_EXE, &unused));
    ASSERT_TRUE(GetFileVersionInfoA(TQ350_EXE, 0, info.size(), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const auto dotted = [](DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
               std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    EXPECT_EQ(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + " / " +
                  dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS),
              TQ350_VERSION ".0 / " TQ350_VERSION ".0");
    // Explorer finds the texts through the translation: US English, Unicode.
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(length == 4 ? *translation : 0, MAKELONG(0x0409, 1200));
    const std::pair<const char*, const char*> cases[] = {
        {"FileVersion", TQ350_VERSION},
        {"ProductVersion", TQ350_VERSION},
        {"ProductName", "TQ-350 Setup Tool"},
        {"CompanyName", "Halvik"},
        {"FileDescription", "TQ-350 printer setup"},
        {"OriginalFilename", "tq350setup.exe"},
        {"LegalCopyright", "Copyright (C) 2026 Halvik"}};
    for (const auto& [name, expected] : cases) {
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        char* text = nullptr;
        ASSERT_TRUE(
            VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_EQ(std::string(text), expected) << name;
    }
}

TEST(UnpackedZip, TheExeStartsAndShowsItsMainWindow) {
    tq350::e2e::Program program(TQ350_EXE);
    ASSERT_TRUE(program.started());
    EXPECT_TRUE(IsWindowVisible(program.main()));
    EXPECT_EQ(program.close_and_wait(), 1u);
}

} // namespace
