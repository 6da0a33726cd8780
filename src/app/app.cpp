#include "app.h"

#include "mainform.h"
#include "qtplatform.h"
#include "sjistext.h"
#include "termination.h"
#include "widgets.h"

// The resource initialiser lives in the global namespace.
static void InitKotopaResources() { Q_INIT_RESOURCE(kotopa); }

namespace kotopa {

void InitResources() { InitKotopaResources(); }

bool MayRun(const platform::InstanceGuard& guard, platform::Dialogs& dialogs) {
    if (guard.state() != platform::InstanceGuard::State::Taken) return true;
    dialogs.Information(Sj(QStringLiteral("二重起動はできません.")));
    return false;
}

int RunKotopa(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("KotoPA"));
    InitResources();
    InstallFontSubstitutes();
    InstallJapaneseTranslation(app);

    platform::QtDialogs dialogs;
    const platform::InstanceGuard guard(kInstanceName);
    if (!MayRun(guard, dialogs)) return 0;

    platform::SystemClock clock;
    platform::DesktopShell shell;
    platform::SystemRandom random;
    const std::filesystem::path folder = PathFromQString(QCoreApplication::applicationDirPath());
    platform::QtSoundDevice sound(folder / platform::kSoundModuleName);
    const platform::Services services{clock, dialogs, shell, random, sound};

    TMainForm form(folder, services);
    form.show();
    // Shutdown or logout closes the windows as the user would, so the settings are stored.
    const platform::TerminationWatcher watcher([] { QApplication::closeAllWindows(); });
    return app.exec();
}

}  // namespace kotopa
