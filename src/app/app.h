// The program's entry: the single-instance guard, the application and its main window.
#pragma once

#include <QApplication>
#include <QIcon>
#include <filesystem>
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

// True when this copy may run. When another copy holds the guard, the information dialog
// "二重起動はできません." is shown and the answer is false. A guard that cannot be set up
// lets the program run.
bool MayRun(const platform::InstanceGuard& guard, platform::Dialogs& dialogs);

// The user's own folder for an installed copy: "kotopa" in the desktop's data folder
// (~/.local/share/kotopa, or $XDG_DATA_HOME/kotopa); empty when there is none.
std::filesystem::path UserDataFolder();

// The warning for the first thing the start-up could not create or copy (the path, LF CR,
// what it means), or an empty text when all went well.
std::string FolderWarning(const BaseDirChoice& choice);

// Everything after QApplication: guard, fonts, main window, message loop. The exit code.
int RunKotopa(QApplication& app);

}  // namespace kotopa
