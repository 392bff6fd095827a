#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace testsupport {

// Stands in for the desktop while it lives: receives the files that the program asks it to open.
class Launches : public QObject
{
    Q_OBJECT
public:
    Launches();
    ~Launches() override;

    QStringList opened;

public slots:
    void open(const QUrl &url) { opened << url.toLocalFile(); }
};

} // namespace testsupport
