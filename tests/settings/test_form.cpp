#include "tests/settings/test_form.h"
#include "core/app_error.h"

#include <cstdlib>

namespace settings_test {

bool ButtonToggle::Value() const {
    return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ButtonToggle::SetValue(bool on) {
    const bool was = Value();
    SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (option_ && on) form_.ClearGroup(*this);
    if (option_ ? on : was != on) form_.Clicked(*this);
}

void ButtonToggle::Click() const {
    SendMessageA(hwnd_, BM_CLICK, 0, 0);
}

TestForm::TestForm(std::string name) : name_(std::move(name)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Create(instance, "TslnSettingsTestForm", "Settings test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 500, 400,
           nullptr);
    for (int page = 0; page < 6; ++page)
        pages_[page] =
            CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 480, 360, hwnd(), nullptr, instance, nullptr);
    level_ = CreateWindowExA(0, "EDIT", "76", WS_CHILD | WS_VISIBLE | ES_NUMBER, 10, 10, 60, 20, pages_[0],
                             nullptr, instance, nullptr);
    AddToggle("chkTaskTransp", 0, 0, false, 40);
    AddToggle("chkTaskTransp", 1, 0, false, 70);
    AddToggle("chkDefault", 2, 2, false, 10);
    AddToggle("optOrder", 0, 2, true, 40);
    AddToggle("optOrder", 1, 2, true, 70);
    AddToggle("chkDefault", 3, 3, false, 10);
    AddToggle("optOrder", 3, 3, true, 40);
    AddToggle("optOrder", 2, 3, true, 70);
    for (int i = 0; i < 5; ++i)
        AddToggle("chkProgram", i, 4, false, 10 + 30 * i);
    list_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 100, 200, 120,
                            pages_[3], nullptr, instance, nullptr);
    for (const char* item : {"sea", "sky", "sand"})
        SendMessageA(list_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(list_, CB_SETCURSEL, 1, 0);
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void TestForm::AddToggle(const char* name, int index, int page, bool option, int y) {
    std::string caption = std::string(name) + "(" + std::to_string(index) + ")";
    // The first option button of a page starts its group.
    DWORD style = WS_CHILD | WS_VISIBLE | (option ? BS_AUTORADIOBUTTON : BS_AUTOCHECKBOX);
    if (option && (index == 0 || index == 3)) style |= WS_GROUP;
    HWND button = CreateWindowExA(0, "BUTTON", caption.c_str(), style, 10, y, 200, 22, pages_[page], nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    toggles_[{name, index}] = std::make_unique<ButtonToggle>(*this, name, index, page, button, option);
}

ButtonToggle& TestForm::Find(const std::string& name, int index) {
    auto found = toggles_.find({name, index});
    if (found == toggles_.end())
        TSLN_FAIL(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    return *found->second;
}

uint8_t TestForm::LevelVAL() const {
    char text[16] = {};
    GetWindowTextA(level_, text, sizeof text);
    return static_cast<uint8_t>(std::atoi(text));
}

void TestForm::SetLevelVAL(uint8_t value) {
    SetWindowTextA(level_, std::to_string(value).c_str());
}

void TestForm::ShowPage(int page, bool shown) {
    ShowWindow(pages_[page], shown ? SW_SHOW : SW_HIDE);
}

void TestForm::Clicked(const ButtonToggle& control) {
    clicks_.emplace_back(control.name_ + "(" + std::to_string(control.index_) + ")",
                         IsWindowVisible(control.hwnd_) != FALSE);
}

void TestForm::ClearGroup(const ButtonToggle& except) {
    for (auto& entry : toggles_) {
        ButtonToggle& other = *entry.second;
        if (&other != &except && other.option_ && other.group_ == except.group_ &&
            other.name_ == except.name_)
            SendMessageA(other.hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

std::string TestForm::State() const {
    std::string state;
    for (const auto& entry : toggles_)
        state += entry.first.first + "(" + std::to_string(entry.first.second) +
                 ")=" + std::to_string(SendMessageA(entry.second->hwnd_, BM_GETCHECK, 0, 0)) + " ";
    char text[16] = {};
    GetWindowTextA(level_, text, sizeof text);
    state +=
        std::string("level=") + text + " list=" + std::to_string(SendMessageA(list_, CB_GETCURSEL, 0, 0));
    return state;
}

} // namespace settings_test
