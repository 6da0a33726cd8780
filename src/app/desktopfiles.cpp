#include "desktopfiles.h"

#include <QString>
#include <string>
#include <system_error>

#include "playlogviewer.h"
#include "sjistext.h"

namespace kotopa {

namespace fs = std::filesystem;

fs::path HelpFile(const fs::path& programDir, bool windows) {
    return windows ? programDir / "kotopa.chm" : programDir / "help" / "index.html";
}

void OpenHelp(const fs::path& programDir, platform::Services services) {
    const fs::path help = HelpFile(programDir, services.shell.IsWindows());
    std::error_code ec;
    QString problem;
    if (!fs::is_regular_file(help, ec)) {
        problem = QStringLiteral("ヘルプのファイルが見つかりません。");
    } else if (!services.shell.Open(help)) {
        problem = QStringLiteral("ヘルプを開けません。");
        if (!services.shell.IsWindows())
            problem += QStringLiteral("このファイルをブラウザで開いてください。");
    }
    if (!problem.isEmpty()) {
        services.dialogs.Warning(PathToSjis(help) + "\n\r" + ToSjisLossy(problem));
    }
}

void OpenPlayLog(const fs::path& log, platform::Services services, QWidget* parent) {
    if (services.shell.IsWindows()) {
        services.shell.Open(log);
        return;
    }
    PlayLogViewer viewer(log, parent);
    viewer.exec();
}

}  // namespace kotopa
