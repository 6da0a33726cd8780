#include "app.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>
#include <array>

#include "mainform.h"
#include "messages.h"
#include "qtplatform.h"
#include "results.h"
#include "sjistext.h"
#include "soundoutput.h"
#include "termination.h"
#include "textfile.h"
#include "widgets.h"

// The resource initialiser lives in the global namespace.
static void InitKotopaResources() {
    Q_INIT_RESOURCE(kotopa);
}

namespace kotopa {

namespace fs = std::filesystem;

void InitResources() {
    InitKotopaResources();
}

namespace {

// The program's icon in every size of the icon theme, each read from its file when it is asked
// for and not kept: the desktop takes the sizes once, and held as pixmaps the large ones would
// stay in the program's memory for the whole run.
class IconFiles final : public QIconEngine {
public:
    QIconEngine* clone() const override { return new IconFiles; }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int n : kSizes) sizes << QSize(n, n);
        return sizes;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int wanted = std::max(size.width(), size.height());
        int file = kSizes.back();
        for (const int n : kSizes) {
            if (n >= wanted) {
                file = n;
                break;
            }
        }
        // Read as an image: a pixmap read from a file goes into the pixmap cache.
        QImage image = ReadPng(QStringLiteral(":/icons/kotopa-%1.png").arg(file));
        if (image.size() != size) {
            image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return QPixmap::fromImage(std::move(image));
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

private:
    static constexpr std::array<int, 8> kSizes = {16, 22, 24, 32, 48, 64, 128, 256};
};

}  // namespace

QIcon AppIcon() {
    return QIcon(new IconFiles);
}

void GiveProgramIcon() {
    static bool given = false;
    if (given) return;
    given = true;
    QApplication::setWindowIcon(AppIcon());
}

bool MayRun(platform::LockState state, platform::Dialogs& dialogs) {
    if (state != platform::LockState::Taken) return true;
    dialogs.Information(msg::kAlreadyRunning);
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
        return PathMessage(PathToSjis(first), msg::kNoFolder);
    }
    return PathMessage(CannotWriteMessage(PathToSjis(first)), msg::kNoCopies);
}

std::string FolderNotice(const BaseDirChoice& choice, bool windows) {
    if (!choice.firstStart) return {};
    if (!choice.oldRecords.empty()) {
        std::string text = PathMessage(PathToSjis(choice.oldRecords), msg::kFilesMovedHead);
        text += msg::kLfCr;
        text += PathToSjis(choice.baseDir);
        text += msg::kLfCr;
        text += msg::kFilesMovedTail;
        return text;
    }
    if (!windows) return {};
    return PathMessage(PathToSjis(choice.baseDir), msg::kFilesHere);
}

std::unique_ptr<ProgramLocks> ClaimProgram(std::string_view name, const fs::path& programDir,
                                           platform::Dialogs& dialogs, const fs::path& userDir,
                                           const WritableTest& writable) {
    auto locks = std::make_unique<ProgramLocks>(name);
    if (!MayRun(locks->instance.state(), dialogs)) return nullptr;
    // The guard may be out of reach (another machine sharing the folder, a system without
    // it); the folder's own lock still keeps two writers apart. A copy running from the
    // program folder holds the lock of its save/, met here before the folder is probed.
    std::error_code ec;
    const fs::path programSave = SaveFolder(programDir).Path();
    if (!fs::exists(programDir / kInstalledMarker, ec) && fs::is_directory(programSave, ec)) {
        locks->save.emplace(programSave);
        if (!MayRun(locks->save->state(), dialogs)) return nullptr;
    }
    locks->folders = ChooseBaseDir(programDir, userDir, writable);
    MakeBaseDir(locks->folders, programDir);
    const fs::path& baseDir = locks->folders.baseDir;
    if (!locks->save || baseDir != programDir) {
        // A folder that cannot be made is reported by the main window, which tries again.
        const fs::path save = SaveFolder(baseDir).Path();
        fs::create_directories(save, ec);
        locks->save.reset();
        locks->save.emplace(save);
        if (!MayRun(locks->save->state(), dialogs)) return nullptr;
    }
    if (locks->save->state() == platform::LockState::Held) TidyProgramFolder(baseDir, dialogs);
    SeedBaseDir(locks->folders, programDir);
    return locks;
}

void TidyProgramFolder(const fs::path& baseDir, platform::Dialogs& dialogs) {
    const SaveFolder saveFolder(baseDir);
    const fs::path& save = saveFolder.Path();
    const FinishOutcome finished = FinishInterruptedRecording(saveFolder);
    switch (finished.status) {
        case FinishStatus::NoJournal:
        case FinishStatus::Finished:
            break;
        case FinishStatus::Unfinished:
            dialogs.Warning(PathMessage(PathToSjis(finished.failedPath), msg::kJournalUnfinished));
            break;
        case FinishStatus::Discarded:
            dialogs.Warning(PathMessage(PathToSjis(finished.failedPath), msg::kJournalDiscarded));
            break;
    }
    if (finished.status != FinishStatus::Unfinished) RemoveStaleTemporaries(save);
    // What a store of the key table, an Act's write or the filling of a user's folder left.
    for (const char* folder : kSeededFolders) RemoveStaleTemporaries(baseDir / folder);
}

int RunKotopa(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("KotoPA"));
    // The desktop entry and the icon a desktop shows for the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("kotopa"));
    InitResources();
    InstallFontSubstitutes();
    InstallJapaneseTranslation(app);

    platform::QtDialogs dialogs;
    dialogs.beforeMessage = GiveProgramIcon;
    // The portable layout beside the executable, or the user's own folder when it is read-only.
    const fs::path programDir = PathFromQString(QCoreApplication::applicationDirPath());
    const std::unique_ptr<ProgramLocks> locks =
        ClaimProgram(kInstanceName, programDir, dialogs, UserDataFolder());
    if (!locks) return 0;
    const BaseDirChoice& folders = locks->folders;
    const std::string warning = FolderWarning(folders);
    if (!warning.empty()) dialogs.Warning(warning);

    platform::SystemClock clock;
    platform::DesktopShell shell;
    if (warning.empty()) {
        const std::string notice = FolderNotice(folders, shell.IsWindows());
        if (!notice.empty()) dialogs.Information(notice);
    }
    platform::SystemRandom random;
    platform::SoundOutput sound(programDir / platform::kSoundModuleName);
    const platform::Services services{clock, dialogs, shell, random, sound};

    TMainForm form(ProgramFolders(folders.baseDir, programDir), services);
    QObject::connect(&form, &TMainForm::FirstDrawn, GiveProgramIcon);
    form.show();
    // Shutdown or logout closes the windows as the user would, so the settings are stored.
    const platform::TerminationWatcher watcher([] { QApplication::closeAllWindows(); });
    return app.exec();
}

}  // namespace kotopa
