// "Act を作る": an Act made of a text with MeCab on a worker thread, shown as a table of its
// lines (written form beside reading) whose readings can be edited and are checked again at
// once, then written as ktp/<title>.ktp.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "actmake.h"
#include "keytable.h"
#include "platform.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;
class QVBoxLayout;

namespace kotopa {

// The made lines: line of the text, written form, reading (editable), and why the line
// needs a look.
class MadeLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MadeLinesModel(const KeyTable& keys, QObject* parent = nullptr)
        : QAbstractTableModel(parent), keys_(keys) {}

    // The pairs and the findings of making them; each pair shows the findings of its line.
    void Reset(std::vector<tool::MadePair> pairs, const std::vector<tool::Finding>& findings);
    const std::vector<tool::MadePair>& Pairs() const { return pairs_; }
    // Rows (from 0) whose reading cannot go into the Act as it stands.
    std::vector<int> RowsWithProblems() const;
    // How many times a row was checked since the last Reset (one per edit).
    int Checks() const { return checks_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    const KeyTable& keys_;
    std::vector<tool::MadePair> pairs_;
    std::vector<std::string> notes_;                  // the findings of each row's line (UTF-8)
    std::vector<std::vector<std::string>> problems_;  // why each row cannot go in (UTF-8)
    int checks_ = 0;
};

class TMakeForm : public QDialog {
    Q_OBJECT
public:
    // text is UTF-8; title proposes the Act's name; the Act goes to ktpDir and is checked
    // against keys. Making starts when the window is shown.
    TMakeForm(std::string text, const QString& title, const KeyTable& keys,
              std::filesystem::path ktpDir, platform::Services services, QWidget* parent = nullptr);
    ~TMakeForm() override;

    // The Act written by "保存して練習", once the window has closed.
    const std::optional<std::filesystem::path>& Saved() const { return Saved_; }
    bool Making() const { return Worker_.joinable() && !Done_; }

    void bt_SaveClick();
    void bt_CancelClick();

    QTableView* Table() const { return Table_; }
    MadeLinesModel& Model() { return Model_; }
    QLineEdit* TitleEdit() const { return Title_; }
    QProgressBar* Progress() const { return Progress_; }
    QPushButton* SaveButton() const { return Save_; }
    QPushButton* CancelButton() const { return Cancel_; }
    QLabel* Status() const { return Status_; }
    QListWidget* Findings() const { return FindingList_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The title and the save button, the progress; the made lines and the findings.
    void AddTopRows(QVBoxLayout* layout, const QString& title);
    void AddLists(QVBoxLayout* layout);
    void Start();
    void Finished(tool::MadeAct made, std::string error);
    void StopWorker();

    std::string Text_;
    KeyTable Keys_;  // a copy: the worker reads it while the main window goes on
    std::filesystem::path KtpDir_;
    platform::Services Services_;
    MadeLinesModel Model_;
    std::optional<std::filesystem::path> Saved_;
    std::thread Worker_;
    std::atomic<bool> Stop_{false};
    bool Done_ = false;
    bool Started_ = false;

    QLineEdit* Title_;
    QTableView* Table_;
    QProgressBar* Progress_;
    QPushButton* Save_;
    QPushButton* Cancel_;
    QLabel* Status_;
    QListWidget* FindingList_;
};

}  // namespace kotopa
