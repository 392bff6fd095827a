#pragma once

#include "framework/listbox.h"
#include "framework/progresswheel.h"
#include "framework/resources.h"
#include "framework/statictext.h"
#include "ui/toolbar1.h"
#include "ui/window1.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace testsupport {

// Cases on the program's main window: it is opened on the program's resources before each case and
// closed, with the toolbar's pictures let go, after it. A fixture that adds to this calls SetUp and
// TearDown from its own at the point where the window is to open or close.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fw::SetResourcesFolder(QStringLiteral(VELLORAN_SOURCE_DIR "/Resources"));
        window = Window1::instance();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        Window1::release();
        ReleaseToolbarPictures();
        fw::SetResourcesFolder(QString());
    }

    fw::Listbox &list() const { return window->Listbox1(); }
    Toolbar1 &toolbar() const { return window->Toolbar11(); }
    fw::StaticText &status() const { return window->StaticText1(); }
    fw::ProgressWheel &wheel() const { return window->ProgressWheel1(); }

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
};

} // namespace testsupport
