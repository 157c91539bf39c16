#pragma once

#include <QString>

#include <string>

class QFont;

namespace tavrin {

// The user-interface edge of the program's CP932 texts.
QString qs(const std::string& cp932);
// A text shown on one line of a list or a status bar: at most 1024 characters, then "…".
QString qsShown(const std::string& cp932);
std::string toCp932(const QString& text);
// A path the user gives: what CP932 cannot hold is kept as an escape, so it still names its folder.
std::string toCp932Path(const QString& text);
// The windows' designed face, or the nearest Japanese face a desktop without it has.
QFont designedFont(int pixelSize);

} // namespace tavrin
