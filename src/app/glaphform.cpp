#include "glaphform.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>

#include "act.h"
#include "basedir.h"
#include "bmpfile.h"
#include "desktopfiles.h"
#include "messages.h"
#include "sjistext.h"
#include "textfile.h"
#include "ui_glaphform.h"
#include "weakform.h"
#include "widgets.h"

namespace kotopa {

namespace fs = std::filesystem;

namespace {

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// The save dialog starts in the user's pictures folder, or at home without one.
fs::path ExportFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists()) return PathFromQString(pictures);
    return PathFromQString(QDir::homePath());
}

}  // namespace

TGlaphForm::TGlaphForm(fs::path baseDir, fs::path actPath,
                       const std::vector<std::string>& totalRecords,
                       const std::vector<std::string>& actRecords, platform::Services services,
                       QWidget* parent)
    : QDialog(parent),
      Ui_(std::make_unique<Ui::TGlaphForm>()),
      Services_(services),
      BaseDir_(std::move(baseDir)),
      ActPath_(std::move(actPath)) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);  // before the fonts
    Ui_->setupUi(this);
    ApplyPixelFonts(this);
    UseClassicGroupBoxes(this);
    ApplyLayoutProperties(this);

    // A click on a box, by the mouse or the keyboard, redraws; ticks set from code do not,
    // so a group toggle draws once with all its new states.
    for (QCheckBox* box :
         {Ui_->chTotal, Ui_->chTotalMozi, Ui_->chTotalMiss, Ui_->chTotalTime, Ui_->chFile,
          Ui_->chFileMozi, Ui_->chFileMiss, Ui_->chFileTime, Ui_->CheckFileName}) {
        connect(box, &QCheckBox::clicked, this, [this] { DrawGraph(); });
    }
    connect(Ui_->CheckKakudai, &QCheckBox::clicked, this, [this] { CheckKakudaiClick(); });
    connect(Ui_->bt_ToBmp, &QPushButton::clicked, this, [this] { bt_ToBmpClick(); });
    connect(Ui_->SpeedButton, &QToolButton::clicked, this, [this] { SpeedButtonClick(); });
    connect(Ui_->bt_Weak, &QToolButton::clicked, this, [this] { bt_WeakClick(); });
    connect(Ui_->bt_Close, &QPushButton::clicked, this, [this] { bt_CloseClick(); });
    Ui_->GroupTotal->installEventFilter(this);
    Ui_->GroupFile->installEventFilter(this);
    Ui_->Image->onMouseDown = [this](int x, int y) { ImageMouseDown(x, y); };
    Ui_->Image->onMouseMove = [this](int x, int y) { ImageMouseMove(x, y); };
    Ui_->Image->onMouseUp = [this] { ImageMouseUp(); };

    FormCreate(totalRecords, actRecords);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    Ui_->bt_Close->setFocus();
}

TGlaphForm::~TGlaphForm() = default;

void TGlaphForm::FormCreate(const std::vector<std::string>& totalRecords,
                            const std::vector<std::string>& actRecords) {
    const BackgroundLookup background = FindGraphBackground(BaseDir_);
    const std::string_view problem = LoadBackground(background);
    if (!problem.empty()) {
        // The window opens without a graph; what does not need one stays usable.
        Services_.dialogs.Warning(PathMessage(PathToSjis(background.path), problem));
        Ui_->GroupTotal->setEnabled(false);
        Ui_->GroupFile->setEnabled(false);
        Ui_->bt_ToBmp->setEnabled(false);
        return;
    }
    GraphBitmap_ = QImage(kGraphWidth, kGraphHeight, QImage::Format_RGB888);
    Services_.dialogs.Beep(platform::BeepKind::Asterisk);
    Series_ = LoadSeries(totalRecords, actRecords);
    DrawGraph();
    Drag_ = PictureDrag{};
}

std::string_view TGlaphForm::LoadBackground(const BackgroundLookup& background) {
    if (!background.found) return msg::kBackgroundMissing;
    std::string bytes;
    switch (ReadFileBytes(background.path, bytes, kBackgroundFileLimit)) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::TooLarge:
            return msg::kBackgroundTooLarge;
        case ReadStatus::Missing:
        case ReadStatus::Unreadable:
            return msg::kBackgroundUnreadable;
    }
    QImage image;
    // Only a BMP will do, whatever else the file might be.
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), "BMP") ||
        image.isNull()) {
        return msg::kBackgroundUnreadable;
    }
    // Without alpha, 32 bits per pixel hold the same colours as 24 and paint faster.
    BackBitmap_ = image.convertToFormat(QImage::Format_RGB32);
    return BackBitmap_.isNull() ? msg::kBackgroundUnreadable : std::string_view();
}

GraphChecks TGlaphForm::Checks() const {
    GraphChecks c;
    c.chTotal = Ui_->chTotal->isChecked();
    c.chTotalMozi = Ui_->chTotalMozi->isChecked();
    c.chTotalMiss = Ui_->chTotalMiss->isChecked();
    c.chTotalTime = Ui_->chTotalTime->isChecked();
    c.chFile = Ui_->chFile->isChecked();
    c.chFileMozi = Ui_->chFileMozi->isChecked();
    c.chFileMiss = Ui_->chFileMiss->isChecked();
    c.chFileTime = Ui_->chFileTime->isChecked();
    c.CheckFileName = Ui_->CheckFileName->isChecked();
    return c;
}

void TGlaphForm::ShowChecks(const GraphChecks& c) {
    Ui_->chTotal->setChecked(c.chTotal);
    Ui_->chTotalMozi->setChecked(c.chTotalMozi);
    Ui_->chTotalMiss->setChecked(c.chTotalMiss);
    Ui_->chTotalTime->setChecked(c.chTotalTime);
    Ui_->chFile->setChecked(c.chFile);
    Ui_->chFileMozi->setChecked(c.chFileMozi);
    Ui_->chFileMiss->setChecked(c.chFileMiss);
    Ui_->chFileTime->setChecked(c.chFileTime);
    Ui_->CheckFileName->setChecked(c.CheckFileName);
}

void TGlaphForm::DrawGraph() {
    if (GraphBitmap_.isNull()) return;  // no background, no graph
    const GraphChecks checks = Checks();
    // Painted in 32 bits per pixel, where the painter is fastest, then kept in 24; whatever
    // a smaller background leaves uncovered is black.
    QImage canvas(GraphBitmap_.size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        p.drawImage(0, 0, BackBitmap_);
    }
    // The lines pixel by pixel as the core rasterises them: the painter's own lines miss
    // vertices and draw spurs below the baseline.
    for (const Polyline& line : GraphPolylines(Series_, checks)) {
        const QRgb colour = ToQColor(line.colour).rgb();
        for (const GraphPoint& px : PolylinePixels(line)) canvas.setPixel(px.x, px.y, colour);
    }
    const NameBox box = GraphNameBox(checks);
    if (box.shown) {
        QPainter p(&canvas);
        DrawName(p, box);
    }
    GraphBitmap_ = canvas.convertToFormat(QImage::Format_RGB888);
    Ui_->Image->SetPicture(GraphBitmap_);
}

void TGlaphForm::DrawName(QPainter& p, const NameBox& box) {
    const QString name = PathToQString(fs::path(ActName(ActPath_)));
    QFont font = this->font();
    font.setPixelSize(box.pixelHeight);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int ascent = metrics.ascent();
    // The grey copy on its solid black box, then the white name over both.
    p.fillRect(
        QRect(box.shadowAt.x, box.shadowAt.y, metrics.horizontalAdvance(name), metrics.height()),
        ToQColor(box.box));
    p.setPen(ToQColor(box.shadow));
    p.drawText(QPoint(box.shadowAt.x, box.shadowAt.y + ascent), name);
    p.setPen(ToQColor(box.text));
    p.drawText(QPoint(box.textAt.x, box.textAt.y + ascent), name);
}

bool TGlaphForm::eventFilter(QObject* watched, QEvent* event) {
    // A disabled report (no background) ignores the double-click, as its boxes ignore clicks.
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonDblClick && widget && widget->isEnabled()) {
        if (watched == Ui_->GroupTotal) {
            GroupTotalDblClick();
            return true;
        }
        if (watched == Ui_->GroupFile) {
            GroupFileDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGlaphForm::GroupTotalDblClick() {
    GraphChecks c = Checks();
    c.ToggleTotal();
    ShowChecks(c);
    DrawGraph();
}

void TGlaphForm::GroupFileDblClick() {
    GraphChecks c = Checks();
    c.ToggleFile();
    ShowChecks(c);
    DrawGraph();
}

void TGlaphForm::CheckKakudaiClick() {
    QScrollArea* box = Ui_->ScrollBox;
    if (Ui_->CheckKakudai->isChecked()) {
        Ui_->Image->resize(kGraphWidth * kGraphZoom, kGraphHeight * kGraphZoom);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Ui_->Image->setCursor(Qt::PointingHandCursor);
        return;
    }
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->horizontalScrollBar()->setValue(0);
    box->verticalScrollBar()->setValue(0);
    Ui_->Image->resize(kGraphWidth, kGraphHeight);
    Ui_->Image->move(0, 0);
    Ui_->Image->unsetCursor();
}

void TGlaphForm::ImageMouseDown(int x, int y) {
    Drag_.MouseDown(x, y);
}

void TGlaphForm::ImageMouseMove(int x, int y) {
    QScrollBar* h = Ui_->ScrollBox->horizontalScrollBar();
    QScrollBar* v = Ui_->ScrollBox->verticalScrollBar();
    const ScrollPosition at{h->value(), v->value()};
    const ScrollPosition to = Drag_.MouseMove(x, y, at, Ui_->CheckKakudai->isChecked());
    if (to == at) return;
    // The scroll bars hold each position within their range.
    v->setValue(to.v);
    h->setValue(to.h);
}

void TGlaphForm::ImageMouseUp() {
    Drag_.MouseUp();
}

void TGlaphForm::bt_ToBmpClick() {
    if (GraphBitmap_.isNull()) return;
    const QDateTime now = Services_.clock.Local();
    const LocalTime at{now.date().year(), now.date().month(),  now.date().day(),
                       now.time().hour(), now.time().minute(), now.time().second()};
    const std::optional<fs::path> chosen = Services_.dialogs.SaveFile(
        FromSjis(msg::kSaveGraphTitle), ExportFolder() / ExportFileName(at),
        FromSjis(msg::kBitmapFilter));
    if (!chosen) return;
    // The picture as last drawn, whatever the zoom shows; written whole or not at all.
    const std::string bytes =
        EncodeBmp24(GraphBitmap_.width(), GraphBitmap_.height(), GraphBitmap_.constBits(),
                    static_cast<std::size_t>(GraphBitmap_.bytesPerLine()));
    // An export cut short left its temporary file there; the program's own go now.
    RemoveStaleTemporaries(chosen->parent_path());
    if (!WriteFileAtomic(*chosen, bytes)) {
        Services_.dialogs.Warning(CannotWriteMessage(PathToSjis(*chosen)));
    }
}

void TGlaphForm::bt_WeakClick() {
    TWeakForm form(SaveFolder(BaseDir_).KeyRecord(), PathToSjis(fs::path(ActName(ActPath_))),
                   Services_, this);
    if (Source_) form.SetPractice(*Source_);
    form.exec();
    if (!form.Practice()) return;
    Practice_ = form.Practice();
    accept();
}

void TGlaphForm::SpeedButtonClick() {
    OpenPlayLog(SaveFolder(BaseDir_).PlayLog(), Services_, this);
}

void TGlaphForm::bt_CloseClick() {
    accept();
}

}  // namespace kotopa
