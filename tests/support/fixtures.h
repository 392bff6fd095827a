#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace testsupport {

// Makes the folder and its parents.
bool makeFolder(const QString &path);
// Writes the file (making its parent folders), replacing what was there.
bool writeFile(const QString &path, const QByteArray &bytes = {});

// Renames the item at the path, and its sidecar "._NAME" if it has one, to a name given as bytes,
// which need not be UTF-8 (as in archives from old Macs). The new path's bytes; empty on failure.
QByteArray renameToBytes(const QString &path, const QByteArray &name);

// Removes the folder and everything in it by the bytes of their names, which Qt's own removal loses
// when they are not UTF-8. False when something stays.
bool removeTree(const QString &path);

// 32 bytes of FinderInfo with the four-byte type and creator and the Finder flags.
QByteArray finderInfo(const QByteArray &type, const QByteArray &creator, uint16_t flags = 0);
constexpr uint16_t kInvisibleFlag = 0x4000;

// An AppleDouble sidecar as the Finder writes it on foreign volumes: the 82-byte form (FinderInfo and
// an empty resource fork), or the form whose FinderInfo entry carries an ATTR block of extended
// attributes after the 32 bytes, followed by a resource fork.
enum class SidecarForm { Minimal, WithAttributes };
QByteArray appleDoubleSidecar(const QByteArray &finderInfo, SidecarForm form = SidecarForm::Minimal);
// Writes "._NAME" beside the item at the path.
bool writeSidecar(const QString &itemPath, const QByteArray &finderInfo,
                  SidecarForm form = SidecarForm::Minimal);

// The 402-byte AppleDouble blob that a Linux AFP server keeps in its metadata attribute.
QByteArray netatalkMetadata(const QByteArray &finderInfo);
// The AfpInfo stream of an SMB server (60 bytes and the trailing byte its attribute keeps).
QByteArray afpInfo(const QByteArray &finderInfo);

// Sets the item's metadata attribute as those servers do; False when the file system refuses user
// extended attributes (see userAttributesSupported).
bool setNetatalkMetadata(const QString &path, const QByteArray &finderInfo);
bool setAfpInfo(const QString &path, const QByteArray &finderInfo);
bool setAttribute(const QString &path, const char *name, const QByteArray &value);
// True when files in the folder accept user extended attributes.
bool userAttributesSupported(const QString &folder);

// An application package "NAME" (for example "Foo.app") in the folder, written as a build tool does.
struct AppPackageOptions
{
    QByteArray pkgInfo = "APPL????";                     // Contents/PkgInfo as is; empty: no PkgInfo
    QString maker = QStringLiteral("Velloran Software"); // named in Contents/Info.plist; empty: no Info.plist
    bool executable = true;                              // Contents/MacOS/<body of NAME>
};
// The package's path, or "" when it could not be written.
QString makeAppPackage(const QString &folder, const QString &name, const AppPackageOptions &options = {});

} // namespace testsupport
