#include "tests/core/test_form.h"
#include "core/app_error.h"

#include <cstdlib>

namespace settings_test {

using tsln::Bounds;

TestForm::TestForm(std::string name) : name_(std::move(name)) {
    Create(GetModuleHandleA(nullptr), "TslnSettingsTestForm", "Settings test", WS_OVERLAPPEDWINDOW, 0, 0, 0,
           500, 400, nullptr);
    for (int page = 0; page < 6; ++page) {
        picTabs_.Add(page, hwnd(), Bounds{0, 0, 7200, 5400});
        picTabs_(page).SetVisible(false);
    }
    level_.Add(0, picTabs_(0).hwnd(), "76", Bounds{150, 150, 900, 300});
    AddToggle(chkTaskTransp_, 0, 0, 600);
    AddToggle(chkTaskTransp_, 1, 0, 1050);
    AddToggle(chkDefault_, 2, 2, 150);
    AddToggle(optOrder_, 0, 2, 600);
    AddToggle(optOrder_, 1, 2, 1050);
    AddToggle(chkDefault_, 3, 3, 150);
    AddToggle(optOrder_, 3, 3, 600);
    AddToggle(optOrder_, 2, 3, 1050);
    for (int i = 0; i < 5; ++i)
        AddToggle(chkProgram_, i, 4, 150 + 450 * i);
    tsln::ComboBox& list = list_.Add(3, picTabs_(3).hwnd(), Bounds{150, 1500, 3000, 315});
    for (const char* item : {"sea", "sky", "sand"})
        list.AddItem(item);
    list.SetListIndex(1);
    BindClicks(chkTaskTransp_);
    BindClicks(chkDefault_);
    BindClicks(optOrder_);
    BindClicks(chkProgram_);
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

template <typename T>
void TestForm::AddToggle(tsln::ControlArray<T>& array, int index, int page, int y) {
    const std::string caption = array.Name() + "(" + std::to_string(index) + ")";
    array.Add(index, picTabs_(page).hwnd(), caption, Bounds{150, y, 3000, 330});
}

template <typename T>
void TestForm::BindClicks(tsln::ControlArray<T>& array) {
    array.Bind(&T::Click, [this, &array](int index) {
        clicks_.emplace_back(array.Name() + "(" + std::to_string(index) + ")", array(index).Visible());
    });
}

tsln::ToggleButton& TestForm::Find(const std::string& name, int index) {
    if (name == "optOrder") return optOrder_(index);
    if (name == "chkTaskTransp") return chkTaskTransp_(index);
    if (name == "chkDefault") return chkDefault_(index);
    if (name == "chkProgram") return chkProgram_(index);
    TSLN_FAIL(tsln::err::kNoSuchMember);
}

uint8_t TestForm::LevelVAL() const {
    return static_cast<uint8_t>(std::atoi(level_(0).Text().c_str()));
}

void TestForm::SetLevelVAL(uint8_t value) {
    level_(0).SetText(std::to_string(value));
}

std::string TestForm::State() const {
    std::string state;
    auto add = [&state](const auto& array) {
        array.ForEach([&](int index, const tsln::ToggleButton& toggle) {
            state += array.Name() + "(" + std::to_string(index) + ")=" + std::to_string(toggle.Value()) + " ";
        });
    };
    add(chkTaskTransp_);
    add(chkDefault_);
    add(optOrder_);
    add(chkProgram_);
    return state + "level=" + level_(0).Text() + " list=" + std::to_string(list_(3).ListIndex());
}

void ClickAsUser(const tsln::Control& control) {
    SendMessageA(control.hwnd(), BM_CLICK, 0, 0);
}

} // namespace settings_test
