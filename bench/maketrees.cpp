// Writes what the benchmarks run on; the same arguments write the same bytes (a fixed seed).
//   make_bench_trees tree FOLDER ENTRIES       a folder to search, of about ENTRIES entries as `find`
//                                              counts them: nested folders, one wide folder (5% of the
//                                              entries), one deep chain, packages, sidecars, the
//                                              servers' FinderInfo attributes, now and then a find
//   make_bench_trees finds FOLDER FINDS        a folder in which the search lists FINDS rows
//   make_bench_trees links FOLDER ENTRIES      one folder of ENTRIES files holding links to itself
//   make_bench_trees chain FOLDER LEVELS       a chain of LEVELS nested folders
//   make_bench_trees search-catalogue FILE     the six products that the search looks for
//   make_bench_trees home FOLDER PRODUCTS OTHER_APPLICATIONS OTHER_PREFERENCES
//                                              a home in the Mac layout: the first PRODUCTS products'
//                                              pieces among other makers' applications and preferences
//   make_bench_trees catalogue FILE ROWS       a catalogue of ROWS products, the home's first
// The last line printed is "entries N" (trees) or "rows N" (catalogues).
#include "tests/support/fixtures.h"
#include "tests/support/machome.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace testsupport;

namespace {

[[noreturn]] void fail(const std::string &what, const std::string &path)
{
    std::fprintf(stderr, "error: could not %s %s: %s\n", what.c_str(), path.c_str(), std::strerror(errno));
    std::exit(1);
}

std::string numbered(const char *stem, long number, int width)
{
    std::array<char, 64> text;
    std::snprintf(text.data(), text.size(), "%s%0*ld", stem, width, number);
    return text.data();
}

// Writes and counts the entries as `find -P FOLDER -mindepth 1` would list them.
class Writer
{
public:
    long entries = 0;

    void folder(const std::string &path)
    {
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
            fail("make the folder", path);
        ++entries;
    }

    void file(const std::string &path, const QByteArray &bytes = {})
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
            fail("write", path);
        ::close(fd);
        ++entries;
    }

    void attribute(const std::string &path, const char *name, const QByteArray &value)
    {
        if (::lsetxattr(path.c_str(), name, value.constData(), static_cast<size_t>(value.size()), 0) != 0)
            fail(std::string("set the attribute ") + name + " of", path);
    }

    void link(const std::string &target, const std::string &path)
    {
        if (::symlink(target.c_str(), path.c_str()) != 0)
            fail("make the link", path);
        ++entries;
    }

    // A package as a build tool writes it: the package, Contents, Resources, PkgInfo, Info.plist,
    // MacOS and the executable.
    void package(const std::string &folder, const std::string &name, const QByteArray &code,
                 const char *maker)
    {
        AppPackageOptions options;
        options.pkgInfo = code;
        options.maker = QString::fromUtf8(maker);
        if (makeAppPackage(QString::fromStdString(folder), QString::fromStdString(name), options).isEmpty())
            fail("write the package", folder + "/" + name);
        entries += 7;
    }

    // A file whose type and creator (if any) lie where the platform's sources keep them: the mix is
    // drawn from `draw` (0-99). Plain 60%, sidecar 20%, netatalk attribute 10%, Samba stream attribute
    // 5%, only another attribute 4%, invisible (flag in its sidecar) 1%.
    void mixedFile(const std::string &path, unsigned draw)
    {
        file(path);
        const QByteArray text = finderInfo("TEXT", "ttxt");
        if (draw < 60)
            return;
        if (draw < 80)
            sidecar(path, text);
        else if (draw < 90)
            attribute(path, "user.org.netatalk.Metadata", netatalkMetadata(text));
        else if (draw < 95)
            attribute(path, "user.DosStream.AFP_AfpInfo:$DATA", afpInfo(text));
        else if (draw < 99)
            attribute(path, "user.xdg.origin.url", "https://example.com/file");
        else
            sidecar(path, finderInfo("TEXT", "ttxt", kInvisibleFlag));
    }

    void sidecar(const std::string &path, const QByteArray &info)
    {
        const size_t slash = path.rfind('/');
        file(path.substr(0, slash + 1) + "._" + path.substr(slash + 1), appleDoubleSidecar(info));
    }
};

std::mt19937 &random()
{
    static std::mt19937 generator(20240614);
    return generator;
}

unsigned draw100()
{
    return static_cast<unsigned>(random()() % 100);
}

// A new folder for the tree, on a file system that keeps the attributes the tree needs.
void startTree(Writer &out, const std::string &folder)
{
    struct stat st;
    if (::lstat(folder.c_str(), &st) == 0) {
        std::fprintf(stderr, "error: %s is there already; remove it first\n", folder.c_str());
        std::exit(1);
    }
    out.folder(folder);
    out.entries = 0;
    if (!userAttributesSupported(QString::fromStdString(folder))) {
        std::fprintf(stderr,
                     "error: %s does not keep user extended attributes; choose a folder on a file "
                     "system that does (ext4, xfs, btrfs)\n",
                     folder.c_str());
        std::exit(1);
    }
}

// One subfolder of the ordinary part: a package (now and then one of the products'), a dot file, 60
// files, and in every 97th one the products' documents and an application.
void writeSubfolder(Writer &out, const std::string &folder, long number)
{
    out.folder(folder);
    if (number % 97 == 0) {
        out.package(folder, "Tessolin.app", "APPLWqj1", "Velloran Software");
        const std::string report = folder + "/report.tmx";
        out.file(report);
        out.sidecar(report, finderInfo("Tmx3", "Wqj1"));
        out.file(folder + "/drawing.tsl");
        const std::string notes = folder + "/notes";
        out.file(notes);
        out.attribute(notes, "user.org.netatalk.Metadata", netatalkMetadata(finderInfo("Zorp", "Wqj4")));
    } else if (number % 97 == 50) {
        out.package(folder, "Quillary.app", "APPL????", "Velloran Software"); // found by name and maker
    } else {
        out.package(folder, "Tool.app", "APPLzzzz", "Someone");
    }
    out.file(folder + "/.DS_Store");
    for (int i = 0; i < 60; ++i)
        out.mixedFile(folder + numbered("/file ", i, 2) + ".txt", draw100());
}

int writeTree(const std::string &root, long wanted)
{
    Writer out;
    startTree(out, root);
    // The wide folder: one listing of 5% of the entries.
    const long wide = wanted / 20;
    out.folder(root + "/Wide");
    for (long i = 0; out.entries < wide; ++i)
        out.mixedFile(root + numbered("/Wide/item ", i, 6) + ".dat", draw100());
    // The deep chain: a folder in a folder, each with a file, as deep as paths stay short.
    std::printf("wide %ld\n", out.entries - 1); // the entries in it
    const long depth = std::min(1000L, wanted / 100);
    std::string deep = root + "/Deep";
    out.folder(deep);
    for (long level = 0; level < depth; ++level) {
        deep += "/d";
        out.folder(deep);
        out.mixedFile(deep + "/f.txt", draw100());
    }
    std::printf("depth %ld\n", depth);
    // The rest: folders of 40 subfolders and a link to the first (which no walk enters).
    long number = 0;
    for (long top = 0; out.entries < wanted; ++top) {
        const std::string folder = root + numbered("/Folder ", top, 4);
        out.folder(folder);
        out.link("sub 00", folder + "/shortcut");
        for (int sub = 0; sub < 40 && out.entries < wanted; ++sub)
            writeSubfolder(out, folder + numbered("/sub ", sub, 2), number++);
    }
    std::printf("entries %ld\n", out.entries);
    return 0;
}

// ENTRIES files in one folder and nine links to the folder itself named like an application that the
// search finds by name and maker: a link that the search entered would list the whole folder again.
int writeLinks(const std::string &root, long wanted)
{
    Writer out;
    startTree(out, root);
    for (int i = 1; i <= 9; ++i)
        out.link(".", root + numbered("/Quillary ", i, 1));
    for (long i = 0; out.entries < wanted; ++i)
        out.file(root + numbered("/item ", i, 6) + ".dat");
    std::printf("entries %ld\n", out.entries);
    return 0;
}

// LEVELS folders "d", one in the other, with a find in the last: made by calls relative to the folder
// above, as no path reaches that deep.
int writeChain(const std::string &root, long levels)
{
    Writer out;
    startTree(out, root);
    int at = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (long level = 0; level < levels && at >= 0; ++level) {
        if (::mkdirat(at, "d", 0755) != 0)
            fail("make the folder", root + " at level " + std::to_string(level));
        const int next = ::openat(at, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        at = next;
        ++out.entries;
    }
    const int find = ::openat(at, "drawing.tsl", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (at < 0 || find < 0)
        fail("write the find at the end of", root);
    ::close(find);
    ::close(at);
    std::printf("depth %ld\nentries %ld\n", levels, out.entries + 1);
    return 0;
}

// FINDS rows: folders of up to 1,000 finds; of ten, seven by extension, two by a sidecar's type, one by
// the netatalk attribute; every hundredth an application package.
int writeFinds(const std::string &root, long finds)
{
    Writer out;
    startTree(out, root);
    for (long i = 0; i < finds; ++i) {
        const std::string folder = root + numbered("/Finds ", i / 1000, 3);
        if (i % 1000 == 0)
            out.folder(folder);
        if (i % 100 == 99) {
            out.package(folder, numbered("Tessolin ", i, 6) + ".app", "APPLWqj1", "Velloran Software");
        } else if (i % 10 < 7) {
            out.file(folder + numbered("/drawing ", i, 6) + ".tsl");
        } else if (i % 10 < 9) {
            const std::string path = folder + numbered("/report ", i, 6);
            out.file(path);
            out.sidecar(path, finderInfo("Tmx3", "Wqj1"));
        } else {
            const std::string path = folder + numbered("/notes ", i, 6);
            out.file(path);
            out.attribute(path, "user.org.netatalk.Metadata", netatalkMetadata(finderInfo("Zorp", "Wqj4")));
        }
    }
    std::printf("entries %ld\n", out.entries);
    return 0;
}

// Four letters and digits from a number: a distinct creator code for each product.
QByteArray creator(long product)
{
    static const char *const digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QByteArray code(4, '0');
    for (int i = 3; i >= 0; --i, product /= 62)
        code[i] = digits[product % 62];
    return code;
}

// Every 25th product is found by its name and its maker ("APPL----"), the others by their code.
bool foundByName(long product)
{
    return product % 25 == 7;
}

std::string productName(long product)
{
    return numbered("Prod", product, 5);
}

int writeHome(const std::string &home, long products, long otherApplications, long otherPreferences)
{
    Writer out;
    startTree(out, home);
    if (!makeMacHomeLayout(QString::fromStdString(home)))
        fail("make the Mac layout in", home);
    const std::string applications = home + "/Applications";
    const std::string preferences = home + "/Library/Preferences";
    const std::string support = home + "/Library/Application Support";
    for (long p = 0; p < products; ++p) {
        const std::string name = productName(p);
        const std::string folder = applications + "/" + name + " Folder";
        out.folder(folder);
        if (foundByName(p)) {
            out.folder(folder + "/Contents");
            out.file(folder + "/Contents/Info.plist",
                     "<plist><dict><key>CFBundleGetInfoString</key><string>Copyright Velloran Software"
                     "</string></dict></plist>\n");
        } else {
            out.package(folder, name + ".app", "APPL" + creator(p), "Velloran Software");
        }
        out.file(folder + "/Read Me.txt");
        out.folder(preferences + "/" + name + "初期設定");
        out.file(preferences + "/jp.velloran." + name + ".plist");
        if (p % 2 == 0)
            out.folder(support + "/" + name);
    }
    for (long i = 0; i < otherApplications; ++i) {
        const std::string folder = applications + numbered("/Other ", i, 4);
        out.folder(folder);
        out.package(folder, numbered("Tool ", i, 4) + ".app", "APPLOthr", "Someone");
        out.file(folder + "/Read Me.txt");
        out.file(folder + "/License.txt");
    }
    for (long i = 0; i < otherPreferences; ++i)
        out.file(preferences + numbered("/com.example.item", i, 4) + ".plist");
    std::printf("entries %ld\n", out.entries);
    return 0;
}

void writeLines(const std::string &path, const QByteArray &text)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        fail("write", path);
}

int writeCatalogue(const std::string &path, long rows)
{
    QByteArray text;
    for (long p = 0; p < rows; ++p) {
        const QByteArray name = QByteArray::fromStdString(productName(p));
        const QByteArray code = foundByName(p) ? QByteArray("APPL----") : "APPL" + creator(p);
        // One document type, which names none of the documents-folder readers.
        text += name + "\n1\n" + name + "\n" + code + "\n1\nPdoc" + creator(p) + "\n" + name + "初期設定\n" +
                name + "\n" + name + "\n";
    }
    writeLines(path, text);
    std::printf("rows %ld\n", rows);
    return 0;
}

// The six products, with an extension among the document types.
int writeSearchCatalogue(const std::string &path)
{
    writeLines(path,
               "Tessolin II\n2\nTessolin\nAPPLWqj1\nParvella\nAPPLWqj2\n3\nTmx3Wqj1\nVhe3Wqj1\n.tsl\n"
               "Tessolin初期設定\nTessolin\nTessolin II\n"
               "Ombrisk\n1\nOmbrisk\nAPPLWqj4\n1\nZorpWqj4\nOmbrisk初期設定\nOmbrisk\n/\n"
               "Quillary\n1\nQuillary\nAPPL----\n1\nQvayWqj5\nQuillary初期設定\nQuillary\nQuillary\n"
               "Dromaxe mini\n1\nDromaxe\nAPPLWqjk\n0\nDromaxe初期設定\nDromaxe\n/\n"
               "Lunvick\n1\nLunvick\nAPPLWqjm\n0\nLunvick初期設定\nLunvick\n/\n"
               "Sorbeline nano\n1\nsorbeline\nAPPLWqjr\n0\nSorbeline nano初期設定\nSorbeline\nSorbeline\n");
    std::printf("rows 6\n");
    return 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: make_bench_trees tree FOLDER ENTRIES | finds FOLDER FINDS | search-catalogue FILE"
                 " | links FOLDER ENTRIES | chain FOLDER LEVELS | home FOLDER PRODUCTS OTHER_APPLICATIONS"
                 " OTHER_PREFERENCES | catalogue FILE ROWS\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::string mode = argv[1];
    const std::string path = argv[2];
    const auto number = [&](int i) { return i < argc ? std::atol(argv[i]) : -1; };
    if (mode == "tree" && argc == 4 && number(3) > 0)
        return writeTree(path, number(3));
    if (mode == "finds" && argc == 4 && number(3) > 0)
        return writeFinds(path, number(3));
    if (mode == "links" && argc == 4 && number(3) > 0)
        return writeLinks(path, number(3));
    if (mode == "chain" && argc == 4 && number(3) > 0)
        return writeChain(path, number(3));
    if (mode == "search-catalogue" && argc == 3)
        return writeSearchCatalogue(path);
    if (mode == "home" && argc == 6 && number(3) >= 0 && number(4) >= 0 && number(5) >= 0)
        return writeHome(path, number(3), number(4), number(5));
    if (mode == "catalogue" && argc == 4 && number(3) > 0)
        return writeCatalogue(path, number(3));
    return usage();
}
