// A program folder in a temporary place with a key file and Acts of our own, the platform
// fakes, and the main window built over them, for the window tests.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fake_services.h"
#include "mainform.h"
#include "printers.h"
#include "test_util.h"

namespace apptest {

using kotopa::PlayState;
using testutil::ReadBytes;
using testutil::Sj;
using testutil::U8;
using testutil::WriteBytes;
namespace fs = std::filesystem;

// An Act as its UTF-8 lines: five header lines, then written form and reading in turn.
inline std::string ActText(const std::vector<std::pair<std::string, std::string>>& pairs,
                           const std::string& title = "Act") {
    std::string text = title + " 1\r\n" + title + " 2\r\n" + title + " 3\r\n" + title +
                       " 漢字\r\n" + title + " よみ\r\n";
    for (const auto& [kanji, yomi] : pairs) text += kanji + "\r\n" + yomi + "\r\n";
    return Sj(text);
}

// Six short lines typed with the rows of KeyFile().
inline std::vector<std::pair<std::string, std::string>> SixLines() {
    return {{"愛", "あい"},     {"上", "うえ"}, {"家", "いえ"},
            {"青い", "あおい"}, {"甥", "おい"}, {"言う", "いう"}};
}

// A key file with the five vowels and the line's signs.
inline std::string KeyFile() {
    return Sj(
        "[MOZI]\r\nKAZU=6\r\n0=\"あ a\"\r\n1=\"い i yi\"\r\n2=\"う u wu whu\"\r\n3=\"え e\"\r\n"
        "4=\"お o\"\r\n5=\"○ ○\"\r\n");
}

// The control of that name under root, or an exception naming it.
template <typename W = QWidget>
W* Child(const QObject& root, const char* name) {
    W* w = root.findChild<W*>(QString::fromLatin1(name));
    if (!w) throw std::runtime_error(std::string("no control ") + name);
    return w;
}

class Rig : public FakeServices {
public:
    testutil::TempDir dir;
    fs::path base;
    std::unique_ptr<kotopa::TMainForm> form;

    // A program folder with key/mykey.key and ktp/Act01.ktp (six lines).
    // name: the program folder's name (UTF-8), "kotopa" unless a test needs another.
    explicit Rig(const std::string& name = "kotopa") : base(dir / name) {
        fs::create_directories(base / "key");
        fs::create_directories(base / "ktp");
        WriteBytes(base / "key" / "mykey.key", KeyFile());
        WriteAct("Act01.ktp", SixLines());
    }
    ~Rig() { form.reset(); }

    void WriteAct(const std::string& name,
                  const std::vector<std::pair<std::string, std::string>>& pairs) {
        WriteBytes(base / "ktp" / name, ActText(pairs, name.substr(0, name.find('.'))));
    }
    void WriteSettings(const std::string& utf8Ini) {
        fs::create_directories(base / "save");
        WriteBytes(base / "save" / "kotopa.ini", Sj(utf8Ini));
    }
    std::string Settings() const { return ReadBytes(base / "save" / "kotopa.ini"); }

    kotopa::TMainForm& Start() {
        form = std::make_unique<kotopa::TMainForm>(base, services());
        return *form;
    }
    kotopa::TMainForm& StartShown() {
        Start();
        form->show();
        QApplication::processEvents();
        return *form;
    }

    // Clicks a slide button (bt_ViewOpen, bt_Opt) and waits until the slide has ended.
    void Slide(const char* button) {
        Get<QAbstractButton>(button)->click();
        WaitForSlide();
    }
    void WaitForSlide() {
        if (!QTest::qWaitFor([this] { return form->PanelSlide() == 0; }, 5000)) {
            throw std::runtime_error("a slide did not end");
        }
    }

    template <typename W = QWidget>
    W* Get(const char* name) const {
        return Child<W>(*form, name);
    }
    std::string Text(const char* label) const { return Get<QLabel>(label)->text().toStdString(); }
};

}  // namespace apptest
