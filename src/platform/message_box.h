#pragma once

#include <string>

namespace platform {

// A modal message box with an OK button and no owner window. Where there is no such thing
// (POSIX), one line on standard error: caption, ": ", text, and a line feed unless the text
// already ends with one.
void showMessageBox(const std::string& text, const std::string& caption);

}  // namespace platform
