#include "makeform.h"

#include <QBrush>
#include <QCloseEvent>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

#include "messages.h"
#include "morph.h"
#include "sjistext.h"
#include "textfile.h"

namespace kotopa {

namespace {

enum Column { kLine, kWritten, kReading, kFinding, kColumns };

QString Joined(const std::vector<std::string>& parts) {
    QStringList list;
    for (const std::string& p : parts) list << QString::fromStdString(p);
    return list.join(QStringLiteral("　"));
}

// The findings of making, as the window says them.
std::vector<std::string> Said(const std::vector<tool::Finding>& findings) {
    std::vector<std::string> texts;
    texts.reserve(findings.size());
    for (const tool::Finding& f : findings) texts.push_back(f.Text(tool::Language::Japanese));
    return texts;
}

// A title that is a file name on every system: not empty, none of \ / : * ? " < > | or
// control characters, not ending in a dot or a blank.
bool UsableTitle(const QString& title) {
    if (title.trimmed().isEmpty() || title == "." || title == "..") return false;
    if (title.endsWith('.') || title.endsWith(' ')) return false;
    for (const QChar c : title) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) return false;
    }
    return EncodeSjis(title).ok();
}

}  // namespace

// ---- the lines --------------------------------------------------------------------------

void MadeLinesModel::Reset(std::vector<tool::MadePair> pairs,
                           const std::vector<tool::Finding>& findings) {
    beginResetModel();
    pairs_ = std::move(pairs);
    std::map<int, std::vector<std::string>> byLine;
    for (const tool::Finding& f : findings)
        byLine[f.line].push_back(f.Text(tool::Language::Japanese));
    notes_.assign(pairs_.size(), {});
    problems_.assign(pairs_.size(), {});
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
        const auto found = byLine.find(pairs_[i].line);
        if (found == byLine.end()) continue;
        std::string note;
        for (const std::string& m : found->second) note += (note.empty() ? "" : "　") + m;
        notes_[i] = note;
    }
    checks_ = 0;
    endResetModel();
}

std::vector<int> MadeLinesModel::RowsWithProblems() const {
    std::vector<int> rows;
    for (std::size_t i = 0; i < problems_.size(); ++i) {
        if (!problems_[i].empty()) rows.push_back(static_cast<int>(i));
    }
    return rows;
}

int MadeLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pairs_.size());
}

int MadeLinesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant MadeLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const tool::MadePair& p = pairs_[row];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
            case kLine:
                return p.line;
            case kWritten:
                return FromSjis(p.written);
            case kReading:
                return FromSjis(p.reading);
            case kFinding: {
                std::vector<std::string> all = problems_[row];
                if (!notes_[row].empty()) all.push_back(notes_[row]);
                return Joined(all);
            }
        }
    }
    if (role == Qt::BackgroundRole) {
        if (!problems_[row].empty()) return QBrush(QColor(255, 200, 200));
        if (!notes_[row].empty()) return QBrush(QColor(255, 245, 190));
    }
    if (role == Qt::ToolTipRole && index.column() == kFinding) return data(index, Qt::DisplayRole);
    return {};
}

QVariant MadeLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kLine:
            return FromSjis(msg::kMakeLineHead);
        case kWritten:
            return FromSjis(msg::kMakeWrittenHead);
        case kReading:
            return FromSjis(msg::kMakeReadingHead);
        case kFinding:
            return FromSjis(msg::kMakeFindingHead);
    }
    return {};
}

Qt::ItemFlags MadeLinesModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == kReading) f |= Qt::ItemIsEditable;
    return f;
}

// An edited reading is checked at once, on its own line only.
bool MadeLinesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != kReading || index.row() >= rowCount())
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    const SjisEncoding e = EncodeSjis(value.toString().trimmed());
    ++checks_;
    if (!e.ok()) {
        problems_[row] = {SjisToUtf8(msg::kMakeNotSjis)};
    } else {
        pairs_[row].reading = e.bytes;
        problems_[row] = Said(tool::CheckMadePair(pairs_[row], keys_));
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), kColumns - 1));
    return true;
}

// ---- the window -------------------------------------------------------------------------

TMakeForm::TMakeForm(std::string text, const QString& title, const KeyTable& keys,
                     std::filesystem::path ktpDir, platform::Services services, QWidget* parent)
    : QDialog(parent),
      Text_(std::move(text)),
      Keys_(keys),
      KtpDir_(std::move(ktpDir)),
      Services_(services),
      Model_(Keys_) {
    setObjectName("TMakeForm");
    // The main window's face, as its controls have it: in the toolkit's default face (Wine's
    // dialog face) the title box of a Windows build stays blank.
    setAttribute(Qt::WA_WindowPropagation);
    setWindowTitle(FromSjis(msg::kMakeCaption));
    setModal(true);
    resize(760, 520);

    auto* layout = new QVBoxLayout(this);
    AddTopRows(layout, title);
    AddLists(layout);
    connect(Save_, &QPushButton::clicked, this, [this] { bt_SaveClick(); });
    connect(Cancel_, &QPushButton::clicked, this, [this] { bt_CancelClick(); });
}

void TMakeForm::AddTopRows(QVBoxLayout* layout, const QString& title) {
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(FromSjis(msg::kMakeTitleLabel), this));
    Title_ = new QLineEdit(title, this);
    Title_->setObjectName("ed_Title");
    top->addWidget(Title_, 1);
    Save_ = new QPushButton(FromSjis(msg::kMakeSave), this);
    Save_->setObjectName("bt_Save");
    Save_->setEnabled(false);
    top->addWidget(Save_);
    layout->addLayout(top);

    auto* progress = new QHBoxLayout;
    Status_ = new QLabel(FromSjis(msg::kMakeWorking), this);
    Status_->setObjectName("lb_Status");
    Status_->setWordWrap(true);
    progress->addWidget(Status_, 1);
    Progress_ = new QProgressBar(this);
    Progress_->setObjectName("pb_Progress");
    Progress_->setRange(0, 100);
    Progress_->setVisible(false);
    progress->addWidget(Progress_, 1);
    Cancel_ = new QPushButton(FromSjis(msg::kMakeCancel), this);
    Cancel_->setObjectName("bt_Cancel");
    Cancel_->setVisible(false);
    progress->addWidget(Cancel_);
    layout->addLayout(progress);
}

void TMakeForm::AddLists(QVBoxLayout* layout) {
    Table_ = new QTableView(this);
    Table_->setObjectName("tv_Lines");
    Table_->setModel(&Model_);
    // Rows of one height and columns of set widths: a table of many thousand lines is shown
    // without measuring every line.
    Table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Table_->verticalHeader()->setVisible(false);
    Table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Table_->horizontalHeader()->setStretchLastSection(true);
    Table_->setColumnWidth(kLine, 40);
    Table_->setColumnWidth(kWritten, 250);
    Table_->setColumnWidth(kReading, 250);
    Table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    layout->addWidget(Table_, 3);

    layout->addWidget(new QLabel(FromSjis(msg::kMakeFindingsLabel), this));
    FindingList_ = new QListWidget(this);
    FindingList_->setObjectName("lw_Findings");
    layout->addWidget(FindingList_, 1);
}

TMakeForm::~TMakeForm() {
    StopWorker();
}

void TMakeForm::StopWorker() {
    Stop_ = true;
    if (Worker_.joinable()) Worker_.join();
}

void TMakeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Started_) {
        Started_ = true;
        Start();
    }
}

void TMakeForm::closeEvent(QCloseEvent* event) {
    StopWorker();
    QDialog::closeEvent(event);
}

// MeCab is opened and the text made on a worker thread; the window hears of its progress
// and of the result through queued calls, so it never waits for it.
void TMakeForm::Start() {
    if (tool::DefaultDictionary().empty()) {
        Finished({}, SjisToUtf8(msg::kMakeNotAvailable));
        return;
    }
    // A short text is made before the bar would be worth showing.
    QTimer::singleShot(300, this, [this] {
        if (Done_) return;
        Progress_->setVisible(true);
        Cancel_->setVisible(true);
    });
    // The lines are made under no title: the one in the box is the user's to change, and is
    // checked when the Act is saved (a file's name may hold what Shift_JIS lacks).
    const tool::MakeOptions options;
    Worker_ = std::thread([this, options] {
        std::string error;
        std::unique_ptr<tool::Analyzer> mecab = tool::OpenMecab(tool::DefaultDictionary(), error);
        tool::MadeAct made;
        if (mecab) {
            int shown = -1;
            made = tool::MakeAct(
                Text_, *mecab, Keys_, options, [this, &shown](std::size_t done, std::size_t total) {
                    const int percent = total ? static_cast<int>(done * 100 / total) : 100;
                    if (percent != shown) {
                        shown = percent;
                        QMetaObject::invokeMethod(
                            this, [this, percent] { Progress_->setValue(percent); },
                            Qt::QueuedConnection);
                    }
                    return !Stop_.load();
                });
        } else {
            error = SjisToUtf8(msg::kMakeNoDictionary) + " (" + error + ")";
        }
        QMetaObject::invokeMethod(
            this,
            [this, made = std::move(made), error = std::move(error)]() mutable {
                Finished(std::move(made), std::move(error));
            },
            Qt::QueuedConnection);
    });
}

void TMakeForm::Finished(tool::MadeAct made, std::string error) {
    Done_ = true;
    if (Worker_.joinable()) Worker_.join();
    Progress_->setVisible(false);
    Cancel_->setVisible(false);
    if (!error.empty()) {
        Status_->setText(QString::fromStdString(error));
        return;
    }
    if (made.refusal == "cancelled") {
        Status_->setText(FromSjis(msg::kMakeCancelled));
        return;
    }
    FindingList_->setUpdatesEnabled(false);
    for (const tool::Finding& f : made.findings) {
        FindingList_->addItem(FromSjis(msg::kMakeLineHead) + QString(" %1").arg(f.line) +
                              (f.column > 0 ? QString(":%1").arg(f.column) : QString()) + "  " +
                              QString::fromStdString(f.Text(tool::Language::Japanese)));
    }
    FindingList_->setUpdatesEnabled(true);
    Status_->setText(made.ok()
                         ? QString("%1 %2").arg(made.pairs.size()).arg(FromSjis(msg::kMakeLineHead))
                         : QString::fromStdString(made.Refusal(tool::Language::Japanese)));
    Model_.Reset(std::move(made.pairs), made.findings);
    // A refused Act (too few lines) is shown for review; no edit of a reading makes it one.
    Save_->setEnabled(made.ok() && Model_.rowCount() > 0);
}

void TMakeForm::bt_CancelClick() {
    Stop_ = true;
}

// Written whole as ktp/<title>.ktp, after asking before a file of that name is replaced.
void TMakeForm::bt_SaveClick() {
    const QString title = Title_->text().trimmed();
    if (!UsableTitle(title)) {
        Services_.dialogs.Warning(msg::kMakeBadTitle);
        return;
    }
    const std::vector<int> bad = Model_.RowsWithProblems();
    if (!bad.empty()) {
        Services_.dialogs.Warning(
            std::string(msg::kMakeRowsWithProblems) +
            std::to_string(Model_.Pairs()[static_cast<std::size_t>(bad[0])].line));
        return;
    }
    tool::MakeOptions options;
    options.title = title.toStdString();
    std::string why;
    const std::string bytes = tool::WriteMadeAct(Model_.Pairs(), options, Keys_, why);
    if (bytes.empty()) {
        Services_.dialogs.Warning(std::string(msg::kMakeRefused) +
                                  ToSjisLossy(QString::fromStdString(why)));
        return;
    }
    const std::filesystem::path path = KtpDir_ / PathFromQString(title + ".ktp");
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        !Services_.dialogs.Confirm(PathToSjis(path) + std::string(msg::kLfCr) +
                                   std::string(msg::kMakeReplace)))
        return;
    std::filesystem::create_directories(KtpDir_, ec);
    if (!WriteFileAtomic(path, bytes)) {
        Services_.dialogs.Warning(PathToSjis(path) + std::string(msg::kCannotWrite));
        return;
    }
    Saved_ = path;
    accept();
}

}  // namespace kotopa
