// A month in the tray, compressed: the agent, loaded as at log-on ("-s"), changes wallpapers and logon
// screens on its own timers, their periods shortened to milliseconds, over lists of 200 entries each,
// while between ticks a seeded fault injector damages what the program depends on: pictures deleted,
// renamed, locked, truncated or replaced, folders taken away and brought back, the desktop bitmap made
// read-only, the machine key closed, settings values replaced by nonsense, list values removed, the
// taskbar replaced, the main window opened and closed. Every temporary fault is undone after a few
// steps and judged then; damaged pictures are put back and re-added, as a user would.
//
//     soak_agent.exe [changes [seed]]      (defaults: 10000 changes, seed 1)
//
// At the end it prints, per fault kind, how many were injected and what became of them, the object
// counts and private bytes with their slope after warm-up, and the log's size, and checks: the agent is
// up and answering, no box was shown while in the tray, no entry was lost whose folder and file are
// there, every count flat, every bad settings value left as written and logged at most once, the log
// within its bound. The registry and files are put back as found.
#include "bench/process_counts.h"
#include "core/clsSetari.h"
#include "core/error_report.h"
#include "core/log_bound.h"
#include "core/mod_main.h"
#include "effects/shell_transparency.h"
#include "rotation/frm_logo.h"
#include "shellutil/systray_icon.h"
#include "tests/support/test_support.h"
#include "ui/main/frm_main.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tsln;

namespace {
constexpr int kEntries = 200;
constexpr int kWallpaperFolders = 4;
constexpr int kStepsAway = 4;       // a temporary fault lasts this many steps
constexpr DWORD kStepLimitMs = 400; // a step waits this long for ticks that may not come (no schedule)
constexpr int kSamples = 8;         // object counts taken, the first after warm-up
const char* const kProduct = "Software\\Quillfen\\Tessaline";
const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char* const kWinlogonKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

enum Fault {
    kDelete,
    kRename,
    kLock,
    kTruncate,
    kNotPicture,
    kPng,
    kFolderAway,
    kBitmapReadOnly,
    kMachineDenied,
    kBadSetting,
    kListValueGone,
    kNewTaskbar,
    kMainWindow,
    kFaultKinds
};
const char* const kFaultNames[kFaultKinds] = {
    "delete a picture",          "rename a picture",           "lock a picture (share-deny)",
    "truncate a picture",        "replace with a non-picture", "replace with a PNG",
    "folder away, back later",   "tsln.bmp read-only",         "HKLM write denied",
    "bad settings value",        "list value removed",         "TaskbarCreated, new taskbar",
    "main window opened, closed"};

struct Outcome {
    int injected = 0;
    int kept = 0;    // entries still listed when the fault was undone
    int dropped = 0; // entries gone (put back by the injector when the file came back)
    int lost = 0;    // entries gone although their file and folder were there all along: a fault
    int other = 0;   // kind-specific: overwritten settings, boxes, failed openings
    long logEntries = 0;
};

struct Sample {
    long changes;
    bench::ObjectCounts counts;
    unsigned long privateBytes;
};

// A 24-bit bitmap file of `size` pixels square in one colour.
std::string BitmapBytes(int size, uint32_t colour) {
    const int row = (size * 3 + 3) & ~3;
    std::string bmp(54, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, 54 + row * size), put32(10, 54), put32(14, 40), put32(18, size), put32(22, size);
    bmp[26] = 1, bmp[28] = 24;
    std::string pixels(static_cast<size_t>(row) * size, '\0');
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            pixels[y * row + x * 3] = static_cast<char>(colour & 0xFF);
            pixels[y * row + x * 3 + 1] = static_cast<char>((colour >> 8) & 0xFF);
            pixels[y * row + x * 3 + 2] = static_cast<char>((colour >> 16) & 0xFF);
        }
    return bmp + pixels;
}

// The paths of a stored list (the text before the first "*" of each value), read in one pass: the
// judging reads whole lists often, and each registry call is a round trip to the server under Wine.
std::vector<std::string> StoredPaths(const std::string& listKey) {
    std::vector<std::string> paths;
    tsln::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, listKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return paths;
    std::vector<char> data(4096);
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name, type = 0, size = static_cast<DWORD>(data.size() - 1);
        const LONG result = RegEnumValueA(key.get(), i, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            data.resize(data.size() * 2);
            --i;
            continue;
        }
        if (result != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        const std::string text(data.data(), strnlen(data.data(), size));
        paths.push_back(text.substr(0, text.find('*')));
    }
    return paths;
}

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};
using PathSet = std::set<std::string, NoCase>;

PathSet ListedSet(const std::string& listKey) {
    const std::vector<std::string> paths = StoredPaths(listKey);
    return PathSet(paths.begin(), paths.end());
}

bool Listed(const std::string& listKey, const std::string& path) {
    return ListedSet(listKey).count(path) != 0;
}

// Adds the entry at the end of the stored list, as the user adding the picture again would.
void Relist(const std::string& listKey, const std::string& path) {
    if (Listed(listKey, path)) return;
    const size_t count = testing::ValueNames(HKEY_CURRENT_USER, listKey).size();
    std::string name = std::to_string(count + 1);
    while (testing::ReadString(HKEY_CURRENT_USER, listKey, name) != "<missing>")
        name += "0"; // a name past the numbered ones; the program renumbers the list when it saves
    testing::SetString(HKEY_CURRENT_USER, listKey, name, path + "*x**0");
}

long LogEntries(const std::string& log) {
    const std::string closing = "\r\n" + std::string(46, '-') + "\r\n";
    long count = 0;
    for (size_t at = 0; (at = log.find(closing, at)) != std::string::npos; at += closing.size())
        ++count;
    return count;
}

// The program log read as it grows: the entries added since the last look. The log's cut, which drops
// its oldest part, is followed by finding again the last entry read.
class LogFollower {
public:
    std::vector<std::string> Added() {
        const std::string log = testing::ReadFileBytes(LogFilePath());
        size_t from = 0;
        if (!tail_.empty()) {
            const size_t at = log.rfind(tail_);
            from = at == std::string::npos ? 0 : at + tail_.size();
        }
        tail_ = log.substr(log.size() - std::min<size_t>(log.size(), 512));
        std::vector<std::string> entries;
        const std::string closing = "\r\n" + std::string(46, '-') + "\r\n";
        for (size_t at; (at = log.find(closing, from)) != std::string::npos; from = at + closing.size())
            entries.push_back(log.substr(from, at - from));
        return entries;
    }

private:
    std::string tail_;
};

size_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// A temporary fault waiting to be undone, and judged when it is.
struct Pending {
    long dueStep;
    std::function<void()> undo;
};

class Soak {
public:
    Soak(long changes, uint32_t seed) : target_(changes), random_(seed) {}
    int Run();

private:
    void Setup();
    void Step();
    void Inject(Fault fault);
    bool OpenAndCloseMain();
    void UndoDue(bool all);
    void PumpTicks(long ticks, DWORD limitMs);
    void TakeSample();
    std::string WallpaperKey() const { return std::string(kProduct) + "\\Wallpapers\\List"; }
    std::string LogonKey() const { return std::string(kProduct) + "\\Logons\\List"; }
    size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }
    // A wallpaper picture with no fault on it, or -1.
    int FreePicture();
    void JudgeEntries(Fault fault, const std::string& listKey, const std::vector<std::string>& paths,
                      bool mayDrop);
    void PutPictureBack(Fault fault, int index);
    // Counts the entries of `before` gone from the list, but those whose loss is the injector's doing.
    void JudgeStill(Fault fault, const std::string& listKey, const std::vector<std::string>& before);

    long target_;
    std::mt19937 random_;
    long step_ = 0;
    long wTicks_ = 0, lTicks_ = 0;
    Outcome outcomes_[kFaultKinds];
    std::vector<Pending> pending_;
    std::set<int> busyPictures_;
    std::set<int> busyFolders_;
    std::set<std::string> busyValues_;
    // For each bad settings value pending: the log entries naming it so far. Entries that report an
    // unreadable number (Type mismatch 13, Overflow 6) and name no value are counted apart: a value the
    // program did not say it could not read.
    std::map<std::string, long> badValueEntries_;
    long unnamedEntries_ = 0;
    LogFollower log_;
    void FollowLog();
    std::set<std::string> awayPaths_; // entries the injector took away (damaged file, removed value)
    std::vector<Sample> samples_;
    std::vector<std::string> boxesInTray_;
    bool mainBusy_ = false;

public:
    bool trace_ = std::getenv("TSLN_SOAK_TRACE") != nullptr; // a line for each step
    std::set<int> skipped_; // fault kinds left out (the third argument: their numbers, comma-separated)
private:
    bool machineBusy_ = false;
    bool bitmapBusy_ = false;

    std::unique_ptr<testing::TempDir> data_, pictures_, skins_;
    std::vector<std::string> wallpapers_, wallpaperBytes_, logons_;
    std::string logonBytes_, pngBytes_;
    tsln::unique_hwnd taskbar_;
    SkinsSetup setup_;
    bool haveSkin_ = false;
};

int Soak::FreePicture() {
    for (int tries = 0; tries < 20; ++tries) {
        const int index = static_cast<int>(Pick(wallpapers_.size()));
        if (!busyPictures_.count(index) && !busyFolders_.count(index % kWallpaperFolders)) return index;
    }
    return -1;
}

void Soak::Setup() {
    data_ = std::make_unique<testing::TempDir>("soak data");
    pictures_ = std::make_unique<testing::TempDir>("soak pictures");
    SetAppFolder(data_->Path() + "\\");
    const std::string res = std::string(TSLN_SOAK_PICTURES) + "\\";
    const std::string gif = testing::ReadFileBytes(res + "101.gif");
    const std::string jpg = testing::ReadFileBytes(res + "103.jpg");
    pngBytes_ = testing::ReadFileBytes(std::string(TSLN_SOAK_DATA) + "\\kelp.png");
    logonBytes_ = testing::ReadFileBytes(std::string(TSLN_SOAK_FIXTURES) + "\\blue\\blue.exe");
    if (gif.empty() || jpg.empty() || pngBytes_.empty() || logonBytes_.empty())
        throw std::runtime_error("the soak's pictures or logon screen are missing");

    for (int f = 0; f < kWallpaperFolders; ++f)
        CreateDirectoryA((*pictures_ / ("w" + std::to_string(f))).c_str(), nullptr);
    std::vector<std::pair<std::string, std::string>> wList, lList;
    for (int i = 0; i < kEntries; ++i) {
        // Entry i sits in folder i mod 4; one in three a JPEG or GIF, the rest small bitmaps.
        const std::string folder = *pictures_ / ("w" + std::to_string(i % kWallpaperFolders));
        std::string name, bytes;
        switch (i % 3) {
        case 0:
            name = "p" + std::to_string(i) + ".jpg", bytes = jpg;
            break;
        case 1:
            name = "p" + std::to_string(i) + ".gif", bytes = gif;
            break;
        default:
            name = "p" + std::to_string(i) + ".bmp", bytes = BitmapBytes(16, 0x102030u * i);
            break;
        }
        const std::string path = folder + "\\" + name;
        testing::WriteFileBytes(path, bytes);
        wallpapers_.push_back(path);
        wallpaperBytes_.push_back(bytes);
        testing::SetString(HKEY_CURRENT_USER, WallpaperKey(), std::to_string(i + 1), path + "*p**0");

        const std::string logonFolder = *pictures_ / ("l" + std::to_string(i));
        CreateDirectoryA(logonFolder.c_str(), nullptr);
        const std::string logon = logonFolder + "\\blue.exe";
        testing::WriteFileBytes(logon, logonBytes_);
        logons_.push_back(logon);
        testing::SetString(HKEY_CURRENT_USER, LogonKey(), std::to_string(i + 1), logon + "*l**0");
    }

    // The main window's skin, for the openings.
    skins_ = std::make_unique<testing::TempDir>("soak skins");
    haveSkin_ = CopyFileA(TSLN_TEST_SKIN, (*skins_ / "Test_Main.csk").c_str(), FALSE) != FALSE;
    setup_ = SkinsSetup{skins_->Path() + "\\", testing::DistDir() + "\\tsln.dll", [] {}};

    clsSetari settings;
    settings.SetWInterval("every 1 minutes");
    settings.SetLInterval("every 5 minutes");
    settings.SetWCurrent("");
    settings.SetLCurrent("");
    settings.SetSkin("Test_Main");
    settings.SetInterface_Transp(0);
    settings.SetOnTOP(0);
    std::vector<BYTE> state(36, 0); // the XP style Start menu, as Explorer writes it
    state[0] = 0x24, state[32] = 2;
    testing::SetBinary(HKEY_CURRENT_USER, kExplorerKey, "ShellState", state);
}

void Soak::PumpTicks(long ticks, DWORD limitMs) {
    const long until = wTicks_ + lTicks_ + ticks;
    const DWORD start = GetTickCount();
    MSG msg;
    while (wTicks_ + lTicks_ < until && GetTickCount() - start < limitMs) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (msg.message == WM_QUIT) throw std::runtime_error("the agent ended the message loop");
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            const frmLogo* agent = frmLogo::Instance();
            if (agent && agent->WallpaperTimer() && msg.wParam == agent->WallpaperTimer()->TimerID())
                ++wTicks_;
            if (agent && agent->LogonTimer() && msg.wParam == agent->LogonTimer()->TimerID()) ++lTicks_;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Soak::JudgeEntries(Fault fault, const std::string& listKey, const std::vector<std::string>& paths,
                        bool mayDrop) {
    const PathSet listed = ListedSet(listKey);
    for (const std::string& path : paths) {
        if (awayPaths_.count(path)) continue; // its value was removed by the injector meanwhile
        if (listed.count(path)) {
            ++outcomes_[fault].kept;
            continue;
        }
        ++(mayDrop ? outcomes_[fault].dropped : outcomes_[fault].lost);
        if (!mayDrop) std::printf("LOST after \"%s\": %s\n", kFaultNames[fault], path.c_str());
        Relist(listKey, path);
    }
}

void Soak::JudgeStill(Fault fault, const std::string& listKey, const std::vector<std::string>& before) {
    int lost = 0;
    const PathSet listed = ListedSet(listKey);
    for (const std::string& path : before)
        if (!awayPaths_.count(path) && !listed.count(path)) {
            ++lost;
            std::printf("LOST during \"%s\": %s\n", kFaultNames[fault], path.c_str());
            Relist(listKey, path);
        }
    if (lost)
        outcomes_[fault].lost += lost;
    else
        ++outcomes_[fault].kept;
}

void Soak::PutPictureBack(Fault fault, int index) {
    awayPaths_.insert(wallpapers_[index]);
    pending_.push_back({step_ + kStepsAway, [this, fault, index] {
                            awayPaths_.erase(wallpapers_[index]);
                            testing::WriteFileBytes(wallpapers_[index], wallpaperBytes_[index]);
                            JudgeEntries(fault, WallpaperKey(), {wallpapers_[index]}, true);
                            busyPictures_.erase(index);
                        }});
}

void Soak::Inject(Fault fault) {
    Outcome& outcome = outcomes_[fault];
    switch (fault) {
    case kDelete:
    case kRename:
    case kTruncate:
    case kNotPicture:
    case kPng:
    case kLock: {
        const int index = FreePicture();
        if (index < 0) return;
        busyPictures_.insert(index);
        const std::string& path = wallpapers_[index];
        if (fault == kDelete) DeleteFileA(path.c_str());
        if (fault == kRename) MoveFileA(path.c_str(), (path + ".renamed").c_str());
        if (fault == kTruncate) testing::WriteFileBytes(path, wallpaperBytes_[index].substr(0, 40));
        if (fault == kNotPicture) testing::WriteFileBytes(path, "this is no picture at all\r\n");
        if (fault == kPng) testing::WriteFileBytes(path, pngBytes_);
        if (fault == kRename) {
            pending_.push_back({step_ + kStepsAway, [path] { DeleteFileA((path + ".renamed").c_str()); }});
        }
        if (fault != kLock) {
            PutPictureBack(fault, index);
            break;
        }
        auto lock = std::make_shared<unique_file>(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        pending_.push_back({step_ + kStepsAway, [this, lock, index] {
                                lock->reset();
                                JudgeEntries(kLock, WallpaperKey(), {wallpapers_[index]}, false);
                                busyPictures_.erase(index);
                            }});
        break;
    }
    case kFolderAway: {
        // A wallpaper folder or a logon screen's folder, moved aside as a drive that went.
        const bool logon = random_() % 2 == 0;
        const int index = static_cast<int>(logon ? Pick(logons_.size()) : Pick(kWallpaperFolders));
        const int key = logon ? 1000 + index : index;
        if (busyFolders_.count(key)) return;
        if (!logon)
            for (int p : busyPictures_)
                if (p % kWallpaperFolders == index) return;
        const std::string folder =
            logon ? *pictures_ / ("l" + std::to_string(index)) : *pictures_ / ("w" + std::to_string(index));
        if (!MoveFileA(folder.c_str(), (folder + ".away").c_str())) return;
        busyFolders_.insert(key);
        pending_.push_back({step_ + kStepsAway, [this, folder, logon, index, key] {
                                MoveFileA((folder + ".away").c_str(), folder.c_str());
                                std::vector<std::string> paths;
                                if (logon) paths.push_back(logons_[index]);
                                for (size_t i = index; !logon && i < wallpapers_.size();
                                     i += kWallpaperFolders)
                                    paths.push_back(wallpapers_[i]);
                                JudgeEntries(kFolderAway, logon ? LogonKey() : WallpaperKey(), paths, false);
                                busyFolders_.erase(key);
                            }});
        break;
    }
    case kBitmapReadOnly: {
        if (bitmapBusy_) return;
        const std::string bitmap = AppFolder() + "tsln.bmp";
        bitmapBusy_ = true;
        SetFileAttributesA(bitmap.c_str(), FILE_ATTRIBUTE_READONLY);
        const std::vector<std::string> listed = StoredPaths(WallpaperKey());
        pending_.push_back({step_ + kStepsAway, [this, bitmap, listed] {
                                SetFileAttributesA(bitmap.c_str(), FILE_ATTRIBUTE_NORMAL);
                                JudgeStill(kBitmapReadOnly, WallpaperKey(), listed);
                                bitmapBusy_ = false;
                            }});
        break;
    }
    case kMachineDenied: {
        if (machineBusy_) return;
        machineBusy_ = true;
        auto closed = std::make_shared<testing::ReadOnlyKey>(HKEY_LOCAL_MACHINE, kWinlogonKey);
        const std::vector<std::string> listed = StoredPaths(LogonKey());
        pending_.push_back({step_ + kStepsAway, [this, closed, listed]() mutable {
                                closed.reset();
                                JudgeStill(kMachineDenied, LogonKey(), listed);
                                machineBusy_ = false;
                            }});
        break;
    }
    case kBadSetting: {
        // The values the agent reads, each replaced by one kind of nonsense.
        struct Place {
            HKEY root;
            std::string key, name;
        };
        const Place places[] = {
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Wallpapers", "Interval"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Logons", "Interval"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Wallpapers", "Sort"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Logons", "Sort"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Wallpapers", "Default"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Logons", "Default"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Settings", "TranspTaskbar"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Settings", "TranspLevel"},
            {HKEY_CURRENT_USER, std::string(kProduct) + "\\Settings", "TranspStartMenu"},
            {HKEY_CURRENT_USER, kExplorerKey, "ShellState"},
        };
        const Place& place = places[Pick(std::size(places))];
        if (busyValues_.count(place.key + "\\" + place.name)) return;
        busyValues_.insert(place.key + "\\" + place.name);
        auto saved = std::make_shared<testing::RegValueSnapshot>(place.root, place.key, place.name);
        std::string bad;
        DWORD type = REG_SZ;
        switch (random_() % 4) {
        case 0:
            bad = place.name == "Interval" ? std::string("\x07\0\0\0", 4) : std::string("seven", 6);
            type = place.name == "Interval" ? REG_DWORD : REG_SZ;
            break; // the wrong type
        case 1:
            bad = std::string(1, '\0');
            break; // empty
        case 2:
            bad = std::string(64 * 1024 - 1, 'x') + '\0';
            break; // 64 KB long
        default:
            for (int i = 0; i < 16; ++i)
                bad += static_cast<char>(random_() & 0xFF);
            type = REG_BINARY;
            break; // garbage bytes
        }
        FollowLog(); // what was logged before belongs to no pending value
        testing::SetRaw(place.root, place.key, place.name, type, bad.data(), static_cast<DWORD>(bad.size()));
        const std::string named = place.key.substr(place.key.rfind('\\') + 1) + "\\" + place.name;
        badValueEntries_[named] = 0;
        pending_.push_back(
            {step_ + kStepsAway, [this, place, saved, bad, type, named]() mutable {
                 DWORD nowType = 0;
                 std::vector<BYTE> now;
                 testing::ReadRaw(place.root, place.key, place.name, nowType, now);
                 const bool untouched = nowType == type && now.size() == bad.size() &&
                                        std::equal(now.begin(), now.end(), bad.begin(),
                                                   [](BYTE a, char b) { return a == static_cast<BYTE>(b); });
                 ++(untouched ? outcomes_[kBadSetting].kept : outcomes_[kBadSetting].other);
                 if (!untouched)
                     std::printf(
                         "OVERWRITTEN: %s\\%s (written type %lu, %zu bytes; now type %lu, %zu bytes)\n",
                         place.key.c_str(), place.name.c_str(), type, bad.size(), nowType, now.size());
                 const long added = badValueEntries_[named];
                 badValueEntries_.erase(named);
                 outcomes_[kBadSetting].logEntries += added;
                 if (added > 1) ++outcomes_[kBadSetting].dropped; // logged more than once
                 saved.reset();
                 busyValues_.erase(place.key + "\\" + place.name);
             }});
        break;
    }
    case kListValueGone: {
        const bool logon = random_() % 2 == 0;
        const std::string key = logon ? LogonKey() : WallpaperKey();
        const std::vector<std::string> names = testing::ValueNames(HKEY_CURRENT_USER, key);
        if (names.size() < 2) return;
        const std::string name = names[Pick(names.size())];
        const std::string text = testing::ReadString(HKEY_CURRENT_USER, key, name);
        const std::string path = text.substr(0, text.find('*'));
        tsln::unique_hkey list;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, list.put()) != ERROR_SUCCESS)
            return;
        if (awayPaths_.count(path)) return;
        RegDeleteValueA(list.get(), name.c_str());
        // The others must all stay; the removed one comes back as the user adds it again.
        awayPaths_.insert(path);
        const std::vector<std::string> listed = StoredPaths(key);
        pending_.push_back({step_ + kStepsAway, [this, key, path, listed] {
                                JudgeStill(kListValueGone, key, listed);
                                awayPaths_.erase(path);
                                Relist(key, path);
                            }});
        break;
    }
    case kNewTaskbar: {
        WNDCLASSA type = {};
        type.lpfnWndProc = DefWindowProcA;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&type);
        taskbar_.reset(); // the old shell goes, a new one comes
        taskbar_.reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0,
                                       GetSystemMetrics(SM_CYSCREEN) - 30, 400, 30, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr));
        // Said to the agent alone: a broadcast would reach the test desktop's own shell as well.
        PostMessageA(frmLogo::Instance()->hwnd(), CSystrayIcon::TaskbarCreatedMessage(), 0, 0);
        ++outcome.kept;
        break;
    }
    case kMainWindow: {
        if (!haveSkin_ || mainBusy_) return;
        ++(OpenAndCloseMain() ? outcome.kept : outcome.other);
        break;
    }
    default:
        return;
    }
    ++outcome.injected;
}

bool Soak::OpenAndCloseMain() {
    // What a click on the tray icon does (a tray-less test desktop may not show the icon to click);
    // closing it puts the program back in the tray.
    frmMain::Show(GetModuleHandleA(nullptr), setup_);
    const bool opened = testing::PumpUntil(
        [] {
            return frmMain::Instance() && frmMain::Instance()->Activated() &&
                   !frmLogo::Instance()->IsInTray();
        },
        10000);
    if (!opened) std::printf("the main window did not open\n");
    // Unloaded, then back in the tray as the closing fade leaves it.
    frmMain::Unload();
    if (frmLogo* agent = frmLogo::Instance()) agent->InterfaceVisible(false);
    testing::PumpUntil([] { return frmMain::Instance() == nullptr; }, 5000);
    return opened && frmLogo::Instance()->IsInTray();
}

void Soak::FollowLog() {
    for (const std::string& entry : log_.Added()) {
        bool named = false;
        for (auto& [place, count] : badValueEntries_)
            if (entry.find(place) != std::string::npos) ++count, named = true;
        if (named || (entry.find("Error Number: 13\r\n") == std::string::npos &&
                      entry.find("Error Number: 6\r\n") == std::string::npos))
            continue;
        if (++unnamedEntries_ <= 3) std::printf("UNNAMED: %s\n", entry.substr(0, 300).c_str());
    }
}

void Soak::UndoDue(bool all) {
    FollowLog();
    for (;;) {
        auto due = std::find_if(pending_.begin(), pending_.end(),
                                [&](const Pending& p) { return all || p.dueStep <= step_; });
        if (due == pending_.end()) return;
        std::function<void()> undo = std::move(due->undo);
        pending_.erase(due);
        undo();
    }
}

void Soak::TakeSample() {
    // Nothing of the injector's own is held while counting.
    UndoDue(true);
    PumpTicks(20, 2000);
    samples_.push_back({wTicks_ + lTicks_, bench::CountObjects(), bench::PrivateBytes(GetCurrentProcess())});
    const Sample& s = samples_.back();
    std::printf("  at %ld changes (step %ld): handles %ld, GDI %ld, USER %ld, private %lu KB\n", s.changes,
                step_, s.counts.handles, s.counts.gdi, s.counts.user, s.privateBytes / 1024);
}

void Soak::Step() {
    ++step_;
    const DWORD t0 = GetTickCount();
    PumpTicks(1 + static_cast<long>(random_() % 3), kStepLimitMs);
    const DWORD t1 = GetTickCount();
    UndoDue(false);
    const DWORD t2 = GetTickCount();
    // Boxes are answered by the watcher; any while the program sat in the tray is a fault.
    const Fault fault = static_cast<Fault>(random_() % kFaultKinds);
    if (trace_)
        std::printf("step %ld, %ld changes: %s (at %lu ms: pump %lu, undo %lu)\n", step_, wTicks_ + lTicks_,
                    kFaultNames[fault], t0, t1 - t0, t2 - t1);
    if (!skipped_.count(fault)) Inject(fault);
    if (trace_) std::printf("  inject %lu ms\n", GetTickCount() - t2);
}

int Soak::Run() {
    testing::ProductKeys keys;
    testing::RegValueSnapshot tile(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper");
    testing::RegValueSnapshot style(HKEY_CURRENT_USER, kDesktopKey, "WallpaperStyle");
    testing::RegValueSnapshot wallpaper(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
    testing::RegValueSnapshot uiHost(HKEY_LOCAL_MACHINE, kWinlogonKey, "UIHost");
    testing::RegValueSnapshot shellState(HKEY_CURRENT_USER, kExplorerKey, "ShellState");
    char shown[MAX_PATH + 1] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof shown, shown, 0);
    const HWND shellTaskbar = FindTaskbarWindow();
    const LONG shellTaskbarStyle = shellTaskbar ? GetWindowLongA(shellTaskbar, GWL_EXSTYLE) : 0;
    const std::string appFolderBefore = AppFolder();
    testing::ComScope com;
    testing::DeleteTree(HKEY_CURRENT_USER, kProduct);
    Setup();

    testing::BoxWatcher boxes;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    frmLogo::Load(instance, "-s", AgentHost{[this, instance] { frmMain::Show(instance, setup_); }});
    frmLogo* agent = frmLogo::Instance();
    agent->SetPeriodHook([](int32_t period) { return period / 60000; }); // a minute becomes 1 ms
    agent->RefreshTimers();

    const long warmUp = std::min<long>(target_ / 10, 200);
    PumpTicks(warmUp, 60000);
    // What a fault's first injection makes once (the skin and the player at the first opening, the
    // platform's own structures at a first use) belongs to the warm-up, not to the slope.
    for (int f = 0; f < kFaultKinds; ++f)
        if (!skipped_.count(f)) {
            Inject(static_cast<Fault>(f));
            PumpTicks(2, kStepLimitMs);
        }
    const long sampleEvery = std::max<long>((target_ - warmUp) / (kSamples - 1), 1);
    TakeSample();
    const DWORD start = GetTickCount();
    while (wTicks_ + lTicks_ < target_) {
        Step();
        if (wTicks_ + lTicks_ >= samples_.back().changes + sampleEvery) TakeSample();
    }
    UndoDue(true);
    TakeSample();
    const double seconds = (GetTickCount() - start) / 1000.0;

    // Up and answering, in the tray.
    DWORD_PTR answer = 0;
    const bool answering =
        SendMessageTimeoutA(agent->hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
    const bool inTray = agent->IsInTray();
    const std::vector<testing::BoxInfo> seen = boxes.Seen();
    // Every entry whose file and folder are there is listed, once.
    std::vector<std::string> missing;
    for (const auto* list : {&wallpapers_, &logons_}) {
        const std::string key = list == &wallpapers_ ? WallpaperKey() : LogonKey();
        std::vector<std::string> stored = StoredPaths(key);
        for (const std::string& path : *list)
            if (std::count(stored.begin(), stored.end(), path) != 1) missing.push_back(path);
    }
    const size_t logSize = FileSize(LogFilePath());
    const std::string logText = testing::ReadFileBytes(LogFilePath());

    agent->SetPeriodHook([](int32_t) { return 0; });
    frmLogo::Unload();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    taskbar_.reset();
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, shown, 0);
    if (shellTaskbar) SetWindowLongA(shellTaskbar, GWL_EXSTYLE, shellTaskbarStyle);
    SetAppFolder(appFolderBefore);

    // The table.
    std::printf("%ld scheduled changes (%ld wallpapers, %ld logon screens) over 2 x %d entries in %.1f s, "
                "%ld steps\n",
                wTicks_ + lTicks_, wTicks_, lTicks_, kEntries, seconds, step_);
    std::printf("%-28s %8s %6s %8s %5s %6s %s\n", "fault", "injected", "kept", "dropped", "lost", "other",
                "log entries");
    int lost = 0, overwritten = 0, loggedTwice = 0, failedOpenings = 0;
    for (int f = 0; f < kFaultKinds; ++f) {
        const Outcome& o = outcomes_[f];
        std::printf("%-28s %8d %6d %8d %5d %6d %ld\n", kFaultNames[f], o.injected, o.kept, o.dropped, o.lost,
                    o.other, o.logEntries);
        lost += o.lost;
    }
    overwritten = outcomes_[kBadSetting].other;
    loggedTwice = outcomes_[kBadSetting].dropped;
    failedOpenings = outcomes_[kMainWindow].other;
    std::printf("(dropped: for picture faults, the entry left the list while the file was bad and was added\n"
                " again when it came back; for bad settings values, values logged more than once.\n"
                " other: bad values overwritten by the program; main window openings that failed)\n");

    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const double k = (last.changes - first.changes) / 1000.0;
    auto slope = [&](auto field) {
        // Least squares over the samples, per 1 000 changes.
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const Sample& s : samples_) {
            const double x = s.changes / 1000.0, y = field(s);
            n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double d = n * sxx - sx * sx;
        return d == 0 ? 0.0 : (n * sxy - sx * sy) / d;
    };
    std::printf("after warm-up (%ld changes) and at the end (%ld), %s counts:\n", first.changes, last.changes,
                first.counts.source.c_str());
    std::printf("  handles %ld -> %ld (slope %+.2f per 1000 changes)\n", first.counts.handles,
                last.counts.handles, slope([](const Sample& s) { return double(s.counts.handles); }));
    std::printf("  GDI objects %ld -> %ld (slope %+.2f)\n", first.counts.gdi, last.counts.gdi,
                slope([](const Sample& s) { return double(s.counts.gdi); }));
    std::printf("  USER objects %ld -> %ld (slope %+.2f)\n", first.counts.user, last.counts.user,
                slope([](const Sample& s) { return double(s.counts.user); }));
    std::printf("  private bytes %lu KB -> %lu KB (slope %+.1f KB per 1000 changes)\n",
                first.privateBytes / 1024, last.privateBytes / 1024,
                slope([](const Sample& s) { return s.privateBytes / 1024.0; }));
    std::printf("program log: %zu bytes, %ld entries (bound %zu bytes); unreadable numbers naming no value: "
                "%ld\n",
                logSize, LogEntries(logText), kLogLimitBytes, unnamedEntries_);

    // The checks.
    const long handleDrift = last.counts.handles - first.counts.handles;
    const long gdiDrift = last.counts.gdi - first.counts.gdi;
    const long userDrift = last.counts.user - first.counts.user;
    const double bytesDriftKb = (static_cast<double>(last.privateBytes) - first.privateBytes) / 1024.0;
    struct Check {
        const char* what;
        bool met;
    };
    const Check checks[] = {
        {"the agent is up, answering and in the tray", answering && inTray},
        {"no box was shown", seen.empty()},
        {"no entry lost whose folder and file are there", lost == 0 && missing.empty()},
        {"handles, GDI and USER objects flat",
         std::abs(handleDrift) <= 4 && std::abs(gdiDrift) <= 2 && std::abs(userDrift) <= 2},
        {"private bytes flat (within 2 MB)", k <= 0 || bytesDriftKb <= 2048},
        {"bad settings values left as written", overwritten == 0},
        {"bad settings values logged at most once, each naming its value",
         loggedTwice == 0 && unnamedEntries_ == 0},
        {"every main window opening opened and closed", failedOpenings == 0},
        {"the log within its bound", logSize <= kLogLimitBytes + 64 * 1024 + 4096},
    };
    bool met = true;
    for (const Check& check : checks) {
        std::printf("%s: %s\n", check.met ? "ok    " : "FAILED", check.what);
        met = met && check.met;
    }
    for (const testing::BoxInfo& box : seen)
        std::printf("  box \"%s\": %s\n", box.title.c_str(), box.text.substr(0, 200).c_str());
    for (size_t i = 0; i < missing.size() && i < 10; ++i)
        std::printf("  not listed once: %s\n", missing[i].c_str());
    return met ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    const long changes = argc > 1 ? std::atol(argv[1]) : 10000;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 1;
    setvbuf(stdout, nullptr, _IONBF, 0); // each line out at once, also when a hang ends the run
    std::printf("soak: %ld changes, seed %u\n", changes, seed);
    try {
        Soak soak(changes, seed);
        char* at = argc > 3 ? argv[3] : nullptr;
        while (at != nullptr && *at != '\0') {
            char* end = nullptr;
            soak.skipped_.insert(static_cast<int>(std::strtol(at, &end, 10)));
            at = *end == ',' ? end + 1 : nullptr;
        }
        return soak.Run();
    } catch (const std::exception& e) {
        std::printf("FAILED: %s\n", e.what());
        return 2;
    }
}
