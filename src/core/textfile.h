// String lists and whole files: lines split on CR LF, lone LF or lone CR (a NUL byte
// ends an Act's text but stays in a list's line), lists written whole with CR LF, and every
// write made atomic through a temporary file in the same folder that is renamed over the old one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kotopa {

enum class ReadStatus { Ok, Missing, Unreadable, TooLarge };

// True for a file that exists but was not read (Unreadable or TooLarge): one that is never
// written over, since it may hold what the program could not see.
constexpr bool NotRead(ReadStatus status) {
    return status == ReadStatus::Unreadable || status == ReadStatus::TooLarge;
}

constexpr std::uintmax_t kKiB = 1024;
constexpr std::uintmax_t kMiB = 1024 * kKiB;

// Reads the whole file, when it holds at most limit bytes; every reader of outside input
// gives the bound of its own kind of file, far above any real one, so that no file can take
// the program's memory. Missing: no file at the path; Unreadable: it exists but cannot be
// read (a folder, no permission, an I/O error); TooLarge: it holds more than limit bytes
// (nothing more than limit + 1 bytes is ever read, nor kept).
ReadStatus ReadFileBytes(const std::filesystem::path& path, std::string& bytes,
                         std::uintmax_t limit);

// Calls f(line) for every line of text, in order. CR LF, LF and CR each end a line; a final
// line end adds no empty line; a NUL byte is kept inside its line.
template <typename F>
void ForEachLineKeepingNul(std::string_view text, F&& f) {
    std::size_t start = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        f(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) f(text.substr(start));
}

// The same, except that a NUL byte ends the text, as it does for an Act script.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    ForEachLineKeepingNul(text.substr(0, text.find('\0')), std::forward<F>(f));
}

std::vector<std::string> SplitLines(std::string_view text);

// Reads a string list. A missing file gives Missing and an empty list. A NUL byte stays in
// its line: a list is written back whole, and no line of it may be lost on the way.
// At most limit bytes are read (ReadFileBytes).
ReadStatus ReadStringList(const std::filesystem::path& path, std::vector<std::string>& lines,
                          std::uintmax_t limit);

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// The file that a write to path replaces: path itself, or, when path is a symbolic link, the
// file it leads to through every link (a relative link from the link's own folder), so that a
// key file linked to a table elsewhere stays linked and the table gets the new rows. path
// itself when the links go round in a circle.
std::filesystem::path WriteTarget(const std::filesystem::path& path);

// Writes bytes to a temporary file beside WriteTarget(path), flushes it to the disk and
// renames it over that file (on Windows MoveFileExW with write-through, tried again for about a
// second while another program holds the old file). The new file keeps the old one's permissions or
// attributes; a file marked read-only is not replaced. On any failure the old file is left
// as it was, the temporary file is removed and false is returned. A missing folder is not
// created.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// The two halves of WriteFileAtomic, for writes that put several files in place together;
// path is the file itself (WriteTarget), never a link to it.
// StageFile writes bytes to a new temporary file beside path and flushes it to the disk: its
// path, or empty when it could not be written (and then nothing is left behind).
// CommitStagedFile renames it over path and flushes the folder; false leaves path as it was
// and the staged file where it is.
std::filesystem::path StageFile(const std::filesystem::path& path, std::string_view bytes);
bool CommitStagedFile(const std::filesystem::path& staged, const std::filesystem::path& path);

// Names of the temporary files of the atomic write: the file's own name, ".kotopa~tmp",
// digits, "-", digits. A write cut short by a crash or a power cut leaves one beside the file
// for ever. IsTemporaryFileOf also takes the ".tmp" digits "-" digits of earlier versions, so
// that a recording journal they left can still be finished.
bool IsTemporaryFileName(const std::filesystem::path& name);
bool IsTemporaryFileOf(const std::filesystem::path& staged, const std::filesystem::path& target);

// Removes the temporary files (IsTemporaryFileName) that interrupted writes left in folder,
// and nothing else: no link of such a name, and nothing at all when folder itself is a link.
// Only for a folder that no other process is writing to. Returns the files that could not be
// removed.
std::vector<std::filesystem::path> RemoveStaleTemporaries(const std::filesystem::path& folder);

// Makes the folder's entries (a rename or a removal in it) durable.
void SyncFolder(const std::filesystem::path& folder);

// Writes the list whole, CR LF after every line, atomically.
bool WriteStringList(const std::filesystem::path& path, const std::vector<std::string>& lines);

// The file name's extension: from its last point on (".key", so ".ktp" alone has one); a
// name without one has none. Taken from the name in the system's own characters, so that a
// Japanese name stays whole on every system; FileExtension gives it as UTF-8.
std::string FileExtension(const std::filesystem::path& path);
// True when the extension is ext with the letters a to z in either case.
bool HasExtension(const std::filesystem::path& path, std::string_view ext);
// The file name without its extension.
std::filesystem::path FileStem(const std::filesystem::path& path);

// The message shown when a file cannot be written: the path (Shift_JIS) followed by
// " に書き込めません".
std::string CannotWriteMessage(std::string_view sjisPath);
// A message about a file: its path (Shift_JIS), LF CR, then the text.
std::string PathMessage(std::string_view sjisPath, std::string_view text);

}  // namespace kotopa
