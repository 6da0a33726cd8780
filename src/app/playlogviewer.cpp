#include "playlogviewer.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <string>

#include "messages.h"
#include "results.h"
#include "sjistext.h"
#include "textfile.h"
#include "ui_playlogviewer.h"
#include "widgets.h"

namespace kotopa {

QString PlayLogText(std::string_view bytes) {
    std::string joined;
    joined.reserve(bytes.size());
    bool first = true;
    ForEachLine(bytes, [&](std::string_view line) {
        if (!first) joined += '\n';
        joined += line;
        first = false;
    });
    return FromSjis(joined);
}

PlayLogViewer::PlayLogViewer(const std::filesystem::path& log, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PlayLogViewer>()) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);  // before the fonts
    ui_->setupUi(this);
    ApplyPixelFonts(this);
    ApplyLayoutProperties(this);
    connect(ui_->bt_Close, &QPushButton::clicked, this, &QDialog::accept);

    std::string bytes;
    switch (ReadFileBytes(log, bytes, kPlayLogViewLimit)) {
        case ReadStatus::Ok:
            ui_->me_Log->setPlainText(PlayLogText(bytes));
            break;
        case ReadStatus::Missing:
            break;
        case ReadStatus::Unreadable:
            ui_->lb_File->setText(PathToQString(log) + FromSjis(msg::kLogUnreadable));
            return;
        case ReadStatus::TooLarge:
            ui_->lb_File->setText(PathToQString(log) + FromSjis(msg::kLogTooLarge));
            return;
    }
    ui_->lb_File->setText(ui_->me_Log->document()->isEmpty() ? FromSjis(msg::kLogEmpty)
                                                             : PathToQString(log));
    ui_->me_Log->setFocus();
}

PlayLogViewer::~PlayLogViewer() = default;

QString PlayLogViewer::Text() const {
    return ui_->me_Log->toPlainText();
}

QString PlayLogViewer::Note() const {
    return ui_->lb_File->text();
}

void PlayLogViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The newest block is the last: its end at the bottom of the view, the lines' starts in
    // view on the left.
    QTextCursor end = ui_->me_Log->textCursor();
    end.movePosition(QTextCursor::End);
    end.movePosition(QTextCursor::StartOfBlock);
    ui_->me_Log->setTextCursor(end);
    ui_->me_Log->verticalScrollBar()->setValue(ui_->me_Log->verticalScrollBar()->maximum());
    ui_->me_Log->horizontalScrollBar()->setValue(0);
}

}  // namespace kotopa
