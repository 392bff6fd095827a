#include "framework/messagedialog.h"
#include "util/cautiondialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// What the dialog looked like when it came up.
struct Seen
{
    QStringList captions;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString informativeText;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget *parent = nullptr;
};

// Answers the next message box that comes up: records it, then lets `act` press a button.
class Answerer
{
public:
    explicit Answerer(std::function<void(QMessageBox *)> act)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, act = std::move(act)] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            m_timer.stop();
            for (QAbstractButton *button : box->buttons())
                seen.captions << button->text();
            seen.captions.sort();
            seen.icon = box->icon();
            seen.text = box->text();
            seen.informativeText = box->informativeText();
            seen.modality = box->windowModality();
            seen.parent = box->parentWidget();
            act(box);
        });
        m_timer.start(5);
    }

    Seen seen;

private:
    QTimer m_timer;
};

std::function<void(QMessageBox *)> press(const QString &caption)
{
    return [caption](QMessageBox *box) {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == caption) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << caption.toStdString();
        box->reject();
    };
}

int caution(QWidget *parent, int buttons, const fw::String &explanation = "")
{
    return Globals::gCautionDlg(parent, false, buttons, "保存しない", "キャンセル", "",
                                "本当にクリアしますか？", explanation);
}

TEST(MessageDialogTest, newDialog_showsActionButtonAlone_andReturnsIt)
{
    fw::MessageDialog dialog;
    dialog.Message = "メッセージ";
    Answerer answer(press("OK"));
    EXPECT_EQ(dialog.ShowModal(), &dialog.ActionButton);
    EXPECT_EQ(answer.seen.captions, QStringList{"OK"});
    EXPECT_EQ(answer.seen.text, "メッセージ");
    EXPECT_EQ(answer.seen.modality, Qt::ApplicationModal);
}

TEST(MessageDialogTest, dismissedWithoutButton_returnsNone)
{
    fw::MessageDialog dialog;
    dialog.CancelButton.Visible = true;
    Answerer answer([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(dialog.ShowModal(), nullptr);
}

TEST(MessageDialogTest, showModalWithin_isModalToTheParent)
{
    QWidget window;
    window.show();
    fw::MessageDialog dialog;
    Answerer answer(press("OK"));
    EXPECT_EQ(dialog.ShowModalWithin(&window), &dialog.ActionButton);
    EXPECT_EQ(answer.seen.modality, Qt::WindowModal);
    EXPECT_EQ(answer.seen.parent, &window);
}

TEST(MessageDialogTest, parentDestroyedWhileShown_returnsNoneWithoutCrash)
{
    auto *window = new QWidget;
    window->show();
    fw::MessageDialog dialog;
    Answerer answer([window](QMessageBox *) { delete window; });
    EXPECT_EQ(dialog.ShowModalWithin(window), nullptr);
}

TEST(CautionDialogTest, oneButton_showsActionAlone_withCaptionForEmpty_andGives2)
{
    Answerer answer(press("OK"));
    EXPECT_EQ(caution(nullptr, 1, "説明"), 2);
    EXPECT_EQ(answer.seen.captions, QStringList{"OK"});
    EXPECT_EQ(answer.seen.icon, QMessageBox::Warning);
    EXPECT_EQ(answer.seen.text, "本当にクリアしますか？");
    EXPECT_EQ(answer.seen.informativeText, "説明");
}

TEST(CautionDialogTest, zeroOrNegativeButtons_behaveAsOne)
{
    for (int buttons : {0, -3}) {
        Answerer answer(press("OK"));
        EXPECT_EQ(caution(nullptr, buttons), 2);
        EXPECT_EQ(answer.seen.captions, QStringList{"OK"}) << buttons;
    }
}

TEST(CautionDialogTest, twoButtons_cancelGives1_actionGives2)
{
    QWidget window;
    window.show();
    {
        Answerer answer(press("キャンセル"));
        EXPECT_EQ(caution(&window, 2), 1);
        EXPECT_EQ(answer.seen.captions, (QStringList{"OK", "キャンセル"}));
        EXPECT_EQ(answer.seen.modality, Qt::WindowModal);
        EXPECT_TRUE(answer.seen.informativeText.isEmpty());
    }
    {
        Answerer answer(press("OK"));
        EXPECT_EQ(caution(&window, 2), 2);
    }
}

TEST(CautionDialogTest, threeButtons_alternateGives0)
{
    Answerer answer(press("保存しない"));
    EXPECT_EQ(caution(nullptr, 3), 0);
    EXPECT_EQ(answer.seen.captions, (QStringList{"OK", "キャンセル", "保存しない"}));
}

TEST(CautionDialogTest, closedWithoutButton_countsAsCancel)
{
    Answerer answer([](QMessageBox *box) { box->reject(); });
    EXPECT_EQ(caution(nullptr, 1), 1);
}

TEST(CautionDialogTest, actionCaptionGiven_isShown)
{
    Answerer answer(press("移動"));
    EXPECT_EQ(Globals::gCautionDlg(nullptr, false, 2, "", "キャンセル", "移動",
                                   "本当にゴミ箱に移動しますか？", "移動したアイテムは元に戻せます。"),
              2);
    EXPECT_EQ(answer.seen.captions, (QStringList{"キャンセル", "移動"}));
}

} // namespace
