// The hidden agent window: loaded last by the start-up, it keeps the process alive; unloading it ends
// the process.
#pragma once
#include "core/window.h"

#include <functional>
#include <string>

namespace tsln {

// What the agent asks of the program's interface.
struct AgentHost {
    // Loads the main window if needed and shows it; may be empty (the agent then shows nothing).
    std::function<void()> showMainWindow;
};

class frmLogo : public Window {
public:
    static constexpr const char* kClassName = "TessalineAgent";

    // Loads the agent (the program-wide reference keeps it); the argument text tells how it was started.
    // Started by the user (without "-s") it shows the main window through `host`.
    static void Load(HINSTANCE instance, const std::string& argumentText, AgentHost host);
    // The loaded agent, or null.
    static frmLogo* Instance();
    // Unloads the agent: its window goes, the reference is dropped and the process ends.
    static void Unload();

    // True when started at log-on ("-s"): the agent starts hidden in the tray.
    bool StartedHidden() const { return startedHidden_; }

    // The main window tells when it opens (true) and when it went back to the tray (false).
    void InterfaceVisible(bool visible) { interfaceVisible_ = visible; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.frmLogo.WindowProc"; }
    void OnDestroyed() override;

private:
    void Form_Load(const std::string& argumentText);

    AgentHost host_;
    bool startedHidden_ = false;
    bool interfaceVisible_ = false;
};

} // namespace tsln
