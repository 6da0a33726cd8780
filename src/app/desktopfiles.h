// The files the program hands to the desktop: the help, opened with the desktop's own viewer
// (the .chm on Windows, the HTML pages in the browser elsewhere), and the play log, which
// the Windows shell shows as it is and other desktops get in a viewer of our own.
#pragma once

#include <filesystem>

#include "platform.h"

class QWidget;

namespace kotopa {

// The help's start page in the program's folder for this desktop.
std::filesystem::path HelpFile(const std::filesystem::path& programDir, bool windows);

// Opens the help. When it is missing or the desktop cannot open it, a warning names the file.
void OpenHelp(const std::filesystem::path& programDir, platform::Services services);

// Shows the play log at log: through the Windows shell, whatever it does with the file;
// elsewhere in a modal PlayLogViewer over parent.
void OpenPlayLog(const std::filesystem::path& log, platform::Services services, QWidget* parent);

}  // namespace kotopa
