#pragma once
// The extension rule of the save commands: the chosen format decides, whatever the name says.
#include <string>

// The name unchanged when its last four characters, in any mix of cases, are `extension`
// (for example ".png"); otherwise the name with `extension` appended. A name shorter than the
// extension always gets it, and a name carrying another extension keeps that one: "a.bmp"
// becomes "a.bmp.png".
[[nodiscard]] std::string with_extension(const std::string& name, const std::string& extension);
