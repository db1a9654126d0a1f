// What the effects and tray tests share: the registry kept as found, real top-level windows, the alpha
// the platform reports for a window, and a message pump that looks at every tick of a timer object.
#pragma once
#include "core/clsSetari.h"
#include "core/unique_any.h"
#include "tests/core/settings_fixture.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <doctest.h>
#include <functional>
#include <string>
#include <vector>

namespace doctest {
template <>
struct StringMaker<std::vector<int>> {
    static String convert(const std::vector<int>& values) {
        std::string text = "{";
        for (size_t i = 0; i < values.size(); ++i)
            text += (i ? ", " : "") + std::to_string(values[i]);
        return (text + "}").c_str();
    }
};
} // namespace doctest

namespace effects_test {

extern const char* const kExplorerKey; // below HKEY_CURRENT_USER, holds "ShellState"
extern const char* const kDesktopKey;  // below HKEY_CURRENT_USER, holds "UserPreferencesMask"

// The program's keys and the two shell values the Start menu check reads (and may rewrite) are put back
// at the end; reports go to a scratch log. Settings start from what the test sets.
class EffectsGuard : public settings_test::RegistryGuard {
public:
    tsln::clsSetari settings;
    // Everything added to the program log since the guard was made.
    std::string LogAdded() const;

private:
    testing::RegValueSnapshot shellState_{HKEY_CURRENT_USER, kExplorerKey, "ShellState"};
    testing::RegValueSnapshot mask_{HKEY_CURRENT_USER, kDesktopKey, "UserPreferencesMask"};
};

// A plain top-level window of its own class (registered on first use), shown without activation unless
// hidden; destroyed at the end.
class TestWindow {
public:
    TestWindow(const char* className, const char* title, bool visible = true);
    HWND get() const { return hwnd_.get(); }
    void Destroy() { hwnd_.reset(); }

private:
    tsln::unique_hwnd hwnd_;
};

// The constant alpha of a layered window, -1 when it has none.
int Alpha(HWND hwnd);
bool IsLayered(HWND hwnd);
bool IsTopmost(HWND hwnd);

// Puts a window back to unlayered at the end (the shell's taskbar outlives the test).
class LayeredStyleRestorer {
public:
    explicit LayeredStyleRestorer(HWND hwnd);
    ~LayeredStyleRestorer();
    LayeredStyleRestorer(const LayeredStyleRestorer&) = delete;
    LayeredStyleRestorer& operator=(const LayeredStyleRestorer&) = delete;

private:
    HWND hwnd_;
    LONG exStyle_;
};

// Runs this thread's messages one at a time until `done` holds, calling `afterTick` after each tick of a
// timer object; false when `done` still does not hold after `limitMs` (a safety net, not a measurement).
bool PumpEachTick(const std::function<void()>& afterTick, const std::function<bool()>& done,
                  DWORD limitMs = 30000);

} // namespace effects_test
