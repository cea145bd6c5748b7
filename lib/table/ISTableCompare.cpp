// ISTable: comparing two tables, merging one into a copy of the other
// through the key index, and the printed comparison report.

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <memory>
#include <utility>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"

namespace {
const char* const KEY_INDEX_NAME = "__key__";
}

int ISTable::Compare(const ISTable& other) const {
    if (_colCompareType != other._colCompareType) {
        return 1;
    }
    const unsigned int numColumns = GetNumColumns();
    const unsigned int otherColumns = other.GetNumColumns();
    if (numColumns > otherColumns) {
        return 2;
    }
    if (numColumns < otherColumns) {
        return 3;
    }
    if (GetColumnNames() != other.GetColumnNames()) {
        return 4;
    }
    if (_numRows > other._numRows) {
        return 5;
    }
    if (_numRows < other._numRows) {
        return 6;
    }

    std::vector<std::string> mine;
    std::vector<std::string> theirs;
    for (const std::string& colName : GetColumnNames()) {
        GetColumn(mine, colName);
        other.GetColumn(theirs, colName);
        if (mine != theirs) {
            return 7;
        }
    }
    return 0;
}

ISTable* ISTable::Merge(ISTable& other, unsigned int mergeType) {
    const unsigned int keyNumber = GetKeyIndexNumber();
    auto merged = std::make_unique<ISTable>(*this);
    merged->DeleteIndex(KEY_INDEX_NAME);

    for (const std::string& colName : other.GetColumnNames()) {
        if (!merged->IsColumnPresent(colName)) {
            merged->AddColumn(colName, std::vector<std::string>());
        }
    }

    const unsigned int numOtherRows = other.GetNumRows();
    if (numOtherRows == 0) {
        return merged.release();
    }

    // Where each column of the result is in other; every one must be there.
    const std::vector<std::string>& mergedNames = merged->GetColumnNames();
    std::vector<unsigned int> otherColumns;
    other.GetColumnIndices(otherColumns, mergedNames);

    // The key: this table's key columns in their column order.
    std::vector<unsigned int> keyColumns = _indexColumns[keyNumber];
    std::sort(keyColumns.begin(), keyColumns.end());
    std::vector<std::string> keyNames;
    for (const unsigned int c : keyColumns) {
        keyNames.push_back(mergedNames[c]);
    }

    const unsigned int numOwnColumns = GetNumColumns();
    std::vector<std::string> targets(keyColumns.size());
    std::vector<unsigned int> found;
    for (unsigned int r = 0; r < numOtherRows; ++r) {
        std::vector<std::string> row;
        row.reserve(otherColumns.size());
        for (const unsigned int c : otherColumns) {
            row.push_back(other(r, c));
        }
        for (std::size_t k = 0; k < keyColumns.size(); ++k) {
            targets[k] = row[keyColumns[k]];
        }

        merged->Search(found, targets, keyNames, 0, 0, 0, std::string());
        if (found.empty()) {
            merged->InsertRow(merged->GetNumRows(), std::move(row));
            continue;
        }
        const unsigned int m = found.front();
        if (mergeType == 1) {
            for (unsigned int j = 0; j < numOwnColumns; ++j) {
                if ((*merged)(m, j).empty()) {
                    merged->UpdateCell(row[j], j, m);
                }
            }
        } else {
            merged->FillRow(m, row);
        }
    }
    return merged.release();
}

int ISTable::PrintComparison(ISTable& other) {
    const unsigned int keyNumber = GetKeyIndexNumber();
    const unsigned int otherKeyNumber = other.GetKeyIndexNumber();
    if (keyNumber == NO_INDEX || otherKeyNumber == NO_INDEX) {
        const std::string& which = keyNumber == NO_INDEX ? _name : other._name;
        throw NotFoundException("Key search index not found in the table \"" + which + "\"",
                                "ISTable::PrintComparison");
    }
    const std::vector<unsigned int>& keyColumns = _indexColumns[keyNumber];
    const std::vector<unsigned int>& otherKeyColumns = other._indexColumns[otherKeyNumber];
    if (keyColumns.size() != otherKeyColumns.size()) {
        throw NotFoundException("Key search indices of the tables \"" + _name + "\" and \"" +
                                    other._name + "\" differ in their number of columns",
                                "ISTable::PrintComparison");
    }

    std::ostream& out = std::cout;
    int result = 1;
    out << "** Compares table " << _name << " and table " << other._name << " **" << std::endl;
    out << "----------------- Columns report -----------------" << std::endl;

    // Positions of the columns both tables hold, in this table's order.
    std::vector<std::pair<unsigned int, unsigned int> > common;
    const std::vector<std::string>& names = GetColumnNames();
    for (unsigned int i = 0; i < names.size(); ++i) {
        if (!other.IsColumnPresent(names[i])) {
            out << std::setw(5) << i << "  < (" << names[i] << ")" << std::endl;
            result = 0;
            continue;
        }
        const unsigned int otherPos = other.GetColumnIndex(names[i]);
        out << std::setw(5) << i << std::setw(20) << otherPos << "    (" << names[i] << ")"
            << std::endl;
        common.emplace_back(i, otherPos);
    }
    const std::vector<std::string>& otherNames = other.GetColumnNames();
    for (unsigned int i = 0; i < otherNames.size(); ++i) {
        if (!IsColumnPresent(otherNames[i])) {
            out << std::setw(25) << i << "  < (" << otherNames[i] << ")" << std::endl;
            result = 0;
        }
    }

    out << std::endl;
    out << "------------------ Rows report ------------------" << std::endl;

    std::vector<std::string> keyNames;
    for (const unsigned int c : otherKeyColumns) {
        keyNames.push_back(otherNames[c]);
    }
    std::vector<std::string> targets(keyColumns.size());
    std::vector<unsigned int> found;
    std::vector<unsigned int> differing;
    for (unsigned int r = 0; r < _numRows; ++r) {
        for (std::size_t k = 0; k < keyColumns.size(); ++k) {
            targets[k] = (*this)(r, keyColumns[k]);
        }
        other.Search(found, targets, keyNames, 0, 0, 0, std::string());
        if (found.empty()) {
            out << std::setw(5) << r << "  <" << std::endl;
            result = 0;
            continue;
        }
        const unsigned int m = found.front();
        bool same = true;
        for (const auto& columns : common) {
            if ((*this)(r, columns.first) != other(m, columns.second)) {
                same = false;
                break;
            }
        }
        if (same) {
            out << std::setw(5) << r << std::setw(10) << m << std::endl;
        } else {
            out << std::setw(5) << r << "  *" << std::endl;
            differing.push_back(m);
            result = 0;
        }
    }
    for (const unsigned int m : differing) {
        out << std::setw(15) << m << "  *" << std::endl;
    }
    out << std::endl;
    return result;
}
