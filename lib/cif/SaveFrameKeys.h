#ifndef TESRA_CIF_SAVEFRAMEKEYS_H
#define TESRA_CIF_SAVEFRAMEKEYS_H

#include <cstddef>
#include <string>
#include <vector>

struct CategoryBuffer;

// DDL2 leaves some key items implicit inside a save frame: they take their
// value from the frame (the item name in an item's frame, the category id in
// a category's frame). When the frames of a dictionary are merged into one
// block, these items must be written out or the rows could not be told apart.
//
// The implicit keys of one category, for each kind of frame, found once: a
// dictionary has thousands of frames over a few dozen categories, and a
// search of the whole list per frame and category cost 5% of the
// instructions of reading the PDBx dictionary.
class ImplicitFrameKeys {
public:
    ImplicitFrameKeys() = default;  // none
    explicit ImplicitFrameKeys(const std::string& category);

    // Fills, in the rows [firstRow, end) that one frame added to the category,
    // the implicit key columns that the frame did not give (given[col] true
    // means the frame gave that column). frameName is the text after "save_";
    // a frame whose name starts with "_" defines an item, any other a
    // category. frameKey is the value of the keys: the item name for an
    // item's frame, the category id (as the frame gave it, else the frame
    // name) for a category's.
    void Fill(CategoryBuffer& buffer, std::size_t firstRow, const std::vector<bool>& given,
              const std::string& frameName, const std::string& frameKey) const;

private:
    // Indices into the lists of implicit keys of item and of category frames;
    // a category has at most two of either (_item: name and category_id).
    static constexpr std::size_t kMaxKeys = 2;
    unsigned char _itemKeys[kMaxKeys] = {};
    std::size_t _numItemKeys = 0;
    unsigned char _categoryKeys[kMaxKeys] = {};
    std::size_t _numCategoryKeys = 0;
};

// True when the frame of that name defines an item (its name starts with "_").
inline bool IsItemFrame(const std::string& frameName) {
    return !frameName.empty() && frameName[0] == '_';
}

#endif  // TESRA_CIF_SAVEFRAMEKEYS_H
