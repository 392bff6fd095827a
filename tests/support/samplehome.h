#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// The sample home: the maker's six products installed as a user leaves them (applications,
// preferences folders with their records, plist files, Application Support folders, documents)
// beside unrelated items that must be left alone. Ombrisk's record names a documents folder that
// has since been renamed (kSampleGoneDocuments), so a collection asks the user to choose it again.
//
// Writes it, in the Mac layout, into `home` (a new or empty folder). False when something could not
// be written; each failure is reported on stderr.
bool writeSampleHome(const QString &home);

// Where Ombrisk's record says its documents are, relative to the home folder: no longer there.
inline constexpr const char *kSampleGoneDocuments = "Documents/Ombrisk maps";

// The colon path of an absolute POSIX path on the startup volume ("Startup:tmp:home:Documents"),
// in the system script, with a trailing ":" for a folder.
QByteArray colonPathOf(const QString &posixPath, bool folder);

// A version 2 alias record of the folder at the absolute POSIX path on the startup volume, as the
// products store it; the folder need not exist.
QByteArray folderAliasOf(const QString &posixPath);

} // namespace testsupport
