// A map for the few entries that the framework keeps per window or per tray icon (a dozen
// at most), kept as a plain array searched in order. std::map would bring the C++ library's
// tree functions, which come compiled for later processors than the 32-bit program runs on.
#ifndef AURELON_FRAMEWORK_FLATMAP_H
#define AURELON_FRAMEWORK_FLATMAP_H

#include <utility>
#include <vector>

template <typename TKey, typename TValue>
class CFlatMap
{
public:
    typedef typename std::vector<std::pair<TKey, TValue>>::const_iterator const_iterator;

    // The value stored for the key, or TValue() when there is none.
    TValue Lookup(TKey key) const
    {
        for (const std::pair<TKey, TValue>& entry : m_entries)
        {
            if (entry.first == key)
                return entry.second;
        }
        return TValue();
    }

    void SetAt(TKey key, TValue value)
    {
        for (std::pair<TKey, TValue>& entry : m_entries)
        {
            if (entry.first == key)
            {
                entry.second = value;
                return;
            }
        }
        m_entries.emplace_back(key, value);
    }

    void RemoveKey(TKey key)
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        {
            if (it->first == key)
            {
                m_entries.erase(it);
                return;
            }
        }
    }

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

private:
    std::vector<std::pair<TKey, TValue>> m_entries;
};

#endif
