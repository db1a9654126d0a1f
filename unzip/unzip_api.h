// The interface of tsln.dll, the zip extraction library the program carries beside its executable.
// One export, Wiz_SingleEntryUnzip (stdcall, undecorated), lists or extracts an archive.
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// The option record: fifteen 32-bit integers, then the archive path and the extraction folder (pointers:
// four bytes each in the 32-bit library, eight in the 64-bit one; see README.md).
// Numbers in comments are the 1-based field numbers; fields marked "ignored" should be 0.
typedef struct {
    int fReserved1;       // 1  ignored
    int fReserved2;       // 2  ignored
    int fReserved3;       // 3  ignored
    int fReserved4;       // 4  ignored
    int fReserved5;       // 5  ignored
    int fReserved6;       // 6  ignored
    int fList;            // 7  1 = list entries through the message routine, 0 = extract
    int fReserved8;       // 8  ignored
    int fReserved9;       // 9  ignored
    int fReserved10;      // 10 ignored
    int fOverwrite;       // 11 1 = overwrite existing files without asking the replace routine
    int fConvertCrLf;     // 12 1 = write LF line ends as CR LF in entries the archive marks as text
    int fReserved13;      // 13 ignored
    int fCaseSensitive;   // 14 1 = include/exclude names match case-sensitively
    int fReserved15;      // 15 ignored
    LPSTR lpszZipFN;      // archive path (required)
    LPSTR lpszExtractDir; // existing folder to extract into (required when extracting, unused when listing)
} DCL;

// print: one progress or warning line and its length (no line break). The return is ignored.
typedef int(WINAPI* TslnPrintRoutine)(LPSTR text, unsigned long length);
// sound: never called; may be NULL.
typedef void(WINAPI* TslnSoundRoutine)(void);
// replace: the full path of a file about to be overwritten; returns one of the IDM_REPLACE_ answers.
typedef int(WINAPI* TslnReplaceRoutine)(LPSTR path);
// password: fill `buffer` (`size` bytes, NUL-terminated) for the entry `name`; returns one of the
// IZ_PW_ answers.
typedef int(WINAPI* TslnPasswordRoutine)(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
// message: one file entry while listing. cfactor is the percent saved (0-100), yr has four digits,
// c is always 0, methbuf is "Stored", "Defl:N" (N, X, F, S), ..., fCrypt is 1 for encrypted entries.
typedef void(WINAPI* TslnMessageRoutine)(unsigned long ucsize, unsigned long csiz, unsigned cfactor,
                                         unsigned mo, unsigned dy, unsigned yr, unsigned hh, unsigned mm,
                                         char c, LPSTR filename, LPSTR methbuf, unsigned long crc,
                                         char fCrypt);
// service: called before each entry is extracted with its name and uncompressed size; non-zero cancels.
typedef int(WINAPI* TslnServiceRoutine)(LPCSTR name, unsigned long size);

// The user-function record. Every routine but sound is required. The counters are filled by the
// library: totals over the file entries listed (listing) or written (extracting).
typedef struct {
    TslnPrintRoutine print;
    TslnSoundRoutine sound;
    TslnReplaceRoutine replace;
    TslnPasswordRoutine password;
    TslnMessageRoutine SendApplicationMessage;
    TslnServiceRoutine ServCallBk;
    unsigned long TotalSizeComp; // compressed bytes
    unsigned long TotalSize;     // uncompressed bytes
    unsigned long CompFactor;    // percent saved over the whole, 0-100
    unsigned int NumMembers;     // file entries
    WORD cchComment;             // length of the archive comment
} USERFUNCTIONS;

// Answers of the replace routine. Anything else counts as IDM_REPLACE_NO.
#define IDM_REPLACE_NO 100   // keep the existing file, ask again for the next one
#define IDM_REPLACE_YES 102  // overwrite this file
#define IDM_REPLACE_ALL 103  // overwrite this and every later file without asking
#define IDM_REPLACE_NONE 104 // keep this and every later existing file without asking

// Answers of the password routine. After a wrong password the routine is asked again, up to three
// times per entry; then the entry is skipped. The password that opened one entry is tried first on
// the next encrypted entry.
#define IZ_PW_ENTERED 0   // a password is in the buffer
#define IZ_PW_CANCEL 1    // no password for this entry: skip it
#define IZ_PW_CANCELALL 2 // no password for any entry: skip every encrypted entry without asking

// Result codes. When entries end differently the most serious outcome is returned; a wrong or missing
// password only when nothing else went wrong.
#define TSLN_UNZIP_OK 0           // done
#define TSLN_UNZIP_WARNING 1      // done, but entries were skipped (unsafe names, a folder in the way)
#define TSLN_UNZIP_BADARCHIVE 2   // corrupt archive or entry (bad CRC, truncated, size mismatch, local header)
#define TSLN_UNZIP_NOMEMORY 4     // out of memory
#define TSLN_UNZIP_NOTZIP 9       // archive missing, unreadable or not a zip archive
#define TSLN_UNZIP_BADPARAM 10    // NULL record, routine, path or name list
#define TSLN_UNZIP_NOMATCH 11     // include names given but none matched an entry
#define TSLN_UNZIP_DISKERROR 50   // a folder or file could not be created or written
#define TSLN_UNZIP_CANCELLED 80   // the service routine asked to stop
#define TSLN_UNZIP_UNSUPPORTED 81 // multi-disk, or an entry's method or encryption (AES, strong) not handled
#define TSLN_UNZIP_BADPASSWORD 82 // encrypted entries skipped: no password, or a wrong one
#define TSLN_UNZIP_TOOLARGE 83    // entries declare more than 256 MiB uncompressed in total

// Lists (fList = 1) or extracts (fList = 0) the archive. ifnv names ifnc entries to include ("folder/
// name", exact, "/" and "\" alike); an ifnc of 0 means every entry. xfnv names xfnc entries to leave out.
int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                USERFUNCTIONS* lpUserFunc);
typedef int(WINAPI* TslnSingleEntryUnzip)(int, char**, int, char**, DCL*, USERFUNCTIONS*);

#ifdef __cplusplus
}

#include <cstddef>
// The layout callers rely on: fifteen 32-bit fields, then the two pointers at their natural alignment
// (offset 60 in the 32-bit library; 64, after four bytes of padding, in the 64-bit one).
#ifdef _WIN64
constexpr std::size_t kTslnDclPathsOffset = 64;
#else
constexpr std::size_t kTslnDclPathsOffset = 60;
#endif
static_assert(offsetof(DCL, fList) == 6 * 4 && offsetof(DCL, fOverwrite) == 10 * 4 &&
                  offsetof(DCL, fConvertCrLf) == 11 * 4 && offsetof(DCL, fCaseSensitive) == 13 * 4 &&
                  offsetof(DCL, lpszZipFN) == kTslnDclPathsOffset &&
                  offsetof(DCL, lpszExtractDir) == kTslnDclPathsOffset + sizeof(void*) && sizeof(int) == 4,
              "option record layout");
static_assert(offsetof(USERFUNCTIONS, TotalSizeComp) == 6 * sizeof(void*), "user-function record layout");
#endif
