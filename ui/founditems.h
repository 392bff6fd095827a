#pragma once

#include "framework/dictionary.h"
#include "framework/folderitem.h"
#include "framework/itemidentity.h"

#include <QHash>

#include <cstdint>
#include <optional>
#include <vector>

// The found-item registry: every piece the collection found, once each by absolute path, as
// {"item": FolderItem, "kind": kind code}. Its index by path keeps registering n pieces linear.
class FoundItems
{
public:
    int32_t size() const { return static_cast<int32_t>(m_items.size()); }
    bool empty() const { return m_items.empty(); }
    const fw::Dictionary &operator[](int32_t index) const { return m_items.at(static_cast<size_t>(index)); }
    // What the piece was when it was registered; nullopt when it could not be reached then without
    // passing through a link.
    const std::optional<fw::ItemIdentity> &identity(int32_t index) const
    {
        return m_identities.at(static_cast<size_t>(index));
    }

    // The index of the piece at that absolute path, or -1.
    int32_t indexOf(const fw::String &absolutePath) const
    {
        return m_byPath.value(fw::nativeBytes(absolutePath), -1);
    }
    // Appends a new found item and returns its index.
    int32_t append(const fw::FolderItem &item, const fw::String &kind);
    void clear();

private:
    std::vector<fw::Dictionary> m_items;
    std::vector<std::optional<fw::ItemIdentity>> m_identities;
    QHash<QByteArray, int32_t> m_byPath; // by the path's bytes: names need not be UTF-8
};
