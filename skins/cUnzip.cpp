#include "skins/cUnzip.h"
#include "core/app_error.h"
#include "core/mod_main.h"
#include "core/text.h"
#include "core/unique_any.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tsln {

namespace {
// The object the library's routines serve during a call.
cUnzip* gCurrentUnzip = nullptr;

// The library's name lists hold at most this many names before their closing empty name.
constexpr size_t kMaxNames = 1023;
// Texts from the routines are taken only with a length in 2..31999.
constexpr size_t kMaxText = 32000;

std::string WithBackslashes(std::string text) {
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

// A NUL-terminated text of at most kMaxText bytes, or empty when there is none.
std::string BoundedText(const char* text, size_t limit = kMaxText) {
    if (text == nullptr) return {};
    size_t length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return std::string(text, length);
}

bool UsableLength(size_t length) {
    return length > 1 && length < kMaxText;
}

[[noreturn]] void RaiseSubscript() {
    TSLN_FAIL(err::kSubscript);
}
} // namespace

std::string DefaultUnzipLibrary() {
    return AddBackslash(ProgramFolder()) + "tsln.dll";
}

cUnzip::cUnzip(std::string library) : library_(std::move(library)) {}

cUnzip::~cUnzip() {
    if (gCurrentUnzip == this) gCurrentUnzip = nullptr;
}

void cUnzip::SetZipFile(const std::string& path) {
    zipFile_ = path;
    entries_.clear();
}

const cUnzipEntry& cUnzip::At(int32_t index) const {
    if (index < 1 || index > FileCount()) RaiseSubscript();
    return entries_[static_cast<size_t>(index - 1)];
}

const cUnzipEntry& cUnzip::Entry(int32_t index) const {
    return At(index);
}

void cUnzip::SetFileSelected(int32_t index, bool selected) {
    At(index);
    entries_[static_cast<size_t>(index - 1)].Selected = selected;
}

int cUnzip::Directory() {
    options_.fList = 1;
    return Call({});
}

int cUnzip::UnZip() {
    if (zipFile_.empty()) return TSLN_UNZIP_OK;
    std::vector<std::string> include;
    size_t selected = 0;
    for (const cUnzipEntry& entry : entries_) {
        if (!entry.Selected) continue;
        ++selected;
        std::string folder = entry.Folder;
        for (char& c : folder)
            if (c == '\\') c = '/';
        include.push_back(folder.empty() ? entry.FileName : folder + "/" + entry.FileName);
    }
    // An empty include list is the library's "every entry": right when all are selected (or nothing was
    // listed), wrong when none is.
    if (!entries_.empty() && selected == 0) return TSLN_UNZIP_OK;
    if (selected == entries_.size()) include.clear();
    if (include.size() > kMaxNames) RaiseSubscript();
    options_.fList = 0;
    return Call(std::move(include));
}

int cUnzip::Call(std::vector<std::string> include) {
    if (!module_) {
        module_.reset(LoadLibraryA(library_.c_str()));
        if (!module_) throw Win32Failure(GetLastError(), __LINE__);
        entry_ =
            reinterpret_cast<TslnSingleEntryUnzip>(GetProcAddress(module_.get(), "Wiz_SingleEntryUnzip"));
        if (entry_ == nullptr) {
            DWORD code = GetLastError();
            module_.reset();
            throw Win32Failure(code, __LINE__);
        }
        // The library stays loaded for the rest of the process once it was loaded: on 32-bit Windows each
        // load of a DLL that carries its own runtime costs a handle its unwinder never closes, and the
        // main window reads its skin at every opening.
        static const HMODULE kKeptLoaded = LoadLibraryA(library_.c_str());
        (void)kKeptLoaded;
    }

    std::vector<char*> includeNames;
    for (std::string& name : include)
        includeNames.push_back(&name[0]);
    includeNames.push_back(const_cast<char*>(""));
    char* excludeNames[] = {const_cast<char*>("")};

    std::string zipFile = zipFile_;
    std::string folder = unzipFolder_;
    options_.lpszZipFN = &zipFile[0];
    options_.lpszExtractDir = options_.fList ? nullptr : &folder[0];

    USERFUNCTIONS routines = {};
    routines.print = &cUnzip::PrintRoutine;
    routines.replace = &cUnzip::ReplaceRoutine;
    routines.password = &cUnzip::PasswordRoutine;
    routines.SendApplicationMessage = &cUnzip::MessageRoutine;
    routines.ServCallBk = &cUnzip::ServiceRoutine;

    passwordRefused_ = false;
    listenerFailure_ = nullptr;
    // A listener may start a call of its own; the object it interrupted is served again afterwards.
    int result = 0;
    {
        cUnzip* previous = std::exchange(gCurrentUnzip, this);
        auto restore = make_scope_exit([&] {
            gCurrentUnzip = previous;
            options_.lpszZipFN = nullptr;
            options_.lpszExtractDir = nullptr;
        });
        result = entry_(static_cast<int>(include.size()), includeNames.data(), 0, excludeNames, &options_,
                        &routines);
    }
    if (listenerFailure_) std::rethrow_exception(std::exchange(listenerFailure_, nullptr));
    return result;
}

// The routines run inside the library: nothing may escape them. A listener's failure is kept for the
// caller, and the routine gives the answer that stops the least harm (keep, no password, cancel).

int WINAPI cUnzip::PrintRoutine(LPSTR text, unsigned long length) {
    cUnzip* self = gCurrentUnzip;
    if (self == nullptr || text == nullptr || !UsableLength(length)) return 0;
    try {
        if (self->Progress) self->Progress(1, WithBackslashes(BoundedText(text, length)));
    } catch (...) {
        if (!self->listenerFailure_) self->listenerFailure_ = std::current_exception();
    }
    return 0;
}

int WINAPI cUnzip::ReplaceRoutine(LPSTR path) {
    cUnzip* self = gCurrentUnzip;
    int response = IDM_REPLACE_NO;
    if (self == nullptr) return response;
    try {
        if (self->OverwritePrompt) self->OverwritePrompt(WithBackslashes(BoundedText(path)), response);
    } catch (...) {
        if (!self->listenerFailure_) self->listenerFailure_ = std::current_exception();
        return IDM_REPLACE_NO;
    }
    return response;
}

int WINAPI cUnzip::PasswordRoutine(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name) {
    cUnzip* self = gCurrentUnzip;
    if (self == nullptr || self->passwordRefused_ || buffer == nullptr || size < 2) return IZ_PW_CANCEL;
    try {
        std::string password;
        bool cancel = false;
        if (self->PasswordRequest) self->PasswordRequest(password, cancel);
        password = TrimSpaces(password);
        if (!password.empty() && !cancel) {
            size_t length = std::min<size_t>({password.size(), 254, static_cast<size_t>(size - 1)});
            std::memcpy(buffer, password.data(), length);
            buffer[length] = '\0';
            return IZ_PW_ENTERED;
        }
    } catch (...) {
        if (!self->listenerFailure_) self->listenerFailure_ = std::current_exception();
    }
    self->passwordRefused_ = true;
    return IZ_PW_CANCEL;
}

void WINAPI cUnzip::MessageRoutine(unsigned long ucsize, unsigned long csiz, unsigned cfactor, unsigned mo,
                                   unsigned dy, unsigned yr, unsigned hh, unsigned mm, char c, LPSTR filename,
                                   LPSTR methbuf, unsigned long crc, char fCrypt) {
    cUnzip* self = gCurrentUnzip;
    if (self == nullptr || filename == nullptr) return;
    try {
        const std::string stored = BoundedText(filename);
        cUnzipEntry entry;
        size_t slash = stored.find_last_of('/');
        entry.FileName = slash == std::string::npos ? stored : stored.substr(slash + 1);
        if (entry.FileName.empty()) return; // a folder entry
        if (slash != std::string::npos) entry.Folder = WithBackslashes(stored.substr(0, slash));
        entry.Size = ucsize;
        entry.PackedSize = csiz;
        entry.Factor = cfactor;
        entry.Method = BoundedText(methbuf);
        entry.Date.Year = yr;
        entry.Date.Month = mo;
        entry.Date.Day = dy;
        entry.Date.Hour = hh;
        entry.Date.Minute = mm;
        entry.CRC = crc;
        entry.Encrypted = fCrypt != 0;
        self->entries_.push_back(std::move(entry));
    } catch (...) {
        if (!self->listenerFailure_) self->listenerFailure_ = std::current_exception();
    }
}

int WINAPI cUnzip::ServiceRoutine(LPCSTR name, unsigned long size) {
    cUnzip* self = gCurrentUnzip;
    if (self == nullptr) return 0;
    // The second argument is the entry's size; the length that is checked is the name's own.
    const std::string text = BoundedText(name);
    if (!UsableLength(text.size())) return 0;
    try {
        bool cancel = false;
        if (self->Cancel) self->Cancel(WithBackslashes(text), cancel);
        return cancel ? 1 : 0;
    } catch (...) {
        if (!self->listenerFailure_) self->listenerFailure_ = std::current_exception();
        return 1;
    }
}

} // namespace tsln
