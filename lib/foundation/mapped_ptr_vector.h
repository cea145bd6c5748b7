#ifndef TESRA_FOUNDATION_MAPPED_PTR_VECTOR_H
#define TESRA_FOUNDATION_MAPPED_PTR_VECTOR_H

#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "foundation/Exceptions.h"
#include "foundation/FileMode.h"
#include "foundation/StringCompare.h"

class Serializer;

// Objects by name, held by pointer, each with the number of its first item in
// the binary block file (0 for objects not yet in any file). A slot may be
// empty (null): the object is still in the file and is read on first use.
//
// Ownership: the container owns NOTHING it points to. Its destructor, clear,
// erase and set never delete an object; the owner (a data block for its
// tables, a table file for its blocks) deletes them. The one exception is
// load(), which creates an object and hands it over to the owner through the
// slot; if the object cannot be read it is deleted again and the slot stays
// empty.
//
// What T must offer: GetName() and SetName(name); Write() returning the item
// number of its first item (a negative code, as a signed 32-bit number, on
// failure); Read(itemNumber) returning 0 on success (or nothing); and, for
// load(), a constructor from (name, CompareType) and SetSerializer(Serializer*).
//
// Names are unique under the container's StringLess; the owner refuses empty
// names. Lookups update a one-entry cache, so a container is used by one
// thread at a time.
template <typename T>
class mapped_ptr_vector {
public:
    // (slot, file item index) of a name.
    typedef std::pair<std::uint32_t, std::uint32_t> Entry;

    explicit mapped_ptr_vector(CompareType compareType) : _index(StringLess(compareType)) {}

    std::uint32_t size() const { return static_cast<std::uint32_t>(_slots.size()); }

    bool empty() const { return _slots.empty(); }

    // Empties the container; the objects stay alive.
    void clear() {
        _index.clear();
        _slots.clear();
        _ResetCache();
    }

    // The name's (slot, file item index), or (size, 0) when it is absent.
    Entry find(const std::string& name) const {
        if (_slots.empty())
            return Entry(0, 0);
        if (_cacheValid && _IsCached(name))
            return _cachedEntry;

        const auto it = _index.find(name);
        if (it == _index.end())
            return Entry(size(), 0);

        _SetCache(name, it->second);
        return it->second;
    }

    // The pointer in a slot; null when the object has not been read yet.
    T* operator[](std::uint32_t slot) const {
        if (slot >= _slots.size())
            throw std::out_of_range("Invalid index in mapped_ptr_vector::operator[]");
        return _slots[slot];
    }

    T* operator[](const std::string& name) const {
        const Entry entry = find(name);
        if (entry.first >= _slots.size())
            throw NotFoundException("Object not found", "mapped_ptr_vector::operator[]");
        return _slots[entry.first];
    }

    // The name registered for a slot (a scan of the index).
    const std::string& get_name(std::uint32_t slot) const {
        if (slot >= _slots.size())
            throw std::out_of_range("Invalid index in mapped_ptr_vector::get_name");
        for (const auto& item : _index)
            if (item.second.first == slot)
                return item.first;
        // Unreachable while the index and the slots agree.
        throw std::out_of_range("Invalid index in mapped_ptr_vector::get_name");
    }

    // Appends a present object under its own name.
    void push_back(T* object, std::uint32_t fileIndex = 0) {
        if (object == nullptr)
            throw EmptyValueException("NULL vector", "mapped_ptr_vector::push_back");
        _Append(object->GetName(), object, fileIndex);
    }

    // Appends an empty slot for an object that is still in the file.
    void push_back(const std::string& name, std::uint32_t fileIndex) {
        _Append(name, nullptr, fileIndex);
    }

    // Puts an object into the slot of its name. A pointer that was there is
    // not deleted; the file item index stays.
    void set(T* object) {
        if (object == nullptr)
            throw EmptyValueException("NULL vector", "mapped_ptr_vector::set");
        const Entry entry = find(object->GetName());
        if (entry.first >= _slots.size())
            throw NotFoundException("Object not found", "mapped_ptr_vector::set");
        _slots[entry.first] = object;
    }

    // The object in the name's slot reads itself from its file item index.
    // A failed read (non-zero result) throws FileException; the object then
    // holds what was read so far, and its owner decides what to do with it.
    void read(const std::string& name) {
        const Entry entry = find(name);
        T* const object = _Present(entry, "mapped_ptr_vector::read");
        const int result = _ReadObject(object, entry.second);
        if (result != 0)
            throw FileException("Could not read object \"" + name +
                                    "\" from the file, result code " + std::to_string(result),
                                "mapped_ptr_vector::read");
    }

    // The object writes itself; its first item number becomes the entry's
    // file item index and is returned. A failed write is refused.
    std::uint32_t write(const std::string& name) {
        const Entry entry = find(name);
        T* const object = _Present(entry, "mapped_ptr_vector::write");
        const auto result = object->Write();
        const std::int32_t code = static_cast<std::int32_t>(result);
        if (code < 0)
            throw InvalidStateException(
                "Could not write object \"" + name + "\", result code " + std::to_string(code),
                "mapped_ptr_vector::write");

        const std::uint32_t fileIndex = static_cast<std::uint32_t>(result);
        const Entry updated(entry.first, fileIndex);
        _index.find(name)->second = updated;
        _SetCache(name, updated);
        return fileIndex;
    }

    // Renames an entry and its object; slot and file item index stay.
    void rename(const std::string& oldName, const std::string& newName) {
        const Entry entry = find(oldName);
        T* const object = _Present(entry, "mapped_ptr_vector::rename");
        const Entry clash = find(newName);
        if (clash.first < _slots.size() && clash.first != entry.first)
            throw AlreadyExistsException("Object already exists", "mapped_ptr_vector::rename");

        _index.erase(oldName);
        _index.emplace(newName, entry);
        object->SetName(newName);
        _SetCache(newName, entry);
    }

    // Removes an entry and its slot; the object is not deleted.
    void erase(const std::string& name) {
        const Entry entry = find(name);
        if (entry.first >= _slots.size())
            throw NotFoundException("Object not found", "mapped_ptr_vector::erase");

        _slots.erase(_slots.begin() + entry.first);
        _index.erase(name);
        for (auto& item : _index)
            if (item.second.first > entry.first)
                --item.second.first;
        _ResetCache();
    }

    // Loading on first use: the object in a slot, read from the file when
    // the slot is empty. In create and in-memory modes there is nothing to
    // read and an empty slot gives null. The loaded object stays in its slot
    // and belongs to the owner like any other.
    T* load(std::uint32_t slot, Serializer* serializer, FileMode mode) {
        T* const present = (*this)[slot];
        if (present != nullptr)
            return present;
        if (mode == CREATE_MODE || mode == VIRTUAL_MODE)
            return nullptr;

        const std::string name = get_name(slot);
        if (serializer == nullptr)
            throw InvalidStateException("No Serializer to read object \"" + name + "\" from",
                                        "mapped_ptr_vector::read");

        std::unique_ptr<T> object = std::make_unique<T>(name, CompareType(0));
        object->SetSerializer(serializer);
        set(object.get());
        try {
            read(name);
        } catch (const MirtException&) {
            _slots[slot] = nullptr;
            throw;
        } catch (const std::bad_alloc&) {
            _slots[slot] = nullptr;
            throw;
        } catch (const std::exception& exc) {
            _slots[slot] = nullptr;
            throw FileException(
                "Could not read object \"" + name + "\" from the file: " + exc.what(),
                "mapped_ptr_vector::read");
        }
        return object.release();
    }

private:
    void _Append(const std::string& name, T* object, std::uint32_t fileIndex) {
        // A second entry under one name would leave a slot that the index
        // cannot reach.
        if (find(name).first < _slots.size())
            throw AlreadyExistsException("Object already exists", "mapped_ptr_vector::push_back");
        const Entry entry(static_cast<std::uint32_t>(_slots.size()), fileIndex);
        _slots.push_back(object);
        _index.emplace(name, entry);
        _SetCache(name, entry);
    }

    // The object of a found entry; absent names and empty slots are refused.
    T* _Present(const Entry& entry, const char* location) const {
        if (entry.first >= _slots.size() || _slots[entry.first] == nullptr)
            throw NotFoundException("Object not found", location);
        return _slots[entry.first];
    }

    static int _ReadObject(T* object, std::uint32_t fileIndex) {
        if constexpr (std::is_void_v<decltype(object->Read(fileIndex))>) {
            object->Read(fileIndex);
            return 0;
        } else {
            return static_cast<int>(object->Read(fileIndex));
        }
    }

    bool _IsCached(const std::string& name) const {
        const StringLess& less = _index.key_comp();
        return !less(name, _cachedName) && !less(_cachedName, name);
    }

    void _SetCache(const std::string& name, const Entry& entry) const {
        _cachedName = name;
        _cachedEntry = entry;
        _cacheValid = true;
    }

    void _ResetCache() const {
        _cacheValid = false;
        _cachedName.clear();
        _cachedEntry = Entry(size(), 0);
    }

    std::map<std::string, Entry, StringLess> _index;
    std::vector<T*> _slots;

    mutable bool _cacheValid = false;
    mutable std::string _cachedName;
    mutable Entry _cachedEntry = Entry(0, 0);
};

#endif
