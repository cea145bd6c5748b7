#include "validate/ByteClasses.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

ByteClasses::ByteClasses(const ConstructReader& reader) {
    // The distinct sets and bytes, in order of first appearance; a byte
    // repeated many times, or a set, is one split.
    std::vector<ByteSet> splits;
    std::unordered_set<ByteSet> seen;
    auto add = [&](const ByteSet& set) {
        if (seen.insert(set).second) {
            splits.push_back(set);
        }
    };
    for (const ConstructReader::Token& token : reader.Tokens()) {
        if (token.kind == ConstructReader::Token::kSet) {
            add(reader.Sets()[token.index]);
        } else if (token.kind == ConstructReader::Token::kByte) {
            add(ByteSet().set(token.byte));
        }
    }
    std::stable_sort(splits.begin(), splits.end(),
                     [](const ByteSet& a, const ByteSet& b) { return a.count() > b.count(); });
    std::vector<ByteSet> classes(1, ByteSet().set());
    std::vector<ByteSet> next;
    for (const ByteSet& split : splits) {
        if (classes.size() == 256) {
            break;  // every byte is a class of its own
        }
        next.clear();
        for (const ByteSet& c : classes) {
            const ByteSet in = c & split;
            const ByteSet out = c & ~split;
            if (in.any()) {
                next.push_back(in);
            }
            if (out.any()) {
                next.push_back(out);
            }
        }
        classes.swap(next);
    }
    _count = static_cast<unsigned>(classes.size());
    if (_count == 256) {
        return;
    }
    for (unsigned n = 0; n < _count; ++n) {
        for (unsigned b = 0; b < 256; ++b) {
            if (classes[n].test(b)) {
                _of[b] = static_cast<unsigned char>(n + 1);
            }
        }
    }
    _sets.reserve(reader.Sets().size());
    for (const ByteSet& bytes : reader.Sets()) {
        ByteSet numbers;
        for (unsigned b = 0; b < 256; ++b) {
            if (bytes.test(b)) {
                numbers.set(_of[b]);
            }
        }
        _sets.push_back(numbers);
    }
}

unsigned long ByteClasses::Ranges(const ByteSet& set) {
    // A run starts at each member whose byte below is no member.
    return (set & ~(set << 1)).count();
}
