// The numbered failures the program raises, each with its one text. Numbers and texts are those of the
// runtime the stored reports and logs have always used, so that a report of today reads as one of before.
#pragma once
#include <cstdint>

namespace tsln {

struct ErrorKind {
    int32_t number;
    const char* text;
};

namespace err {
// The program's own failures are numbered from here (as a COM error of the interface facility).
constexpr int32_t kAppErrorBase = static_cast<int32_t>(0x80040000u);

constexpr ErrorKind kInvalidCall{5, "Invalid procedure call or argument"};
constexpr ErrorKind kOverflow{6, "Overflow"};
constexpr ErrorKind kOutOfMemory{7, "Out of memory"};
constexpr ErrorKind kSubscript{9, "Subscript out of range"};
constexpr ErrorKind kDivByZero{11, "Division by zero"};
constexpr ErrorKind kTypeMismatch{13, "Type mismatch"};
constexpr ErrorKind kDllLoad{48, "Error in loading DLL"};
constexpr ErrorKind kInternal{51, "Internal error"};
constexpr ErrorKind kFileNotFound{53, "File not found"};
constexpr ErrorKind kPathNotFound{76, "Path not found"};
constexpr ErrorKind kNoObject{91, "Object variable or With block variable not set"};
constexpr ErrorKind kResourceNotFound{326, "Resource with identifier '%' not found"};
constexpr ErrorKind kNoSuchElement{340, "Control array element '%' doesn't exist"};
constexpr ErrorKind kAlreadyLoaded{360, "Object already loaded"};
constexpr ErrorKind kInvalidPropertyValue{380, "Invalid property value"};
constexpr ErrorKind kInvalidPropertyIndex{381, "Invalid property array index"};
constexpr ErrorKind kPropertyReadOnly{383, "'Text' property is read-only"};
constexpr ErrorKind kNoSuchMember{438, "Object doesn't support this property or method"};
constexpr ErrorKind kDllEntry{453, "Specified DLL function not found"};
constexpr ErrorKind kInvalidPicture{481, "Invalid picture"};
// The platform refused a new thread timer.
constexpr ErrorKind kNoTimers{kAppErrorBase + 31013, "No timers available"};
// The program's own, raised with texts that name the file.
constexpr int32_t kNotALogonScreen = kAppErrorBase + 1;
constexpr int32_t kNotConverted = kAppErrorBase + 2;
// The system does not report windows being shown: the agent looks for the shell's windows itself.
constexpr ErrorKind kNoWindowEvents{kAppErrorBase + 3,
                                    "The system does not report shown windows: the Start "
                                    "menu and the taskbar are looked for ten times a second"};
// The shell restarted too often in a short time: its taskbar is left alone until it stays up.
constexpr ErrorKind kShellRestarting{kAppErrorBase + 4,
                                     "The shell keeps restarting: its taskbar is left as it "
                                     "is until the shell stays up"};
} // namespace err

} // namespace tsln
