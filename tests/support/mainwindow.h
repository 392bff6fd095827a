#pragma once

#include "catalogue/catalogue.h"
#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "framework/statictext.h"
#include "tests/support/wait.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace testsupport {

// Cases on the program's main window: it is opened on the program's resources and an empty catalogue
// before each case and closed, with the toolbar's pictures let go and the catalogue as it was, after
// it. A fixture that adds to this calls SetUp and TearDown from its own at the point where the window
// is to open or close.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
        m_savedCatalogue = std::exchange(Globals::gItem, {});
        window = Window1::instance();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        Window1::release();
        ReleaseToolbarPictures();
        fw::SetResourcesFolder(QString());
        Globals::gItem = std::move(m_savedCatalogue);
    }

    fw::Listbox &list() const { return window->Listbox1(); }
    Toolbar1 &toolbar() const { return window->Toolbar11(); }
    fw::StaticText &status() const { return window->StaticText1(); }
    fw::ProgressWheel &wheel() const { return window->ProgressWheel1(); }

    // Clicks the tool item's button in the toolbar, as the user does: only an enabled one.
    void click(fw::ToolButton *item) const
    {
        auto *button = qobject_cast<QAbstractButton *>(toolbar().toolBar()->widgetForAction(item->action()));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }

    // A worker runs while Stop can be pressed.
    bool running() const { return toolbar().ToolItem5->Enabled(); }
    // Runs the event loop until the worker has restored the toolbar.
    void waitUntilIdle() const
    {
        ASSERT_TRUE(waitUntil([this] { return !running(); }, 60000)) << "the worker did not end";
        QApplication::processEvents();
    }
    // Runs an automatic collection from the toolbar to its end.
    void collect() const
    {
        click(toolbar().ToolItem1);
        waitUntilIdle();
    }

    // Adds a ticked group row holding the registry's indexes, expanded (its ticked child rows beneath
    // it) or not; its row.
    int group(const char *label, const std::vector<int32_t> &indexes, bool expanded = true) const
    {
        fw::String indexList;
        for (int32_t index : indexes)
            indexList += fw::Str(int64_t{index}) + ":";
        list().AddFolder(label);
        const int row = list().LastIndex();
        list().setCellType(row, 0, fw::Listbox::TypeCheckBox);
        list().setCellCheck(row, 0, true);
        list().setCell(row, 5, indexList);
        if (expanded)
            list().setExpanded(row, true);
        return row;
    }

    Window1 *window = nullptr;

private:
    std::vector<fw::Dictionary> m_savedCatalogue;
};

} // namespace testsupport
