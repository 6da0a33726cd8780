// TGlaphForm, the graph window: the recorded plays of all Acts and of the current Act as
// line charts over the background picture, with the series' check boxes, a double-size
// zoom that the mouse drags around, the export of the picture as a BMP file and a button
// for the play log. The main window builds one afresh for every showing, so it always
// shows the lists as they are, the play just recorded included.
#pragma once

#include <QDialog>
#include <QImage>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph.h"
#include "platform.h"
#include "weakform.h"

class QPainter;

namespace Ui {
class TGlaphForm;
}

namespace kotopa {

class TGlaphForm : public QDialog {
    Q_OBJECT
public:
    // Runs FormCreate: the background from baseDir's system folder, the series from the two
    // record lists, the first drawing. actPath gives the Act's name in the corner.
    TGlaphForm(std::filesystem::path baseDir, std::filesystem::path actPath,
               const std::vector<std::string>& totalRecords,
               const std::vector<std::string>& actRecords, platform::Services services,
               QWidget* parent = nullptr);
    ~TGlaphForm() override;

    // Passed on to the weakness window; the practice Act it wrote closes this window and is
    // here for the opener to load.
    void SetPractice(PracticeSource source) { Source_ = std::move(source); }
    const std::optional<std::filesystem::path>& Practice() const { return Practice_; }

    // Handlers, public so that tests can run them as the events would.
    void DrawGraph();
    void GroupTotalDblClick();
    void GroupFileDblClick();
    void CheckKakudaiClick();
    void ImageMouseDown(int x, int y);
    void ImageMouseMove(int x, int y);
    void ImageMouseUp();
    void bt_ToBmpClick();
    void SpeedButtonClick();
    void bt_WeakClick();  // the weakness window
    void bt_CloseClick();

    // The picture as last drawn: 310 × 190, 24 bits per pixel; empty without a background.
    const QImage& GraphBitmap() const { return GraphBitmap_; }
    const GraphSeries& Series() const { return Series_; }
    const PictureDrag& Drag() const { return Drag_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const std::vector<std::string>& totalRecords,
                    const std::vector<std::string>& actRecords);
    // Empty when the background is loaded, else why it is not (its warning's text).
    std::string_view LoadBackground(const BackgroundLookup& background);
    GraphChecks Checks() const;
    void ShowChecks(const GraphChecks& checks);
    void DrawName(QPainter& painter, const NameBox& box);

    std::unique_ptr<Ui::TGlaphForm> Ui_;
    platform::Services Services_;
    std::optional<PracticeSource> Source_;
    std::optional<std::filesystem::path> Practice_;
    std::filesystem::path BaseDir_;
    std::filesystem::path ActPath_;
    QImage BackBitmap_;
    QImage GraphBitmap_;
    GraphSeries Series_;
    PictureDrag Drag_;
};

}  // namespace kotopa
