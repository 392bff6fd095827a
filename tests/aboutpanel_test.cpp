#include "app/app.h"
#include "framework/statictext.h"
#include "tests/support/modal.h"
#include "ui/aboutpanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

struct Seen
{
    QPointer<AboutPanel> panel;
    QString title;
    QSize content;
    bool modal = false;
    QString version;
    QString name;
    bool nameFits = false;
    QString universal;
    bool universalEnabled = true;
    bool universalItalic = false;
    int universalSize = 0;
    int nameSize = 0;
    QColor nameColor;
    QRect creditsPlace;
    QString credits;
};

void clickOn(QWidget *widget, QPoint point)
{
    const QPointF global = widget->mapToGlobal(QPointF(point));
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// Shows the panel through the About command; looks at it while it is up, then clicks on it at the
// place given in its content.
Seen showAndClick(App &app, QPoint where)
{
    Seen seen;
    const testsupport::ModalAnswers answers({[&seen, where](QWidget *modal) {
        auto *panel = dynamic_cast<AboutPanel *>(modal);
        if (panel == nullptr)
            return false;
        seen.panel = panel;
        seen.title = panel->windowTitle();
        seen.content = panel->centralWidget()->size();
        seen.modal = panel->windowModality() == Qt::ApplicationModal;
        seen.version = panel->StaticText1().label()->text();
        const auto &name = panel->StaticText3();
        seen.name = name.label()->text();
        seen.nameSize = name.TextSize();
        seen.nameFits = QFontMetrics(name.label()->font()).horizontalAdvance(seen.name) <= name.Width();
        seen.nameColor = name.label()->palette().color(QPalette::Active, QPalette::WindowText);
        const auto &universal = panel->StaticText4();
        seen.universal = universal.Text().toQString();
        seen.universalEnabled = universal.widget()->isEnabled();
        seen.universalItalic = universal.label()->font().italic();
        seen.universalSize = universal.label()->font().pixelSize();
        const auto &credits = panel->StaticText2();
        seen.creditsPlace = credits.widget()->geometry();
        seen.credits = credits.Text().toQString();
        QWidget *content = panel->centralWidget();
        QWidget *target = content->childAt(where);
        clickOn(target != nullptr ? target : content,
                target != nullptr ? target->mapFrom(content, where) : where);
        return true;
    }});
    app.ShowAboutPanel();
    EXPECT_TRUE(answers.allAnswered());
    EXPECT_EQ(answers.unexpected(), QStringList());
    return seen;
}

TEST(AboutPanel, showsTheNameAndVersion_modally_andAClickDismissesIt)
{
    App app;
    const Seen seen = showAndClick(app, QPoint(5, 5));
    EXPECT_EQ(seen.title, QString::fromUtf8("名称未設定"));
    EXPECT_EQ(seen.content, QSize(420, 260));
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.version, "Ver. 1.0b1");
    EXPECT_EQ(seen.name, QString::fromUtf8("Velloran アンインストーラ"));
    EXPECT_EQ(seen.nameSize, 32);
    EXPECT_TRUE(seen.nameFits);
    EXPECT_EQ(seen.nameColor, QColor(0, 0, 255));
    EXPECT_EQ(seen.universal, "Universal Application");
    EXPECT_FALSE(seen.universalEnabled);
    EXPECT_TRUE(seen.universalItalic);
    EXPECT_EQ(seen.universalSize, 10);
    EXPECT_EQ(seen.creditsPlace, QRect(40, 142, 340, 110));
    EXPECT_TRUE(seen.credits.contains("Velloran Software"));
    // Dismissed, then closed: the command has returned and the panel is gone.
    EXPECT_TRUE(seen.panel.isNull());
}

TEST(AboutPanel, aClickOnItsText_dismissesIt_andTheNextIsAFreshPanel)
{
    App app;
    const Seen first = showAndClick(app, QPoint(210, 50));
    const Seen second = showAndClick(app, QPoint(5, 250));
    EXPECT_EQ(first.version, "Ver. 1.0b1");
    EXPECT_EQ(second.version, "Ver. 1.0b1");
    EXPECT_EQ(second.name, QString::fromUtf8("Velloran アンインストーラ"));
    EXPECT_TRUE(second.panel.isNull());
}

} // namespace
