#include "tests/unzip/unzip_dll_harness.h"

#include <doctest.h>

#include <algorithm>

namespace tsln::test {
namespace {

// The routines get no context, like the program's: they find the test's Calls here.
Calls*& Current() {
    static Calls* current = nullptr;
    return current;
}

int WINAPI Print(LPSTR text, unsigned long length) {
    Current()->prints.emplace_back(text, length);
    return 0;
}
int WINAPI Replace(LPSTR path) {
    Current()->replaceAsked.emplace_back(path);
    return Current()->replaceAnswer;
}
int WINAPI Password(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name) {
    Calls& calls = *Current();
    calls.passwordAsked.emplace_back(name);
    if (calls.passwords.empty()) return calls.passwordCode;
    lstrcpynA(buffer, calls.passwords.front().c_str(), size);
    calls.passwords.pop_front();
    return IZ_PW_ENTERED;
}
void WINAPI Message(unsigned long ucsize, unsigned long csiz, unsigned cfactor, unsigned mo, unsigned dy,
                    unsigned yr, unsigned hh, unsigned mm, char c, LPSTR filename, LPSTR methbuf,
                    unsigned long crc, char fCrypt) {
    Current()->listed.push_back(
        {ucsize, csiz, cfactor, mo, dy, yr, hh, mm, c, filename, methbuf, crc, fCrypt});
}
int WINAPI Service(LPCSTR name, unsigned long size) {
    Calls& calls = *Current();
    calls.services.emplace_back(name, size);
    return static_cast<int>(calls.services.size()) - 1 == calls.cancelAtService ? 1 : 0;
}

} // namespace

bool Calls::Printed(const std::string& line) const {
    return std::find(prints.begin(), prints.end(), line) != prints.end();
}

std::vector<std::string> Calls::ListedNames() const {
    std::vector<std::string> out;
    for (const Listed& l : listed)
        out.push_back(l.name);
    return out;
}

Unzip::Unzip() : dll(::LoadLibraryA(TSLN_DIST_DIR "\\tsln.dll")) {
    REQUIRE(dll);
    entry = reinterpret_cast<TslnSingleEntryUnzip>(::GetProcAddress(dll.get(), "Wiz_SingleEntryUnzip"));
    const bool exported = entry != nullptr;
    REQUIRE(exported);
    routines.print = Print;
    routines.replace = Replace;
    routines.password = Password;
    routines.SendApplicationMessage = Message;
    routines.ServCallBk = Service;
    Current() = &calls;
}

Unzip::~Unzip() {
    Current() = nullptr;
}

int Unzip::List(const std::string& archive) {
    zip = archive;
    options.fList = 1;
    options.lpszZipFN = zip.data();
    options.lpszExtractDir = empty;
    return entry(0, nullptr, 0, nullptr, &options, &routines);
}

int Unzip::Extract(const std::string& archive, const std::string& target, std::vector<std::string> include) {
    zip = archive;
    folder = target;
    options.fList = 0;
    options.lpszZipFN = zip.data();
    options.lpszExtractDir = folder.data();
    // Name lists end with an empty name, as the program builds them.
    names = std::move(include);
    std::vector<char*> list;
    for (std::string& n : names)
        list.push_back(n.data());
    char end[1] = "";
    list.push_back(end);
    return entry(static_cast<int>(names.size()), names.empty() ? nullptr : list.data(), 0, nullptr, &options,
                 &routines);
}

Site::Site() {
    ::CreateDirectoryA(Target().c_str(), nullptr);
    ::CreateDirectoryA(Sentinel().c_str(), nullptr);
}

std::vector<std::string> With(std::vector<std::string> inTarget) {
    std::vector<std::string> tree = {"sentinel\\", "target\\"};
    for (const std::string& p : inTarget)
        tree.push_back("target\\" + p);
    std::sort(tree.begin(), tree.end());
    return tree;
}

} // namespace tsln::test
