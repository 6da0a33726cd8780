// TMainForm, the main window: the play zone, the key panel along the bottom and the option
// panel on the right, the start-up and shutdown of the program, and the handlers that turn
// the user's clicks, keys and timer ticks into calls on the core's play session, then show
// what the session reports.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "act.h"
#include "basedir.h"
#include "keypanel.h"
#include "keytable.h"
#include "keytablemodel.h"
#include "platform.h"
#include "play.h"
#include "results.h"
#include "settings.h"
#include "wavelist.h"
#include "weakform.h"
#include "widgets.h"

class QListWidget;
class QRadioButton;

namespace Ui {
class TMainForm;
class TKeyPanel;
}  // namespace Ui

namespace kotopa {

// Milliseconds until the play can next change by itself: the next countdown step (each
// waits strictly more than 100 ms) or, while typing or waiting for Enter, the next whole
// second of the clock, when the time label, the rates and the time limit move. 0 when no
// play runs. At least 1.
uint32_t NextTickDelay(const PlaySession& session, uint32_t now);

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // The slides: steps, pixels per step, milliseconds between steps. Their end sizes come
    // from the layout.
    static constexpr int kKeySlideSteps = 46;
    static constexpr int kKeySlideStep = 3;
    static constexpr int kOptionSlideSteps = 26;
    static constexpr int kOptionSlideStep = 4;
    static constexpr int kSlideStepMs = 5;

    // Builds the window and runs the start-up (FormCreate) in folders.base, the folder that
    // holds key/, ktp/, save/ and system/; the help lies in folders.program.
    TMainForm(ProgramFolders folders, platform::Services services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Handlers, public so that tests and measurements can run them as the event would.
    void bt_startClick();
    void bt_endClick();
    void bt_FileOpenClick();
    // "Act を作る" for a text file, or for the text on the clipboard (Ctrl+Shift+V, or the
    // file button's menu); a saved Act becomes the current one, ready to play.
    void MakeFromTextFile(const std::filesystem::path& path);
    void MakeFromClipboard();
    void bt_HelpClick();
    void bt_GlaphClick();
    void bt_ViewOpenClick();
    void bt_OptClick();
    void ed_NyuuryokuKeyPress(char& Key);
    void TimerTimer();
    void rd_EofClick();
    void rd_MiliClick();
    void rd_GyouClick();
    void sp_TimeChange();
    void sp_TimeExit();
    void rd_StyleClick(InputStyle style);  // rd_Romaji, rd_Kana

    // The key panel's handlers.
    void ListViewDblClick();                     // also Enter in the list view
    void ed_kouhoKeyPress(int edit, char& Key);  // edit: 0 for ed_kouho1 to 4 for ed_kouho5
    void Button1Click();
    void bt_KeyLoadClick();
    void bt_KeySaveClick();
    // Fills the panel from the row at index row; the focus stays where it is.
    void ShowKeyRow(std::size_t row);

    // Reads the Act at path and shows it; the caller has set ActPath to it.
    void LoadAct(const std::filesystem::path& path);
    void ShowPlayInfo();
    void PlayMissSound();

    const std::filesystem::path& BaseDir() const { return BaseDir_; }
    const std::filesystem::path& ProgramDir() const { return ProgramDir_; }
    const std::filesystem::path& ActPath() const { return ActPath_; }
    int PanelSlide() const { return PanelSlide_; }
    PlayState GameState() const { return Session_.GameState(); }
    const PlaySession& Session() const { return Session_; }
    const RecordBook& Records() const { return Records_; }
    const std::vector<std::string>& TotalRecords() const { return Records_.TotalRecords(); }
    const std::vector<std::string>& ActRecords() const { return Records_.ActRecords(); }
    // The table the play judges with, read first if the start-up has not read it yet.
    const KeyTable& Keys() {
        EnsureKeyTable();
        return KeyTable_;
    }
    InputStyle Style() const { return Style_; }
    platform::WaveList& Sounds() { return Sounds_; }
    QTimer& Timer() { return Timer_; }
    // The options the next play runs with, as the option controls stand.
    PlayOptions CurrentOptions() const;

signals:
    // Once, right after the window has first been drawn.
    void FirstDrawn();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void SetupControls();
    void ConnectHandlers();
    void ConnectKeyPanel();
    void CentreOnScreen();
    void SetClientSize(int width, int height);
    // Opens or shuts the key panel; then runs when it has finished.
    void SlideKeyPanel(std::function<void()> then);
    // The key panel's controls are laid out and drawn from its first opening on; until
    // then they stay hidden below the window's edge, with all their contents.
    void ShowKeyPanelControls();
    // kind: the value of PanelSlide while it runs.
    void StartSlide(int kind, int steps, QSize grow, int moveDown, QSize end,
                    std::function<void()> then);
    void SlideStep();
    // Whether a panel is open is decided by the client size alone.
    bool KeyPanelOpen() const { return height() >= OpenSize_.height(); }
    bool OptionPanelOpen() const { return width() >= OpenSize_.width(); }
    void ApplySettings(const Settings& settings);
    Settings ControlSettings() const;
    void AskResume(const std::string& lastSjis);
    void InstallMissSound();
    void StartPlay();
    void FinishPlay();
    void SetPlayControls(bool playing);
    void ScheduleTick(uint32_t delay);
    void ShowOptionLabels(const OptionLabels& labels);
    std::optional<EndCondition> SelectedEnd() const;
    std::optional<ProblemOrder> SelectedOrder() const;
    void Warn(const std::filesystem::path& path, std::string_view message);
    // The warning for a record list that was not read: unreadable, or above its bound.
    void WarnRecords(const std::filesystem::path& list, ReadStatus read,
                     std::string_view unreadable, std::string_view tooLarge);
    void OpenMakeForm(std::string utf8, const QString& title);
    void LoadMadeAct(const std::filesystem::path& path);
    PracticeSource Practice() const;  // for the weakness window's practice button
    std::array<KouhoEdit*, kKouhoEdits> KouhoEdits() const;
    // Stores the table as key/mykey.key, with the message when that fails.
    void StoreKeyTable();

    // Rendering of the session's state.
    void ShowTexts();
    void ShowMemo(bool whole);
    void ShowLabels();
    void ShowList(QListWidget* list, const std::vector<std::string>& items) const;
    // A text of the play as the window shows it: in the kana style key tokens become the
    // kana printed on the keys.
    std::string Shown(std::string_view text) const;
    void LoadKeyTable(bool busyCursor = true);  // key/ file of the style, with its warnings
    void EnsureKeyTable();    // the start-up's LoadKeyTable, when it has not been done yet
    void LoadStyleRecords();  // the style's record lists and bests
    void ApplyStyle(InputStyle style);

    // Selects or clears one radio button; selecting clears the others of its group.
    static void SetRadio(QRadioButton* button, bool selected);

    std::unique_ptr<Ui::TMainForm> Ui_;
    std::unique_ptr<Ui::TKeyPanel> KeyUi_;  // the key panel's controls, once first opened
    platform::Services Services_;
    platform::WaveList Sounds_;
    QTimer Timer_;
    QTimer SlideTimer_;
    // The slide that SlideTimer_ steps.
    struct Slide {
        int stepsLeft = 0;
        QSize grow;        // added to the client size at every step
        int moveDown = 0;  // added to the top edge at every step
        QSize end;         // the exact size after the last step
        std::function<void()> then;
    };
    Slide Slide_;

    std::filesystem::path BaseDir_;
    std::filesystem::path ProgramDir_;
    std::filesystem::path ActPath_;
    int PanelSlide_ = 0;
    QSize OpenSize_;       // both panels open: the size of the layout
    QSize CollapsedSize_;  // both panels hidden, as at start-up
    KeyTable KeyTable_;
    InputStyle Style_ = InputStyle::Romaji;
    KeyTableModel KeyModel_{KeyTable_, nullptr};
    PlaySession Session_;
    RecordBook Records_;
    PathText PathText_;
    std::size_t MemoShown_ = 0;  // memo lines of the session already in the Memo control
    bool ApplyingSettings_ = false;
    bool Destroyed_ = false;
    bool SoundOpening_ = false;
    bool KeyTableDue_ = false;
};

}  // namespace kotopa
