// Creates objects of a family by a key (an element's XML tag name, for instance).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

template <class Product, class Key = std::string>
class Factory {
  public:
    using Creator = std::function<std::unique_ptr<Product>()>;

    // Adds a creator; false when the key is taken already.
    bool Register(const Key& key, Creator creator) {
        return m_creators.emplace(key, std::move(creator)).second;
    }

    // Removes a creator; false when there was none.
    bool Unregister(const Key& key) { return m_creators.erase(key) == 1; }

    bool IsRegistered(const Key& key) const { return m_creators.count(key) == 1; }

    // A new object for the key; std::runtime_error "Unknown Type" when none is registered.
    std::unique_ptr<Product> CreateObject(const Key& key) const {
        auto it = m_creators.find(key);
        if (it == m_creators.end()) {
            throw std::runtime_error("Unknown Type");
        }
        return it->second();
    }

  private:
    std::map<Key, Creator> m_creators;
};
