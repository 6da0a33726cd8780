// TMainForm, the main window: the play zone, the key panel along the bottom and the option
// panel on the right, the start-up and shutdown of the program, and the handlers that turn
// the user's clicks and keys into calls on the core.
#pragma once

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "act.h"
#include "keytable.h"
#include "platform.h"
#include "wavelist.h"

class QRadioButton;

namespace Ui {
class TMainForm;
}

namespace kotopa {

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Client sizes: collapsed, with the key panel open (height), with the option panel
    // open (width).
    static constexpr int kCollapsedWidth = 500;
    static constexpr int kCollapsedHeight = 275;
    static constexpr int kKeyPanelHeight = 410;
    static constexpr int kOptionPanelWidth = 600;
    // The slides: steps, pixels per step.
    static constexpr int kKeySlideSteps = 46;
    static constexpr int kKeySlideStep = 3;
    static constexpr int kOptionSlideSteps = 26;
    static constexpr int kOptionSlideStep = 4;

    // Builds the window and runs the start-up (FormCreate): baseDir is the program's folder,
    // the one that holds key/, ktp/, save/ and system/.
    TMainForm(std::filesystem::path baseDir, platform::Services services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers, public so that tests and measurements can run them as a click would.
    void bt_startClick();
    void bt_FileOpenClick();
    void bt_HelpClick();
    void bt_ViewOpenClick();
    void bt_OptClick();
    void ed_NyuuryokuKeyPress(char& Key);
    void rd_EofClick();
    void rd_MiliClick();
    void rd_GyouClick();
    void sp_TimeChange();
    void sp_TimeExit();

    // Reads the Act at path and shows it; the caller has set ActPath to it.
    void LoadAct(const std::filesystem::path& path);
    void ShowPlayInfo();
    void PlayMissSound();

    const std::filesystem::path& BaseDir() const { return BaseDir_; }
    const std::filesystem::path& ActPath() const { return ActPath_; }
    int PanelSlide() const { return PanelSlide_; }
    int GameState() const { return GameState_; }
    const std::vector<std::string>& TotalRecords() const { return TotalRecords_; }
    const std::vector<std::string>& ActRecords() const { return ActRecords_; }
    const KeyTable& Keys() const { return KeyTable_; }
    platform::WaveList& Sounds() { return Sounds_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void SetupControls();
    void ConnectHandlers();
    void CentreOnScreen();
    void SetClientSize(int width, int height);
    void ShowKeyTable();
    void ReadSettings();
    void WriteSettings();
    void AskResume();
    void InstallMissSound();
    void SetMemo(const std::vector<std::string>& lines);
    void Refuse(const std::filesystem::path& path, ActRefusal refusal);
    // Selects or clears one radio button; selecting clears the others of its group.
    static void SetRadio(QRadioButton* button, bool selected);

    std::unique_ptr<Ui::TMainForm> ui_;
    platform::Services services_;
    platform::WaveList Sounds_;
    QTimer Timer_;

    std::filesystem::path BaseDir_;
    std::filesystem::path ActPath_;
    int PanelSlide_ = 0;
    int GameState_ = 0;
    KeyTable KeyTable_;
    ActScript Act_;
    bool HasAct_ = false;
    std::vector<std::string> TotalRecords_;
    std::vector<std::string> ActRecords_;
    int32_t PlayCount_ = 1;
    int32_t BestKeysPerMin_ = 0;
    int32_t BestCharsPerMin_ = 0;
    std::string LastActSjis_;  // FILE/LAST as read at start-up
    bool Destroyed_ = false;
};

// Shift_JIS bytes of a text written in the source.
std::string Sj(const QString& text);

}  // namespace kotopa
