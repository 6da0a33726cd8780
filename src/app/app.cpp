#include "app.h"

#include <QStandardPaths>

#include "mainform.h"
#include "qtplatform.h"
#include "sjistext.h"
#include "termination.h"
#include "textfile.h"
#include "widgets.h"

// The resource initialiser lives in the global namespace.
static void InitKotopaResources() { Q_INIT_RESOURCE(kotopa); }

namespace kotopa {

void InitResources() { InitKotopaResources(); }

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kotopa-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

bool MayRun(const platform::InstanceGuard& guard, platform::Dialogs& dialogs) {
    if (guard.state() != platform::InstanceGuard::State::Taken) return true;
    dialogs.Information(Sj(QStringLiteral("二重起動はできません.")));
    return false;
}

std::filesystem::path UserDataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return {};
    return PathFromQString(data) / "kotopa";
}

std::string FolderWarning(const BaseDirChoice& choice) {
    if (choice.failed.empty()) return {};
    const std::filesystem::path& first = choice.failed.front();
    if (!choice.perUser) {
        return PathToSjis(first) + "\n\r" +
               Sj(QStringLiteral("フォルダを作成できません。設定と記録は保存されません。"));
    }
    return CannotWriteMessage(PathToSjis(first)) + "\n\r" +
           Sj(QStringLiteral("付属のファイルをコピーできませんでした。"));
}

int RunKotopa(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("KotoPA"));
    // The desktop entry and the icon a desktop shows for the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("kotopa"));
    QApplication::setWindowIcon(AppIcon());
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

    // The portable layout beside the executable, or the user's own folder when it is read-only.
    const BaseDirChoice folders = ChooseBaseDir(folder, UserDataFolder());
    const std::string warning = FolderWarning(folders);
    if (!warning.empty()) dialogs.Warning(warning);

    TMainForm form(ProgramFolders(folders.baseDir, folder), services);
    form.show();
    // Shutdown or logout closes the windows as the user would, so the settings are stored.
    const platform::TerminationWatcher watcher([] { QApplication::closeAllWindows(); });
    return app.exec();
}

}  // namespace kotopa
