#pragma once

#include <QProcessEnvironment>
#include <QStringList>

namespace testsupport {

// The original paths of the items in the Trash, as trash-list (trash-cli) reads them with this
// process's environment (HOME, XDG_DATA_HOME). Fails the current test when trash-list cannot run.
QStringList trashListedPaths();

// The environment of a child test process whose Trash lies in a home of its own (GLib reads HOME and
// XDG_DATA_HOME once per process): no session bus, no display, and the marker that lets the child's
// tests run.
QProcessEnvironment trashChildEnvironment(const QString &home, const char *childMarker);

} // namespace testsupport
