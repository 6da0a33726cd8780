// The play log in a read-only window of the program's own, for desktops whose text editors
// would show the Shift_JIS file as mojibake: decoded, the newest block at the bottom in
// view, closed with Esc or its button. A missing log shows an empty viewer that says no
// play has been recorded yet.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <memory>
#include <string_view>

namespace Ui {
class PlayLogViewer;
}

namespace kotopa {

// What the viewer shows of a play log's bytes: its lines as the program's string lists read
// them (CR LF, LF or CR end a line, a NUL byte ends the text), decoded from Shift_JIS and
// joined with line feeds.
QString PlayLogText(std::string_view bytes);

class PlayLogViewer : public QDialog {
    Q_OBJECT
public:
    explicit PlayLogViewer(const std::filesystem::path& log, QWidget* parent = nullptr);
    ~PlayLogViewer() override;

    // The log's text, and the line above it: the file's path, or why there is no text.
    QString Text() const;
    QString Note() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::PlayLogViewer> ui_;
};

}  // namespace kotopa
