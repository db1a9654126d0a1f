#include "visualstyles/manifest.h"
#include "core/text.h"
#include "core/app_error.h"
#include "core/error_report.h"
#include "core/mod_main.h"
#include "core/unique_any.h"
#include "visualstyles/program_architecture.h"

#include <windows.h>
#include <optional>

namespace tsln {

namespace {
const char* const kManifestExtension = ".manifest";
const char* const kProgramsLog = "programs.log";

void Show(const ShowPath& show, const std::string& path) {
    if (show) show(path);
}

// The program's architecture from its header; kUnknown when the file cannot be read.
ProgramArchitecture ArchitectureOfProgram(const std::string& path) {
    unique_file file(CreateFileA(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ProgramArchitecture::kUnknown;
    std::string bytes(kProgramHeaderBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return ProgramArchitecture::kUnknown;
    bytes.resize(read);
    return ArchitectureOfHeader(bytes);
}
} // namespace

std::string StripPath(const std::string& path) {
    try {
        size_t slash = path.find_last_of('\\');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    } catch (...) {
        HandleFailure("Tessaline.modVisualSupport.StripPath", kShown);
        return {};
    }
}

std::string CutAtNull(const std::string& text) {
    return CutAtNul(text);
}

std::string ManifestPath(const std::string& programPath) {
    std::string name = StripPath(programPath);
    std::string folder = programPath.substr(0, programPath.size() - name.size());
    return AddBackslash(folder) + name + kManifestExtension;
}

std::string ManifestText(const std::string& fileName, ProgramArchitecture architecture) {
    const std::string arch = ManifestArchitectureName(architecture);
    std::string text;
    for (const std::string& line : {
             std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"),
             std::string(R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">)"),
             R"(<assemblyIdentity version="1.0.0.0" processorArchitecture=")" + arch +
                 R"(" name="Company.Product.)" + fileName + R"(" type="win32" />)",
             std::string("<description>WindowsExecutable</description>"),
             std::string("<dependency>"),
             std::string("<dependentAssembly>"),
             R"(<assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" )"
             R"(version="6.0.0.0" processorArchitecture=")" +
                 arch + R"(" publicKeyToken="6595b64144ccf1df" language="*" />)",
             std::string("</dependentAssembly>"),
             std::string("</dependency>"),
             std::string("</assembly>"),
         })
        text += line + "\r\n";
    return text;
}

bool HasManifest(const std::string& path) {
    try {
        return FileExists(ManifestPath(path));
    } catch (...) {
        // An undecidable answer counts as no manifest.
        return false;
    }
}

void CreateManifest(const std::string& path, const ShowPath& show) {
    try {
        Show(show, path);
        // An existing manifest, whoever made it, is never overwritten.
        if (HasManifest(path)) return;

        const std::string manifest = ManifestPath(path);
        {
            // CREATE_NEW keeps that promise even against a file that appears after the test above
            // (and never trips over a hidden file the way CREATE_ALWAYS does).
            unique_file file(CreateFileA(manifest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) throw Win32Failure(GetLastError(), __LINE__);
            // A half-written manifest would stop the program from starting: it goes again.
            auto removePartial = make_scope_exit([&] {
                file.reset();
                DeleteFileA(manifest.c_str());
            });
            const std::string text = ManifestText(StripPath(path), ArchitectureOfProgram(path));
            WriteAll(file.get(), text.data(), text.size());
            if (!CloseHandle(file.release())) throw Win32Failure(GetLastError(), __LINE__);
            removePartial.dismiss();
        }
        AppendText(AppFolder() + kProgramsLog, path, false);
        if (!SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_HIDDEN))
            throw Win32Failure(GetLastError(), __LINE__);
    } catch (...) {
        HandleFailure("Tessaline.modVisualSupport.CreateManifest", kSilent);
    }
}

namespace {
// `known`: whether the caller found the manifest, or nothing to ask the file system here.
void Delete(const std::string& path, std::optional<bool> known, const ShowPath& show) {
    try {
        Show(show, path);
        if (!(known ? *known : HasManifest(path))) return;
        const std::string manifest = ManifestPath(path);
        // Hidden, system and read-only manifests (shipped ones too) can only be deleted once normal.
        if (!SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            const DWORD error = GetLastError();
            // Gone since it was looked for: there is nothing left to remove.
            if (error == ERROR_FILE_NOT_FOUND) return;
            throw Win32Failure(error, __LINE__);
        }
        if (!DeleteFileA(manifest.c_str())) throw Win32Failure(GetLastError(), __LINE__);
    } catch (...) {
        HandleFailure("Tessaline.modVisualSupport.DeleteManifest", kSilent);
    }
}
} // namespace

void DeleteManifest(const std::string& path, const ShowPath& show) {
    Delete(path, std::nullopt, show);
}

void DeleteManifest(const std::string& path, bool hasManifest, const ShowPath& show) {
    Delete(path, hasManifest, show);
}

} // namespace tsln
