#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The items of one kind in the order they were added, each under its key
// name, with a lookup by key. The shop screens list items in this order.
template <class Item> class CPShopTable {
  public:
    // Adds an item under a key. A key already present keeps its place and
    // takes the new item.
    void Add(const std::string& key, const Item& item)
    {
        const auto found = m_index.find(key);
        if (found != m_index.end()) {
            m_items[found->second].second = item;
            return;
        }
        m_index.emplace(key, m_items.size());
        m_items.emplace_back(key, item);
    }

    // The item under the key, or null when the table has none.
    const Item* Find(const std::string& key) const
    {
        const auto found = m_index.find(key);
        return found == m_index.end() ? nullptr : &m_items[found->second].second;
    }

    std::size_t GetCount() const { return m_items.size(); }
    const std::string& GetKey(std::size_t index) const { return m_items[index].first; }
    const Item& GetItem(std::size_t index) const { return m_items[index].second; }

    void Clear()
    {
        m_items.clear();
        m_index.clear();
    }

  private:
    std::vector<std::pair<std::string, Item>> m_items;
    std::unordered_map<std::string, std::size_t> m_index;
};
