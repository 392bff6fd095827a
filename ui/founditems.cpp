#include "ui/founditems.h"

int32_t FoundItems::append(const fw::FolderItem &item, const fw::String &kind)
{
    fw::Dictionary found;
    found.Value("item", item);
    found.Value("kind", kind);
    m_items.push_back(found);
    m_identities.push_back(fw::IdentityOf(item.nativePath()));
    const auto index = static_cast<int32_t>(m_items.size() - 1);
    m_byPath.insert(item.nativePath(), index);
    return index;
}

void FoundItems::clear()
{
    m_items.clear();
    m_identities.clear();
    m_byPath.clear();
}
