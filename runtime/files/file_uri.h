#pragma once
// Local file names out of a "text/uri-list" (what a drag and drop of files carries), byte for
// byte.
//
// Qt turns the list into URLs through UTF-8 text, which replaces every byte of a name that is
// not valid UTF-8 and makes such a file impossible to open. The names are therefore taken from
// the list's own bytes: percent escapes are decoded to the bytes they stand for, and bytes that
// a careless source left unescaped are kept as they are.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file name of one "file:" URI: "file:///p", "file:/p", or "file://HOST/p" where HOST is
// empty, "localhost" or this machine's host name. A query or fragment ends the name. Nothing for
// another scheme, another host, a name with a zero byte, or no name.
[[nodiscard]] std::optional<std::string> localPathOfFileUri(std::string_view uri);

// The file names of a whole list (lines ended by CR LF or LF; "#" lines are comments). Nothing
// unless every URI in it is a local file and there is at least one.
[[nodiscard]] std::optional<std::vector<std::string>> localPathsOfUriList(std::string_view list);
