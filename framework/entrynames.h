#pragma once

#include "framework/thread.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How a folder's entries are ordered and matched by name, whatever bytes the names hold.
namespace fw::entrynames {

// Entries handled between two yields while a wide folder is listed: well under a millisecond's work.
constexpr size_t kStep = 1024;

// A stop point and a yield after every kStep calls: a wide folder is listed in steps that Stop can end,
// a narrow one never yields here.
class Steps
{
public:
    void operator()()
    {
        if (++m_count % kStep == 0) {
            StopPoint();
            Yield();
        }
    }

private:
    size_t m_count = 0;
};

// The listing's order: by name ignoring case as QString compares it, then by bytes. Each name's key
// is folded once, as that comparison folds each UTF-16 unit (a low surrogate as the whole character);
// an ASCII name's key (nearly all) is kept as bytes, and two such keys compare with memcmp.
class SortKeys
{
public:
    explicit SortKeys(size_t count) { m_keys.reserve(count); }

    // The name's bytes are not copied: they must outlive the keys.
    void add(QByteArrayView name);
    bool before(uint32_t a, uint32_t b) const;

private:
    struct Key
    {
        uint32_t at;
        uint32_t size;
        bool narrow;
        QByteArrayView name;
    };

    char32_t unitOf(const Key &key, uint32_t i) const
    {
        return key.narrow ? static_cast<unsigned char>(m_narrow[key.at + i]) : m_wide[key.at + i];
    }

    std::vector<Key> m_keys;
    std::string m_narrow;
    std::u32string m_wide;
};

// The entries in the listing's order, the first count keys added.
std::vector<uint32_t> sortedOrder(const SortKeys &keys, size_t count, Steps &step);

// Canonical caseless form: Mac volumes store names decomposed and compare them ignoring case.
QString foldName(const QString &name);

} // namespace fw::entrynames
