#pragma once
// Registry from a key (four-character codes in this system) to a creator of new objects.
#include <map>

namespace vemora {

template <class Base, class Key, class Creator>
class Factory {
public:
    // False when the key is already registered (the first creator stays).
    bool registerCreator(const Key& key, Creator creator) { return creators_.emplace(key, creator).second; }
    bool unregisterCreator(const Key& key) { return creators_.erase(key) == 1; }
    bool isRegistered(const Key& key) const { return creators_.count(key) == 1; }
    std::size_t size() const { return creators_.size(); }

    // A new object made by the key's creator, or null for an unknown key.
    Base* createObject(const Key& key) const
    {
        auto it = creators_.find(key);
        return it == creators_.end() ? nullptr : (it->second)();
    }

private:
    std::map<Key, Creator> creators_;
};

} // namespace vemora
