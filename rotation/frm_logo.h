// The hidden agent window: loaded last by the start-up, it keeps the process alive; unloading it ends
// the process.
#pragma once
#include "core/window.h"

#include <string>

namespace tsln {

class frmLogo : public Window {
public:
    static constexpr const char* kClassName = "TessalineAgent";

    // Loads the agent (the program-wide reference keeps it); the argument text tells how it was started.
    static void Load(HINSTANCE instance, const std::string& argumentText);
    // The loaded agent, or null.
    static frmLogo* Instance();
    // Unloads the agent: its window goes, the reference is dropped and the process ends.
    static void Unload();

    // True when started at log-on ("-s"): the agent starts hidden in the tray.
    bool StartedHidden() const { return startedHidden_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.frmLogo.WindowProc"; }
    void OnDestroyed() override;

private:
    void Form_Load(const std::string& argumentText);

    bool startedHidden_ = false;
};

} // namespace tsln
