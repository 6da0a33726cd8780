// Several files of one folder replaced together, all or nothing, as a database commits a
// transaction. Each new file is first written whole beside its target under a temporary name;
// then a journal naming them is written atomically, which is the commit; then the files are
// renamed into place and the journal is removed. After a crash or a power cut at any moment,
// FinishFileGroup at the next start completes a committed group, and a group that never
// reached its commit has left only temporary files, which RemoveStaleTemporaries clears.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "textfile.h"

namespace kotopa {

struct FileGroupWrite {
    std::filesystem::path path;
    std::string bytes;
};

struct FileGroupOutcome {
    bool ok = true;          // every file holds its new bytes
    bool committed = false;  // the group stands: in place now, or completed by FinishFileGroup
    std::filesystem::path failedPath;  // the file that could not be written, if any
};

enum class FinishStatus {
    NoJournal,   // nothing was left to finish
    Finished,    // a committed group is now in place; the journal is gone
    Unfinished,  // a file could not be put in place (failedPath); the journal stays
    Discarded,   // the journal is damaged: set aside (failedPath), nothing renamed
};

struct FinishOutcome {
    FinishStatus status = FinishStatus::NoJournal;
    std::filesystem::path failedPath;
};

// Which files a journal may name: given a plain file name of the journal's folder, true when
// it is one of the files its groups write. The journal itself, a lock or any other file of
// the folder is never renamed over, whatever a journal says.
using GroupMember = std::function<bool(const std::filesystem::path& name)>;

// A journal holds a few file names; one larger than this is damaged.
inline constexpr std::uintmax_t kJournalLimit = 64 * kKiB;

// The name beside the journal that a damaged journal is moved to: its own name + ".damaged".
std::filesystem::path DamagedJournalPath(const std::filesystem::path& journal);

// Writes the files, which must all lie in the journal's folder, as one group; a file there that
// is a symbolic link is written where the link leads (WriteTarget). A group that
// an earlier failure left committed but unfinished is completed first; if it cannot be, the
// new group is refused. Not committed: every file is as it was and nothing is left behind.
// Committed but not ok: failedPath could not be renamed yet; the journal stays for the next
// FinishFileGroup.
FileGroupOutcome WriteFileGroup(const std::filesystem::path& journal,
                                const std::vector<FileGroupWrite>& files,
                                const GroupMember& member);

// Completes the group that the journal names, if there is one. Safe to repeat, and safe to
// interrupt: it only renames files that are still waiting and removes the journal last.
// A journal is outside input: one that is not exactly what WriteFileGroup writes (a name
// with a folder, a drive or a root, a name that is not a member, a name twice, a staged file
// that is not the target's own temporary file or not a plain file) is damaged; it is moved
// to DamagedJournalPath and nothing is renamed.
FinishOutcome FinishFileGroup(const std::filesystem::path& journal, const GroupMember& member);

}  // namespace kotopa
