#pragma once

#include <QByteArray>

namespace fw {

// Opens the item at the path with the flags, following no symbolic link on the way nor at the item
// itself: in one call where the kernel refuses links on its own, else one folder at a time. The path
// is relative to the open folder `at`, or absolute (with `at` AT_FDCWD). A descriptor, or -1 with
// errno saying why.
int OpenWithoutLinks(int at, const QByteArray &path, int flags);

} // namespace fw
