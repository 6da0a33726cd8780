#include "dataform.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "desktopfiles.h"
#include "sjistext.h"
#include "ui_dataform.h"
#include "widgets.h"

namespace kotopa {

TDataForm::TDataForm(const ResultView& result, std::filesystem::path playLog,
                     platform::Services services, QWidget* parent)
    : QDialog(parent),
      Ui_(std::make_unique<Ui::TDataForm>()),
      PlayLog_(std::move(playLog)),
      Services_(services) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);  // before the fonts
    Ui_->setupUi(this);
    ApplyPixelFonts(this);
    ApplyLayoutProperties(this);

    Services_.dialogs.Beep(platform::BeepKind::Asterisk);
    QString text;
    for (std::size_t i = 0; i < result.memo.size(); ++i) {
        if (i) text += QChar(u'\n');
        text += FromSjis(result.memo[i]);
    }
    Ui_->Memo->setPlainText(text);
    Ui_->lb_mes->setText(FromSjis(result.lb_mes));
    Ui_->bt_Tugi->setEnabled(result.bt_TugiEnabled);

    // Qt makes an auto-default push button of a dialog its default button, which Enter
    // would press; only n, r, c, Esc and the accelerators answer this dialog.
    for (QPushButton* b : {Ui_->bt_Tugi, Ui_->bt_Replay, Ui_->bt_Cansel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(Ui_->bt_Tugi, &QPushButton::clicked, this, [this] { bt_TugiClick(); });
    connect(Ui_->bt_Replay, &QPushButton::clicked, this, [this] { bt_ReplayClick(); });
    connect(Ui_->bt_Cansel, &QPushButton::clicked, this, [this] { bt_CanselClick(); });
    connect(Ui_->SpeedButtonOpen, &QToolButton::clicked, this, [this] { SpeedButtonOpenClick(); });
    connect(Ui_->bt_Weak, &QToolButton::clicked, this, [this] { bt_WeakClick(); });
    Ui_->bt_Weak->setEnabled(false);
    // Key preview: the form sees the keys of its controls before they do.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    Ui_->Memo->setFocus();
}

TDataForm::~TDataForm() = default;

void TDataForm::bt_TugiClick() {
    if (!Ui_->bt_Tugi->isEnabled()) return;
    Choice_ = ResultChoice::NextAct;
    accept();
}

void TDataForm::bt_ReplayClick() {
    Choice_ = ResultChoice::Replay;
    accept();
}

void TDataForm::bt_CanselClick() {
    Choice_ = ResultChoice::Cancel;
    accept();
}

void TDataForm::SetWeaknessWindow(std::function<void()> open) {
    OpenWeakness_ = std::move(open);
    Ui_->bt_Weak->setEnabled(static_cast<bool>(OpenWeakness_));
}

void TDataForm::bt_WeakClick() {
    if (OpenWeakness_) OpenWeakness_();
}

void TDataForm::SpeedButtonOpenClick() {
    OpenPlayLog(PlayLog_, Services_, this);
}

bool TDataForm::FormKeyPress(char key) {
    const std::optional<ResultChoice> choice = ResultKeyChoice(key, Ui_->bt_Tugi->isEnabled());
    if (!choice) return false;
    switch (*choice) {
        case ResultChoice::NextAct:
            bt_TugiClick();
            break;
        case ResultChoice::Replay:
            bt_ReplayClick();
            break;
        case ResultChoice::Cancel:
            bt_CanselClick();
            break;
    }
    return true;
}

bool TDataForm::PreviewKey(QKeyEvent* event) {
    // The dialog opens inside the Enter that ends the last line, so a doubled or held Enter
    // arrives here at once. It answers nothing: no default button, not even a focused one.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return true;
    // Alt and Ctrl combinations are the buttons' accelerators, not typed characters.
    if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier))
        return false;
    char key = 0;
    if (event->key() == Qt::Key_Escape) {
        key = 27;
    } else if (event->text().size() == 1 && event->text()[0].unicode() < 0x80) {
        key = static_cast<char>(event->text()[0].unicode());
    }
    return key != 0 && FormKeyPress(key);
}

bool TDataForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && PreviewKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TDataForm::keyPressEvent(QKeyEvent* event) {
    if (PreviewKey(event)) return;
    QDialog::keyPressEvent(event);
}

}  // namespace kotopa
