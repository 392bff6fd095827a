#pragma once

#include "framework/dictionary.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace testsupport {

// A catalogue row as the catalogue file gives it: every value a text, the applications (name,
// type-and-creator code) and document types counted and numbered from 1.
inline fw::Dictionary productRow(const QString &label, const QList<std::pair<QString, QString>> &applications,
                                 const QString &prefName, const QString &plistNam, const QString &apSpName,
                                 const QStringList &documentTypes = {})
{
    fw::Dictionary row;
    row.Value("appLabel", fw::String(label));
    row.Value("appCount", fw::String(QString::number(applications.size())));
    for (qsizetype i = 0; i < applications.size(); ++i) {
        row.Value(fw::String(QStringLiteral("appName%1").arg(i + 1)), fw::String(applications[i].first));
        row.Value(fw::String(QStringLiteral("appType%1").arg(i + 1)), fw::String(applications[i].second));
    }
    row.Value("docCount", fw::String(QString::number(documentTypes.size())));
    for (qsizetype i = 0; i < documentTypes.size(); ++i)
        row.Value(fw::String(QStringLiteral("docType%1").arg(i + 1)), fw::String(documentTypes[i]));
    row.Value("prefName", fw::String(prefName));
    row.Value("plistNam", fw::String(plistNam));
    row.Value("apSpName", fw::String(apSpName));
    return row;
}

} // namespace testsupport
