// The program's entry: the single-instance guard and the lock of the program folder, the
// start-up tidying of that folder, the application and its main window.
#pragma once

#include <QApplication>
#include <QIcon>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "basedir.h"
#include "instanceguard.h"
#include "platform.h"

namespace kotopa {

// The name of the guard that keeps a second copy from running.
inline constexpr std::string_view kInstanceName = "duzidezerkotopa";

// Registers the pictures and the built-in sound compiled into the program.
void InitResources();

// The program's icon in every size the resources hold.
QIcon AppIcon();

// Makes AppIcon the icon of every window, once: before the first message box or once the
// main window has been drawn, whichever comes first. Decoding the large sizes takes longer
// than drawing the window, so the window is not kept waiting for them.
void GiveProgramIcon();

// True when this copy may run beside whatever holds a guard or lock in that state. When
// another process holds it, the information dialog "二重起動はできません." is shown and the
// answer is false. One that cannot be set up lets the program run.
bool MayRun(platform::LockState state, platform::Dialogs& dialogs);

// What a running copy holds for as long as it runs, and the folder it runs in.
struct ProgramLocks {
    explicit ProgramLocks(std::string_view name) : instance(name) {}
    platform::InstanceGuard instance;
    std::optional<platform::FolderLock> save;  // the lock of folders.baseDir/save
    BaseDirChoice folders;
};

// Claims the program for this process before it creates, copies or changes any file: the
// user's machine-wide guard called name; then, for a copy on another machine that shares the
// program folder, the lock of programDir's save/ when there is one; then the folder is
// chosen (ChooseBaseDir with userDir, the user's folder; empty for none) and made, and the
// lock of its save/ (created when missing) taken. Null, after MayRun's dialog, when another
// copy holds a guard or a lock. Only then is the user's folder filled from programDir and,
// when save/ is this copy's alone, TidyProgramFolder run before anything reads it.
std::unique_ptr<ProgramLocks> ClaimProgram(std::string_view name,
                                           const std::filesystem::path& programDir,
                                           platform::Dialogs& dialogs,
                                           const std::filesystem::path& userDir = {},
                                           const WritableTest& writable = CanCreateFilesIn);

// For the only copy that uses the folder: finishes (or, short of its commit, undoes) a
// recording that was cut short, then removes the temporary files that interrupted writes
// left in save/, key/, ktp/ and system/ (RemoveStaleTemporaries: only the program's own,
// nothing through a link); those of a recording that could not be finished stay for its next
// try. What cannot be done is told in a warning naming the file.
void TidyProgramFolder(const std::filesystem::path& baseDir, platform::Dialogs& dialogs);

// The user's own folder for an installed copy: "kotopa" in the desktop's data folder
// (~/.local/share/kotopa, or $XDG_DATA_HOME/kotopa); empty when there is none.
std::filesystem::path UserDataFolder();

// The warning for the first thing the start-up could not create or copy (the path, LF CR,
// what it means), or an empty text when all went well.
std::string FolderWarning(const BaseDirChoice& choice);

// What the start-up tells once about where the files are, or an empty text: that the
// program left a folder that holds records for the user's folder (the old save/, LF CR the
// message, LF CR the new folder, LF CR where the old records are), anywhere; and, on Windows,
// where it keeps them at its first start in a folder.
std::string FolderNotice(const BaseDirChoice& choice, bool windows);

// Everything after QApplication: guard, fonts, main window, message loop. The exit code.
int RunKotopa(QApplication& app);

}  // namespace kotopa
