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
// Names that lift a listing past the size the sort merges in steps.
constexpr int kFillers = 2100;

// The listing's rule, written plainly: by name ignoring case as QString compares it, then by bytes.
bool referenceBefore(const QString &x, const QString &y, const QByteArray &xBytes, const QByteArray &yBytes)
{
    const int c = QString::compare(x, y, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : xBytes < yBytes;
}

// The names of a folder: the input's parts between slashes. A first byte 'W' asks for a wide folder,
// the names among enough short ASCII ones, of both cases, for the sort to merge its runs in steps.
std::vector<QByteArray> namesOf(const uint8_t *data, size_t size)
{
    std::vector<QByteArray> entries;
    if (size == 0)
        return entries;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    for (const QByteArray &name : input.split('/')) {
        if (!name.isEmpty() && !name.contains('\0'))
            entries.push_back(name);
    }
    static const std::vector<QByteArray> fillers = [] {
        std::vector<QByteArray> names;
        for (int filler = 0; filler < kFillers; ++filler) {
            const QByteArray name = QByteArray::number(filler * 7919 % kFillers, 36);
            names.push_back(filler % 2 == 0 ? name : name.toUpper());
        }
        return names;
    }();
    if (data[0] == 'W')
        entries.insert(entries.end(), fillers.begin(), fillers.end());
    return entries;
}

// Every entry once, each after none that the keys put before it.
void checkOrder(const names::SortKeys &keys, const std::vector<uint32_t> &order, size_t count)
{
    std::vector<bool> seen(count, false);
    if (order.size() != count)
        __builtin_trap();
    for (const uint32_t i : order) {
        if (i >= count || seen[i])
            __builtin_trap();
        seen[i] = true;
    }
    for (size_t k = 1; k < order.size(); ++k) {
        if (keys.before(order[k], order[k - 1]))
            __builtin_trap();
    }
}

// The keys order any two of the first names as the rule does, and their folding is canonical.
void checkRule(const names::SortKeys &keys, const std::vector<QByteArray> &entries)
{
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
}

} // namespace

// A folder's names come from any system in any bytes. Whatever they are, the listing's order is a
// permutation of the entries that follows the rule it documents (and so is total and strict), and
// folding a name is canonical: folding again, or folding another normalization of it, changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<QByteArray> entries = namesOf(data, size);
    names::SortKeys keys(entries.size());
    for (const QByteArray &name : entries)
        keys.add(name);
    names::Steps step;
    checkOrder(keys, names::sortedOrder(keys, entries.size(), step), entries.size());
    checkRule(keys, entries);
    return 0;
}
