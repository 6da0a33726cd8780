#include "mainform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "inifile.h"
#include "sjistext.h"
#include "textfile.h"
#include "ui_mainform.h"
#include "widgets.h"

namespace kotopa {

namespace fs = std::filesystem;

std::string Sj(const QString& text) { return ToSjisLossy(text); }

namespace {

const QString kCaption = QStringLiteral("KotoPA");
constexpr char kLfCr[] = "\n\r";

QString Format5d(int32_t v) { return QString::asprintf("%5d", v); }

// "nn:ss" of a number of seconds below an hour; hours are dropped, negatives show 00:00.
QString FormatMinSec(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return QString::asprintf("%02d:%02d", static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

QString FormatLineOfTotal(int32_t line, int32_t total) { return QString::asprintf("%3d / %3d", line, total); }

bool FileExists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec) && !fs::is_directory(p, ec);
}

}  // namespace

TMainForm::TMainForm(fs::path baseDir, platform::Services services, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::TMainForm>()),
      services_(services),
      Sounds_(services.sound),
      BaseDir_(std::move(baseDir)) {
    // The flags first: setting them re-resolves the fonts of every child, which would lose
    // the form's font afterwards.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui_->setupUi(this);
    SetupControls();
    ConnectHandlers();
    // The window's own resources: the built-in mistype sound.
    Sounds_.Add("Miss", QUrl(QStringLiteral("qrc:/sounds/miss.wav")));
    FormCreate();
    CentreOnScreen();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::SetupControls() {
    ApplyPixelFonts(this);
    for (QListWidget* list : {ui_->lst_3, ui_->lst_2, ui_->lst_1}) {
        list->setItemDelegate(new FixedRowDelegate(16, list));
    }
    ui_->Memo->document()->setDocumentMargin(1);
    ui_->me_About->document()->setDocumentMargin(2);
    QHeaderView* header = ui_->ListView->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    for (int i = 0; i < header->count(); ++i) header->resizeSection(i, 48);
    header->setSectionResizeMode(4, QHeaderView::Stretch);  // "候補 4" fills the width
    ui_->bt_Glaph->setEnabled(false);  // the graph window is not part of this program yet
    Timer_.setObjectName(QStringLiteral("Timer"));
    Timer_.setInterval(1);
    Timer_.setTimerType(Qt::PreciseTimer);
    setFocusProxy(ui_->ed_Nyuuryoku);
}

void TMainForm::ConnectHandlers() {
    connect(ui_->bt_start, &QPushButton::clicked, this, [this] { bt_startClick(); });
    connect(ui_->bt_FileOpen, &QToolButton::clicked, this, [this] { bt_FileOpenClick(); });
    connect(ui_->bt_Help, &QToolButton::clicked, this, [this] { bt_HelpClick(); });
    connect(ui_->bt_ViewOpen, &QToolButton::clicked, this, [this] { bt_ViewOpenClick(); });
    connect(ui_->bt_Opt, &QToolButton::clicked, this, [this] { bt_OptClick(); });
    ui_->ed_Nyuuryoku->onKeyPress = [this](char& key) { ed_NyuuryokuKeyPress(key); };
    // Selecting a button, by a click, the keyboard or the settings, runs its handler.
    connect(ui_->rd_Eof, &QRadioButton::toggled, this, [this](bool on) { if (on) rd_EofClick(); });
    connect(ui_->rd_Mili, &QRadioButton::toggled, this, [this](bool on) { if (on) rd_MiliClick(); });
    connect(ui_->rd_Gyou, &QRadioButton::toggled, this, [this](bool on) { if (on) rd_GyouClick(); });
    // Typing changes the editor's text; setting the value changes it with the editor's
    // signals blocked and is announced by the box itself.
    connect(ui_->sp_Time->lineEdit(), &QLineEdit::textChanged, this, [this] { sp_TimeChange(); });
    connect(ui_->sp_Time, &QSpinBox::textChanged, this, [this] { sp_TimeChange(); });
    ui_->sp_Time->onExit = [this] { sp_TimeExit(); };
}

void TMainForm::CentreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TMainForm::SetClientSize(int width, int height) { setFixedSize(width, height); }

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

void TMainForm::FormCreate() {
    // The key table, with the busy cursor while the file is read.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    KeyTable_.LoadKeyFile(BaseDir_ / "key" / "mykey.key");
    ShowKeyTable();
    QGuiApplication::restoreOverrideCursor();

    SetClientSize(kCollapsedWidth, kCollapsedHeight);
    PanelSlide_ = 0;
    TotalRecords_.clear();
    ActRecords_.clear();

    const fs::path save = BaseDir_ / "save";
    std::error_code ec;
    if (!fs::is_directory(save, ec)) {
        fs::create_directories(save, ec);
        if (!fs::is_directory(save, ec)) {
            services_.dialogs.Warning(PathToSjis(save) + kLfCr +
                                      Sj(QStringLiteral("フォルダを作成できません。設定と記録は保存されません。")));
        }
    }

    ReadSettings();

    const fs::path records = save / "record.lst";
    if (ReadStringList(records, TotalRecords_) == ReadStatus::Unreadable) {
        services_.dialogs.Warning(PathToSjis(records) + kLfCr + Sj(QStringLiteral("ファイルを読み込めません。")));
    }

    ActPath_ = BaseDir_ / "ktp" / "Act01.ktp";
    AskResume();
    LoadAct(ActPath_);
    InstallMissSound();
}

void TMainForm::FormDestroy() {
    if (Destroyed_) return;
    Destroyed_ = true;
    Timer_.stop();
    WriteSettings();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormDestroy();
    event->accept();
}

void TMainForm::ReadSettings() {
    IniFile ini;
    ini.Load(BaseDir_ / "save" / "kotopa.ini");
    BestKeysPerMin_ = ini.ReadInteger("TOP", "KEY", 0);
    BestCharsPerMin_ = ini.ReadInteger("TOP", "MOZI", 0);
    PlayCount_ = ini.ReadInteger("PLAY", "COUNT", 1);
    SetRadio(ui_->rd_Nomal, ini.ReadBool("PLAY", "NOMAL", true));
    SetRadio(ui_->rd_Random, ini.ReadBool("PLAY", "RANDOM", false));
    SetRadio(ui_->rd_Eof, ini.ReadBool("PLAY", "ENDEOF", true));
    SetRadio(ui_->rd_Mili, ini.ReadBool("PLAY", "ENDMILI", false));
    SetRadio(ui_->rd_Gyou, ini.ReadBool("PLAY", "ENDGYOU", false));
    const int32_t value = ini.ReadInteger("PLAY", "VALUE", 60);
    ui_->sp_Time->SetValueShown(std::clamp(value, 5, 999));
    ui_->ch_miss->setChecked(ini.ReadBool("PLAY", "SOUND", true));
    LastActSjis_ = ini.ReadString("FILE", "LAST", "NASI");
}

void TMainForm::WriteSettings() {
    const fs::path path = BaseDir_ / "save" / "kotopa.ini";
    IniFile ini;
    if (ini.Load(path) == ReadStatus::Unreadable) {
        services_.dialogs.Warning(CannotWriteMessage(PathToSjis(path)));
        return;
    }
    ini.WriteBool("PLAY", "NOMAL", ui_->rd_Nomal->isChecked());
    ini.WriteBool("PLAY", "RANDOM", ui_->rd_Random->isChecked());
    ini.WriteBool("PLAY", "ENDEOF", ui_->rd_Eof->isChecked());
    ini.WriteBool("PLAY", "ENDMILI", ui_->rd_Mili->isChecked());
    ini.WriteBool("PLAY", "ENDGYOU", ui_->rd_Gyou->isChecked());
    ini.WriteInteger("PLAY", "VALUE", ui_->sp_Time->value());
    ini.WriteBool("PLAY", "SOUND", ui_->ch_miss->isChecked());
    ini.WriteString("FILE", "LAST", "\"" + PathToSjis(ActPath_) + "\"");
    if (!ini.Save(path)) services_.dialogs.Warning(CannotWriteMessage(PathToSjis(path)));
}

void TMainForm::AskResume() {
    const std::string last = LastActSjis_;
    if (last == "NASI" || last == PathToSjis(ActPath_) || !FileExists(PathFromSjis(last))) return;
    const std::string question = Sj(QStringLiteral("前回プレイした内容")) + kLfCr + last + kLfCr +
                                 Sj(QStringLiteral("を読み込みますか ?"));
    if (services_.dialogs.Confirm(question)) ActPath_ = PathFromSjis(last);
}

void TMainForm::InstallMissSound() {
    const fs::path file = BaseDir_ / "system" / "miss.wav";
    std::error_code ec;
    if (!fs::exists(file, ec)) return;
    Sounds_.Remove("miss");
    std::string bytes;
    if (ReadFileBytes(file, bytes) != ReadStatus::Ok) {
        Sounds_.Add("miss", QUrl());
        services_.dialogs.Warning(PathToSjis(file) + kLfCr +
                                  Sj(QStringLiteral("WAVE ファイルとして読み込めません。ミス音は鳴りません。")));
        return;
    }
    Sounds_.Add("miss", QUrl::fromLocalFile(PathToQString(file)));
}

// ---------------------------------------------------------------------------------------
// The Act

void TMainForm::Refuse(const fs::path& path, ActRefusal refusal) {
    services_.dialogs.Warning(RefusalText(PathToSjis(path), refusal));
}

void TMainForm::SetMemo(const std::vector<std::string>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += QChar(u'\n');
        text += FromSjis(lines[i]);
    }
    ui_->Memo->setPlainText(text);
    QTextCursor cursor = ui_->Memo->textCursor();
    cursor.movePosition(QTextCursor::Start);
    ui_->Memo->setTextCursor(cursor);
    ui_->Memo->verticalScrollBar()->setValue(0);
}

void TMainForm::LoadAct(const fs::path& path) {
    ui_->bt_start->setEnabled(false);
    ui_->bt_end->setEnabled(false);
    ui_->Memo->clear();
    HasAct_ = false;
    GameState_ = 0;

    ActLoad load = ReadAct(path);
    if (load.headerRead) {
        const auto& h = load.script.header;
        SetMemo({h[0], h[1], h[2]});
        ui_->ed_Kanji->setText(FromSjis(h[3]));
        ui_->ed_Yomi->setText(FromSjis(h[4]));
    }
    if (load.refusal != ActRefusal::None) {
        Refuse(path, load.refusal);
        return;
    }
    Act_ = std::move(load.script);
    HasAct_ = true;

    setWindowTitle(kCaption + QStringLiteral("  [ ") + PathToQString(fs::path(ActName(ActPath_))) +
                   QStringLiteral(" ]"));
    ActRecords_.clear();
    const fs::path list = ActListPath(BaseDir_, ActPath_);
    if (ReadStringList(list, ActRecords_) == ReadStatus::Unreadable) {
        services_.dialogs.Warning(PathToSjis(list) + kLfCr + Sj(QStringLiteral("ファイルを読み込めません。")));
    }
    ShowPlayInfo();
    ui_->bt_start->setEnabled(true);
}

void TMainForm::ShowPlayInfo() {
    SetTextIfChanged(ui_->lb_Kaisu, Format5d(PlayCount_));
    SetTextIfChanged(ui_->lb_TopNyu, Format5d(BestKeysPerMin_));
    SetTextIfChanged(ui_->lb_TopTime, Format5d(BestCharsPerMin_));
}

void TMainForm::ShowKeyTable() {
    QTreeWidget* view = ui_->ListView;
    view->setUpdatesEnabled(false);
    view->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(KeyTable_.rows.size()));
    for (const KeyRow& row : KeyTable_.rows) {
        QStringList columns{FromSjis(row.item)};
        for (std::size_t i = 0; i < row.candidates.size() && i < 5; ++i) {
            columns << FromSjis(row.candidates[i]);
        }
        items.append(new QTreeWidgetItem(columns));
    }
    view->addTopLevelItems(items);
    view->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------------------------------
// Buttons

void TMainForm::bt_FileOpenClick() {
    const auto chosen =
        services_.dialogs.OpenFile(BaseDir_ / "ktp", QStringLiteral("KotoPa スクリプト (*.ktp)"));
    if (!chosen) return;
    services_.dialogs.Beep(platform::BeepKind::Asterisk);
    ActPath_ = *chosen;
    ui_->ed_Nyuuryoku->setFocus();
    LoadAct(ActPath_);
}

void TMainForm::bt_HelpClick() { services_.shell.Open(BaseDir_ / "kotopa.chm"); }

void TMainForm::bt_startClick() {
    if (PanelSlide_ > 0) return;
    if (height() >= kKeyPanelHeight) bt_ViewOpenClick();
}

void TMainForm::ed_NyuuryokuKeyPress(char& Key) {
    if (GameState_ == 0) {
        const bool enter = Key == 13;
        Key = 0;
        if (enter && ui_->bt_start->isEnabled()) bt_startClick();
    }
}

void TMainForm::PlayMissSound() {
    if (!ui_->ch_miss->isChecked()) return;
    Sounds_.Play("miss");
}

// ---------------------------------------------------------------------------------------
// The sliding panels

void TMainForm::bt_ViewOpenClick() {
    if (PanelSlide_ > 0) return;
    if (height() >= kKeyPanelHeight) {
        PanelSlide_ = 2;
        for (int i = 0; i < kKeySlideSteps; ++i) {
            move(x(), y() + 1);
            SetClientSize(width(), height() - kKeySlideStep);
            QCoreApplication::processEvents();
        }
        SetClientSize(width(), kCollapsedHeight);
    } else {
        PanelSlide_ = 1;
        for (int i = 0; i < kKeySlideSteps; ++i) {
            move(x(), y() - 1);
            SetClientSize(width(), height() + kKeySlideStep);
            QCoreApplication::processEvents();
        }
        SetClientSize(width(), kKeyPanelHeight);
    }
    PanelSlide_ = 0;
}

void TMainForm::bt_OptClick() {
    if (PanelSlide_ > 0) return;
    if (width() >= kOptionPanelWidth) {
        PanelSlide_ = 4;
        for (int i = 0; i < kOptionSlideSteps; ++i) {
            SetClientSize(width() - kOptionSlideStep, height());
            QCoreApplication::processEvents();
        }
        SetClientSize(kCollapsedWidth, height());
    } else {
        PanelSlide_ = 3;
        for (int i = 0; i < kOptionSlideSteps; ++i) {
            SetClientSize(width() + kOptionSlideStep, height());
            QCoreApplication::processEvents();
        }
        SetClientSize(kOptionPanelWidth, height());
    }
    PanelSlide_ = 0;
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

void TMainForm::rd_EofClick() {
    ui_->sp_Time->setEnabled(false);
    SetTextIfChanged(ui_->lb_Seigen, QStringLiteral("00:00"));
    SetTextIfChanged(ui_->lb_Mondai, FormatLineOfTotal(0, 0));
}

void TMainForm::rd_MiliClick() {
    ui_->sp_Time->setEnabled(true);
    SetTextIfChanged(ui_->lb_Seigen, FormatMinSec(ui_->sp_Time->value()));
    SetTextIfChanged(ui_->lb_Mondai, FormatLineOfTotal(0, 0));
}

void TMainForm::rd_GyouClick() {
    ui_->sp_Time->setEnabled(true);
    SetTextIfChanged(ui_->lb_Seigen, QStringLiteral("00:00"));
    SetTextIfChanged(ui_->lb_Mondai, FormatLineOfTotal(0, ui_->sp_Time->value()));
}

void TMainForm::sp_TimeChange() {
    const int v = ui_->sp_Time->TextNumber().value_or(0);
    if (ui_->rd_Mili->isChecked()) SetTextIfChanged(ui_->lb_Seigen, FormatMinSec(v));
    if (ui_->rd_Gyou->isChecked()) SetTextIfChanged(ui_->lb_Mondai, FormatLineOfTotal(0, v));
}

void TMainForm::sp_TimeExit() {
    if (ui_->sp_Time->TextNumber()) return;
    services_.dialogs.Plain(Sj(QStringLiteral("5 - 999 までの数字を入力して下さい。")));
    ui_->sp_Time->SetValueShown(60);
    QTimer::singleShot(0, ui_->sp_Time, [box = ui_->sp_Time] { box->setFocus(Qt::OtherFocusReason); });
}

}  // namespace kotopa
