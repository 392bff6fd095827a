// Writes a home folder in the Mac layout with the maker's six products installed, plus unrelated
// items that the program must leave alone, so that a person can try the program on it:
//   velloran-samplehome /tmp/sample-home
//   HOME=/tmp/sample-home VelloranUninstaller
#include "tests/support/samplehome.h"
#include "tests/support/fixtures.h"

#include <QDir>
#include <QFileInfo>

#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: velloran-samplehome FOLDER\n"
                     "Writes a sample home folder; then run: HOME=FOLDER VelloranUninstaller\n";
        return 2;
    }
    const QString home = QFileInfo(QFile::decodeName(argv[1])).absoluteFilePath();
    const QDir existing(home);
    if (existing.exists() &&
        !existing.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        std::cerr << home.toStdString() << " is not empty; give a new or empty folder\n";
        return 1;
    }
    if (!testsupport::writeSampleHome(home))
        return 1;
    std::cout << "Sample home written to " << home.toStdString() << '\n';
    if (!testsupport::userAttributesSupported(home))
        std::cout << "(this file system refuses user extended attributes: every type and creator is in a "
                     "sidecar)\n";
    std::cout << "Ombrisk's preferences name a documents folder that was renamed since: the program asks "
                 "for it; choose Documents/Ombrisk.\n";
    std::cout << "Try it: HOME='" << home.toStdString() << "' VelloranUninstaller\n";
    return 0;
}
