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

} // namespace testsupport
