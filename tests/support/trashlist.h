#pragma once

#include <QStringList>

namespace testsupport {

// The original paths of the items in the Trash, as trash-list (trash-cli) reads them with this
// process's environment (HOME, XDG_DATA_HOME). Fails the current test when trash-list cannot run.
QStringList trashListedPaths();

} // namespace testsupport
