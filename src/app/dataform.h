// TDataForm, the result dialog: the play's summary, the message under it, and the three
// ways on (next Act, play again, back to the main window). It shows what the core computed
// and answers through ResultChoice; the keys n, r, c and Esc work like its buttons.
#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"

namespace Ui {
class TDataForm;
}

namespace kotopa {

// What the dialog shows (Shift_JIS).
struct ResultView {
    std::vector<std::string> memo;  // the summary lines, then the best lines
    std::string message;            // lb_mes
    bool nextEnabled = false;       // bt_Tugi: a next Act exists and the play was recorded
};

class TDataForm : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancel = 0, NextAct = 1, PlayAgain = 2 };

    // Sounds the information beep and fills the controls; playLog is opened by the log button.
    TDataForm(const ResultView& view, std::filesystem::path playLog, platform::Services services,
              QWidget* parent = nullptr);
    ~TDataForm() override;

    int ResultChoice() const { return ResultChoice_; }

    void bt_TugiClick();
    void bt_ReplayClick();
    void bt_CanselClick();
    void SpeedButtonOpenClick();
    // The form sees every typed character first; true when it was one of n, r, c or Esc.
    bool FormKeyPress(char key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool PreviewKey(QKeyEvent* event);

    std::unique_ptr<Ui::TDataForm> ui_;
    std::filesystem::path playLog_;
    platform::Services services_;
    int ResultChoice_ = Cancel;
};

}  // namespace kotopa
