#pragma once
// Modal dialogs. While one runs, the program's other windows take no input and an
// always-on-top window is lowered; both are restored afterwards.
#include <string>

// One OK button, no icon. "\r\n" in the text is a line break.
int messageBox(const std::string& title, const std::string& text, int flags = 0);
// The entered text; empty on Escape or the close box. The field opens with the default text
// selected, so typing replaces it.
std::string inputDialog(const std::string& title, const std::string& prompt, const std::string& defaultText);
// patterns: "label|pattern|label|pattern…". Empty on cancel. The current directory is kept.
std::string openFileDialog(const std::string& title, const std::string& defaultPath,
                           const std::string& patterns, int patternIndex);
std::string saveFileDialog(const std::string& title, const std::string& defaultPath,
                           const std::string& patterns, int patternIndex);
// 0-based pattern of the last confirmed file dialog; -1 after a cancel.
int selectedPatternIndex();
