// TWeakForm, the weakness window ("苦手分析"): what the kept key records say a user should
// practise. A keyboard coloured by each key's mistype rate, the weakest kana, the commonest
// confusions, the spellings used per kana and a small plot of every play, over all Acts or
// the current one. The analysis is the core's; this window only shows it.
#pragma once

#include <QDialog>
#include <filesystem>
#include <string>

#include "keyrecordfile.h"
#include "platform.h"
#include "weakness.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kotopa {

class TWeakForm : public QDialog {
    Q_OBJECT
public:
    // Reads the key record at keyRecord; actName (Shift_JIS) is the current Act's.
    TWeakForm(std::filesystem::path keyRecord, std::string actName, platform::Services services,
              QWidget* parent = nullptr);
    ~TWeakForm() override;

    const Weakness& Analysis() const { return Analysis_; }
    const KeyRecordFile& File() const { return File_; }

    void rd_ScopeClick();  // all Acts or the current one

private:
    void ShowAnalysis();
    QPixmap KeyboardPicture() const;
    QPixmap PlotPicture() const;

    platform::Services Services_;
    std::filesystem::path KeyRecord_;
    std::string ActName_;
    KeyRecordFile File_;
    ReadStatus Status_ = ReadStatus::Missing;
    Weakness Analysis_;
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
