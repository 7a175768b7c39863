// Reads the version block back from the built Quillpost.exe with the Windows version API and
// checks that it and the About dialog's text carry the project's version (as CMake passes it).
//   version_check.exe PATH-TO-Quillpost.exe MAJOR.MINOR.PATCH
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Headers that need windows.h first.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "about/about.h"
#include "platform/win32/wide_text.h"

using quill::platform::win32::fromWide;
using quill::platform::win32::toWide;

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    unsigned major = 0, minor = 0, patch = 0;
    if (!arguments || count != 3 || std::swscanf(arguments[2], L"%u.%u.%u", &major, &minor, &patch) != 3)
        return 2;
    const wchar_t* path = arguments[1];
    // 2.0.1 is "2.00.0001" in the file: the minor version with two digits, the patch with four.
    char fileVersion[32];
    std::snprintf(fileVersion, sizeof fileVersion, "%u.%02u.%04u", major, minor, patch);
    const std::string version = fromWide(arguments[2]);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        std::printf("FAIL no version block in the program file\n");
        return 1;
    }
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return 1;

    int failures = 0;
    const auto check = [&](bool ok, const std::string& what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
        if (!ok) ++failures;
    };

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const DWORD majorMinor = (major << 16) | minor;  // 2.0.0.1 for 2.0.1
    const DWORD buildRevision = patch;
    check(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
              fixed->dwFileVersionMS == majorMinor && fixed->dwFileVersionLS == buildRevision &&
              fixed->dwProductVersionMS == majorMinor && fixed->dwProductVersionLS == buildRevision,
          "numeric file and product version " + version);
    check(quill::about::frmAbout_Form_Load().version == "Version " + version,
          "About dialog: Version " + version);

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    check(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                         &length) &&
              length >= sizeof(Translation) && translations[0].language == 0x0407 &&
              translations[0].codePage == 1200,
          "language German (0407), Unicode strings (1200)");

    const std::vector<std::pair<std::wstring, std::string>> table{
        {L"FileVersion", fileVersion},
        {L"ProductVersion", fileVersion},
        {L"FileDescription", "UO Tool (3rd Party Software)"},
        {L"ProductName", "UO Quillpost"},
        {L"InternalName", "Quillpost"},
        {L"OriginalFilename", "Quillpost.exe"},
        {L"Comments",
         "Der Programmierer übernimmt keine Garantie dafür, das dieses Tool auf dem Shard des Benutzers laut "
         "Regelwerk verboten ist! ;)"},
        {L"CompanyName", "Quillpost-Team"},
        {L"LegalCopyright", "© 2026 Quillpost-Team"},
    };
    for (const auto& [name, expected] : table) {
        wchar_t* value = nullptr;
        const std::wstring query = L"\\StringFileInfo\\040704B0\\" + name;
        const bool found =
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length);
        const std::string text = found && value ? fromWide(value) : std::string("(missing)");
        check(found && text == expected, fromWide(name) + " = \"" + text + "\"");
    }
    return failures == 0 ? 0 : 1;
}
