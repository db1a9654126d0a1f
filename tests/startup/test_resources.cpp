// What the shipped files carry: version, manifest, icon and built-in pictures; the player's registration.
#include "tests/startup/startup_fixture.h"

#include <doctest.h>

namespace {
std::string Resource(HMODULE module, LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string(data, SizeofResource(module, found)) : std::string();
}
} // namespace

TEST_CASE("Tessaline.exe carries its version, manifest, icon and pictures") {
    const std::string exe = startup::Exe();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    REQUIRE(size > 0);
    std::vector<char> info(size);
    REQUIRE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(HIWORD(fixed->dwFileVersionMS) == 1);
    CHECK(LOWORD(fixed->dwFileVersionMS) == 8);
    CHECK(HIWORD(fixed->dwFileVersionLS) == 0);
    CHECK(LOWORD(fixed->dwFileVersionLS) == 8);

    tsln::unique_hmodule module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    REQUIRE(module);
    std::string manifest = Resource(module.get(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    CHECK(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") !=
          std::string::npos);
    // The flavour's own architecture: a 64-bit program whose manifest says X86 does not start.
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "X86";
    CHECK(manifest.find("processorArchitecture=\"" + arch + "\" name=\"Quillfen.Tessaline\"") !=
          std::string::npos);
    CHECK(manifest.find("processorArchitecture=\"" + arch +
                        "\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"") != std::string::npos);
    CHECK(FindResourceA(module.get(), MAKEINTRESOURCEA(1), RT_GROUP_ICON) != nullptr);

    for (int id : {101, 102}) {
        std::string gif = Resource(module.get(), "GIF", MAKEINTRESOURCEA(id));
        REQUIRE(gif.size() > 10);
        CHECK(gif.compare(0, 3, "GIF") == 0);
        CHECK(static_cast<unsigned char>(gif[6]) + 256 * static_cast<unsigned char>(gif[7]) == 230);
        CHECK(static_cast<unsigned char>(gif[8]) + 256 * static_cast<unsigned char>(gif[9]) == 164);
    }
    std::string jpg = Resource(module.get(), "JPG", MAKEINTRESOURCEA(103));
    REQUIRE(jpg.size() > 4);
    CHECK(static_cast<unsigned char>(jpg[0]) == 0xFF);
    CHECK(static_cast<unsigned char>(jpg[1]) == 0xD8);
}

TEST_CASE("the movie player registers and unregisters itself completely") {
    testing::RegTreeSnapshot clsid(HKEY_LOCAL_MACHINE, startup::kPlayerClsidKey);
    testing::RegTreeSnapshot progId(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Tessaline.MoviePlayer");

    REQUIRE(startup::CallPlayer("DllUnregisterServer") == 0);
    CHECK_FALSE(testing::KeyExists(HKEY_LOCAL_MACHINE, startup::kPlayerClsidKey));
    CHECK_FALSE(testing::KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Tessaline.MoviePlayer"));
    CHECK(startup::CallPlayer("DllUnregisterServer") == 0); // twice is fine

    REQUIRE(startup::CallPlayer("DllRegisterServer") == 0);
    const std::string server = std::string(startup::kPlayerClsidKey) + "\\InprocServer32";
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, server, "") == testing::DistDir() + "\\tslnplay.dll");
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, server, "ThreadingModel") == "Apartment");
    CHECK(testing::ReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Tessaline.MoviePlayer\\CLSID", "") ==
          "{3F8A6C21-5D4E-4B7A-9C1F-2E6D8B0A7C54}");
}
