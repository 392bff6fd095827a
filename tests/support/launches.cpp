#include "tests/support/launches.h"

#include <QDesktopServices>

namespace testsupport {

Launches::Launches()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
}

Launches::~Launches()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

} // namespace testsupport
