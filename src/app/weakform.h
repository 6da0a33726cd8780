// TWeakForm, the weakness window ("苦手分析"): what the kept key records say a user should
// practise. A keyboard coloured by each key's mistype rate, the weakest kana, the commonest
// confusions, the spellings used per kana and a small plot of every play, over all Acts or
// the current one. The analysis is the core's; this window only shows it. Its practice
// button writes the practice Act of the weakest kana into ktp/ for the opener to load.
#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>

#include "keyrecordfile.h"
#include "platform.h"
#include "weakness.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kotopa {

class KeyTable;

// What the practice button needs: the key table the lines must be typable with, the folder
// of the Acts, and MeCab's IPA dictionary (empty where there is none).
struct PracticeSource {
    const KeyTable* keys = nullptr;
    std::filesystem::path ktpDir;
    std::filesystem::path dictionary;
};

class TWeakForm : public QDialog {
    Q_OBJECT
public:
    // Reads the key record at keyRecord; actName (Shift_JIS) is the current Act's.
    TWeakForm(std::filesystem::path keyRecord, std::string actName, platform::Services services,
              QWidget* parent = nullptr);
    ~TWeakForm() override;

    const Weakness& Analysis() const { return Analysis_; }
    const KeyRecordFile& File() const { return File_; }

    // The practice button works once it has a source; without one it stays disabled.
    void SetPractice(PracticeSource source);
    // The practice Act written by the button, once the window has closed.
    const std::optional<std::filesystem::path>& Practice() const { return Practice_; }

    void rd_ScopeClick();  // all Acts or the current one
    void bt_PracticeClick();

private:
    void CreateControls();
    void LayOutControls();
    void ConnectHandlers();
    void ShowAnalysis();
    QPixmap KeyboardPicture() const;
    QPixmap PlotPicture() const;

    platform::Services Services_;
    std::filesystem::path KeyRecord_;
    std::string ActName_;
    KeyRecordFile File_;
    ReadStatus Status_ = ReadStatus::Missing;
    Weakness Analysis_;
    std::optional<PracticeSource> Source_;
    std::optional<std::filesystem::path> Practice_;
    QLabel* lb_Status_;
    QRadioButton* rd_All_;
    QRadioButton* rd_Act_;
    QLabel* Keyboard_;
    QListWidget* lst_Kana_;
    QListWidget* lst_Confusions_;
    QListWidget* lst_Spellings_;
    QLabel* Plot_;
    QLabel* lb_Trend_;
    QPushButton* bt_Practice_;
    QPushButton* bt_Close_;
};

}  // namespace kotopa
