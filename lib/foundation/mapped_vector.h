#ifndef TESRA_FOUNDATION_MAPPED_VECTOR_H
#define TESRA_FOUNDATION_MAPPED_VECTOR_H

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "foundation/StringCompare.h"

// An ordered list of unique names with a name-to-position index and a
// one-entry cache of the last name found. A table keeps its column names in
// one: the list is the column order, the index turns a name into its column
// number, and the cache makes a run of lookups of one column cost a single
// comparison.
//
// Short lists (most tables have a handful of columns) keep no index: a scan
// costs less than a map node per name. The index is built once the list
// outgrows kLinearLimit and kept from then on; the answers are the same
// either way (the first listed equivalent name wins).
//
// Names are equal when the list's StringLess finds neither before the other.
// The empty name is not a usable name: owners never store it.
//
// The list owns its names. Lookups update the cache (it is mutable so that
// lookups work on const lists), so a list is used by one thread at a time.
// Bad positions, inserting a present name and erasing an absent one throw
// std::out_of_range.
class mapped_vector {
public:
    explicit mapped_vector(CompareType compareType) : _index(StringLess(compareType)) {}

    // Copies start with an empty cache.
    mapped_vector(const mapped_vector& other)
        : _index(other._index), _names(other._names), _indexed(other._indexed) {}

    mapped_vector(mapped_vector&& other) noexcept
        : _index(std::move(other._index)),
          _names(std::move(other._names)),
          _indexed(other._indexed),
          _cacheValid(other._cacheValid),
          _cachedName(std::move(other._cachedName)),
          _cachedPos(other._cachedPos) {
        other._index.clear();
        other._names.clear();
        other._indexed = false;
        other._ResetCache();
    }

    mapped_vector& operator=(const mapped_vector& other) {
        if (this != &other) {
            _index = other._index;
            _names = other._names;
            _indexed = other._indexed;
            _ResetCache();
        }
        return *this;
    }

    mapped_vector& operator=(mapped_vector&& other) noexcept {
        if (this != &other) {
            _index = std::move(other._index);
            _names = std::move(other._names);
            _indexed = other._indexed;
            _cacheValid = other._cacheValid;
            _cachedName = std::move(other._cachedName);
            _cachedPos = other._cachedPos;
            other._index.clear();
            other._names.clear();
            other._indexed = false;
            other._ResetCache();
        }
        return *this;
    }

    // Places a new name at position pos (0 to size); later names move up.
    // The cache takes the inserted name.
    void insert(std::uint32_t pos, const std::string& name) {
        if (find(name) != _names.size())
            throw std::out_of_range("Element exists in mapped_vector::insert");
        if (pos > _names.size())
            throw std::out_of_range("Invalid index in mapped_vector::insert");

        _names.insert(_names.begin() + pos, name);
        if (_indexed) {
            for (auto& entry : _index)
                if (entry.second >= pos)
                    ++entry.second;
            _index.emplace(name, pos);
        } else
            _IndexIfLong();
        _SetCache(name, pos);
    }

    // Appends a name. The caller appends only names that are absent; an
    // equivalent name already indexed keeps its index entry. The cache does
    // not change.
    void push_back(const std::string& name) {
        _names.push_back(name);
        _IndexLast();
    }

    void push_back(std::string&& name) {
        _names.push_back(std::move(name));
        _IndexLast();
    }

    // Removes a name; later names move down. The cache is emptied.
    void erase(const std::string& name) {
        const std::uint32_t pos = find(name);
        if (pos >= _names.size())
            throw std::out_of_range("Element not found in mapped_vector::erase");

        _ResetCache();
        // Remove the index entry before the list entry: the key may be the
        // very string object that the list holds.
        if (_indexed)
            _index.erase(name);
        _names.erase(_names.begin() + pos);
        if (_indexed)
            for (auto& entry : _index)
                if (entry.second >= pos)
                    --entry.second;
    }

    // The name's position, or size() when the name is absent (the cache
    // then stays as it was).
    std::uint32_t find(const std::string& name) const {
        if (_cacheValid && _IsCached(name))
            return _cachedPos;

        if (!_indexed) {
            const StringLess& less = _index.key_comp();
            for (std::size_t i = 0; i < _names.size(); ++i) {
                if (!less(name, _names[i]) && !less(_names[i], name)) {
                    _SetCache(name, static_cast<std::uint32_t>(i));
                    return static_cast<std::uint32_t>(i);
                }
            }
            return static_cast<std::uint32_t>(_names.size());
        }

        const auto it = _index.find(name);
        if (it == _index.end())
            return static_cast<std::uint32_t>(_names.size());

        _SetCache(name, it->second);
        return it->second;
    }

    const std::string& operator[](std::uint32_t pos) const {
        if (pos >= _names.size())
            throw std::out_of_range("Invalid index in mapped_vector::operator[]");
        return _names[pos];
    }

    std::uint32_t size() const { return static_cast<std::uint32_t>(_names.size()); }

    // Room for n names, so that appending up to n takes one allocation.
    void reserve(std::size_t n) { _names.reserve(n); }

    bool empty() const { return _names.empty(); }

    // The names in position order.
    const std::vector<std::string>& get_vector() const { return _names; }

    std::vector<std::string>::const_iterator begin() const { return _names.begin(); }

    std::vector<std::string>::const_iterator end() const { return _names.end(); }

    void clear() {
        _index.clear();
        _indexed = false;
        _names.clear();
        _ResetCache();
    }

private:
    // Lists up to this length are searched by a scan.
    static constexpr std::size_t kLinearLimit = 16;

    // Indexes the name just appended (or the whole list, once it grows past
    // the limit). An equivalent name already indexed keeps its entry.
    void _IndexLast() {
        if (_indexed)
            _index.emplace(_names.back(), static_cast<std::uint32_t>(_names.size() - 1));
        else
            _IndexIfLong();
    }

    void _IndexIfLong() {
        if (_names.size() <= kLinearLimit)
            return;
        for (std::size_t i = 0; i < _names.size(); ++i)
            _index.emplace(_names[i], static_cast<std::uint32_t>(i));
        _indexed = true;
    }

    bool _IsCached(const std::string& name) const {
        const StringLess& less = _index.key_comp();
        return !less(name, _cachedName) && !less(_cachedName, name);
    }

    void _SetCache(const std::string& name, std::uint32_t pos) const {
        _cachedName = name;
        _cachedPos = pos;
        _cacheValid = true;
    }

    // An empty cache is marked by a flag rather than by comparing with the
    // empty name, so that no lookup ever matches a name that is not in the
    // list (and a numeric ordering never has to convert an empty text).
    void _ResetCache() const {
        _cacheValid = false;
        _cachedName.clear();
        _cachedPos = 0;
    }

    std::map<std::string, std::uint32_t, StringLess> _index;
    std::vector<std::string> _names;
    bool _indexed = false;  // _index holds every name

    mutable bool _cacheValid = false;
    mutable std::string _cachedName;
    mutable std::uint32_t _cachedPos = 0;
};

#endif
