#include "textfile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <system_error>
#include <type_traits>

#include "faultpoint.h"
#include "messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "sjis.h"
#include "sjiscodec.h"

namespace kotopa {

namespace fs = std::filesystem;

#ifdef KOTOPA_FAULT_INJECTION
namespace faultpoint {
namespace {
std::atomic<Hook> g_hook{nullptr};
}
void SetHook(Hook hook) {
    g_hook = hook;
}
bool Reached(const char* step) {
    const Hook hook = g_hook;
    return hook && hook(step);
}
}  // namespace faultpoint
#endif

ReadStatus ReadFileBytes(const fs::path& path, std::string& bytes, std::uintmax_t limit) {
    bytes.clear();
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (!fs::exists(st)) return ReadStatus::Missing;
    if (!fs::is_regular_file(st)) return ReadStatus::Unreadable;
    // A sparse file claims any size without taking the disk: its size alone refuses it.
    const auto size = fs::file_size(path, ec);
    if (!ec && size > limit) return ReadStatus::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadStatus::Unreadable;
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    // The file may grow while it is read: no more than one byte past the bound is taken.
    char buf[1 << 16];
    while (in) {
        const std::uintmax_t room = limit + 1 - bytes.size();
        in.read(buf, static_cast<std::streamsize>(std::min<std::uintmax_t>(sizeof buf, room)));
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > limit) {
            bytes.clear();
            bytes.shrink_to_fit();
            return ReadStatus::TooLarge;
        }
    }
    if (in.bad()) {
        bytes.clear();
        return ReadStatus::Unreadable;
    }
    return ReadStatus::Ok;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

ReadStatus ReadStringList(const fs::path& path, std::vector<std::string>& lines,
                          std::uintmax_t limit) {
    lines.clear();
    std::string bytes;
    const ReadStatus st = ReadFileBytes(path, bytes, limit);
    if (st == ReadStatus::Ok) {
        ForEachLineKeepingNul(bytes, [&](std::string_view line) { lines.emplace_back(line); });
    }
    return st;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

namespace {

// The atomic write's temporary file is the file's name, this mark, digits, "-", digits: a
// name no user gives a file, so that only the program's own are ever taken for leftovers.
constexpr std::string_view kTemporaryMark = ".kotopa~tmp";
// The mark of earlier versions, which journals they wrote may still name.
constexpr std::string_view kEarlierTemporaryMark = ".tmp";

fs::path TemporaryPathFor(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path tmp = path;
    tmp += std::string(kTemporaryMark) +
           std::to_string(static_cast<unsigned long long>(stamp) % 1000000007ULL) + "-" +
           std::to_string(counter++);
    return tmp;
}

// The length of the mark, DIGITS-DIGITS that ends name, or 0 when it does not end so.
template <typename Char>
std::size_t TemporarySuffixLength(std::basic_string_view<Char> name, std::string_view mark) {
    const auto isDigit = [](Char c) { return c >= '0' && c <= '9'; };
    std::size_t i = name.size();
    const std::size_t counterEnd = i;
    while (i > 0 && isDigit(name[i - 1])) --i;
    if (i == counterEnd || i == 0 || name[i - 1] != '-') return 0;
    const std::size_t stampEnd = --i;
    while (i > 0 && isDigit(name[i - 1])) --i;
    if (i == stampEnd || i < mark.size()) return 0;
    for (std::size_t k = 0; k < mark.size(); ++k) {
        if (name[i - mark.size() + k] != static_cast<Char>(mark[k])) return 0;
    }
    return name.size() - (i - mark.size());
}

std::size_t TemporarySuffixLength(const fs::path& name, std::string_view mark) {
    return TemporarySuffixLength(std::basic_string_view<fs::path::value_type>(name.native()), mark);
}

#ifndef _WIN32
bool WriteAndSync(const fs::path& tmp, std::string_view bytes, const fs::path& target) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (KOTOPA_FAULT_POINT("stage.created")) {
        ::close(fd);
        return false;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    return ok;
}

// A file whose own permissions forbid writing stays as it is, as it would for a program
// that writes the file in place.
bool TargetWritable(const fs::path& path) {
    if (::access(path.c_str(), F_OK) != 0) return true;
    return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

namespace {

// The staged file takes the old file's place: rename() replaces it in one step.
bool Replace(const fs::path& staged, const fs::path& target) {
    std::error_code ec;
    fs::rename(staged, target, ec);
    return !ec;
}
#else
// The attributes a replaced file keeps (read-only ones are never replaced).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAndSync(const fs::path& tmp, std::string_view bytes, const fs::path& target) {
    const HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (KOTOPA_FAULT_POINT("stage.created")) {
        CloseHandle(h);
        return false;
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(h, p, chunk, &written, nullptr) && written > 0;
        p += written;
        left -= written;
    }
    // On the disk before it replaces anything, as fsync does elsewhere.
    if (ok && !FlushFileBuffers(h)) ok = false;
    if (!CloseHandle(h)) ok = false;
    const DWORD old = GetFileAttributesW(target.c_str());
    if (ok && old != INVALID_FILE_ATTRIBUTES && (old & kKeptAttributes) != 0) {
        ok = SetFileAttributesW(tmp.c_str(), old & kKeptAttributes);
    }
    return ok;
}

bool TargetWritable(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// Another program that has the old file open (a virus scanner, a backup, an editor) keeps
// it from being replaced for a moment; the replace is tried again for about a second.
constexpr int kReplaceAttempts = 40;
constexpr DWORD kReplacePauseMs = 25;

// MoveFileExW with write-through returns once the rename is on the disk.
bool Replace(const fs::path& staged, const fs::path& target) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(staged.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                          error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == kReplaceAttempts) return false;
        Sleep(kReplacePauseMs);
    }
}

}  // namespace

void SyncFolder(const fs::path&) {}

namespace {
#endif

}  // namespace

fs::path StageFile(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return {};
    if (!TargetWritable(path)) return {};
    const fs::path tmp = TemporaryPathFor(path);
    if (!WriteAndSync(tmp, bytes, path) || KOTOPA_FAULT_POINT("stage.written")) {
        fs::remove(tmp, ec);
        return {};
    }
    return tmp;
}

bool CommitStagedFile(const fs::path& staged, const fs::path& path) {
    if (KOTOPA_FAULT_POINT("commit.rename")) return false;
    if (!Replace(staged, path)) return false;
    KOTOPA_STOP_POINT("commit.renamed");
    SyncFolder(path.parent_path());
    return true;
}

fs::path WriteTarget(const fs::path& path) {
    constexpr int kMostLinks = 40;  // as the system's own limit on links in one path
    fs::path target = path;
    std::error_code ec;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        if (!fs::is_symlink(fs::symlink_status(target, ec))) return target;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return target;
        target = (next.is_absolute() ? next : target.parent_path() / next).lexically_normal();
    }
    return path;
}

bool WriteFileAtomic(const fs::path& link, std::string_view bytes) {
    const fs::path path = WriteTarget(link);
    const fs::path tmp = StageFile(path, bytes);
    if (tmp.empty()) return false;
    if (!CommitStagedFile(tmp, path)) {
        std::error_code ec;
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

bool IsTemporaryFileName(const fs::path& name) {
    const std::size_t suffix = TemporarySuffixLength(name, kTemporaryMark);
    return suffix > 0 && suffix < name.native().size();
}

bool IsTemporaryFileOf(const fs::path& staged, const fs::path& target) {
    std::size_t suffix = TemporarySuffixLength(staged, kTemporaryMark);
    if (suffix == 0) suffix = TemporarySuffixLength(staged, kEarlierTemporaryMark);
    const auto& s = staged.native();
    const auto& t = target.native();
    return suffix > 0 && !t.empty() && s.size() == t.size() + suffix &&
           s.compare(0, t.size(), t) == 0;
}

std::vector<fs::path> RemoveStaleTemporaries(const fs::path& folder) {
    std::vector<fs::path> left;
    std::error_code ec;
    // A folder that is a link leads elsewhere: what lies there is not the program's to clear.
    if (!fs::is_directory(fs::symlink_status(folder, ec))) return left;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        // Only a plain file: a link of that name is the user's, wherever it leads.
        if (!fs::is_regular_file(it->symlink_status(kind))) continue;
        if (!IsTemporaryFileName(it->path().filename())) continue;
        std::error_code removed;
        fs::remove(it->path(), removed);
        if (removed) left.push_back(it->path());
    }
    return left;
}

bool WriteStringList(const fs::path& path, const std::vector<std::string>& lines) {
    return WriteFileAtomic(path, JoinLines(lines));
}

std::string CannotWriteMessage(std::string_view sjisPath) {
    std::string s(sjisPath);
    s += msg::kCannotWrite;
    return s;
}

std::string PathMessage(std::string_view sjisPath, std::string_view text) {
    std::string s(sjisPath);
    s += msg::kLfCr;
    s += text;
    return s;
}

namespace {

// The file name in the system's own characters (UTF-16 on Windows), never narrowed, and where
// its extension starts (its size when it has none).
fs::path::string_type FileName(const fs::path& path) {
    return path.filename().native();
}

std::size_t ExtensionStart(const fs::path::string_type& name) {
    const std::size_t dot = name.rfind(fs::path::value_type('.'));
    return dot == fs::path::string_type::npos ? name.size() : dot;
}

}  // namespace

std::string FileExtension(const std::filesystem::path& path) {
    const fs::path::string_type name = FileName(path);
    return PathToUtf8(fs::path(name.substr(ExtensionStart(name))));
}

bool HasExtension(const std::filesystem::path& path, std::string_view ext) {
    const fs::path::string_type name = FileName(path);
    const std::size_t dot = ExtensionStart(name);
    if (name.size() - dot != ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const auto c = static_cast<std::make_unsigned_t<fs::path::value_type>>(name[dot + i]);
        if (c >= 0x80 || FoldAscii(static_cast<char>(c)) != FoldAscii(ext[i])) return false;
    }
    return true;
}

fs::path FileStem(const fs::path& path) {
    const fs::path::string_type name = FileName(path);
    return fs::path(name.substr(0, ExtensionStart(name)));
}

}  // namespace kotopa
