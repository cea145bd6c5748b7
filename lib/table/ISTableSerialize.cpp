// ISTable: writing a table to the binary block file in the current layout
// "V9", choosing the reader of a stored table by its first item, and the
// readers of the layouts that store segment groups ("V9", "V8", "V7").

#include <cstdint>
#include <stdexcept>

#include "foundation/Serializer.h"
#include "table/ISTable.h"

namespace {
// The first item of every table this library writes.
const char VERSION_TAG[] = "V9";

// The number a column gets when the file holds none for it.
const unsigned int DEFAULT_COLUMN_NUMBER = 15;

// Items a segment group takes at least: width, tuple count, orientation.
const std::uint64_t MIN_GROUP_ITEMS = 3;
}  // namespace

// ---- Writing --------------------------------------------------------------

unsigned int ISTable::Write() const {
    unsigned int numItems = 0;
    return Write(_serializer, numItems);
}

unsigned int ISTable::Write(Serializer* ser, unsigned int& numItems) const {
    if (ser == nullptr) {
        return static_cast<unsigned int>(NO_SERIALIZER);
    }
    const unsigned int handle = ser->WriteString(VERSION_TAG);
    ser->WriteString(_name);
    ser->WriteUInt32(static_cast<UInt32>(_segments.size()));
    for (const ITTable& segment : _segments) {
        segment.Write(ser);
    }
    ser->WriteUInt32(static_cast<UInt32>(_colCompareType));

    const unsigned int numColumns = _colNames.size();
    unsigned int last = ser->WriteUInt32(numColumns);
    if (numColumns > 0) {
        ser->WriteStrings(_colNames.get_vector());
        ser->WriteUInt32s(_colNumbers);
        std::string flags(numColumns, ' ');
        for (unsigned int j = 0; j < numColumns; ++j) {
            flags[j] = static_cast<char>(_colFlags[j]);
        }
        ser->WriteString(flags);

        last = ser->WriteUInt32(GetNumIndices());
        if (!_indexNames.empty()) {
            ser->WriteStrings(_indexNames);
            last = ser->WriteUInt32s(_indexFlags);
            for (const std::vector<unsigned int>& columns : _indexColumns) {
                last = ser->WriteUInt32s(columns);
            }
        }
    }
    numItems = last - handle + 1;
    return handle;
}

// ---- Reading: choosing the layout -----------------------------------------

int ISTable::Read(unsigned int indexInFile) {
    return Read(indexInFile, _serializer);
}

int ISTable::Read(unsigned int indexInFile, Serializer* ser) {
    if (ser == nullptr) {
        return NO_SERIALIZER;
    }
    Clear();

    std::string tag;
    ser->ReadString(tag, indexInFile);
    const unsigned int first = indexInFile + 1;

    int result = READ_DONE;
    try {
        // The suffixes are looked for from the end of the tag, " $$$3"
        // first; everything from the suffix on is dropped from the name.
        static const char* const suffixes[] = {" $$$3", " $$$2", " $$$1"};
        std::size_t found = std::string::npos;
        unsigned int which = 0;
        for (; which < 3; ++which) {
            found = tag.rfind(suffixes[which]);
            if (found != std::string::npos) {
                break;
            }
        }
        if (found != std::string::npos) {
            _name = tag.substr(0, found);
            result = which == 0   ? _ReadVersion3(first, ser)
                     : which == 1 ? _ReadVersion2(first, ser)
                                  : _ReadVersion1(first, ser);
        } else if (tag == VERSION_TAG) {
            result = _ReadVersion9(first, ser);
        } else if (tag == "V8") {
            result = _ReadVersion8(first, ser);
        } else if (tag == "V7") {
            result = _ReadVersion7(first, ser);
        } else if (tag == "V6") {
            result = _ReadVersion6(first, ser);
        } else {
            _name = tag;
            result = _ReadVersion0(first, ser);
        }
    } catch (...) {
        _SettleAfterFailedRead();
        throw;
    }
    if (result != READ_DONE) {
        _SettleAfterFailedRead();
    }
    return result;
}

// ---- Reading: layouts with segment groups ---------------------------------

int ISTable::_ReadVersion9(unsigned int first, Serializer* ser) {
    ser->ReadString(_name, first);
    const UInt32 numSegments = ser->ReadUInt32(first + 1);

    // Every group takes at least three items, so a count the file cannot
    // hold is refused before any segment is made.
    const std::uint64_t firstGroup = static_cast<std::uint64_t>(first) + 2;
    const std::uint64_t numItems = ser->GetNumIndices();
    if (numSegments == 0 || firstGroup > numItems ||
        numSegments > (numItems - firstGroup) / MIN_GROUP_ITEMS) {
        return COUNT_MISMATCH;
    }

    _segments.reserve(numSegments);
    while (_segments.size() < numSegments) {
        _segments.emplace_back();
    }
    unsigned int g = first + 2;
    for (ITTable& segment : _segments) {
        g = segment.Read(g, ser);
    }
    return _ReadColumnItems(g, ser, false);
}

int ISTable::_ReadVersion8(unsigned int first, Serializer* ser) {
    ser->ReadString(_name, first);
    const unsigned int m = _segments[0].Read(first + 1, ser);
    return _ReadColumnItems(m, ser, false);
}

int ISTable::_ReadVersion7(unsigned int first, Serializer* ser) {
    ser->ReadString(_name, first);
    const unsigned int m = _segments[0].Read(first + 1, ser);
    return _ReadColumnItems(m, ser, true);
}

int ISTable::_ReadColumnItems(unsigned int m, Serializer* ser, bool indexListsBeforeFlags) {
    _RebuildStarts();
    _orientation = _segments[0].GetOrientation();
    _colCompareType = static_cast<CompareType>(ser->ReadUInt32(m));

    const UInt32 numColumns = ser->ReadUInt32(m + 1);
    // Checked before the names are read: cells that no column covers, or
    // columns that the segments lack, would be read as a sound table.
    if (!_SegmentsFitColumns(numColumns)) {
        return COUNT_MISMATCH;
    }
    if (numColumns == 0) {
        return READ_DONE;
    }

    std::vector<std::string> names;
    ser->ReadStrings(names, m + 2);
    const int namesResult = _TakeColumnNames(names, numColumns);
    if (namesResult != READ_DONE) {
        return namesResult;
    }

    std::vector<UInt32> numbers;
    ser->ReadUInt32s(numbers, m + 3);
    if (numbers.size() != numColumns) {
        return COUNT_MISMATCH;
    }
    _colNumbers.assign(numbers.begin(), numbers.end());

    std::string flags;
    ser->ReadString(flags, m + 4);
    if (flags.size() != numColumns) {
        return COUNT_MISMATCH;
    }
    _TakeColumnFlags(flags, numColumns);

    const UInt32 numIndices = ser->ReadUInt32(m + 5);
    if (numIndices == 0) {
        return READ_DONE;
    }
    return _ReadStoredIndices(m + 6, numIndices, ser, indexListsBeforeFlags, false);
}

// ---- Reading: steps shared by every layout --------------------------------

int ISTable::_TakeColumnNames(const std::vector<std::string>& names, unsigned int numColumns) {
    if (names.size() != numColumns) {
        return COUNT_MISMATCH;
    }
    // An empty or repeated name would give a column that no lookup reaches.
    for (const std::string& name : names) {
        if (name.empty() || _colNames.find(name) != _colNames.size()) {
            return COUNT_MISMATCH;
        }
        _colNames.push_back(name);
    }
    return READ_DONE;
}

void ISTable::_TakeColumnFlags(const std::string& flags, unsigned int numColumns) {
    _colFlags.clear();
    _colFlags.reserve(numColumns);
    for (unsigned int j = 0; j < numColumns; ++j) {
        const ColumnFlags byte = static_cast<ColumnFlags>(flags[j]);
        _colFlags.push_back(byte);
        for (ITTable& segment : _segments) {
            // A segment without rows holds the columns in name only.
            if (segment.GetNumColumns() > j) {
                segment.SetFlags(byte, j);
            }
        }
    }
}

int ISTable::_ReadStoredIndices(unsigned int namesItem, unsigned int numIndices, Serializer* ser,
                                bool listsBeforeFlags, bool shortFlagsMeanNotUnique) {
    std::vector<std::string> names;
    ser->ReadStrings(names, namesItem);
    if (names.size() != numIndices) {
        return COUNT_MISMATCH;
    }

    std::vector<UInt32> flags;
    std::vector<std::vector<UInt32> > lists(listsBeforeFlags ? numIndices : 0);
    if (listsBeforeFlags) {
        for (unsigned int i = 0; i < numIndices; ++i) {
            ser->ReadUInt32s(lists[i], namesItem + 1 + i);
        }
        ser->ReadUInt32s(flags, namesItem + 1 + numIndices);
    } else {
        ser->ReadUInt32s(flags, namesItem + 1);
    }
    if (flags.size() < numIndices && !shortFlagsMeanNotUnique) {
        return COUNT_MISMATCH;
    }

    std::vector<UInt32> columns;
    for (unsigned int i = 0; i < numIndices; ++i) {
        const unsigned int unique = i < flags.size() ? flags[i] : 0;
        if (listsBeforeFlags) {
            CreateIndex(names[i], lists[i], unique);
        } else {
            ser->ReadUInt32s(columns, namesItem + 2 + i);
            CreateIndex(names[i], columns, unique);
        }
    }
    return READ_DONE;
}

bool ISTable::_SegmentsFitColumns(unsigned int numColumns) const {
    const unsigned int orientation = _segments[0].GetOrientation();
    for (const ITTable& segment : _segments) {
        const unsigned int segmentRows = segment.GetNumRows();
        const unsigned int segmentColumns = segment.GetNumColumns();
        if (segment.GetOrientation() != orientation) {
            return false;
        }
        if (_segments.size() > 1 && segmentRows == 0) {
            return false;
        }
        if (segmentColumns != numColumns && !(segmentColumns == 0 && segmentRows == 0)) {
            return false;
        }
    }
    return true;
}

void ISTable::_SettleAfterFailedRead() {
    const unsigned int numColumns = _colNames.size();
    _colNumbers.resize(numColumns, DEFAULT_COLUMN_NUMBER);
    _colFlags.resize(numColumns, DEFAULT_COLUMN_FLAGS);
    if (_segments.empty() || !_SegmentsFitColumns(numColumns)) {
        const std::string name = _name;
        Clear();
        _name = name;
        return;
    }
    _orientation = _segments[0].GetOrientation();
    _RebuildStarts();
}
