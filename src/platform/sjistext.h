// The edge between the program's Shift_JIS bytes (code page 932) and Qt's QString: what a
// control shows, what a file dialog returns. The conversion itself is the system's own
// (sjiscodec.h); this adds only the QString forms.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "sjiscodec.h"

namespace kotopa {

// Shift_JIS bytes as text. Bytes that are not valid Shift_JIS become U+FFFD.
QString FromSjis(std::string_view bytes);

// Text as Shift_JIS, with look-alikes mapped (see SjisFromUtf16); badIndex is an index in the
// QString.
SjisEncoding EncodeSjis(const QString& text);

// Text as Shift_JIS, with "?" in place of anything it cannot hold: for messages and
// stored paths, where something must be shown.
std::string ToSjisLossy(const QString& text);

// Native paths as QString, for the file dialog, the desktop shell and Qt's file names. A path
// from Qt gets the system's own separators.
QString PathToQString(const std::filesystem::path& path);
std::filesystem::path PathFromQString(const QString& path);

}  // namespace kotopa
