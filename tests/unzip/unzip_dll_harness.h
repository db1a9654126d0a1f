// Calling the real dist\tsln.dll the way the program calls it: fresh records, routines that record
// what they saw and answer as the test says, and a run folder with an untouched sibling of the target.
#pragma once
#include "unzip/unzip_api.h"
#include "tests/unzip/unzip_test_support.h"
#include "core/unique_any.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace tsln::test {

struct Listed {
    unsigned long ucsize, csiz;
    unsigned cfactor, mo, dy, yr, hh, mm;
    int c;
    std::string name, method;
    unsigned long crc;
    int crypt;
};

// What the routines saw, and how they answer.
struct Calls {
    std::vector<std::string> prints;
    std::vector<Listed> listed;
    std::vector<std::string> replaceAsked;
    int replaceAnswer = IDM_REPLACE_NO;
    std::vector<std::string> passwordAsked;
    std::deque<std::string> passwords; // answered in turn; when empty, passwordCode alone
    int passwordCode = IZ_PW_CANCEL;
    std::vector<std::pair<std::string, unsigned long>> services;
    int cancelAtService = -1; // index of the service call that cancels

    bool Printed(const std::string& line) const;
    // The names the message routine was given, in order.
    std::vector<std::string> ListedNames() const;
};

// One call of the library with fresh records, as the program makes it.
struct Unzip {
    Unzip();
    ~Unzip();
    Unzip(const Unzip&) = delete;
    Unzip& operator=(const Unzip&) = delete;

    int List(const std::string& archive);
    int Extract(const std::string& archive, const std::string& target, std::vector<std::string> include = {});

    tsln::unique_hmodule dll;
    TslnSingleEntryUnzip entry = nullptr;
    DCL options{};
    USERFUNCTIONS routines{};
    Calls calls;
    std::string zip, folder;
    std::vector<std::string> names;
    char empty[1] = "";
};

// A run folder holding the extraction target and an untouched sibling.
struct Site {
    Site();
    std::string Target() const { return run / "target"; }
    std::string Sentinel() const { return run / "sentinel"; }
    // Everything in the run folder, target included.
    std::vector<std::string> Tree() const { return ListTree(run.Path()); }
    TempFolder run;
};

// The run folder's tree when the target holds `inTarget`.
std::vector<std::string> With(std::vector<std::string> inTarget);

} // namespace tsln::test
