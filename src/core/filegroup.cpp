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
// staged file's name beside the file the name leads to (the link's target for a link).
constexpr std::string_view kJournalHead = "KotoPA file group 1\n";

// A file of the group: the file the write replaces (WriteTarget of the name in the folder, so
// a linked file is written where the link leads) and its staged file beside it.
struct Entry {
    fs::path target;
    fs::path staged;
};

std::string Name(const fs::path& p) {
    const std::u8string s = p.filename().u8string();
    return std::string(s.begin(), s.end());
}

fs::path FromName(std::string_view s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

// A plain name in the folder: no separators, not "." or "..".
bool PlainName(std::string_view s) {
    return !s.empty() && s != "." && s != ".." && s.find_first_of("/\\") == std::string_view::npos;
}

bool ParseJournal(std::string_view bytes, const fs::path& folder, std::vector<Entry>& entries) {
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
        if (!PlainName(names[i]) || !PlainName(names[i + 1])) return false;
        const fs::path target = WriteTarget(folder / FromName(names[i]));
        const fs::path staged = FromName(names[i + 1]);
        // Only the program's own temporary files of that very target are ever renamed.
        if (!IsTemporaryFileOf(staged, target.filename())) return false;
        entries.push_back({target, target.parent_path() / staged});
    }
    return true;
}

void RemoveAll(const std::vector<Entry>& entries) {
    std::error_code ec;
    for (const Entry& e : entries) fs::remove(e.staged, ec);
}

FileGroupOutcome Failed(const fs::path& path, bool committed = false) {
    return FileGroupOutcome{false, committed, path};
}

}  // namespace

FinishOutcome FinishFileGroup(const fs::path& journal) {
    std::string bytes;
    switch (ReadFileBytes(journal, bytes)) {
        case ReadStatus::Missing:
            return {};
        case ReadStatus::Unreadable:
            return {FinishStatus::Unfinished, journal};
        case ReadStatus::Ok:
            break;
    }
    const fs::path folder = journal.parent_path();
    std::error_code ec;
    std::vector<Entry> entries;
    if (!ParseJournal(bytes, folder, entries)) {
        fs::remove(journal, ec);
        if (ec) return {FinishStatus::Unfinished, journal};
        return {FinishStatus::Discarded, journal};
    }
    for (const Entry& e : entries) {
        // A staged file that is gone was put in place before the interruption.
        if (!fs::exists(fs::symlink_status(e.staged, ec))) continue;
        if (!CommitStagedFile(e.staged, e.target)) return {FinishStatus::Unfinished, e.target};
    }
    KOTOPA_STOP_POINT("group.finished");
    fs::remove(journal, ec);
    if (ec) return {FinishStatus::Unfinished, journal};
    SyncFolder(folder);
    return {FinishStatus::Finished, {}};
}

FileGroupOutcome WriteFileGroup(const fs::path& journal, const std::vector<FileGroupWrite>& files) {
    const fs::path folder = journal.parent_path();
    for (const FileGroupWrite& f : files) {
        if (f.path.parent_path() != folder || !PlainName(Name(f.path))) return Failed(f.path);
    }
    const FinishOutcome earlier = FinishFileGroup(journal);
    if (earlier.status == FinishStatus::Unfinished) return Failed(earlier.failedPath);

    std::vector<Entry> entries;
    std::string text(kJournalHead);
    for (const FileGroupWrite& f : files) {
        const fs::path target = WriteTarget(f.path);
        const fs::path staged = StageFile(target, f.bytes);
        if (staged.empty()) {
            RemoveAll(entries);
            return Failed(f.path);
        }
        entries.push_back({target, staged});
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
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!CommitStagedFile(entries[i].staged, entries[i].target)) {
            return Failed(files[i].path, true);
        }
    }
    KOTOPA_STOP_POINT("group.finished");
    std::error_code ec;
    fs::remove(journal, ec);  // one left behind is removed by the next FinishFileGroup
    return FileGroupOutcome{true, true, {}};
}

}  // namespace kotopa
