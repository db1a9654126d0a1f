// The program's only interactive window: its whole face is the skin's movie, which draws the title bar,
// the window buttons and a menu of six pages and talks to the window through its commands. The window
// is loaded anew each time it is shown, fades in at its first activation, and fades out and unloads when
// it goes back to the tray.
#pragma once
#include "core/clsSetari.h"
#include "core/settings_form.h"
#include "core/window.h"
#include "effects/clsTranspEffects.h"
#include "rotation/cls_wallpaper_logons.h"
#include "shellutil/movie_player.h"
#include "skins/clsSkins.h"
#include "ui/controls/buttons.h"
#include "ui/controls/control_array.h"
#include "ui/controls/picture_box.h"
#include "ui/main/busy_state.h"
#include "ui/main/page_about.h"
#include "ui/main/page_list.h"
#include "ui/main/page_skins.h"
#include "ui/main/page_transparency.h"
#include "ui/main/page_visualstyles.h"
#include "ui/skinned_dialog.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tsln {

class frmMain : public Window, public SkinTarget, public SkinMovie, public SettingsForm {
public:
    static constexpr const char* kClassName = "TessalineMain";
    static constexpr const char* kCaption = "Quillfen - Tessaline";
    // A page panel's size in twips.
    static constexpr int kPageWidth = 6735;
    static constexpr int kPageHeight = 3120;
    static constexpr int kPageCount = 6;

    // Loads the window when none is loaded, and shows it modeless; the skin comes from the program's
    // packages, or from those of `skins` (the tests' own folder).
    static void Show(HINSTANCE instance);
    static void Show(HINSTANCE instance, const SkinsSetup& skins);
    // The loaded window, or null.
    static frmMain* Instance();
    // Unloads the loaded window (the program ends): the skin manager stores the skin and the position.
    static void Unload();

    // Holds the window while one of its operations lets messages run (a walk, a list being filled, a box
    // over it): an unload asked meanwhile (a close, a fade-out that ended) is carried out once the last
    // such operation has ended, so that none of them finds its window and pages gone.
    class Hold {
    public:
        explicit Hold(frmMain& window) : window_(window) { window_.HoldUnload(); }
        ~Hold() { window_.ReleaseUnload(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        frmMain& window_;
    };

    // The skin manager: created at the first activation, released when the window is about to unload.
    clsSkins* cSKIN() const { return cSKIN_.get(); }
    // The transparency slider's value; writing it runs the slider's release handler as well.
    uint8_t LevelVAL() const override;
    void SetLevelVAL(uint8_t value) override;

    // The movie's commands, as its buttons send them.
    void swfSKIN_FSCommand(const std::string& command, const std::string& args);

    // What the window shows, for its owner and its tests.
    int16_t CurrentTab() const { return CurrentTab_; }
    bool Activated() const { return Activated_; }
    bool Closing() const { return Closing_; }
    int16_t RTop() const { return RTop_; }
    int16_t RLeft() const { return RLeft_; }
    PictureBox& picTabs(int index) const { return picTabs_(index); }
    CommandButton& cmdFake() const { return *cmdFake_; }
    clsWallpaperLogons* cWL() const { return cWL_.get(); }
    MoviePlayer& swfSKIN() const { return *swfSKIN_; }
    clsSetari& Settings() const { return *cSettings; }

    // The pages, by number and by kind.
    MainPage& Page(int page) const;
    TranspPage& TranspTab() const { return *transp_; }
    StylesPage& StylesTab() const { return *styles_; }
    ListPage& ListTab(tType kind) const { return IsLogons(kind) ? *logons_ : *wallpapers_; }
    SkinsPage& SkinsTab() const { return *skins_; }
    AboutPage& AboutTab() const { return *about_; }

    // What the pages use of the window.
    // A new collection for the open list page (one still held is released first, saving its list).
    clsWallpaperLogons& NewCollection();
    void ReleaseCollection() { cWL_.reset(); }
    // The window's mouse pointer, over the window and all its controls.
    void SetMousePointer(MousePointer pointer);
    // Enables or disables every control placed directly on the open page except its "chkDefault".
    void EnablePageControls(bool enable);
    // Places the page panels where the skin wants them.
    void PlaceTabs();
    // Moves the movie two frames back, or forward two (four while a page opens).
    void StepMovie(bool forward, bool pageOpen);
    // The link a page's "links" command opens; empty for a page without one.
    static std::string LinkOf(int page);

    // SkinTarget: the window and its controls take the skin's colours; the skin places the page area.
    HWND Hwnd() const override { return hwnd(); }
    void ForEachControl(const std::function<void(SkinColorable& control)>& visit) override;
    bool SetBackColor(COLORREF color) override;
    bool SetForeColor(COLORREF color) override;
    void SetRTop(int16_t twips) override { RTop_ = twips; }
    void SetRLeft(int16_t twips) override { RLeft_ = twips; }
    SkinMovie* Movie() override { return this; }

    // SkinMovie: forwarded to the movie player.
    long CurrentFrame() override;
    void SetMovie(const std::string& path) override;
    void Move(int left, int top, int width, int height) override;
    void GotoFrame(long frame) override;
    void Play() override;

    // SettingsForm: the pages' two-state controls.
    std::string Name() const override { return "frmMain"; }
    SettingsToggle& chkTaskTransp(int index) override { return transp_->chkTaskTransp(index); }
    SettingsToggle& chkDefault(int index) override;
    SettingsToggle& optOrder(int index) override;
    SettingsToggle& chkProgram(int index) override { return skins_->chkProgram(index); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const char* FailureSource() const override { return "Tessaline.frmMain.WindowProc"; }
    void OnDestroyed() override;

private:
    // The fade-in at the first activation and the fade-out on the way to the tray: step, tick, alphas.
    static constexpr int16_t kFadeInStep = 10;
    static constexpr int16_t kFadeOutStep = -30;
    static constexpr int16_t kFadeTick = 10;
    static constexpr uint8_t kFadeLow = 50;
    static constexpr uint8_t kShownAlpha = 230;
    static constexpr uint8_t kGoneAlpha = 10;

    explicit frmMain(SkinsSetup skins);

    void Form_Load(HINSTANCE instance);
    void Form_Activate();
    void Form_QueryUnload();
    void Form_Unload();
    // A new effects object for the window's next effect, its Done bound.
    void NewEffects();
    void xEF_Done();
    void UnloadNow();
    void UnloadLater();
    friend class BusyState;
    void HoldUnload() { ++holds_; }
    void ReleaseUnload();
    void CreatePages();
    HCURSOR PointerCursor() const;

    // The commands of the table, each run to its end or failing.
    void OpenTab(const std::string& args);
    void CloseTab();
    void OpenLink();
    void Bar(const std::string& args);
    void MoveWindow();
    void CloseHelp();
    void StartMinimize();
    void AskClose();

    SkinsSetup skinsSetup_;
    std::unique_ptr<MoviePlayer> swfSKIN_;
    std::unique_ptr<CommandButton> cmdFake_;
    ControlArray<PictureBox> picTabs_{"picTabs"};
    std::unique_ptr<TranspPage> transp_;
    std::unique_ptr<StylesPage> styles_;
    std::unique_ptr<ListPage> logons_;
    std::unique_ptr<ListPage> wallpapers_;
    std::unique_ptr<SkinsPage> skins_;
    std::unique_ptr<AboutPage> about_;

    std::unique_ptr<clsSkins> cSKIN_;
    std::unique_ptr<clsTranspEffects> xEF;
    std::unique_ptr<clsSetari> cSettings;
    std::unique_ptr<clsWallpaperLogons> cWL_;
    SkinBackground background_;
    int16_t CurrentTab_ = 0;
    HWND HelpWnd = nullptr;
    bool Closing_ = false;
    bool Activated_ = false;
    bool activating_ = false;
    int16_t RTop_ = 0;
    int16_t RLeft_ = 0;
    MousePointer pointer_ = MousePointer::kDefault;
    int holds_ = 0;
    bool unloadHeld_ = false; // an unload waits for the holds to end
};

} // namespace tsln
