#ifndef TESRA_TESTS_FOUNDATION_BLOCKITEMS_H
#define TESRA_TESTS_FOUNDATION_BLOCKITEMS_H

// Items of the binary block file of any of the four kinds, written, updated
// and read through one set of calls; and the words of a file's bytes.

#include <string>
#include <vector>

#include "foundation/Serializer.h"

typedef std::vector<UInt32> Words;
typedef std::vector<std::string> Texts;

struct Item {
    enum Kind { NUMBER, NUMBERS, TEXT, TEXTS };
    Kind kind;
    UInt32 number;
    Words numbers;
    std::string text;
    Texts texts;

    bool operator==(const Item& o) const {
        return kind == o.kind && number == o.number && numbers == o.numbers && text == o.text &&
               texts == o.texts;
    }
    // The bytes the item takes in the file, counts included.
    std::size_t Length() const {
        std::size_t length = kind == NUMBERS ? 4 + 4 * numbers.size() : 4 + text.size();
        for (const std::string& t : texts) length += 4 + t.size();
        return length;
    }
};
typedef std::vector<Item> Items;

inline Item U(UInt32 value) {
    return {Item::NUMBER, value, {}, "", {}};
}
inline Item Us(const Words& values) {
    return {Item::NUMBERS, 0, values, "", {}};
}
inline Item S(const std::string& value) {
    return {Item::TEXT, 0, {}, value, {}};
}
inline Item Ss(const Texts& values) {
    return {Item::TEXTS, 0, {}, "", values};
}

inline Items operator+(Items a, const Items& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Writes the item at n (the entry count appends) or updates item n; returns
// the item number the value now has.
inline UInt32 PutItem(Serializer& ser, const Item& item, UInt32 n, bool update = false) {
    switch (item.kind) {
        case Item::NUMBER:
            return update ? ser.UpdateUInt32(item.number, n)
                          : (ser.WriteUInt32AtIndex(item.number, n), n);
        case Item::NUMBERS:
            return update ? ser.UpdateUInt32s(item.numbers, n)
                          : (ser.WriteUInt32sAtIndex(item.numbers, n), n);
        case Item::TEXT:
            return update ? ser.UpdateString(item.text, n)
                          : (ser.WriteStringAtIndex(item.text, n), n);
        default:
            return update ? ser.UpdateStrings(item.texts, n)
                          : (ser.WriteStringsAtIndex(item.texts, n), n);
    }
}

// Reads item n with the reader of the kind; the readers replace what their
// output held.
inline Item ReadItem(Serializer& ser, Item::Kind kind, UInt32 n) {
    Item item{kind, 0, {}, "", {}};
    if (kind == Item::NUMBER)
        item.number = ser.ReadUInt32(n);
    else if (kind == Item::NUMBERS)
        ser.ReadUInt32s(item.numbers = {9}, n);
    else if (kind == Item::TEXT)
        ser.ReadString(item.text = "stale", n);
    else
        ser.ReadStrings(item.texts = {"stale"}, n);
    return item;
}

// A new block file holding the items, the first as item 0.
inline void WriteItems(const std::string& path, const Items& items) {
    Serializer ser(path, CREATE_MODE);
    for (const Item& item : items) PutItem(ser, item, ser.GetNumIndices());
}

// The little-endian words at (block, offset) of a file's bytes.
inline Words WordsAt(const std::string& bytes, UInt32 block, UInt32 offset, UInt32 count = 1) {
    Words words;
    for (std::size_t at = block * 8192u + offset; words.size() < count && at + 4 <= bytes.size();
         at += 4)
        words.push_back(BlockIO::GetWord(bytes.data() + at));
    return words;
}

inline void PutWordAt(std::string& bytes, UInt32 block, UInt32 offset, UInt32 value) {
    BlockIO::PutWord(&bytes[block * 8192u + offset], value);
}

// Index entry i: block, offset, length, type, reserved room, three zeros.
inline Words EntryAt(const std::string& bytes, UInt32 i) {
    return WordsAt(bytes, WordsAt(bytes, 0, 0)[0] + i / 256, 32 * (i % 256), 8);
}

#endif
