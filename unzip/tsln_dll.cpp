// tsln.dll: the Wiz_SingleEntryUnzip export. Checks the caller's records, then lists the archive
// through the message routine or extracts the chosen entries below the target folder.
#include "unzip/unzip_api.h"
#include "unzip/win_files.h"
#include "unzip/zip_archive.h"
#include "core/module_unload.h"
#include "core/unique_any.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using tsln::zip::Archive;
using tsln::zip::Entry;
using tsln::zip::Result;

constexpr int kPasswordTries = 3;
constexpr int kPasswordBufferSize = 256;

// A writable, NUL-terminated copy for routines that take LPSTR.
std::vector<char> Writable(const std::string& text, size_t minimumSize = 0) {
    std::vector<char> buffer(std::max(text.size() + 1, minimumSize), '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    return buffer;
}

unsigned long Saturate(unsigned long long value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFul : static_cast<unsigned long>(value);
}

// Non-empty names of a caller's list; false when the list itself is unusable.
bool ReadNames(int count, char** names, std::vector<std::string>& out) {
    if (count < 0 || (count > 0 && !names)) return false;
    for (int i = 0; i < count; ++i) {
        if (!names[i]) return false;
        if (*names[i]) out.emplace_back(names[i]);
    }
    return true;
}

class Session {
public:
    Session(const DCL& options, USERFUNCTIONS& routines) : options_(options), routines_(routines) {}

    std::vector<std::string> includes, excludes;

    Result List(const Archive& archive);
    Result Extract(const Archive& archive, const std::string& target);

private:
    enum class ReplaceMode { kAsk, kAll, kNone };

    void Print(const std::string& line) {
        std::vector<char> text = Writable(line);
        routines_.print(text.data(), static_cast<unsigned long>(line.size()));
    }
    bool Selected(const Entry& entry) const;
    void Count(const Entry& entry);
    Result ExtractFile(const Archive& archive, const Entry& entry, const std::string& target);
    bool MayWrite(const std::string& path, const Entry& entry, Result& outcome);
    bool ObtainPassword(const Archive& archive, const Entry& entry, Result& outcome);

    const DCL& options_;
    USERFUNCTIONS& routines_;
    unsigned long long totalCompressed_ = 0, totalSize_ = 0;
    ReplaceMode replace_ = ReplaceMode::kAsk;
    std::string password_; // the last one that opened an entry
    bool passwordsRefused_ = false;
};

bool Session::Selected(const Entry& entry) const {
    const bool caseSensitive = options_.fCaseSensitive != 0;
    auto matches = [&](const std::string& wanted) {
        return tsln::zip::NameMatches(entry.name, wanted, caseSensitive);
    };
    if (!includes.empty() && std::none_of(includes.begin(), includes.end(), matches)) return false;
    return std::none_of(excludes.begin(), excludes.end(), matches);
}

void Session::Count(const Entry& entry) {
    totalCompressed_ += entry.compressedSize;
    totalSize_ += entry.uncompressedSize;
    routines_.TotalSizeComp = Saturate(totalCompressed_);
    routines_.TotalSize = Saturate(totalSize_);
    routines_.CompFactor = tsln::zip::CompressionFactor(totalCompressed_, totalSize_);
    ++routines_.NumMembers;
}

Result Session::List(const Archive& archive) {
    bool matched = false;
    for (const Entry& entry : archive.Entries()) {
        if (!Selected(entry)) continue;
        matched = true;
        if (entry.IsDirectory()) continue;
        const tsln::zip::DosStamp stamp = tsln::zip::DecodeDosStamp(entry.dosDate, entry.dosTime);
        std::vector<char> name = Writable(entry.name);
        std::vector<char> method = Writable(tsln::zip::MethodText(entry));
        routines_.SendApplicationMessage(
            Saturate(entry.uncompressedSize), Saturate(entry.compressedSize),
            tsln::zip::CompressionFactor(entry.compressedSize, entry.uncompressedSize), stamp.month,
            stamp.day, stamp.year, stamp.hour, stamp.minute, 0, name.data(), method.data(), entry.crc,
            entry.IsEncrypted() ? 1 : 0);
        Count(entry);
    }
    return (!includes.empty() && !matched) ? Result::kNoMatch : Result::kOk;
}

Result Session::Extract(const Archive& archive, const std::string& target) {
    Result overall = Result::kOk;
    bool matched = false;
    for (const Entry& entry : archive.Entries()) {
        if (!Selected(entry)) continue;
        matched = true;
        // A name the ANSI code page cannot hold is never written under a substitute.
        if (!entry.nameInAnsi || !tsln::zip::IsSafeEntryName(entry.name)) {
            Print("warning: skipped unsafe name: " + entry.name);
            overall = tsln::zip::Worse(overall, Result::kWarning);
            continue;
        }
        if (routines_.ServCallBk(entry.name.c_str(), Saturate(entry.uncompressedSize)) != 0) {
            Print("cancelled before: " + entry.name);
            return Result::kCancelled;
        }
        const std::string relative = tsln::zip::ToWindowsPath(entry.name);
        if (entry.IsDirectory()) {
            Print("   creating: " + entry.name);
            const tsln::unzip::FolderResult made = tsln::unzip::CreateFolders(target, relative);
            if (made == tsln::unzip::FolderResult::kBlocked) {
                Print("warning: skipped, a file or link is in the way: " + entry.name);
                overall = tsln::zip::Worse(overall, Result::kWarning);
            } else if (made == tsln::unzip::FolderResult::kFailed) {
                Print("error: cannot create folder: " + entry.name);
                overall = tsln::zip::Worse(overall, Result::kDiskError);
            }
            continue;
        }
        const Result r = ExtractFile(archive, entry, target);
        if (r == Result::kNoMemory) return r;
        overall = tsln::zip::Worse(overall, r);
    }
    if (!includes.empty() && !matched) return Result::kNoMatch;
    return overall;
}

// Decides whether the entry may be written at `path`; `outcome` gets the entry's result otherwise.
bool Session::MayWrite(const std::string& path, const Entry& entry, Result& outcome) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        Print("warning: skipped, a folder or link is in the way: " + entry.name);
        outcome = Result::kWarning;
        return false;
    }
    bool replace = options_.fOverwrite != 0 || replace_ == ReplaceMode::kAll;
    if (!replace && replace_ == ReplaceMode::kAsk) {
        std::vector<char> name = Writable(path, MAX_PATH);
        switch (routines_.replace(name.data())) {
        case IDM_REPLACE_YES:
            replace = true;
            break;
        case IDM_REPLACE_ALL:
            replace = true;
            replace_ = ReplaceMode::kAll;
            break;
        case IDM_REPLACE_NONE:
            replace_ = ReplaceMode::kNone;
            break;
        default:
            break; // IDM_REPLACE_NO and anything unknown keep the file
        }
    }
    if (!replace) {
        Print("  skipping: " + entry.name + " (already exists)");
        outcome = Result::kOk;
        return false;
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); // a read-only file can be replaced too
    return true;
}

// Finds a password that opens the entry: the last good one, then up to three answers of the routine.
bool Session::ObtainPassword(const Archive& archive, const Entry& entry, Result& outcome) {
    outcome = Result::kBadPassword;
    if (!password_.empty() && archive.CheckPassword(entry, password_) == Result::kOk) return true;
    for (int attempt = 0; attempt < kPasswordTries && !passwordsRefused_; ++attempt) {
        std::vector<char> buffer(kPasswordBufferSize, '\0');
        const char* prompt = attempt == 0 ? "Enter password for" : "Wrong password, enter it again for";
        const int answer = routines_.password(buffer.data(), kPasswordBufferSize, prompt, entry.name.c_str());
        if (answer == IZ_PW_CANCELALL) passwordsRefused_ = true;
        if (answer != IZ_PW_ENTERED) break;
        buffer.back() = '\0';
        const std::string candidate(buffer.data());
        const Result check = archive.CheckPassword(entry, candidate);
        if (check == Result::kOk) {
            password_ = candidate;
            return true;
        }
        if (check != Result::kBadPassword) {
            outcome = check;
            return false;
        }
    }
    return false;
}

Result Session::ExtractFile(const Archive& archive, const Entry& entry, const std::string& target) {
    // Refused before anything is created or a password asked.
    if (!entry.IsSupported()) {
        Print("error: unsupported compression or encryption: " + entry.name);
        return Result::kUnsupported;
    }
    if (archive.CheckLocalHeader(entry) != Result::kOk) {
        Print("error: local header missing or naming another file: " + entry.name);
        return Result::kBadArchive;
    }
    const std::string relative = tsln::zip::ToWindowsPath(entry.name);
    const size_t slash = relative.rfind('\\');
    if (slash != std::string::npos) {
        const tsln::unzip::FolderResult made = tsln::unzip::CreateFolders(target, relative.substr(0, slash));
        if (made == tsln::unzip::FolderResult::kBlocked) {
            Print("warning: skipped, a file or link is in the way: " + entry.name);
            return Result::kWarning;
        }
        if (made == tsln::unzip::FolderResult::kFailed) {
            Print("error: cannot create folder for: " + entry.name);
            return Result::kDiskError;
        }
    }
    const std::string path = tsln::unzip::JoinPath(target, relative);
    Result outcome = Result::kOk;
    if (!MayWrite(path, entry, outcome)) return outcome;

    std::string password;
    if (entry.IsEncrypted()) {
        if (!ObtainPassword(archive, entry, outcome)) {
            Print(outcome == Result::kBadPassword
                      ? "  skipping: " + entry.name + " (wrong or missing password)"
                      : "error: corrupt entry: " + entry.name);
            return outcome;
        }
        password = password_;
    }

    tsln::unique_file file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Print("error: cannot create file: " + entry.name);
        return Result::kDiskError;
    }
    Print((entry.method == 0 ? " extracting: " : "  inflating: ") + entry.name);
    tsln::unzip::FileSink sink(file.get(), options_.fConvertCrLf != 0 && entry.IsText());
    const Result r = archive.Extract(entry, sink, password);
    if (r != Result::kOk) {
        // Nothing unchecked stays behind.
        file.reset();
        ::DeleteFileA(path.c_str());
        if (r == Result::kDiskError)
            Print("error: cannot write: " + entry.name);
        else
            Print("error: bad CRC or corrupt data: " + entry.name);
        return r;
    }
    tsln::unzip::SetDosFileTime(file.get(), entry.dosDate, entry.dosTime);
    Count(entry);
    return Result::kOk;
}

Result Run(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* options, USERFUNCTIONS* routines) {
    if (!options || !routines) return Result::kBadParameters;
    if (!routines->print || !routines->replace || !routines->password || !routines->SendApplicationMessage ||
        !routines->ServCallBk)
        return Result::kBadParameters;
    const bool listing = options->fList != 0;
    if (!options->lpszZipFN || !*options->lpszZipFN) return Result::kBadParameters;
    if (!listing && (!options->lpszExtractDir || !*options->lpszExtractDir)) return Result::kBadParameters;

    Session session(*options, *routines);
    if (!ReadNames(ifnc, ifnv, session.includes) || !ReadNames(xfnc, xfnv, session.excludes))
        return Result::kBadParameters;
    routines->TotalSizeComp = routines->TotalSize = routines->CompFactor = 0;
    routines->NumMembers = 0;
    routines->cchComment = 0;

    tsln::unique_file file(::CreateFileA(options->lpszZipFN, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Result::kNotZip;
    tsln::unzip::FileSource source(file.get());
    const tsln::unzip::CodePageNames names;
    Archive archive;
    const Result opened = archive.Open(source, names);
    if (opened != Result::kOk) return opened;
    routines->cchComment = archive.CommentLength();
    if (listing) return session.List(archive);

    std::string target(options->lpszExtractDir);
    while (target.size() > 3 && (target.back() == '\\' || target.back() == '/'))
        target.pop_back();
    if (!::CreateDirectoryA(target.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return Result::kDiskError;
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Result::kDiskError;
    return session.Extract(archive, target);
}

} // namespace

extern "C" int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                           USERFUNCTIONS* lpUserFunc) {
    // Nothing may cross into the caller: failures become result codes, which is how this library
    // reports; the caller raises its own failure from them.
    try {
        return static_cast<int>(Run(ifnc, ifnv, xfnc, xfnv, lpDCL, lpUserFunc));
    } catch (const std::bad_alloc&) {
        return TSLN_UNZIP_NOMEMORY;
    } catch (...) {
        return TSLN_UNZIP_BADARCHIVE;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) tsln::ReleaseRuntimeOnUnload(reserved);
    return TRUE;
}
