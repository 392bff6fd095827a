#include "framework/entrynames.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace fw::entrynames {

namespace {

// Entries sorted at once before the sorted runs are merged in steps.
constexpr size_t kRun = 2048;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

} // namespace

void SortKeys::add(QByteArrayView name)
{
    Key key{0, 0, isAscii(name), name};
    if (key.narrow) {
        key.at = static_cast<uint32_t>(m_narrow.size());
        for (const char c : name)
            m_narrow.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c);
        key.size = static_cast<uint32_t>(name.size());
    } else {
        key.at = static_cast<uint32_t>(m_wide.size());
        char16_t previous = 0;
        for (const QChar unit : QString::fromUtf8(name)) {
            const char16_t u = unit.unicode();
            char32_t c = u;
            if (QChar::isLowSurrogate(u) && QChar::isHighSurrogate(previous))
                c = QChar::surrogateToUcs4(previous, u);
            previous = u;
            m_wide.push_back(QChar::toCaseFolded(c));
        }
        key.size = static_cast<uint32_t>(m_wide.size()) - key.at;
    }
    m_keys.push_back(key);
}

bool SortKeys::before(uint32_t a, uint32_t b) const
{
    const Key &x = m_keys[a];
    const Key &y = m_keys[b];
    const uint32_t common = std::min(x.size, y.size);
    int c = 0;
    if (x.narrow && y.narrow) {
        c = std::memcmp(m_narrow.data() + x.at, m_narrow.data() + y.at, common);
    } else {
        for (uint32_t i = 0; i < common && c == 0; ++i) {
            const char32_t p = unitOf(x, i);
            const char32_t q = unitOf(y, i);
            c = p == q ? 0 : (p < q ? -1 : 1);
        }
    }
    if (c == 0)
        c = x.size == y.size ? 0 : (x.size < y.size ? -1 : 1);
    return c != 0 ? c < 0 : x.name < y.name;
}

// The entries in the listing's order. Runs of kRun are sorted at once, then merged pairwise in steps:
// no step of a wide folder's sort takes long, and Stop can end it at any of them.
std::vector<uint32_t> sortedOrder(const SortKeys &keys, size_t count, Steps &step)
{
    const auto before = [&keys](uint32_t a, uint32_t b) { return keys.before(a, b); };
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0U);
    for (size_t start = 0; start < count; start += kRun) {
        std::sort(order.begin() + static_cast<ptrdiff_t>(start),
                  order.begin() + static_cast<ptrdiff_t>(std::min(start + kRun, count)), before);
        if (count > kRun) {
            StopPoint();
            Yield();
        }
    }
    std::vector<uint32_t> merged(count > kRun ? count : 0);
    for (size_t width = kRun; width < count; width *= 2) {
        for (size_t low = 0; low < count; low += 2 * width) {
            const size_t middle = std::min(low + width, count);
            const size_t high = std::min(low + 2 * width, count);
            size_t i = low;
            size_t j = middle;
            size_t out = low;
            while (i < middle && j < high) {
                merged[out++] = before(order[j], order[i]) ? order[j++] : order[i++];
                step();
            }
            out = std::copy(order.begin() + static_cast<ptrdiff_t>(i),
                            order.begin() + static_cast<ptrdiff_t>(middle),
                            merged.begin() + static_cast<ptrdiff_t>(out)) -
                  merged.begin();
            std::copy(order.begin() + static_cast<ptrdiff_t>(j), order.begin() + static_cast<ptrdiff_t>(high),
                      merged.begin() + static_cast<ptrdiff_t>(out));
        }
        order.swap(merged);
    }
    return order;
}

QString foldName(const QString &name)
{
    return name.normalized(QString::NormalizationForm_D)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_D);
}

} // namespace fw::entrynames
