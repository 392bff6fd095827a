// The benchmarks' yardstick: the reads that the program's folder search and collection must make, and
// nothing more, in plain C++ on the system's calls (no Qt), with the same matches.
//   reference_walk search FOLDER CATALOGUE     walks the folder as the search does
//   reference_walk collection HOME CATALOGUE   matches the catalogue in the home as the collection does
//   [--time-limit SECONDS]
// Prints "seconds" and what it found ("rows", and "pieces" for the collection), which the program
// must match.
//
// Per folder: open, getdents64, close (sidecars "._X" set aside as X's, names sorted ignoring case).
// Per entry whose name does not begin with ".": its kind from the listing (fstatat only when the
// listing does not say); its FinderInfo from the sidecar the listing showed (open, fstat, pread,
// close), else the attribute listing relative to the folder and the one attribute it names (the
// netatalk attribute, else the Samba stream attribute); per package one open, read and close of
// Contents/PkgInfo; per folder whose name matched a name-and-maker application one read of
// Contents/Info.plist (a link is never entered). Per listed row or registered piece: one lstat (its
// date). The collection reads each folder once: the Applications folder's candidates with the codes
// of the applications among their children, the names in Preferences and Application Support; then
// it matches every product in memory.
#include "bench/benchsupport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// The attribute calls relative to a folder (Linux 6.13) have the same number on every architecture.
#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
#ifndef SYS_listxattrat
#define SYS_listxattrat 465
#endif

namespace {

struct Product
{
    std::string label;
    std::vector<std::pair<std::string, std::string>> applications; // name, type-and-creator code
    std::vector<std::string> documentTypes;
    std::string prefName;
    std::string plistName;
    std::string supportName;
    bool documentsFolder = false; // its first document type leads to a documents-folder reader
};

// The catalogue file as the program reads it: values one a line, empty lines between them skipped, the
// counted lines taken as they come.
std::vector<Product> readCatalogue(const char *path)
{
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "error: cannot read the catalogue %s\n", path);
        std::exit(2);
    }
    std::vector<Product> products;
    std::string line;
    const auto counted = [&file, &line](const std::vector<std::string *> &values) {
        for (std::string *value : values) {
            if (std::getline(file, line))
                *value = line;
        }
    };
    int field = 0;
    while (std::getline(file, line)) {
        if (line.empty())
            continue;
        if (field == 0) {
            products.push_back({line, {}, {}, {}, {}, {}});
        } else if (field == 1) {
            products.back().applications.resize(static_cast<size_t>(std::max(0, std::atoi(line.c_str()))));
            for (auto &[name, type] : products.back().applications)
                counted({&name, &type});
        } else if (field == 2) {
            products.back().documentTypes.resize(static_cast<size_t>(std::max(0, std::atoi(line.c_str()))));
            for (std::string &type : products.back().documentTypes)
                counted({&type});
        } else if (field == 3) {
            products.back().prefName = line;
        } else if (field == 4) {
            products.back().plistName = line;
        } else {
            products.back().supportName = line;
        }
        field = (field + 1) % 6;
    }
    for (Product &product : products) {
        const std::vector<std::string> &types = product.documentTypes;
        product.documentsFolder = !types.empty() && (types[0] == "Tmx1Wqj1" || types[0] == "Tmx3Wqj1" ||
                                                     types[0] == "ZorpWqj4" || types[0] == "QvayWqj5");
    }
    return products;
}

double wallSeconds()
{
    timespec t = {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The wall and processor seconds since it was made.
struct Clock
{
    double wall = wallSeconds();
    double cpu = bench::cpuSeconds();
    void print() const
    {
        bench::print("seconds", wallSeconds() - wall);
        bench::print("cpu_seconds", bench::cpuSeconds() - cpu);
    }
};

bool containsIgnoringCase(const std::string &text, const std::string &find)
{
    return !find.empty() && ::strcasestr(text.c_str(), find.c_str()) != nullptr;
}

std::string extension(const std::string &name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// The name with a prefix ("._" for the sidecar, "." for the dotted extension).
std::string prefixed(const char *prefix, const std::string &name)
{
    return std::string(prefix).append(name);
}

struct Entry
{
    std::string name;
    unsigned char type = DT_UNKNOWN;
    bool sidecar = false;
};

struct Listing
{
    std::vector<Entry> entries;
    long names = 0; // sidecars included
};

// The folder's entries, read from its descriptor, which stays open.
Listing listFolder(int fd)
{
    Listing listing;
    std::vector<Entry> all;
    alignas(dirent64) std::array<char, std::size_t{32} * 1024> buffer;
    for (long got; (got = ::getdents64(fd, buffer.data(), buffer.size())) > 0;) {
        for (long offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + offset);
            offset += entry->d_reclen;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                all.push_back({entry->d_name, entry->d_type, false});
        }
    }
    listing.names = static_cast<long>(all.size());
    std::unordered_set<std::string> names;
    for (const Entry &entry : all)
        names.insert(entry.name);
    for (Entry &entry : all) {
        if (entry.name.compare(0, 2, "._") == 0 && names.contains(entry.name.substr(2)))
            continue;
        entry.sidecar = names.contains(prefixed("._", entry.name));
        listing.entries.push_back(std::move(entry));
    }
    std::sort(listing.entries.begin(), listing.entries.end(), [](const Entry &a, const Entry &b) {
        const int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return listing;
}

unsigned char kindOf(int folder, const Entry &entry)
{
    if (entry.type != DT_UNKNOWN)
        return entry.type;
    struct stat st;
    if (::fstatat(folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISDIR(st.st_mode) ? DT_DIR : (S_ISLNK(st.st_mode) ? DT_LNK : DT_REG);
}

using FinderInfo = std::array<unsigned char, 32>;

uint32_t u32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The FinderInfo entry of an AppleDouble version 2 file of `size` bytes, of which `have` lie in `head`;
// the rest is read from fd where it lies.
std::optional<FinderInfo> fromAppleDouble(const unsigned char *head, int64_t have, int64_t size, int fd)
{
    std::array<unsigned char, std::size_t{64} * 12> buffer;
    const auto bytes = [&](int64_t offset, int64_t length) -> const unsigned char * {
        if (offset + length <= have)
            return head + offset;
        if (fd < 0 || length > static_cast<int64_t>(buffer.size()) ||
            ::pread(fd, buffer.data(), static_cast<size_t>(length), offset) != length)
            return nullptr;
        return buffer.data();
    };
    const unsigned char *header = bytes(0, 26);
    if (size < 26 || header == nullptr || u32(header) != 0x00051607 || u32(header + 4) != 0x00020000)
        return std::nullopt;
    const int64_t entries = header[24] << 8 | header[25];
    if (entries == 0 || entries > 64 || 26 + entries * 12 > size)
        return std::nullopt;
    const unsigned char *descriptors = bytes(26, entries * 12);
    if (descriptors == nullptr)
        return std::nullopt;
    for (int64_t i = 0; i < entries; ++i) {
        const unsigned char *d = descriptors + i * 12;
        if (u32(d) != 9)
            continue;
        const int64_t offset = u32(d + 4);
        if (u32(d + 8) < 32 || offset + u32(d + 8) > size)
            return std::nullopt;
        const unsigned char *info = bytes(offset, 32);
        if (info == nullptr)
            return std::nullopt;
        FinderInfo result;
        std::copy_n(info, 32, result.begin());
        return result;
    }
    return std::nullopt;
}

const char *const kNetatalk = "user.org.netatalk.Metadata";
const char *const kAfpInfo = "user.DosStream.AFP_AfpInfo:$DATA";

std::optional<FinderInfo> fromSidecar(int folder, const std::string &name)
{
    const int fd =
        ::openat(folder, prefixed("._", name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<FinderInfo> info;
    struct stat st;
    std::array<unsigned char, 512> head;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
        info = fromAppleDouble(head.data(), std::max<ssize_t>(got, 0), st.st_size, fd);
    }
    ::close(fd);
    return info;
}

// The C library does not wrap the relative attribute calls yet.
struct XattrArgs
{
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};

long listAttributes(int folder, const std::string &name, char *names, size_t size)
{
    return ::syscall(SYS_listxattrat, folder, name.c_str(), AT_SYMLINK_NOFOLLOW, names, size);
}

long getAttribute(int folder, const std::string &name, const char *attribute, std::span<unsigned char> value)
{
    XattrArgs args = {reinterpret_cast<uintptr_t>(value.data()), static_cast<uint32_t>(value.size()), 0};
    return ::syscall(SYS_getxattrat, folder, name.c_str(), AT_SYMLINK_NOFOLLOW, attribute, &args,
                     sizeof args);
}

// The attribute listing relative to the folder, then the one attribute it names.
std::optional<FinderInfo> fromAttributes(int folder, const std::string &name)
{
    std::array<char, 1024> names;
    const long size = listAttributes(folder, name, names.data(), names.size());
    const int listError = size < 0 ? errno : 0;
    const auto mayHave = [&](const char *attribute) {
        if (size < 0)
            return listError != ENOTSUP; // a list too long for the buffer: ask for each
        for (long at = 0; at < size; at += static_cast<long>(std::strlen(names.data() + at)) + 1) {
            if (std::strcmp(names.data() + at, attribute) == 0)
                return true;
        }
        return false;
    };
    static std::array<unsigned char, std::size_t{64} * 1024> value;
    if (mayHave(kNetatalk)) {
        const long got = getAttribute(folder, name, kNetatalk, value);
        if (got > 0) {
            if (auto info = fromAppleDouble(value.data(), got, got, -1))
                return info;
        }
    }
    if (mayHave(kAfpInfo)) {
        const long got = getAttribute(folder, name, kAfpInfo, std::span(value).first(61));
        if ((got == 60 || got == 61) && u32(value.data()) == 0x41465000 &&
            u32(value.data() + 4) == 0x00000100) {
            FinderInfo info;
            std::copy_n(value.data() + 16, 32, info.begin());
            return info;
        }
    }
    return std::nullopt;
}

std::optional<FinderInfo> finderInfo(int folder, const Entry &entry)
{
    if (entry.sidecar) {
        if (auto info = fromSidecar(folder, entry.name))
            return info;
    }
    return fromAttributes(folder, entry.name);
}

bool invisible(const std::optional<FinderInfo> &info)
{
    return info && ((*info)[8] & 0x40) != 0;
}

// The first bytes of a file below the folder, at most `limit`; nothing when it cannot be read.
std::optional<std::string> readFile(int folder, const std::string &path, size_t limit)
{
    const int fd = ::openat(folder, path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    std::array<char, std::size_t{16} * 1024> buffer;
    while (text.size() < limit) {
        const size_t wanted = std::min(buffer.size(), limit - text.size());
        const ssize_t got = ::read(fd, buffer.data(), wanted);
        if (got > 0)
            text.append(buffer.data(), static_cast<size_t>(got));
        if (got < static_cast<ssize_t>(wanted)) // a plain file's end
            break;
    }
    ::close(fd);
    return text;
}

// A package's code: the first line of Contents/PkgInfo when it is 8 bytes long.
std::string pkgInfoCode(int folder, const std::string &package)
{
    std::string line = readFile(folder, package + "/Contents/PkgInfo", 64).value_or(std::string());
    line.resize(std::min(line.size(), line.find_first_of("\r\n")));
    return line.size() == 8 ? line : std::string();
}

// Whether Contents/Info.plist (at most 1 MiB) names the maker.
bool namesMaker(int folder, const std::string &item)
{
    constexpr std::size_t limit = std::size_t{1024} * 1024;
    const std::optional<std::string> plist = readFile(folder, item + "/Contents/Info.plist", limit + 1);
    return plist && plist->size() <= limit && plist->find("Velloran Software") != std::string::npos;
}

// The date of a row, the link's own for a link: what the program reads of every item it lists.
void readDate(int folder, const std::string &name)
{
    struct stat st;
    ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
}

struct Search
{
    std::vector<Product> catalogue;
    long names = 0;
    long rows = 0;

    void walk(int folder)
    {
        const Listing listing = listFolder(folder);
        names += listing.names;
        for (const Entry &entry : listing.entries) {
            if (entry.name[0] != '.')
                visit(folder, entry);
        }
    }

    void visit(int folder, const Entry &entry)
    {
        const unsigned char kind = kindOf(folder, entry);
        if (kind == DT_UNKNOWN)
            return;
        const std::optional<FinderInfo> info = finderInfo(folder, entry);
        if (invisible(info))
            return;
        const std::string dotted = prefixed(".", extension(entry.name));
        if (listedByExtension(dotted)) {
            list(folder, entry.name);
            return;
        }
        const bool package = kind == DT_DIR && extension(entry.name) == "app";
        if (kind == DT_DIR && !package) {
            const int child =
                ::openat(folder, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                walk(child);
                ::close(child);
            }
            return;
        }
        std::optional<std::string> code;
        const auto typeCreator = [&]() -> const std::string & {
            if (!code)
                code = package ? pkgInfoCode(folder, entry.name)
                               : (info ? std::string(reinterpret_cast<const char *>(info->data()), 8)
                                       : std::string());
            return *code;
        };
        if (listedAsApplication(folder, entry.name, package, typeCreator))
            list(folder, entry.name);
        if (listedAsDocument(typeCreator))
            list(folder, entry.name);
    }

    bool listedByExtension(const std::string &dotted) const
    {
        for (const Product &product : catalogue) {
            for (const std::string &type : product.documentTypes) {
                if (type[0] == '.' && type == dotted)
                    return true;
            }
        }
        return false;
    }

    template <typename Code>
    bool listedAsApplication(int folder, const std::string &name, bool package, const Code &code) const
    {
        for (const Product &product : catalogue) {
            for (const auto &[appName, appType] : product.applications) {
                if (appType.empty())
                    continue;
                if (appType == "APPL----") {
                    // Only a folder (here, a package) holds Contents/Info.plist: a link is never entered.
                    if (package && containsIgnoringCase(name, appName) && namesMaker(folder, name))
                        return true;
                } else if (package && code() == appType) {
                    return true;
                }
            }
        }
        return false;
    }

    template <typename Code> bool listedAsDocument(const Code &code) const
    {
        for (const Product &product : catalogue) {
            for (const std::string &type : product.documentTypes) {
                if (!type.empty() && code() == type)
                    return true;
            }
        }
        return false;
    }

    void list(int folder, const std::string &name)
    {
        readDate(folder, name);
        ++rows;
    }
};

int search(const char *root, const char *cataloguePath)
{
    Search search;
    search.catalogue = readCatalogue(cataloguePath);
    const Clock clock;
    const int fd = ::open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "error: cannot open the folder %s: %s\n", root, std::strerror(errno));
        return 2;
    }
    search.walk(fd);
    ::close(fd);
    clock.print();
    bench::print("names", search.names);
    bench::print("rows", search.rows);
    return 0;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A folder's names, looked up as the program's Child does: the exact name, else the one name equal to
// it ignoring case.
struct Names
{
    explicit Names(const Listing &listing)
    {
        for (const Entry &entry : listing.entries)
            all.push_back(entry.name);
        for (const std::string &name : all) {
            exact.insert(name);
            const auto [at, added] = folded.emplace(lowerCase(name), &name);
            if (!added)
                at->second = nullptr; // two names alike: neither is taken
        }
    }
    const std::string *child(const std::string &name) const
    {
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
            return nullptr;
        if (const auto found = exact.find(name); found != exact.end())
            return &*found;
        const auto found = folded.find(lowerCase(name));
        return found == folded.end() ? nullptr : found->second;
    }
    std::vector<std::string> all;
    std::unordered_set<std::string> exact;
    std::unordered_map<std::string, const std::string *> folded;
};

// What the collection reads of a folder in the Applications folder that it may register.
struct Candidate
{
    std::string name;
    std::vector<std::string> codes; // of the applications among its own children
    std::optional<bool> namesMaker; // read when a name-and-maker application's name matched
};

// The folders in the Applications folder that a product may register, with what is read of them.
std::vector<Candidate> readCandidates(int applications)
{
    std::vector<Candidate> candidates;
    for (const Entry &entry : listFolder(applications).entries) {
        if (entry.name[0] == '.' || kindOf(applications, entry) != DT_DIR || extension(entry.name) == "app" ||
            invisible(finderInfo(applications, entry)))
            continue;
        Candidate candidate{entry.name, {}, {}};
        const int fd =
            ::openat(applications, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            for (const Entry &child : listFolder(fd).entries) {
                const unsigned char kind = kindOf(fd, child);
                if (kind == DT_DIR && extension(child.name) == "app") {
                    candidate.codes.push_back(pkgInfoCode(fd, child.name));
                } else if (kind != DT_DIR && kind != DT_UNKNOWN) {
                    const std::optional<FinderInfo> info = finderInfo(fd, child);
                    if (info && std::memcmp(info->data(), "APPL", 4) == 0)
                        candidate.codes.emplace_back(reinterpret_cast<const char *>(info->data()), 8);
                }
            }
            ::close(fd);
        }
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

// Whether the candidate is the application's folder: by name and maker, or by an application's code.
bool holdsApplication(Candidate &candidate, const std::string &appName, const std::string &appType,
                      int applications)
{
    if (appType == "APPL----") {
        if (!containsIgnoringCase(candidate.name, appName))
            return false;
        if (!candidate.namesMaker)
            candidate.namesMaker = namesMaker(applications, candidate.name);
        return *candidate.namesMaker;
    }
    return !appType.empty() &&
           std::find(candidate.codes.begin(), candidate.codes.end(), appType) != candidate.codes.end();
}

// Whether a name in the Preferences folder is the product's plist file.
bool isPlistOf(const Product &product, const std::string &name)
{
    return containsIgnoringCase(name, product.plistName) && containsIgnoringCase(name, "plist") &&
           !(product.plistName == "Quillary" && containsIgnoringCase(name, "Quillary") &&
             containsIgnoringCase(name, "Dorven"));
}

int collection(const std::string &home, const char *cataloguePath)
{
    const std::vector<Product> catalogue = readCatalogue(cataloguePath);
    const auto withDocuments = std::find_if(catalogue.begin(), catalogue.end(),
                                            [](const Product &product) { return product.documentsFolder; });
    if (withDocuments != catalogue.end()) {
        std::fprintf(stderr,
                     "error: the catalogue's product %s has a documents folder, which this "
                     "reference does not look for\n",
                     withDocuments->label.c_str());
        return 2;
    }
    const Clock clock;
    const std::string applicationsPath = home + "/Applications";
    const int applications = ::open(applicationsPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int preferences =
        ::open((home + "/Library/Preferences").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int support =
        ::open((home + "/Library/Application Support").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    // Each folder's facts, read once.
    std::vector<Candidate> candidates = readCandidates(applications);
    const Names preferenceNames(listFolder(preferences));
    const Names supportNames(listFolder(support));

    std::map<std::string, long> pieces; // by path, as the registry holds them
    long groups = 0;
    long rows = 0; // group rows and their pieces' rows
    for (const Product &product : catalogue) {
        long found = 0;
        const auto registerPiece = [&](int folder, const std::string &folderPath, const std::string &name) {
            if (pieces.emplace(folderPath + "/" + name, static_cast<long>(pieces.size())).second)
                readDate(folder, name);
            ++found;
        };
        for (const auto &[appName, appType] : product.applications) {
            for (Candidate &candidate : candidates) {
                if (holdsApplication(candidate, appName, appType, applications))
                    registerPiece(applications, applicationsPath, candidate.name);
            }
        }
        if (const std::string *name = preferenceNames.child(product.prefName))
            registerPiece(preferences, home + "/Library/Preferences", *name);
        for (const std::string &name : preferenceNames.all) {
            if (isPlistOf(product, name))
                registerPiece(preferences, home + "/Library/Preferences", name);
        }
        if (const std::string *name = supportNames.child(product.supportName))
            registerPiece(support, home + "/Library/Application Support", *name);
        groups += found > 0 ? 1 : 0;
        rows += found;
    }
    ::close(applications);
    ::close(preferences);
    ::close(support);
    clock.print();
    bench::print("pieces", static_cast<long>(pieces.size()));
    bench::print("rows", rows + groups);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    bench::startWatchdog(bench::timeLimit(argc, argv, 600), "the reference walk");
    if (argc >= 4 && std::strcmp(argv[1], "search") == 0)
        return search(argv[2], argv[3]);
    if (argc >= 4 && std::strcmp(argv[1], "collection") == 0)
        return collection(argv[2], argv[3]);
    std::fprintf(stderr, "usage: reference_walk search FOLDER CATALOGUE | collection HOME CATALOGUE "
                         "[--time-limit SECONDS]\n");
    return 2;
}
