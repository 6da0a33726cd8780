// TDataForm, the result dialog: the play's summary, the message under it, and the three
// ways on (next Act, play again, back to the main window). It shows what the core computed
// and answers with a ResultChoice; the keys n, r, c and Esc work like its buttons.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform.h"
#include "results.h"

namespace Ui {
class TDataForm;
}

namespace kotopa {

class TDataForm : public QDialog {
    Q_OBJECT
public:
    // Sounds the information beep and shows the result; playLog is opened by the log button.
    TDataForm(const ResultView& result, std::filesystem::path playLog, platform::Services services,
              QWidget* parent = nullptr);
    ~TDataForm() override;

    // Cancel until a button or key chose otherwise (also when the dialog was just closed).
    ResultChoice Choice() const { return Choice_; }

    void bt_TugiClick();
    void bt_ReplayClick();
    void bt_CanselClick();
    void SpeedButtonOpenClick();
    // The weakness button opens what open shows; without it the button is disabled.
    void SetWeaknessWindow(std::function<void()> open);
    void bt_WeakClick();
    // The form sees every typed character first; true when it answered the dialog.
    bool FormKeyPress(char key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool PreviewKey(QKeyEvent* event);

    std::unique_ptr<Ui::TDataForm> Ui_;
    std::filesystem::path PlayLog_;
    platform::Services Services_;
    ResultChoice Choice_ = ResultChoice::Cancel;
    std::function<void()> OpenWeakness_;
};

}  // namespace kotopa
