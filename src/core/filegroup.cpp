#include "filegroup.h"

#include <string_view>
#include <system_error>

#include "faultpoint.h"
#include "textfile.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace {

// The journal: this line, then for each file its name and its staged file's name, each
// ended by a NUL byte (which no file name holds). Names are UTF-8: a file's name relative to
// the journal's folder, so that a program folder that has moved is still finished, and its
// staged file's name beside the file that name leads to (where a link leads, for a link).
constexpr std::string_view kJournalHead = "KotoPA file group 1\n";

// A file of the group: its name in the folder and its staged file's name, and the two paths
// the commit renames: the staged file beside the file the write replaces (WriteTarget), and
// that file.
struct Entry {
    fs::path target;
    fs::path staged;
    fs::path stagedPath;
    fs::path targetPath;
};

Entry EntryIn(const fs::path& folder, fs::path target, fs::path staged) {
    const fs::path written = WriteTarget(folder / target);
    fs::path stagedPath = written.parent_path() / staged;
    return {std::move(target), std::move(staged), std::move(stagedPath), written};
}

std::string Name(const fs::path& p) {
    const std::u8string s = p.filename().u8string();
    return std::string(s.begin(), s.end());
}

// A name as the journal holds it, as a path; empty when it is not UTF-8 the system takes.
fs::path FromName(std::string_view s) {
    try {
        return fs::path(std::u8string(s.begin(), s.end()));
    } catch (const std::exception&) {
        return {};
    }
}

// The names of devices, which Windows opens in every folder whatever extension follows.
bool DeviceName(std::string_view s) {
    const std::string_view stem = s.substr(0, s.find('.'));
    std::string upper;
    for (const char c : stem) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (upper == d) return true;
    }
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// A plain name of a file in folder, on every system: no separator of any system, no drive
// or stream (":"), no control character, not "." or "..", no trailing point or blank (which
// Windows drops), no device; and joined to folder, its parent is folder itself.
bool PlainName(std::string_view s, const fs::path& folder) {
    if (s.empty() || s == "." || s == ".." || s.back() == '.' || s.back() == ' ') return false;
    for (const char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':') {
            return false;
        }
    }
    if (DeviceName(s)) return false;
    const fs::path name = FromName(s);
    if (name.empty() || name.has_root_path() || name.has_parent_path()) return false;
    return (folder / name).parent_path() == folder;
}

// The journal's entries, when it is exactly what WriteFileGroup writes for member files of
// folder; false when it is damaged.
bool ParseJournal(std::string_view bytes, const fs::path& folder, const GroupMember& member,
                  std::vector<Entry>& entries) {
    if (bytes.substr(0, kJournalHead.size()) != kJournalHead) return false;
    bytes.remove_prefix(kJournalHead.size());
    std::vector<std::string_view> names;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\0');
        if (end == std::string_view::npos) return false;
        names.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
    }
    if (names.empty() || names.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < names.size(); i += 2) {
        if (!PlainName(names[i], folder) || !PlainName(names[i + 1], folder)) return false;
        Entry e = EntryIn(folder, FromName(names[i]), FromName(names[i + 1]));
        // Only the program's own temporary files of that very target are ever renamed, and
        // only over the files that a group writes.
        if (!member(e.target) || !IsTemporaryFileOf(e.staged, e.targetPath.filename())) {
            return false;
        }
        for (const Entry& other : entries) {
            if (other.target == e.target || other.staged == e.staged) return false;
        }
        // A staged file is one the write made: a plain file, never a link to elsewhere.
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(e.stagedPath, ec);
        if (fs::exists(st) && !fs::is_regular_file(st)) return false;
        entries.push_back(std::move(e));
    }
    return true;
}

void RemoveAll(const std::vector<Entry>& entries) {
    std::error_code ec;
    for (const Entry& e : entries) fs::remove(e.stagedPath, ec);
}

FileGroupOutcome Failed(const fs::path& path, bool committed = false) {
    return FileGroupOutcome{false, committed, path};
}

}  // namespace

fs::path DamagedJournalPath(const fs::path& journal) {
    fs::path aside = journal;
    aside += ".damaged";
    return aside;
}

FinishOutcome FinishFileGroup(const fs::path& journal, const GroupMember& member) {
    std::string bytes;
    const ReadStatus read = ReadFileBytes(journal, bytes, kJournalLimit);
    if (read == ReadStatus::Missing) return {};
    if (read == ReadStatus::Unreadable) return {FinishStatus::Unfinished, journal};
    const fs::path folder = journal.parent_path();
    std::error_code ec;
    std::vector<Entry> entries;
    if (read == ReadStatus::TooLarge || !ParseJournal(bytes, folder, member, entries)) {
        // Kept for whoever wants to see what it held, out of the way of every later group.
        const fs::path aside = DamagedJournalPath(journal);
        fs::rename(journal, aside, ec);
        if (ec) return {FinishStatus::Unfinished, journal};
        SyncFolder(folder);
        return {FinishStatus::Discarded, aside};
    }
    for (const Entry& e : entries) {
        // A staged file that is gone was put in place before the interruption.
        if (!fs::exists(fs::symlink_status(e.stagedPath, ec))) continue;
        if (!CommitStagedFile(e.stagedPath, e.targetPath)) {
            return {FinishStatus::Unfinished, folder / e.target};
        }
    }
    KOTOPA_STOP_POINT("group.finished");
    fs::remove(journal, ec);
    if (ec) return {FinishStatus::Unfinished, journal};
    SyncFolder(folder);
    return {FinishStatus::Finished, {}};
}

FileGroupOutcome WriteFileGroup(const fs::path& journal, const std::vector<FileGroupWrite>& files,
                                const GroupMember& member) {
    const fs::path folder = journal.parent_path();
    for (const FileGroupWrite& f : files) {
        if (f.path.parent_path() != folder || !PlainName(Name(f.path), folder) ||
            !member(f.path.filename())) {
            return Failed(f.path);
        }
    }
    const FinishOutcome earlier = FinishFileGroup(journal, member);
    if (earlier.status == FinishStatus::Unfinished) return Failed(earlier.failedPath);

    std::vector<Entry> entries;
    std::string text(kJournalHead);
    for (const FileGroupWrite& f : files) {
        const fs::path staged = StageFile(WriteTarget(f.path), f.bytes);
        if (staged.empty()) {
            RemoveAll(entries);
            return Failed(f.path);
        }
        entries.push_back(EntryIn(folder, f.path.filename(), staged.filename()));
        text += Name(f.path);
        text += '\0';
        text += Name(staged);
        text += '\0';
    }
    if (!WriteFileAtomic(journal, text)) {
        RemoveAll(entries);
        return Failed(journal);
    }
    // Committed: from here on the group is completed, now or at the next start.
    for (const Entry& e : entries) {
        if (!CommitStagedFile(e.stagedPath, e.targetPath)) {
            return Failed(folder / e.target, true);
        }
    }
    KOTOPA_STOP_POINT("group.finished");
    std::error_code ec;
    fs::remove(journal, ec);  // one left behind is removed by the next FinishFileGroup
    return FileGroupOutcome{true, true, {}};
}

}  // namespace kotopa
