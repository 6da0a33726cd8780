#include "weakform.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "act.h"
#include "messages.h"
#include "practicewords.h"
#include "sjiscodec.h"
#include "sjistext.h"
#include "textfile.h"
#include "widgets.h"

namespace kotopa {

namespace {

// The romaji keys of a JIS keyboard, row by row, with each row's indent in quarter keys.
struct KeyRow {
    const char* keys;
    int indentQuarters;
};
constexpr KeyRow kRows[] = {
    {"1234567890-^\\", 0}, {"qwertyuiop@[", 2}, {"asdfghjkl;:]", 3}, {"zxcvbnm,./\\", 5}};
constexpr int kKey = 26;  // a key's side in pixels at the normal scale

QColor RateColour(const KeyStats& k) {
    if (k.expected == 0) return QColor(230, 230, 230);
    // Green for no mistypes, red from a fifth of the presses on.
    const double t = std::min(1.0, k.rate / 0.2);
    return QColor::fromHsvF(static_cast<float>((1.0 - t) / 3.0), 0.55f, 1.0f);
}

QListWidget* List(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

QGroupBox* Group(std::string_view title, QWidget* inside) {
    auto* box = new QGroupBox(FromSjis(title));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(inside);
    return box;
}

}  // namespace

TWeakForm::TWeakForm(std::filesystem::path keyRecord, std::string actName,
                     platform::Services services, QWidget* parent)
    : QDialog(parent),
      Services_(services),
      KeyRecord_(std::move(keyRecord)),
      ActName_(std::move(actName)) {
    setObjectName(QStringLiteral("TWeakForm"));
    setWindowTitle(FromSjis(msg::kWeakTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    Status_ = ReadKeyRecordFile(KeyRecord_, File_);
    CreateControls();
    LayOutControls();
    ConnectHandlers();
    ShowAnalysis();
    resize(sizeHint().expandedTo(QSize(640, 560)));
}

void TWeakForm::CreateControls() {
    lb_Status_ = new QLabel;
    lb_Status_->setObjectName(QStringLiteral("lb_Status"));
    lb_Status_->setWordWrap(true);
    rd_All_ = new QRadioButton(FromSjis(msg::kWeakAllActs));
    rd_All_->setObjectName(QStringLiteral("rd_All"));
    rd_Act_ = new QRadioButton(FromSjis(msg::kWeakThisAct) + QStringLiteral(" (") +
                               FromSjis(ActName_) + QStringLiteral(")"));
    rd_Act_->setObjectName(QStringLiteral("rd_Act"));
    rd_Act_->setEnabled(!ActName_.empty());
    rd_All_->setChecked(true);
    Keyboard_ = new QLabel;
    Keyboard_->setObjectName(QStringLiteral("Keyboard"));
    lst_Kana_ = List("lst_Kana");
    lst_Confusions_ = List("lst_Confusions");
    lst_Spellings_ = List("lst_Spellings");
    Plot_ = new QLabel;
    Plot_->setObjectName(QStringLiteral("Plot"));
    lb_Trend_ = new QLabel;
    lb_Trend_->setObjectName(QStringLiteral("lb_Trend"));
    lb_Trend_->setWordWrap(true);
    bt_Practice_ = new QPushButton(FromSjis(msg::kWeakPractice));
    bt_Practice_->setObjectName(QStringLiteral("bt_Practice"));
    bt_Practice_->setAutoDefault(false);
    bt_Close_ = new QPushButton(FromSjis(msg::kWeakClose));
    bt_Close_->setObjectName(QStringLiteral("bt_Close"));
}

void TWeakForm::LayOutControls() {
    auto* scope = new QHBoxLayout;
    scope->addWidget(rd_All_);
    scope->addWidget(rd_Act_);
    scope->addStretch();
    auto* lists = new QHBoxLayout;
    lists->addWidget(Group(msg::kWeakKana, lst_Kana_), 3);
    lists->addWidget(Group(msg::kWeakConfusions, lst_Confusions_), 2);
    lists->addWidget(Group(msg::kWeakSpellings, lst_Spellings_), 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bt_Practice_);
    buttons->addWidget(bt_Close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(scope);
    layout->addWidget(lb_Status_);
    layout->addWidget(Group(msg::kWeakKeyboard, Keyboard_));
    layout->addLayout(lists, 1);
    layout->addWidget(Group(msg::kWeakPlot, Plot_));
    layout->addWidget(lb_Trend_);
    layout->addLayout(buttons);
}

void TWeakForm::ConnectHandlers() {
    connect(rd_All_, &QRadioButton::clicked, this, [this] { rd_ScopeClick(); });
    connect(rd_Act_, &QRadioButton::clicked, this, [this] { rd_ScopeClick(); });
    connect(bt_Practice_, &QPushButton::clicked, this, [this] { bt_PracticeClick(); });
    // P makes the practice Act, as the result dialog's letters choose its buttons.
    connect(new QShortcut(QKeySequence(Qt::Key_P), this), &QShortcut::activated, this, [this] {
        if (bt_Practice_->isEnabled()) bt_PracticeClick();
    });
    connect(bt_Close_, &QPushButton::clicked, this, &QDialog::accept);
}

TWeakForm::~TWeakForm() = default;

void TWeakForm::rd_ScopeClick() {
    ShowAnalysis();
}

void TWeakForm::SetPractice(PracticeSource source) {
    Source_ = std::move(source);
    ShowAnalysis();
}

// The practice Act of the kana shown, written whole under its one name; an Act of another
// author under that name is replaced only when the user says so.
void TWeakForm::bt_PracticeClick() {
    if (!Source_ || !Source_->keys) return;
    PracticeAct act;
    {
        const BusyCursor busy;
        act = tool::MakeWeakPracticeAct(Analysis_, Source_->ktpDir, Source_->dictionary,
                                        *Source_->keys);
    }
    if (!act.ok()) {
        Services_.dialogs.Warning(act.refusal);
        return;
    }
    const std::filesystem::path path = Source_->ktpDir / PracticeActFileName();
    const std::string shown = PathToSjis(path);
    std::string old;
    if (ReadFileBytes(path, old, kActFileLimit) != ReadStatus::Missing && !IsPracticeAct(old) &&
        !Services_.dialogs.Confirm(PathMessage(shown, msg::kPracticeReplace))) {
        return;
    }
    if (!WriteFileAtomic(path, act.bytes)) {
        Services_.dialogs.Warning(CannotWriteMessage(shown));
        return;
    }
    Practice_ = path;
    accept();
}

void TWeakForm::ShowAnalysis() {
    Analysis_ = AnalyseWeakness(File_.plays, rd_Act_->isChecked() ? ActName_ : std::string());
    QString status;
    if (Status_ == ReadStatus::Unreadable) {
        status = FromSjis(PathToSjis(KeyRecord_));
    } else if (File_.unreadable > 0) {
        status = FromSjis(msg::kWeakUnreadableHead) + QString::number(File_.unreadable) +
                 FromSjis(msg::kWeakUnreadableTail);
    }
    if (Analysis_.plays == 0) {
        if (!status.isEmpty()) status += QChar(u'\n');
        status += FromSjis(msg::kWeakNoPlays);
    }
    lb_Status_->setText(status);
    lb_Status_->setVisible(!status.isEmpty());

    lst_Kana_->clear();
    for (std::size_t i = 0; i < Analysis_.ranked && i < 10; ++i) {
        lst_Kana_->addItem(FromSjis(KanaLine(Analysis_.kana[i])));
    }
    lst_Confusions_->clear();
    for (const Confusion& c : Analysis_.confusions) {
        lst_Confusions_->addItem(FromSjis(ConfusionLine(c)));
    }
    lst_Spellings_->clear();
    for (const KanaStats& k : Analysis_.kana) {
        if (k.spellings.size() > 1) lst_Spellings_->addItem(FromSjis(SpellingLine(k)));
    }
    Keyboard_->setPixmap(KeyboardPicture());
    Plot_->setPixmap(PlotPicture());
    lb_Trend_->setText(Analysis_.plays ? FromSjis(TrendLine(Analysis_)) : QString());
    bt_Practice_->setEnabled(Source_ && !Analysis_.Weakest(1).empty());
}

QPixmap TWeakForm::KeyboardPicture() const {
    const qreal dpr = devicePixelRatioF();
    const QSize size(kKey * 14, kKey * 4 + 2);
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPixelSize(9);
    for (int row = 0; row < 4; ++row) {
        const std::string_view keys = kRows[row].keys;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const char c = keys[i];
            const KeyStats& k = Analysis_.keys[static_cast<unsigned char>(c)];
            const QRectF r(kRows[row].indentQuarters * kKey / 4.0 + i * kKey + 1, row * kKey + 1,
                           kKey - 2, kKey - 2);
            p.setPen(QColor(120, 120, 120));
            p.setBrush(RateColour(k));
            p.drawRoundedRect(r, 3, 3);
            p.setPen(Qt::black);
            p.setFont(font());
            p.drawText(r.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                       QString(QChar(c)).toUpper());
            if (k.mistypes > 0) {
                p.setFont(small);
                p.drawText(r.adjusted(0, 0, -2, -1), Qt::AlignRight | Qt::AlignBottom,
                           QString::number(k.mistypes));
            }
        }
    }
    return pixmap;
}

QPixmap TWeakForm::PlotPicture() const {
    const qreal dpr = devicePixelRatioF();
    const QSize size(kKey * 14, 90);
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    const auto& plays = Analysis_.perPlay;
    if (plays.empty()) return pixmap;
    double maxRate = 0.01;
    int maxSpeed = 1;
    for (const PlayPoint& pt : plays) {
        maxRate = std::max(maxRate, pt.mistypeRate);
        maxSpeed = std::max(maxSpeed, pt.charsPerMin);
    }
    const double step = plays.size() > 1 ? (size.width() - 8.0) / (plays.size() - 1) : 0;
    const auto line = [&](const QColor& colour, auto value) {
        QPolygonF points;
        for (std::size_t i = 0; i < plays.size(); ++i) {
            points << QPointF(4 + i * step,
                              size.height() - 4 - value(plays[i]) * (size.height() - 8));
        }
        p.setPen(QPen(colour, 1.5));
        if (points.size() == 1) {
            p.drawEllipse(points[0], 2, 2);
        } else {
            p.drawPolyline(points);
        }
    };
    line(QColor(220, 40, 40), [&](const PlayPoint& pt) { return pt.mistypeRate / maxRate; });
    line(QColor(40, 60, 220),
         [&](const PlayPoint& pt) { return static_cast<double>(pt.charsPerMin) / maxSpeed; });
    return pixmap;
}

}  // namespace kotopa
