#include "framework/application.h"
#include "framework/messagedialog.h"
#include "tests/support/modal.h"
#include "util/cautiondialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

int caution(QWidget *parent, int buttons, const fw::String &explanation = "")
{
    return Globals::gCautionDlg(parent, false, buttons, "保存しない", "キャンセル", "",
                                "本当にクリアしますか？", explanation);
}

TEST(MessageDialogTest, newDialog_showsActionButtonAlone_andReturnsIt)
{
    fw::MessageDialog dialog;
    dialog.Message = "メッセージ";
    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
    EXPECT_EQ(dialog.ShowModal(), &dialog.ActionButton);
    EXPECT_EQ(seen.captions, QStringList{"OK"});
    EXPECT_EQ(seen.text, "メッセージ");
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
}

TEST(MessageDialogTest, dismissedWithoutButton_returnsNone)
{
    fw::MessageDialog dialog;
    dialog.CancelButton.Visible = true;
    const testsupport::ModalAnswers answers({testsupport::dismissMessage()});
    EXPECT_EQ(dialog.ShowModal(), nullptr);
}

TEST(MessageDialogTest, showModalWithin_isModalToTheParent)
{
    QWidget window;
    window.show();
    fw::MessageDialog dialog;
    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
    EXPECT_EQ(dialog.ShowModalWithin(&window), &dialog.ActionButton);
    EXPECT_EQ(seen.modality, Qt::WindowModal);
    EXPECT_EQ(seen.parent, &window);
}

TEST(MessageDialogTest, parentDestroyedWhileShown_returnsNoneWithoutCrash)
{
    auto *window = new QWidget;
    window->show();
    fw::MessageDialog dialog;
    // The parent goes while the box is up, taking the box with it.
    const testsupport::ModalAnswers answers({[window](QWidget *) {
        delete window;
        return true;
    }});
    EXPECT_EQ(dialog.ShowModalWithin(window), nullptr);
}

TEST(CautionDialogTest, oneButton_showsActionAlone_withCaptionForEmpty_andGives2)
{
    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
    EXPECT_EQ(caution(nullptr, 1, "説明"), 2);
    EXPECT_EQ(seen.captions, QStringList{"OK"});
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.text, "本当にクリアしますか？");
    EXPECT_EQ(seen.informativeText, "説明");
}

TEST(CautionDialogTest, zeroOrNegativeButtons_behaveAsOne)
{
    for (int buttons : {0, -3}) {
        testsupport::MessageShown seen;
        const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
        EXPECT_EQ(caution(nullptr, buttons), 2);
        EXPECT_EQ(seen.captions, QStringList{"OK"}) << buttons;
    }
}

TEST(CautionDialogTest, twoButtons_cancelGives1_actionGives2)
{
    QWidget window;
    window.show();
    {
        testsupport::MessageShown seen;
        const testsupport::ModalAnswers answers({testsupport::press("キャンセル", &seen)});
        EXPECT_EQ(caution(&window, 2), 1);
        EXPECT_EQ(seen.captions, (QStringList{"OK", "キャンセル"}));
        EXPECT_EQ(seen.modality, Qt::WindowModal);
        EXPECT_TRUE(seen.informativeText.isEmpty());
    }
    {
        testsupport::MessageShown seen;
        const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
        EXPECT_EQ(caution(&window, 2), 2);
    }
}

TEST(CautionDialogTest, threeButtons_alternateGives0)
{
    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("保存しない", &seen)});
    EXPECT_EQ(caution(nullptr, 3), 0);
    EXPECT_EQ(seen.captions, (QStringList{"OK", "キャンセル", "保存しない"}));
}

TEST(CautionDialogTest, closedWithoutButton_countsAsCancel)
{
    // Qt counts Esc and the window's close button as a press of a lone button.
    const auto escape = [](QWidget *modal) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &key);
        return true;
    };
    const auto close = [](QWidget *modal) { return modal->close(); };
    for (const testsupport::ModalAnswers::Answer &answer :
         {testsupport::dismissMessage(), testsupport::ModalAnswers::Answer(escape),
          testsupport::ModalAnswers::Answer(close)}) {
        const testsupport::ModalAnswers answers({answer});
        EXPECT_EQ(caution(nullptr, 1), 1);
        EXPECT_TRUE(answers.unexpected().isEmpty());
    }
}

TEST(CautionDialogTest, actionCaptionGiven_isShown)
{
    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("移動", &seen)});
    EXPECT_EQ(Globals::gCautionDlg(nullptr, false, 2, "", "キャンセル", "移動",
                                   "本当にゴミ箱に移動しますか？", "移動したアイテムは元に戻せます。"),
              2);
    EXPECT_EQ(seen.captions, (QStringList{"キャンセル", "移動"}));
}

TEST(MsgBoxTest, thousandsOfLines_showWholeAndInOrderWithinTheScreen_andOKInReachAnswers)
{
    QWidget window;
    window.show();
    window.activateWindow();
    QString text = QStringLiteral("次の項目は元の場所に見つかりませんでした。");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("\n/home/user/Applications/Tessolin II %1/Tessolin II.app").arg(i);
    text += QStringLiteral("\n\n") + QStringLiteral("/a very long path").repeated(200);

    testsupport::MessageShown seen;
    const testsupport::ModalAnswers answers({testsupport::press("OK", &seen)});
    fw::MsgBox(fw::String(text));
    ASSERT_TRUE(answers.allAnswered());
    EXPECT_EQ(seen.text, text);
    EXPECT_TRUE(seen.screen.contains(seen.frame)) << seen.frame.height() << " px tall";
    EXPECT_TRUE(seen.screen.contains(seen.pressed));
}

} // namespace
