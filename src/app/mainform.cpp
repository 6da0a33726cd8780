#include "mainform.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <algorithm>
#include <utility>

#include "basedir.h"
#include "dataform.h"
#include "desktopfiles.h"
#include "glaphform.h"
#include "kanakeys.h"
#include "keyrecordfile.h"
#include "makeform.h"
#include "messages.h"
#include "morph.h"
#include "qtplatform.h"
#include "sjistext.h"
#include "textfile.h"
#include "ui_keypanel.h"
#include "ui_mainform.h"
#include "wave.h"
#include "weakform.h"
#include "widgets.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace {

const QString kCaption = QStringLiteral("KotoPA");

bool FileExists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec) && !fs::is_directory(p, ec);
}

QString Ascii(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

uint32_t NextTickDelay(const PlaySession& session, uint32_t now) {
    switch (session.GameState()) {
        case PlayState::Countdown: {
            const uint32_t waited = now - session.CountdownTick();
            const uint32_t due = PlaySession::kCountdownStepMs + 1;
            return waited >= due ? 1 : due - waited;
        }
        case PlayState::Typing:
        case PlayState::LineComplete:
            return 1000 - (now - session.StartTick()) % 1000;
        case PlayState::Idle:
        case PlayState::Finished:
            break;
    }
    return 0;
}

TMainForm::TMainForm(ProgramFolders folders, platform::Services services, QWidget* parent)
    : QWidget(parent),
      Ui_(std::make_unique<Ui::TMainForm>()),
      Services_(services),
      Sounds_(services.sound),
      BaseDir_(std::move(folders.base)),
      ProgramDir_(std::move(folders.program)),
      Session_(KeyTable_, services.random) {
    // The flags first: setting them re-resolves the fonts of every child.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The window's own face before its controls are made: each is laid out as it is made,
    // and in the toolkit's default face that would load a face, and its fallbacks for the
    // Japanese scripts, for nothing. The layout gives every control its own face after.
    QFont face;
    face.setFamilies(InstalledFamilies(QStringLiteral("ＭＳ Ｐゴシック")));
    face.setPixelSize(12);
    setFont(face);
    Ui_->setupUi(this);
    // The layout's size is the one with both panels open; it says the collapsed one too.
    OpenSize_ = size();
    CollapsedSize_ = property("collapsedSize").toSize();
    SetupControls();
    ConnectHandlers();
    // The window's own resources: the built-in mistype sound.
    QFile builtIn(QStringLiteral(":/sounds/miss.wav"));
    if (builtIn.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = builtIn.readAll();
        Sounds_.Add("Miss",
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    FormCreate();
    CentreOnScreen();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::SetupControls() {
    ApplyPixelFonts(this);
    ApplyLayoutProperties(this);
    UseClassicGroupBoxes(this);
    // A millisecond timer. It does not tick in vain: after each tick it sleeps until the
    // play can next change by itself (NextTickDelay), and after each key it ticks 1 ms later,
    // so every label changes within a millisecond of the moment it is due, as with a timer
    // that ticks every millisecond, at a fraction of the processor time.
    Timer_.setObjectName(QStringLiteral("Timer"));
    Timer_.setSingleShot(true);
    Timer_.setInterval(1);
    Timer_.setTimerType(Qt::PreciseTimer);
    // The slides step from a timer, so that nothing else is handled in the middle of a step.
    SlideTimer_.setInterval(kSlideStepMs);
    setFocusProxy(Ui_->ed_Nyuuryoku);
}

// The key panel's controls (the list, the row's edits and buttons, and the about box in
// the corner below the option panel) are made when the panel first slides open: a user who
// never edits the key table never has them in memory.
void TMainForm::ShowKeyPanelControls() {
    EnsureKeyTable();
    if (KeyUi_) return;
    KeyUi_ = std::make_unique<Ui::TKeyPanel>();
    KeyUi_->setupUi(this);
    const std::initializer_list<QWidget*> made{KeyUi_->ListView, KeyUi_->GroupBox_Key,
                                               KeyUi_->me_About};
    for (QWidget* w : made) {
        ApplyPixelFonts(w);
        ApplyLayoutProperties(w);
    }
    UseClassicGroupBoxes(this);
    KeyUi_->ListView->setModel(&KeyModel_);
    QHeaderView* header = KeyUi_->ListView->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(4, QHeaderView::Stretch);  // "候補 4" fills the width
    ConnectKeyPanel();
    for (KouhoEdit* edit : KouhoEdits()) edit->kanaPositions = Style_ == InputStyle::Kana;
    const bool playing = Session_.Running();
    KeyUi_->ListView->setEnabled(!playing);
    KeyUi_->GroupBox_Key->setEnabled(!playing);
    for (QWidget* w : made) w->setVisible(true);
}

void TMainForm::ConnectHandlers() {
    connect(Ui_->bt_start, &QPushButton::clicked, this, [this] { bt_startClick(); });
    connect(Ui_->bt_end, &QPushButton::clicked, this, [this] { bt_endClick(); });
    connect(Ui_->bt_FileOpen, &QToolButton::clicked, this, [this] { bt_FileOpenClick(); });
    // The text on the clipboard reaches "Act を作る" by the file button's own menu or by
    // Ctrl+Shift+V; no control moves for it.
    Ui_->bt_FileOpen->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Ui_->bt_FileOpen, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        QAction* paste = menu.addAction(FromSjis(msg::kFromClipboard));
        paste->setEnabled(Ui_->bt_FileOpen->isEnabled());
        if (menu.exec(Ui_->bt_FileOpen->mapToGlobal(at)) == paste) MakeFromClipboard();
    });
    auto* paste = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), this);
    connect(paste, &QShortcut::activated, this, [this] {
        if (Ui_->bt_FileOpen->isEnabled()) MakeFromClipboard();
    });
    connect(Ui_->bt_Help, &QToolButton::clicked, this, [this] { bt_HelpClick(); });
    connect(Ui_->bt_Glaph, &QToolButton::clicked, this, [this] { bt_GlaphClick(); });
    connect(Ui_->bt_ViewOpen, &QToolButton::clicked, this, [this] { bt_ViewOpenClick(); });
    connect(Ui_->bt_Opt, &QToolButton::clicked, this, [this] { bt_OptClick(); });
    connect(&Timer_, &QTimer::timeout, this, [this] { TimerTimer(); });
    connect(&SlideTimer_, &QTimer::timeout, this, [this] { SlideStep(); });
    Ui_->ed_Nyuuryoku->onKeyPress = [this](char& key) { ed_NyuuryokuKeyPress(key); };
    // Selecting a button, by a click or the keyboard, runs its handler.
    connect(Ui_->rd_Eof, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rd_EofClick();
    });
    connect(Ui_->rd_Mili, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rd_MiliClick();
    });
    connect(Ui_->rd_Gyou, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rd_GyouClick();
    });
    connect(Ui_->rd_Romaji, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rd_StyleClick(InputStyle::Romaji);
    });
    connect(Ui_->rd_Kana, &QRadioButton::toggled, this, [this](bool on) {
        if (on) rd_StyleClick(InputStyle::Kana);
    });
    // Typing changes the editor's text; setting the value changes it with the editor's
    // signals blocked and is announced by the box itself.
    connect(Ui_->sp_Time->lineEdit(), &QLineEdit::textChanged, this, [this] { sp_TimeChange(); });
    connect(Ui_->sp_Time, &QSpinBox::textChanged, this, [this] { sp_TimeChange(); });
    Ui_->sp_Time->onExit = [this] { sp_TimeExit(); };
}

void TMainForm::ConnectKeyPanel() {
    connect(KeyUi_->ListView, &QAbstractItemView::doubleClicked, this,
            [this] { ListViewDblClick(); });
    KeyUi_->ListView->onEnter = [this] { ListViewDblClick(); };
    for (int n = 0; n < kKouhoEdits; ++n) {
        KouhoEdits()[static_cast<std::size_t>(n)]->onKeyPress = [this, n](char& key) {
            ed_kouhoKeyPress(n, key);
        };
    }
    connect(KeyUi_->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(KeyUi_->bt_KeyLoad, &QPushButton::clicked, this, [this] { bt_KeyLoadClick(); });
    connect(KeyUi_->bt_KeySave, &QPushButton::clicked, this, [this] { bt_KeySaveClick(); });
}

void TMainForm::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TMainForm::SetClientSize(int width, int height) {
    setFixedSize(width, height);
}

void TMainForm::Warn(const fs::path& path, std::string_view message) {
    Services_.dialogs.Warning(PathMessage(PathToSjis(path), message));
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

void TMainForm::EnsureKeyTable() {
    // Without the busy cursor: it would load the cursor theme for a read of a few
    // milliseconds.
    if (KeyTableDue_) LoadKeyTable(false);
}

void TMainForm::LoadKeyTable(bool busyCursor) {
    KeyTableDue_ = false;
    // The key table, with the busy cursor while the file is read.
    const fs::path keyFile = BaseDir_ / "key" / KeyFileName(Style_);
    KeyFileProblem keyProblem = KeyFileProblem::None;
    {
        std::optional<BusyCursor> busy;
        if (busyCursor) busy.emplace();
        KeyModel_.Reset([&] { keyProblem = KeyTable_.LoadKeyFile(keyFile); });
    }
    if (KeyUi_) KeyUi_->ed_KoumokuNo->clear();  // no row is chosen in the new table
    // Without a usable table every key would be a mistype: say why, once, and play on.
    if (keyProblem != KeyFileProblem::None) {
        Services_.dialogs.Warning(KeyFileWarning(PathToSjis(keyFile), keyProblem));
    }
}

// The typing box, the candidate edits and the list view follow the style.
void TMainForm::ApplyStyle(InputStyle style) {
    Style_ = style;
    const bool kana = style == InputStyle::Kana;
    Ui_->ed_Nyuuryoku->kanaPositions = kana;
    if (KeyUi_) {
        for (KouhoEdit* edit : KouhoEdits()) edit->kanaPositions = kana;
    }
    KeyModel_.ShowKanaKeys(kana);
}

void TMainForm::LoadStyleRecords() {
    const SaveFolder saveFolder(BaseDir_);
    const fs::path records = saveFolder.TotalRecords(Style_);
    WarnRecords(records, Records_.LoadTotalRecords(records), msg::kRecordsUnreadable,
                msg::kRecordsTooLarge);
}

void TMainForm::WarnRecords(const fs::path& list, ReadStatus read, std::string_view unreadable,
                            std::string_view tooLarge) {
    if (read == ReadStatus::Unreadable) Warn(list, unreadable);
    if (read == ReadStatus::TooLarge) Warn(list, tooLarge);
}

void TMainForm::rd_StyleClick(InputStyle style) {
    if (ApplyingSettings_ || style == Style_ || Session_.Running()) return;
    ApplyStyle(style);
    LoadKeyTable();
    // The edits held keys of the other style's table.
    if (KeyUi_) {
        for (KouhoEdit* edit : KouhoEdits()) edit->clear();
    }
    // A kana play is compared with kana plays only: the style's bests and lists.
    Records_.SetBests(LoadSettings(SaveFolder(BaseDir_).Settings()).settings.BestsOf(style));
    LoadStyleRecords();
    const fs::path list = SaveFolder(BaseDir_).ActRecords(ActName(ActPath_), Style_);
    WarnRecords(list, Records_.LoadActRecords(list), msg::kActRecordsUnreadable,
                msg::kActRecordsTooLarge);
    ShowPlayInfo();
}

void TMainForm::FormCreate() {
    // The style decides which key file is read, before anything else of the settings.
    ApplyStyle(LoadSettings(SaveFolder(BaseDir_).Settings()).settings.style);
    // The key table is read when something first needs it (EnsureKeyTable): a start, the key
    // panel, a made Act. No control of the window shows it until then, and a user who only
    // looks at the records never has it in memory. A read takes about a millisecond.
    KeyTableDue_ = true;

    SetClientSize(CollapsedSize_.width(), CollapsedSize_.height());
    PanelSlide_ = 0;

    const SaveFolder saveFolder(BaseDir_);
    const fs::path& save = saveFolder.Path();
    std::error_code ec;
    if (!fs::is_directory(save, ec)) {
        fs::create_directories(save, ec);
        if (!fs::is_directory(save, ec)) {
            Warn(save, msg::kNoFolder);
        }
    }

    const fs::path ini = saveFolder.Settings();
    const SettingsLoad settings = LoadSettings(ini);
    if (settings.status == ReadStatus::Unreadable) {
        Warn(ini, msg::kSettingsUnreadable);
    } else if (settings.status == ReadStatus::TooLarge) {
        // Set aside, so that the next start is clean; one that could not be moved is kept.
        const fs::path aside = SetSettingsAside(ini);
        if (aside.empty()) {
            Warn(ini, msg::kSettingsUnreadable);
        } else {
            Warn(aside, msg::kSettingsSetAside);
        }
    }
    ApplySettings(settings.settings);
    LoadStyleRecords();

    ActPath_ = BaseDir_ / "ktp" / "Act01.ktp";
    AskResume(settings.settings.last);
    LoadAct(ActPath_);
    InstallMissSound();
}

void TMainForm::FormDestroy() {
    if (Destroyed_) return;
    Destroyed_ = true;
    Timer_.stop();  // a play still running is not recorded
    SlideTimer_.stop();
    const fs::path ini = SaveFolder(BaseDir_).Settings();
    if (!SaveShutdownSettings(ini, ControlSettings())) {
        Services_.dialogs.Warning(CannotWriteMessage(PathToSjis(ini)));
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormDestroy();
    event->accept();
}

void TMainForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The sound output opens once the window has been drawn, in the background: loading the
    // audio libraries takes longer than all the rest of the start-up, and the first mistype
    // is at least a countdown away. What the start-up has freed by then goes back to the
    // system.
    if (SoundOpening_) return;
    SoundOpening_ = true;
    QTimer::singleShot(0, this, [this] {
        emit FirstDrawn();
        Sounds_.Open();
        Records_.LoadKeyRecord(SaveFolder(BaseDir_).KeyRecord());
        platform::ReturnFreedMemory();
    });
}

void TMainForm::ApplySettings(const Settings& s) {
    // The handlers stay quiet while the file is applied; the labels are shown at the end
    // as the handlers of the selected buttons would have left them.
    ApplyingSettings_ = true;
    Records_.SetBests(s.BestsOf(Style_));
    SetRadio(Ui_->rd_Romaji, Style_ == InputStyle::Romaji);
    SetRadio(Ui_->rd_Kana, Style_ == InputStyle::Kana);
    SetRadio(Ui_->rd_Nomal, s.order == ProblemOrder::Normal);
    SetRadio(Ui_->rd_Random, s.order == ProblemOrder::Random);
    SetRadio(Ui_->rd_Eof, s.end == EndCondition::Eof);
    SetRadio(Ui_->rd_Mili, s.end == EndCondition::Seconds);
    SetRadio(Ui_->rd_Gyou, s.end == EndCondition::Lines);
    Ui_->sp_Time->SetValueShown(s.value);
    Ui_->ch_miss->setChecked(s.sound);
    Ui_->ch_Guide->setChecked(s.guide);
    ApplyingSettings_ = false;
    ShowOptionLabels(StartupOptionLabels(s.end, s.value));
}

Settings TMainForm::ControlSettings() const {
    Settings s;
    s.bests = Records_.CurrentBests();
    s.order = SelectedOrder();
    s.end = SelectedEnd();
    s.value = Ui_->sp_Time->value();
    s.sound = Ui_->ch_miss->isChecked();
    s.guide = Ui_->ch_Guide->isChecked();
    s.style = Style_;
    s.last = StoredActPath(ActPath_, BaseDir_);
    return s;
}

void TMainForm::AskResume(const std::string& last) {
    const std::optional<fs::path> file = StoredActFile(last, BaseDir_);
    if (!file) return;
    if (!ShouldAskResume(last, StoredActPath(ActPath_, BaseDir_), FileExists(*file))) return;
    // A relative LAST is shown as the full path it names.
    if (Services_.dialogs.Confirm(ResumeQuestionText(PathToSjis(*file)))) ActPath_ = *file;
}

void TMainForm::InstallMissSound() {
    const fs::path file = BaseDir_ / "system" / "miss.wav";
    std::string bytes;
    const WaveCheck check = CheckWaveFile(file, &bytes);
    if (check.problem == WaveProblem::Missing) return;
    Sounds_.Remove("miss");
    if (!check.ok()) {
        // Reported once; the run goes on without a mistype sound.
        Sounds_.Add("miss", {});
        Services_.dialogs.Warning(WaveRefusalText(PathToSjis(file), check.problem));
        return;
    }
    Sounds_.Add("miss", bytes);
}

// ---------------------------------------------------------------------------------------
// The Act

void TMainForm::LoadAct(const fs::path& path) {
    Ui_->bt_start->setEnabled(false);
    Ui_->bt_end->setEnabled(false);
    ActLoad load = ReadAct(path);
    const ActRefusal refusal = load.refusal;
    const bool headerRead = load.headerRead;
    Session_.LoadAct(std::move(load));
    ShowMemo(true);
    if (headerRead) ShowTexts();
    if (refusal != ActRefusal::None) {
        Services_.dialogs.Warning(RefusalText(PathToSjis(path), refusal));
        return;
    }
    QTextCursor cursor = Ui_->Memo->textCursor();
    cursor.movePosition(QTextCursor::Start);
    Ui_->Memo->setTextCursor(cursor);
    Ui_->Memo->verticalScrollBar()->setValue(0);

    setWindowTitle(kCaption + QStringLiteral("  [ ") + PathToQString(ActName(ActPath_)) +
                   QStringLiteral(" ]"));
    const fs::path list = SaveFolder(BaseDir_).ActRecords(ActName(ActPath_), Style_);
    WarnRecords(list, Records_.LoadActRecords(list), msg::kActRecordsUnreadable,
                msg::kActRecordsTooLarge);
    ShowPlayInfo();
    Ui_->bt_start->setEnabled(Session_.StartEnabled());
}

void TMainForm::ShowPlayInfo() {
    const PlayInfoLabels info = FormatPlayInfo(Records_.CurrentBests());
    SetTextIfChanged(Ui_->lb_Kaisu, Ascii(info.lb_Kaisu));
    SetTextIfChanged(Ui_->lb_TopNyu, Ascii(info.lb_TopNyu));
    SetTextIfChanged(Ui_->lb_TopTime, Ascii(info.lb_TopTime));
}

// ---------------------------------------------------------------------------------------
// Showing the session

void TMainForm::ShowTexts() {
    const PlayView v = Session_.View();
    SetTextIfChanged(Ui_->ed_Kanji, FromSjis(v.ed_Kanji));
    SetTextIfChanged(Ui_->ed_Yomi, FromSjis(v.ed_Yomi));
    // In the kana style the guide spells the keys as the kana printed on them.
    Ui_->ed_Yomi->SetGuide(v.guideShown, FromSjis(Shown(v.guideTyped)),
                           FromSjis(Shown(v.guideRest)));
    SetTextIfChanged(Ui_->ed_Nyuuryoku, FromSjis(Shown(v.ed_Nyuuryoku)));
    ShowList(Ui_->lst_3, v.lst_3);
    ShowList(Ui_->lst_2, v.lst_2);
    ShowList(Ui_->lst_1, v.lst_1);
}

std::string TMainForm::Shown(std::string_view text) const {
    // The Enter prompt at a line's end is no key.
    if (Style_ != InputStyle::Kana || Session_.GameState() == PlayState::LineComplete)
        return std::string(text);
    return KanaKeyTops(text);
}

void TMainForm::ShowList(QListWidget* list, const std::vector<std::string>& items) const {
    const auto count = static_cast<int>(items.size());
    if (list->count() == count) {
        for (int i = 0; i < count; ++i) {
            const QString text = FromSjis(Shown(items[static_cast<std::size_t>(i)]));
            QListWidgetItem* item = list->item(i);
            if (item->text() != text) item->setText(text);
        }
        return;
    }
    list->clear();
    for (const std::string& s : items) list->addItem(FromSjis(Shown(s)));
}

// The session only ever adds lines at the top of its memo, or empties it with a new Act:
// new lines are inserted at the top, the rest stays.
void TMainForm::ShowMemo(bool whole) {
    const auto& memo = Session_.Memo();
    if (whole || memo.size() < MemoShown_) {
        QString text;
        for (std::size_t i = 0; i < memo.size(); ++i) {
            if (i) text += QChar(u'\n');
            text += FromSjis(memo[i]);
        }
        Ui_->Memo->setPlainText(text);
    } else if (memo.size() > MemoShown_) {
        QString text;
        const std::size_t added = memo.size() - MemoShown_;
        for (std::size_t i = 0; i < added; ++i) {
            text += FromSjis(memo[i]);
            if (i + 1 < added || MemoShown_ > 0) text += QChar(u'\n');
        }
        QTextCursor cursor(Ui_->Memo->document());
        cursor.movePosition(QTextCursor::Start);
        cursor.insertText(text);
    }
    MemoShown_ = memo.size();
    Ui_->Memo->verticalScrollBar()->setValue(0);
}

void TMainForm::ShowLabels() {
    const LiveLabels& l = Session_.Labels();
    SetTextIfChanged(Ui_->lb_Mozi, Ascii(l.lb_Mozi));
    SetTextIfChanged(Ui_->Lb_Miss, Ascii(l.Lb_Miss));
    SetTextIfChanged(Ui_->lb_Keika, Ascii(l.lb_Keika));
    SetTextIfChanged(Ui_->lb_Daken, Ascii(l.lb_Daken));
    SetTextIfChanged(Ui_->lb_Sokudo, Ascii(l.lb_Sokudo));
    SetTextIfChanged(Ui_->lb_Mondai, Ascii(l.lb_Mondai));
}

// ---------------------------------------------------------------------------------------
// The play

PlayOptions TMainForm::CurrentOptions() const {
    PlayOptions o =
        PlayOptions::FromControls(SelectedEnd(), Ui_->sp_Time->value(), SelectedOrder());
    o.romajiGuide = Ui_->ch_Guide->isChecked();
    return o;
}

std::optional<EndCondition> TMainForm::SelectedEnd() const {
    if (Ui_->rd_Eof->isChecked()) return EndCondition::Eof;
    if (Ui_->rd_Mili->isChecked()) return EndCondition::Seconds;
    if (Ui_->rd_Gyou->isChecked()) return EndCondition::Lines;
    return std::nullopt;
}

std::optional<ProblemOrder> TMainForm::SelectedOrder() const {
    if (Ui_->rd_Nomal->isChecked()) return ProblemOrder::Normal;
    if (Ui_->rd_Random->isChecked()) return ProblemOrder::Random;
    return std::nullopt;
}

void TMainForm::SetPlayControls(bool playing) {
    Ui_->bt_FileOpen->setEnabled(!playing);
    Ui_->bt_Glaph->setEnabled(!playing);
    Ui_->bt_ViewOpen->setEnabled(!playing);
    Ui_->GroupBox_Opt1->setEnabled(!playing);
    Ui_->GroupBox_Opt2->setEnabled(!playing);
    Ui_->GroupBox_Style->setEnabled(!playing);
    Ui_->CheckSave->setEnabled(!playing);
    Ui_->ch_Guide->setEnabled(!playing);
    if (KeyUi_) {
        KeyUi_->ListView->setEnabled(!playing);
        KeyUi_->GroupBox_Key->setEnabled(!playing);
    }
    Ui_->bt_end->setEnabled(playing);
    if (playing) Ui_->bt_start->setEnabled(false);
}

void TMainForm::bt_startClick() {
    if (PanelSlide_ > 0) return;
    EnsureKeyTable();
    if (!KeyPanelOpen()) {
        StartPlay();
        return;
    }
    // The key table cannot be edited during a play: an open key panel closes first and the
    // play starts once it is shut. Meanwhile the controls are locked as for the play.
    SetPlayControls(true);
    Ui_->bt_end->setEnabled(false);
    SlideKeyPanel([this] {
        StartPlay();
        if (Session_.Running()) return;
        SetPlayControls(false);
        Ui_->bt_start->setEnabled(Session_.StartEnabled());
    });
}

void TMainForm::StartPlay() {
    Ui_->ed_Nyuuryoku->setFocus();
    const bool again = Session_.GameState() == PlayState::Finished;
    const bool started = again ? Session_.Replay(CurrentOptions(), Services_.clock.Now())
                               : Session_.StartPlay(CurrentOptions(), Services_.clock.Now());
    if (!started) return;
    SetPlayControls(true);
    ShowTexts();
    ShowMemo(false);
    ShowLabels();
    ScheduleTick(1);
}

void TMainForm::ScheduleTick(uint32_t delay) {
    if (delay == 0) {
        Timer_.stop();
        return;
    }
    Timer_.start(static_cast<int>(delay));
}

void TMainForm::bt_endClick() {
    if (Session_.Stop(Services_.clock.Now())) FinishPlay();
}

void TMainForm::ed_NyuuryokuKeyPress(char& Key) {
    const KeyOutcome out = Session_.OnKey(Key, Services_.clock.Now());
    Key = 0;  // the session keeps the typed text; the box shows it
    if (out.startRequested) {
        if (Ui_->bt_start->isEnabled()) bt_startClick();
        return;
    }
    if (out.mistype) PlayMissSound();
    if (out.textsChanged) ShowTexts();
    if (out.memoChanged) ShowMemo(false);
    if (out.finished) {
        FinishPlay();
    } else if (Session_.Running() && (Timer_.remainingTime() > 1 || !Timer_.isActive())) {
        ScheduleTick(1);  // the counters show a millisecond later
    }
}

void TMainForm::TimerTimer() {
    const uint32_t now = Services_.clock.Now();
    const TickOutcome out = Session_.OnTick(now);
    if (out.textsChanged) ShowTexts();
    if (out.labelsChanged) ShowLabels();
    if (out.finished) {
        FinishPlay();
        return;
    }
    ScheduleTick(NextTickDelay(Session_, now));
}

void TMainForm::FinishPlay() {
    Timer_.stop();
    ShowTexts();
    ShowLabels();

    ResultInput in;
    in.play = Session_.Facts();
    in.checkSave = Ui_->CheckSave->isChecked();
    in.actPath = ActPath_;
    in.bests = Records_.CurrentBests();
    in.pathText = PathText_;
    const PlayResult result = ComputeResult(in);
    RecordOutcome outcome;
    if (result.record) {
        const QDateTime now = Services_.clock.Local();
        const LocalTime at{now.date().year(), now.date().month(),  now.date().day(),
                           now.time().hour(), now.time().minute(), now.time().second()};
        const std::string keyBlock =
            KeyRecordBlock(KeyRecordStamp(at.year, at.month, at.day, at.hour, at.minute, at.second),
                           in.play.StopTick - in.play.StartTick,
                           PathText_.ToSjis(ActName(ActPath_)), Session_.Record());
        outcome = RecordPlay(RecordFiles::For(BaseDir_, ActPath_, Style_), Records_, result, at,
                             keyBlock);
        if (outcome.Failed()) Services_.dialogs.Warning(RecordFailureText(outcome, PathText_));
    }

    ResultChoice choice = ResultChoice::Cancel;
    std::optional<std::filesystem::path> practice;
    {
        TDataForm dialog(ResultViewOf(result, outcome), SaveFolder(BaseDir_).PlayLog(), Services_,
                         this);
        dialog.SetWeaknessWindow([&] {
            TWeakForm form(SaveFolder(BaseDir_).KeyRecord(), PathText_.ToSjis(ActName(ActPath_)),
                           Services_, &dialog);
            form.SetPractice(Practice());
            form.exec();
            // The practice Act ends the result dialog as "cancel" would, and is loaded below.
            if (!form.Practice()) return;
            practice = form.Practice();
            dialog.reject();
        });
        dialog.exec();
        choice = practice ? ResultChoice::Cancel : dialog.Choice();
    }
    if (practice) ActPath_ = *practice;

    Ui_->ed_Nyuuryoku->setFocus();
    if (choice == ResultChoice::Replay) {
        ShowPlayInfo();
        StartPlay();
        if (Session_.Running()) return;
    }
    if (choice == ResultChoice::NextAct) ActPath_ = result.NextActPath;
    LoadAct(ActPath_);
    SetPlayControls(false);
}

void TMainForm::PlayMissSound() {
    if (!Ui_->ch_miss->isChecked()) return;
    Sounds_.Play("miss");
}

// ---------------------------------------------------------------------------------------
// Buttons

void TMainForm::bt_FileOpenClick() {
    const auto chosen = Services_.dialogs.OpenFile(
        BaseDir_ / "ktp", FromSjis(msg::kActFilter) + ";;" + FromSjis(msg::kTextFilter));
    if (!chosen) return;
    if (HasExtension(*chosen, ".txt")) {
        MakeFromTextFile(*chosen);
        return;
    }
    Services_.dialogs.Beep(platform::BeepKind::Asterisk);
    ActPath_ = *chosen;
    Ui_->ed_Nyuuryoku->setFocus();
    LoadAct(ActPath_);
}

// A text to make an Act of is read whole, up to a bound far above any text one types.
void TMainForm::MakeFromTextFile(const std::filesystem::path& path) {
    constexpr std::uintmax_t kTextLimit = 16u << 20;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kTextLimit) {
        Warn(path, msg::kTextTooLarge);
        return;
    }
    std::string bytes;
    switch (ReadFileBytes(path, bytes, kTextLimit)) {
        case ReadStatus::Missing:
            Warn(path, msg::kFileMissing);
            return;
        case ReadStatus::Unreadable:
            Warn(path, msg::kFileUnreadable);
            return;
        case ReadStatus::TooLarge:
            Warn(path, msg::kTextTooLarge);
            return;
        case ReadStatus::Ok:
            break;
    }
    if (bytes.size() > kTextLimit) {
        Warn(path, msg::kTextTooLarge);
        return;
    }
    std::string why;
    std::optional<std::string> text = tool::DecodeText(bytes, why);
    if (!text) {
        Warn(path, msg::kTextNotText);
        return;
    }
    OpenMakeForm(std::move(*text), PathToQString(path.stem()));
}

void TMainForm::MakeFromClipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        Services_.dialogs.Warning(msg::kClipboardNoText);
        return;
    }
    OpenMakeForm(text.toStdString(), FromSjis(msg::kClipboardTitle));
}

void TMainForm::OpenMakeForm(std::string utf8, const QString& title) {
    EnsureKeyTable();
    TMakeForm form(std::move(utf8), title, KeyTable_, BaseDir_ / "ktp", Services_, this);
    form.exec();
    if (form.Saved()) LoadMadeAct(*form.Saved());
}

// An Act the program made (of a text, or to practise the weak kana) becomes the current one.
void TMainForm::LoadMadeAct(const std::filesystem::path& path) {
    ActPath_ = path;
    Ui_->ed_Nyuuryoku->setFocus();
    LoadAct(ActPath_);
}

PracticeSource TMainForm::Practice() const {
    return {&KeyTable_, BaseDir_ / "ktp", PathFromUtf8(tool::DefaultDictionary())};
}

void TMainForm::bt_HelpClick() {
    OpenHelp(ProgramDir_, Services_);
}

// A new graph window for every showing, so that it draws the lists as they are now.
void TMainForm::bt_GlaphClick() {
    EnsureKeyTable();  // for the practice Act
    TGlaphForm form(BaseDir_, ActPath_, Records_.TotalRecords(), Records_.ActRecords(), Services_,
                    this);
    form.SetPractice(Practice());
    form.exec();
    if (form.Practice()) LoadMadeAct(*form.Practice());
}

// ---------------------------------------------------------------------------------------
// The key panel. It is shut and locked during a play, so the table the play judges with
// does not change under it; the guards below hold that also for a caller that skips them.

std::array<KouhoEdit*, kKouhoEdits> TMainForm::KouhoEdits() const {
    return {KeyUi_->ed_kouho1, KeyUi_->ed_kouho2, KeyUi_->ed_kouho3, KeyUi_->ed_kouho4,
            KeyUi_->ed_kouho5};
}

void TMainForm::ListViewDblClick() {
    const QModelIndexList selected = KeyUi_->ListView->selectionModel()->selectedRows();
    if (selected.isEmpty() || Session_.Running()) return;
    const auto row = static_cast<std::size_t>(selected.front().row());
    ShowKeyRow(row);
    // The lowest-numbered empty candidate edit takes the focus; with all five full it stays.
    if (const auto focus = ViewKeyRow(KeyTable_, row).focus) {
        KouhoEdits()[static_cast<std::size_t>(*focus)]->setFocus();
    }
}

void TMainForm::ShowKeyRow(std::size_t row) {
    const KeyRowView view = ViewKeyRow(KeyTable_, row);
    KeyUi_->ed_koumoku->setText(FromSjis(view.item));
    KeyUi_->ed_KoumokuNo->setText(Ascii(view.number));
    const auto edits = KouhoEdits();
    for (std::size_t n = 0; n < edits.size(); ++n)
        edits[n]->setText(FromSjis(Shown(view.kouho[n])));
}

void TMainForm::ed_kouhoKeyPress(int edit, char& Key) {
    EnsureKeyTable();  // the filter follows the table's rules
    if (!FilterKouhoKey(Key, KeyTable_.Rules())) {
        Key = 0;
        return;
    }
    const auto edits = KouhoEdits();
    std::array<bool, kKouhoEdits> empty{};
    for (std::size_t n = 0; n < edits.size(); ++n) empty[n] = edits[n]->text().isEmpty();
    const int target = KouhoTarget(edit, empty);
    if (target == edit) return;
    KouhoEdit* first = edits[static_cast<std::size_t>(target)];
    first->setText(FromSjis(Shown(std::string(1, Key))));
    first->setFocus();
    Key = 0;
}

void TMainForm::Button1Click() {
    if (Session_.Running()) return;
    EnsureKeyTable();
    const std::string number = ToSjisLossy(KeyUi_->ed_KoumokuNo->text());
    KouhoTexts kouho;
    const auto edits = KouhoEdits();
    for (std::size_t n = 0; n < edits.size(); ++n) {
        kouho[n] = ToSjisLossy(edits[n]->text());
        // The kana style's edits show the keys' kana; the table holds their tokens.
        if (Style_ == InputStyle::Kana) kouho[n] = KanaKeysOfTops(kouho[n]).value_or("");
    }
    const SetRowRefusal refusal = CheckSetRow(KeyTable_, number, kouho[0]);
    if (refusal != SetRowRefusal::None) {
        Services_.dialogs.Information(SetRowRefusalMessage(refusal));
        return;
    }
    const std::size_t row = *ChosenRow(KeyTable_, number);
    if (!Services_.dialogs.Confirm(SetRowQuestion(KeyTable_.Rows()[row].item))) return;
    KeyRow edited = KeyTable_.Rows()[row];
    SetRowCandidates(edited, kouho);
    KeyTable_.SetRow(row, std::move(edited));
    KeyModel_.RowChanged(row);
    ShowKeyRow(row);
    bt_KeySaveClick();
}

void TMainForm::bt_KeySaveClick() {
    if (Session_.Running()) return;
    EnsureKeyTable();  // a table never read is not stored over the file
    if (Services_.dialogs.Confirm(StoreQuestion())) StoreKeyTable();
}

void TMainForm::StoreKeyTable() {
    const fs::path path = BaseDir_ / "key" / KeyFileName(Style_);
    bool stored = false;
    {
        const BusyCursor busy;
        stored = KeyTable_.StoreKeyTable(path);
    }
    // A store rewrites the sign rows' first candidates; the rows stay where they are.
    KeyModel_.RowsChanged();
    if (!stored) Services_.dialogs.Warning(CannotWriteMessage(PathToSjis(path)));
}

void TMainForm::bt_KeyLoadClick() {
    if (Session_.Running()) return;
    const auto chosen = Services_.dialogs.OpenFile(BaseDir_ / "key", FromSjis(msg::kKeyFilter));
    if (!chosen) return;
    const std::string shown = PathToSjis(*chosen);
    if (!HasKeyExtension(*chosen)) {
        Services_.dialogs.Warning(BadKeyExtensionText(shown));
        return;
    }
    if (!Services_.dialogs.Confirm(LoadQuestion(shown))) return;
    EnsureKeyTable();  // the style's own file is not read over the chosen one later
    KeyTable loaded;
    KeyFileProblem problem = KeyFileProblem::None;
    {
        const BusyCursor busy;
        problem = loaded.LoadChosenKeyFile(*chosen);
        if (problem == KeyFileProblem::None) {
            KeyModel_.Reset([&] { KeyTable_ = std::move(loaded); });
        }
    }
    if (problem != KeyFileProblem::None) {
        Services_.dialogs.Warning(KeyFileRefusalText(shown, problem));
        return;
    }
    KeyUi_->ed_KoumokuNo->clear();  // no row is chosen in the new table
    if (Services_.dialogs.Confirm(LoadedQuestion())) StoreKeyTable();
}

// ---------------------------------------------------------------------------------------
// The sliding panels

void TMainForm::bt_ViewOpenClick() {
    SlideKeyPanel({});
}

void TMainForm::bt_OptClick() {
    if (PanelSlide_ > 0) return;
    if (OptionPanelOpen()) {
        StartSlide(4, kOptionSlideSteps, QSize(-kOptionSlideStep, 0), 0,
                   QSize(CollapsedSize_.width(), height()), {});
    } else {
        StartSlide(3, kOptionSlideSteps, QSize(kOptionSlideStep, 0), 0,
                   QSize(OpenSize_.width(), height()), {});
    }
}

void TMainForm::SlideKeyPanel(std::function<void()> then) {
    if (PanelSlide_ > 0) return;
    // The window grows mostly downward: its top edge moves one pixel per step.
    if (KeyPanelOpen()) {
        StartSlide(2, kKeySlideSteps, QSize(0, -kKeySlideStep), 1,
                   QSize(width(), CollapsedSize_.height()), std::move(then));
    } else {
        ShowKeyPanelControls();
        StartSlide(1, kKeySlideSteps, QSize(0, kKeySlideStep), -1,
                   QSize(width(), OpenSize_.height()), std::move(then));
    }
}

void TMainForm::StartSlide(int kind, int steps, QSize grow, int moveDown, QSize end,
                           std::function<void()> then) {
    PanelSlide_ = kind;
    Slide_ = Slide{steps, grow, moveDown, end, std::move(then)};
    SlideTimer_.start();
}

// One step per tick: each step changes the size relative to the current one, and the
// tick after the last step sets the exact end size (the steps overshoot it).
void TMainForm::SlideStep() {
    if (Slide_.stepsLeft > 0) {
        --Slide_.stepsLeft;
        if (Slide_.moveDown != 0) move(x(), y() + Slide_.moveDown);
        SetClientSize(width() + Slide_.grow.width(), height() + Slide_.grow.height());
        return;
    }
    SlideTimer_.stop();
    SetClientSize(Slide_.end.width(), Slide_.end.height());
    PanelSlide_ = 0;
    if (auto then = std::exchange(Slide_.then, {})) then();
}

// ---------------------------------------------------------------------------------------
// The option controls

void TMainForm::SetRadio(QRadioButton* button, bool selected) {
    if (selected) {
        button->setChecked(true);
        return;
    }
    // An auto-exclusive button refuses to be cleared while it is the selected one.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void TMainForm::ShowOptionLabels(const OptionLabels& labels) {
    Ui_->sp_Time->setEnabled(labels.sp_TimeEnabled);
    SetTextIfChanged(Ui_->lb_Seigen, Ascii(labels.lb_Seigen));
    SetTextIfChanged(Ui_->lb_Mondai, Ascii(labels.lb_Mondai));
}

void TMainForm::rd_EofClick() {
    if (!ApplyingSettings_)
        ShowOptionLabels(EndConditionClicked(EndCondition::Eof, Ui_->sp_Time->value()));
}

void TMainForm::rd_MiliClick() {
    if (!ApplyingSettings_)
        ShowOptionLabels(EndConditionClicked(EndCondition::Seconds, Ui_->sp_Time->value()));
}

void TMainForm::rd_GyouClick() {
    if (!ApplyingSettings_)
        ShowOptionLabels(EndConditionClicked(EndCondition::Lines, Ui_->sp_Time->value()));
}

void TMainForm::sp_TimeChange() {
    if (ApplyingSettings_) return;
    const SpinTextLabels l =
        SpinTextChanged(Ui_->sp_Time->lineEdit()->text().toStdString(), SelectedEnd());
    if (l.lb_Seigen) SetTextIfChanged(Ui_->lb_Seigen, Ascii(*l.lb_Seigen));
    if (l.lb_Mondai) SetTextIfChanged(Ui_->lb_Mondai, Ascii(*l.lb_Mondai));
}

void TMainForm::sp_TimeExit() {
    const SpinExit exit = SpinTimeExit(Ui_->sp_Time->lineEdit()->text().toStdString());
    if (!exit.showMessage) return;  // the box itself brings a number into range
    Services_.dialogs.Plain(std::string(msg::kSpinRange));
    Ui_->sp_Time->SetValueShown(exit.value);
    QTimer::singleShot(0, Ui_->sp_Time,
                       [box = Ui_->sp_Time] { box->setFocus(Qt::OtherFocusReason); });
}

}  // namespace kotopa
