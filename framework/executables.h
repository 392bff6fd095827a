#pragma once

#include <QByteArray>

namespace fw {

// What an item is to the question "does this system run it?", asked of the item itself: a link is
// neither followed nor read.
enum class Executable : char {
    No,         // missing, a folder, a device, or a file that is not a program
    Link,       // a symbolic link
    Program,    // a regular file with an execute bit whose first bytes are an ELF header or "#!"
    Unreadable, // a regular file with an execute bit that could not be read: it may be a program
};

// At most the first four bytes are read, and only of a regular file with an execute bit.
Executable ExecutableAt(const QByteArray &path);

} // namespace fw
