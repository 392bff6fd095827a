#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Writes the Mac layout into the home folder: Applications, Library/Preferences,
// Library/Application Support, Documents, Desktop, Downloads. False when a folder cannot be made.
bool makeMacHomeLayout(const QString &home);

// A temporary home folder in the Mac layout, set as $HOME for as long as the object lives.
class MacHome
{
public:
    MacHome();
    ~MacHome();
    MacHome(const MacHome &) = delete;
    MacHome &operator=(const MacHome &) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString applications() const { return path() + QStringLiteral("/Applications"); }
    QString preferences() const { return path() + QStringLiteral("/Library/Preferences"); }
    QString applicationSupport() const { return path() + QStringLiteral("/Library/Application Support"); }
    QString documents() const { return path() + QStringLiteral("/Documents"); }
    QString desktop() const { return path() + QStringLiteral("/Desktop"); }
    QString downloads() const { return path() + QStringLiteral("/Downloads"); }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    bool m_hadHome = false;
    QByteArray m_oldHome;
};

} // namespace testsupport
