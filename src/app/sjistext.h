// The edge between the program's Shift_JIS bytes (code page 932) and Qt's QString: what a
// control shows, what a file dialog returns, what an author's UTF-8 text becomes.
#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace kotopa {

// Shift_JIS bytes as text. Bytes that are not valid Shift_JIS become U+FFFD.
QString FromSjis(std::string_view bytes);

struct SjisEncoding {
    std::string bytes;
    // Index in the QString of the first character Shift_JIS cannot hold, or -1. The bytes
    // are then incomplete and must not be used.
    qsizetype badIndex = -1;
    bool ok() const { return badIndex < 0; }
};

// Text as Shift_JIS. Characters that editors and input methods produce in place of the
// ones code page 932 holds are mapped first: the wave dash 〜 (U+301C) to ～ (81 60), the
// minus sign − (U+2212) to － (81 7C), ‖ (U+2016) to ∥, ¢ £ ¬ to their full-width forms,
// and the em dash — (U+2014) to ― (81 5C).
SjisEncoding EncodeSjis(const QString& text);

// Text as Shift_JIS, with "?" in place of anything it cannot hold: for messages and
// stored paths, where something must be shown.
std::string ToSjisLossy(const QString& text);

// Where the bytes stop being valid Shift_JIS: the byte offset of the first bad character
// (an unassigned lead byte pair, a lone lead byte, an undefined single byte), or -1.
qsizetype FirstInvalidSjis(std::string_view bytes);

// Native paths and their Shift_JIS form, for paths shown in messages or stored in files.
std::string PathToSjis(const std::filesystem::path& path);
std::filesystem::path PathFromSjis(std::string_view bytes);
QString PathToQString(const std::filesystem::path& path);
std::filesystem::path PathFromQString(const QString& path);

}  // namespace kotopa
