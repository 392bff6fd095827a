#include "framework/entrynames.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

namespace names = fw::entrynames;

// Names compared pair by pair, all against all: enough to meet every kind of name the input holds.
constexpr size_t kPairwise = 64;
// Copies that lift a listing past the size the sort merges in steps.
constexpr int kCopies = 2100;

// The listing's rule, written plainly: by name ignoring case as QString compares it, then by bytes.
bool referenceBefore(const QString &x, const QString &y, const QByteArray &xBytes, const QByteArray &yBytes)
{
    const int c = QString::compare(x, y, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : xBytes < yBytes;
}

} // namespace

// A folder's names come from any system in any bytes. Whatever they are, the listing's order is a
// permutation of the entries that follows the rule it documents (and so is total and strict), and
// folding a name is canonical: folding again, or folding another normalization of it, changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // A first byte 'W' asks for a wide folder, every name again with a number after it: slow to sort
    // under the sanitizers, so that only a few of the inputs are.
    const bool wide = data[0] == 'W';
    std::vector<QByteArray> entries;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    for (const QByteArray &name : input.split('/')) {
        if (!name.isEmpty() && !name.contains('\0'))
            entries.push_back(name);
    }
    if (entries.empty())
        return 0;
    if (wide) {
        const size_t given = entries.size();
        for (int copy = 1; entries.size() <= static_cast<size_t>(kCopies); ++copy) {
            for (size_t i = 0; i < given; ++i)
                entries.push_back(entries[i] + ' ' + QByteArray::number(copy));
        }
    }

    names::SortKeys keys(entries.size());
    for (const QByteArray &name : entries)
        keys.add(name);
    names::Steps step;
    const std::vector<uint32_t> order = names::sortedOrder(keys, entries.size(), step);

    std::vector<bool> seen(entries.size(), false);
    if (order.size() != entries.size())
        __builtin_trap();
    for (const uint32_t i : order) {
        if (i >= seen.size() || seen[i])
            __builtin_trap();
        seen[i] = true;
    }
    for (size_t k = 1; k < order.size(); ++k) {
        if (keys.before(order[k], order[k - 1]))
            __builtin_trap();
    }
    // The order the keys give is the rule's, between any two of the first names.
    const size_t pairwise = std::min(entries.size(), kPairwise);
    std::vector<QString> texts;
    for (size_t i = 0; i < pairwise; ++i)
        texts.push_back(QString::fromUtf8(entries[i]));
    for (uint32_t a = 0; a < pairwise; ++a) {
        for (uint32_t b = 0; b < pairwise; ++b) {
            if (keys.before(a, b) != referenceBefore(texts[a], texts[b], entries[a], entries[b]))
                __builtin_trap();
        }
        const QString folded = names::foldName(texts[a]);
        if (names::foldName(folded) != folded ||
            names::foldName(texts[a].normalized(QString::NormalizationForm_C)) != folded)
            __builtin_trap();
    }
    return 0;
}
