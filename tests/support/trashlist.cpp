#include "tests/support/trashlist.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace testsupport {

QStringList trashListedPaths()
{
    QProcess process;
    process.start(QStringLiteral("trash-list"), {});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << "trash-list did not run: " << process.readAllStandardError().toStdString();
        return {};
    }
    // Each line: "YYYY-MM-DD HH:MM:SS /original/path".
    static const QRegularExpression line(QStringLiteral("^\\S+ \\S+ (/.*)$"));
    QStringList paths;
    for (const QString &text : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            paths << match.captured(1);
    }
    return paths;
}

QProcessEnvironment trashChildEnvironment(const QString &home, const char *childMarker)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QString::fromLatin1(childMarker), QStringLiteral("1"));
    // GLib leaks a little when a move to the Trash fails; the leak checker's suppression of it needs
    // the full stack, which only the slow unwinder gives through GLib's frames.
    const QString lsan = QStringLiteral("LSAN_OPTIONS");
    if (environment.contains(lsan))
        environment.insert(lsan, environment.value(lsan) + QStringLiteral(":fast_unwind_on_malloc=0"));
    return environment;
}

} // namespace testsupport
