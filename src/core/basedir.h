// Which folder holds the program's files (BaseDir: key/, ktp/, save/, system/). A copy that
// may write beside its executable keeps everything there (the portable layout); an
// installed copy whose folder is read-only keeps them in a folder of the user's own, filled
// from the installed key/, ktp/ and system/ without ever replacing a file the user has.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace kotopa {

// "入力方式": romaji, or kana typed by the positions of the kana keyboard. Each style has a
// key file of its own in key/ and record lists and bests of its own.
enum class InputStyle { Romaji, Kana };

// The two folders the program works with: base holds key/, ktp/, save/ and system/; program
// is the executable's folder, which holds the help. The same folder in the portable layout.
struct ProgramFolders {
    ProgramFolders(std::filesystem::path both) : base(both), program(std::move(both)) {}
    ProgramFolders(const char* both) : ProgramFolders(std::filesystem::path(both)) {}
    ProgramFolders(std::filesystem::path baseDir, std::filesystem::path programDir)
        : base(std::move(baseDir)), program(std::move(programDir)) {}
    std::filesystem::path base;
    std::filesystem::path program;
};

// BaseDir's save/ and the name of every file the program keeps in it: the settings, the record
// lists, the play log, the journal of a recording and the folder's lock. Nothing else names
// them.
class SaveFolder {
public:
    explicit SaveFolder(const std::filesystem::path& baseDir) : path_(baseDir / kFolderName) {}

    static constexpr std::string_view kFolderName = "save";
    static constexpr std::string_view kLockName = "kotopa.lock";

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Settings() const { return path_ / "kotopa.ini"; }
    std::filesystem::path TotalRecords() const { return path_ / "record.lst"; }  // all Acts
    // The record list of the Act called actName (ActName): actName.lst.
    std::filesystem::path ActRecords(const std::filesystem::path& actName) const;
    // The same lists of a style: the romaji style's are the two above; the kana style's
    // have "-kana" before the extension (record-kana.lst, actName-kana.lst).
    std::filesystem::path TotalRecords(InputStyle style) const;
    std::filesystem::path ActRecords(const std::filesystem::path& actName, InputStyle style) const;
    std::filesystem::path PlayLog() const { return path_ / "playlog.log"; }
    // The key records of the newest recorded plays (keyrecordfile.h).
    std::filesystem::path KeyRecord() const { return path_ / "keyrecord.txt"; }
    // The journal that makes the writing of a recorded play's files one step (filegroup.h).
    std::filesystem::path RecordingJournal() const { return path_ / "recording.journal"; }

private:
    std::filesystem::path path_;
};

// True when a new file can be created in folder: one is created and removed again. Asking
// the permission bits would be wrong for read-only mounts, access lists and the superuser.
bool CanCreateFilesIn(const std::filesystem::path& folder);

using WritableTest = std::function<bool(const std::filesystem::path&)>;

// The portable layout is kept when programDir takes new files, and also when only its save/
// does (a portable copy whose records live on although its folder was made read-only).
bool PortableLayoutUsable(const std::filesystem::path& programDir,
                          const WritableTest& writable = CanCreateFilesIn);

// The folders copied into a user's folder.
inline constexpr const char* kSeededFolders[] = {"key", "ktp", "system"};

struct SeedOutcome {
    std::vector<std::filesystem::path> copied;  // files written into the user's folder
    std::vector<std::filesystem::path> failed;  // files or folders that could not be made
};

// Copies every file under programDir's key/, ktp/ and system/ that userDir lacks (each
// written whole or not at all, missing folders created), and leaves every file that exists
// in userDir as it is, whatever it holds. Run at every start, so that files a new version
// brings arrive and a deleted key file or background comes back.
SeedOutcome SeedUserFolder(const std::filesystem::path& programDir,
                           const std::filesystem::path& userDir);

// A file an installer puts beside the executable: that copy keeps the user's files in the
// user's folder even where it could write beside itself (a per-user install on Windows).
inline constexpr const char* kInstalledMarker = "kotopa.installed";

// Whether save/ holds records or settings the program would show: kotopa.ini, playlog.log or
// a record list (.lst).
bool HoldsRecords(const std::filesystem::path& save);

struct BaseDirChoice {
    std::filesystem::path baseDir;
    bool perUser = false;                       // baseDir is the user's folder
    std::vector<std::filesystem::path> failed;  // what could not be created or copied
    bool firstStart = false;  // baseDir had no save/ before this start: the first start there
    // The program folder's save/ when it holds records the program cannot keep writing, so
    // that it moved to the user's folder; empty otherwise.
    std::filesystem::path oldRecords;
};

// BaseDir for a program in programDir: programDir itself when the portable layout works
// there and no installer marked it; otherwise userDir. When userDir is empty (no home
// folder), the program runs from programDir, whose save/ then cannot be written. Decided
// without creating, copying or changing any file but the probes of writable, so that a copy
// can take its guards before it writes (MakeBaseDir, SeedBaseDir).
BaseDirChoice ChooseBaseDir(const std::filesystem::path& programDir,
                            const std::filesystem::path& userDir,
                            const WritableTest& writable = CanCreateFilesIn);

// Creates the user's folder that choice names, with its save/. One that cannot be made
// leaves the program in programDir as the failed folder: baseDir becomes programDir, and
// neither a first start nor old records are told.
void MakeBaseDir(BaseDirChoice& choice, const std::filesystem::path& programDir);

// Fills the user's folder that choice names from programDir (SeedUserFolder); what could
// not be copied joins choice.failed. Nothing for the portable layout.
void SeedBaseDir(BaseDirChoice& choice, const std::filesystem::path& programDir);

}  // namespace kotopa
