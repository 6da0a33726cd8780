// The result dialog: its layout, what it shows, and the keys and buttons that answer it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "dataform.h"
#include "fake_services.h"
#include "printers.h"
#include "test_util.h"

using kotopa::ResultChoice;
using kotopa::ResultView;
using kotopa::TDataForm;
using testutil::Sj;

namespace {

struct DialogRig : apptest::FakeServices {
    std::unique_ptr<TDataForm> form;

    TDataForm& Open(bool nextEnabled) {
        ResultView result;
        result.memo = {Sj("■Act         Act01"), Sj("■経過時間    01:05")};
        result.lb_mes =
            nextEnabled ? Sj("次のAct [ Act02 ] に進めます。") : Sj("途中で終了しました。");
        result.bt_TugiEnabled = nextEnabled;
        form = std::make_unique<TDataForm>(result, "/k/save/playlog.log", services());
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) ADD_FAILURE() << "dialog not active";
        return *form;
    }
    QWidget* Focused() { return form->findChild<QPlainTextEdit*>("Memo"); }
};

}  // namespace

TEST(DataForm, ShowsTheResultInItsLayout) {
    DialogRig rig;
    TDataForm& form = rig.Open(true);
    EXPECT_EQ(form.size(), QSize(320, 200));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.windowTitle().toStdString(), "入力が終了しました");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    auto* memo = form.findChild<QPlainTextEdit*>("Memo");
    EXPECT_EQ(memo->toPlainText().toStdString(), "■Act         Act01\n■経過時間    01:05");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->font().pixelSize(), 12);
    EXPECT_EQ(form.findChild<QLabel*>("lb_mes")->text().toStdString(),
              "次のAct [ Act02 ] に進めます。");
    EXPECT_EQ(form.findChild<QPushButton*>("bt_Tugi")->text().toStdString(), "次の Act へ(&N)");
    // The information beep as the dialog opens.
    ASSERT_EQ(rig.dialogs.asked.size(), 1u);
    EXPECT_EQ(rig.dialogs.asked[0].beep, kotopa::platform::BeepKind::Asterisk);
}

TEST(DataForm, LowerCaseKeysAndEscAnswerLikeTheButtons) {
    struct Case {
        char key;  // 27 for Esc
        bool nextEnabled;
        bool closes;
        ResultChoice choice;
    };
    const Case cases[] = {
        {'n', true, true, ResultChoice::NextAct},
        {'n', false, false, ResultChoice::Cancel},  // next is disabled
        {'N', true, false, ResultChoice::Cancel},   // upper case is not tested
        {'r', false, true, ResultChoice::Replay},
        {'c', true, true, ResultChoice::Cancel},
        {27, true, true, ResultChoice::Cancel},
        {'x', true, false, ResultChoice::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        DialogRig rig;
        TDataForm& form = rig.Open(c.nextEnabled);
        if (c.key == 27) {
            QTest::keyClick(rig.Focused(), Qt::Key_Escape);
        } else {
            QTest::keyClick(rig.Focused(), c.key);
        }
        EXPECT_EQ(form.isVisible(), !c.closes);
        EXPECT_EQ(form.Choice(), c.choice);
        if (c.closes) {
            EXPECT_EQ(form.result(), QDialog::Accepted);
        }
    }
}

// The dialog opens inside the Enter that ends the last line, so a doubled or held Enter
// reaches it at once: it must not answer, wherever the focus is.
TEST(DataForm, EnterDoesNothingWhereverTheFocusIs) {
    for (const char* focus : {"Memo", "bt_Tugi", "bt_Replay", "bt_Cansel"}) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            SCOPED_TRACE(std::string(focus) + (key == Qt::Key_Return ? " Return" : " Enter"));
            DialogRig rig;
            TDataForm& form = rig.Open(true);
            QWidget* target = form.findChild<QWidget*>(focus);
            target->setFocus();
            QTest::keyClick(target, key);
            QTest::keyClick(&form, key);
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(form.Choice(), ResultChoice::Cancel);
            EXPECT_EQ(form.result(), 0);
            QTest::keyClick(target, 'r');  // the dialog still answers its keys
            EXPECT_EQ(form.Choice(), ResultChoice::Replay);
        }
    }
}

TEST(DataForm, ButtonsAnswerAndThePlayLogOpensThroughTheDesktop) {
    DialogRig rig;
    TDataForm& form = rig.Open(false);
    rig.shell.windows = true;  // the viewer of the other desktops: desktop_test.cpp
    const std::size_t asked = rig.dialogs.Messages().size();
    form.findChild<QToolButton*>("SpeedButtonOpen")->click();
    // That log does not exist: the button's log is named in the message that says so.
    ASSERT_EQ(rig.dialogs.Messages().size(), asked + 1);
    EXPECT_EQ(rig.dialogs.Messages().back().text.rfind(
                  kotopa::PathToSjis(std::filesystem::path("/k/save/playlog.log")), 0),
              0u);
    EXPECT_TRUE(rig.shell.opened.empty());
    EXPECT_TRUE(form.isVisible());
    form.findChild<QPushButton*>("bt_Replay")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Choice(), ResultChoice::Replay);

    DialogRig closed;
    TDataForm& other = closed.Open(true);
    other.reject();  // the title bar's close box
    EXPECT_EQ(other.Choice(), ResultChoice::Cancel);
}
