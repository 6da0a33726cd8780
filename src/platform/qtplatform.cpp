#include "qtplatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <chrono>

#include "messages.h"
#include "sjistext.h"

#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kotopa::platform {

uint32_t SystemClock::Now() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

QString MessageText(std::string_view sjis) {
    QString text = FromSjis(sjis);
    text.replace(FromSjis(msg::kLfCr), QStringLiteral("\n"));
    text.remove(QChar(u'\r'));
    return text;
}

namespace {

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

int ShowMessage(const std::function<void()>& before, QMessageBox::Icon icon, const QString& title,
                std::string_view text, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton def) {
    if (before) before();
    QMessageBox box(icon, title, MessageText(text), buttons, DialogParent());
    box.setDefaultButton(def);
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

}  // namespace

void QtDialogs::Beep(BeepKind kind) {
#ifdef _WIN32
    switch (kind) {
        case BeepKind::Hand:
            MessageBeep(MB_ICONHAND);
            break;
        case BeepKind::Question:
            MessageBeep(MB_ICONQUESTION);
            break;
        case BeepKind::Asterisk:
            MessageBeep(MB_ICONASTERISK);
            break;
    }
#else
    (void)kind;
    QApplication::beep();
#endif
}

void QtDialogs::Warning(std::string_view text) {
    Beep(BeepKind::Hand);
    ShowMessage(beforeMessage, QMessageBox::Warning, FromSjis(msg::kWarningTitle), text,
                QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::Information(std::string_view text) {
    Beep(BeepKind::Asterisk);
    ShowMessage(beforeMessage, QMessageBox::Information, FromSjis(msg::kInformationTitle), text,
                QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::Confirm(std::string_view text) {
    Beep(BeepKind::Question);
    return ShowMessage(beforeMessage, QMessageBox::Question, FromSjis(msg::kConfirmTitle), text,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void QtDialogs::Plain(std::string_view text) {
    ShowMessage(beforeMessage, QMessageBox::NoIcon, QStringLiteral("KotoPA"), text, QMessageBox::Ok,
                QMessageBox::Ok);
}

std::optional<Path> QtDialogs::OpenFile(const Path& folder, const QString& filter) {
    // Like the classic open dialog, it also takes a name that does not exist; the caller
    // then says so with the file's name.
    QFileDialog dialog(DialogParent(), QString(), PathToQString(folder), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return PathFromQString(dialog.selectedFiles().front());
}

std::optional<Path> QtDialogs::SaveFile(const QString& title, const Path& proposed,
                                        const QString& filter) {
    // QFileDialog asks before it replaces a file and takes a name that does not exist yet.
    const QString file =
        QFileDialog::getSaveFileName(DialogParent(), title, PathToQString(proposed), filter);
    if (file.isEmpty()) return std::nullopt;
    return PathFromQString(file);
}

bool DesktopShell::Open(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(file)));
}

bool DesktopShell::IsWindows() const {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

void SystemRandom::SeedFromClock() {
    const auto t = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::random_device entropy;
    std::seed_seq seq{static_cast<uint32_t>(t),
                      static_cast<uint32_t>(static_cast<uint64_t>(t) >> 32), entropy()};
    engine_.seed(seq);
}

void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

uint32_t SystemRandom::Below(uint32_t n) {
    if (n <= 1) return 0;
    return std::uniform_int_distribution<uint32_t>(0, n - 1)(engine_);
}

}  // namespace kotopa::platform
