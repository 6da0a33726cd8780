#include "desktopfiles.h"

#include <QString>
#include <string>
#include <system_error>

#include "messages.h"
#include "playlogviewer.h"
#include "sjistext.h"
#include "textfile.h"

namespace kotopa {

namespace fs = std::filesystem;

fs::path HelpFile(const fs::path& programDir, bool windows) {
    return windows ? programDir / "kotopa.chm" : programDir / "help" / "index.html";
}

void OpenHelp(const fs::path& programDir, platform::Services services) {
    const fs::path help = HelpFile(programDir, services.shell.IsWindows());
    std::error_code ec;
    std::string problem;
    if (!fs::is_regular_file(help, ec)) {
        problem = msg::kHelpMissing;
    } else if (!services.shell.Open(help)) {
        problem = msg::kHelpNotOpened;
        if (!services.shell.IsWindows()) problem += msg::kHelpInBrowser;
    }
    if (!problem.empty()) services.dialogs.Warning(PathMessage(PathToSjis(help), problem));
}

void OpenPlayLog(const fs::path& log, platform::Services services, QWidget* parent) {
    if (services.shell.IsWindows()) {
        // What the viewer says elsewhere, told in a message: a log not written yet, or one
        // the shell has no application for.
        std::error_code ec;
        if (!fs::exists(log, ec) || (fs::is_regular_file(log, ec) && fs::file_size(log, ec) == 0)) {
            services.dialogs.Information(PathMessage(PathToSjis(log), msg::kLogEmpty));
        } else if (!services.shell.Open(log)) {
            services.dialogs.Warning(PathMessage(PathToSjis(log), msg::kLogNotOpened));
        }
        return;
    }
    PlayLogViewer viewer(log, parent);
    viewer.exec();
}

}  // namespace kotopa
