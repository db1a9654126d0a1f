// The program's own message box, for what the program tells the user in its own look: the close
// confirmation, the visual-styles results, missing picture files.
#pragma once
#include <cstdint>
#include <string>

namespace tsln {

// Message box kinds: OK alone, or OK and Cancel.
constexpr int32_t kMsgBoxOk = 0;
constexpr int32_t kMsgBoxOkCancel = 1;

// Shows `message` modally and returns 1 when OK was pressed, 0 otherwise. `fontSize` is the size in
// points the message is set in.
int32_t ShowMsgBox(const std::string& message, int16_t fontSize, int32_t type);

} // namespace tsln
