#include "tests/support/machome.h"

#include "tests/support/fixtures.h"

#include <QDir>

#include <algorithm>

namespace testsupport {

bool makeMacHomeLayout(const QString &home)
{
    const QDir dir(home);
    const std::initializer_list<const char *> folders = {
        "Applications", "Library/Preferences", "Library/Application Support", "Documents", "Desktop",
        "Downloads"};
    return std::all_of(folders.begin(), folders.end(),
                       [&dir](const char *folder) { return dir.mkpath(QLatin1String(folder)); });
}

MacHome::MacHome() : m_hadHome(qEnvironmentVariableIsSet("HOME")), m_oldHome(qgetenv("HOME"))
{
    m_valid = m_dir.isValid() && makeMacHomeLayout(m_dir.path());
    if (m_valid)
        qputenv("HOME", QFile::encodeName(m_dir.path()));
}

MacHome::~MacHome()
{
    removeTree(m_dir.path());
    if (m_hadHome)
        qputenv("HOME", m_oldHome);
    else
        qunsetenv("HOME");
}

} // namespace testsupport
