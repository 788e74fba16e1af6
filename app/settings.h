#pragma once
// The view options kept between runs in the settings file, group "Options".
#include <string>

// Reads the options into view_settings, the four stored check boxes, the "Stay on top" mark and
// the width scroll bar's maximum, then brings the menu marks and the window's on-top state in
// line. A missing or unreadable file leaves every option at its start value, silently. A zoom
// other than 1, 2, 4 or 8 becomes 1 and a maxwidth outside 1 to 255 becomes 75, each with a
// "Wrong settings" message box (zoom's first).
void read_settings(const std::string& path);

// Replaces the file with the group "Options" and its seven keys, in order: Zoom, Multi, Grid,
// Inverse, Reverse, maxwidth, ontop. When the file cannot be created nothing is written, the
// old file stays and nothing is shown.
void write_settings(const std::string& path);
