// CifFile: the entry points of validation, which run the checks of each
// block in order and collect the report.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/Exceptions.h"
#include "foundation/MirtFile.h"
#include "validate/CheckDictionary.h"

namespace {

// Passes every character on to another stream buffer, unbuffered, and
// counts them; a flush flushes the target.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::streambuf* target) : _target(target) {}

    std::streamsize Count() const { return _count; }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        ++_count;
        return _target == nullptr ? c : _target->sputc(traits_type::to_char_type(c));
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        _count += n;
        return _target == nullptr ? n : _target->sputn(s, n);
    }

    int sync() override { return _target == nullptr ? 0 : _target->pubsync(); }

private:
    std::streambuf* _target;
    std::streamsize _count = 0;
};

// The report of one block: what is written goes to `out` and is counted.
class CountingStream : public std::ostream {
public:
    explicit CountingStream(std::ostream& out) : std::ostream(nullptr), _buffer(out.rdbuf()) {
        rdbuf(&_buffer);
    }

    bool IsEmpty() const { return _buffer.Count() == 0; }

private:
    CountingBuffer _buffer;
};

void WriteBlockReport(std::ostream& log, const std::string& report) {
    if (!report.empty()) {
        log << report << std::endl;
    }
}

// Only an empty regular file is removed: never a device such as /dev/null,
// a pipe, or a file reached through a link.
bool IsEmptyRegularFile(const std::string& fileName) {
    struct stat info;
    return ::lstat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

}  // namespace

int CifFile::BlockDataChecking(Block& block, Block& dictBlock, std::ostream& out,
                               bool skipUntypedItems, bool usePdbxItemTables) {
    _skipUntypedItems = skipUntypedItems;
    _usePdbxItemTables = usePdbxItemTables;
    CheckDictionary dict(dictBlock);
    return _CheckBlock(block, dict, out);
}

int CifFile::_CheckBlock(Block& block, CheckDictionary& dict, std::ostream& out) {
    // A dictionary that lacks a table the checks need fails here, before
    // anything of the block is reported.
    dict.Prepare(_usePdbxItemTables);
    CountingStream report(out);
    _CheckMandatoryCategories(block, dict.GetBlock(), report);
    _CheckCategoryKeys(block, report);
    _CheckItemCategories(block, report);
    _CheckCategories(block, dict, report);
    _CheckItemTypes(block, report);
    return report.IsEmpty() ? 1 : 0;
}

int CifFile::DataChecking(TableFile& dictFile, const std::string& logFileName,
                          bool skipUntypedItems, bool usePdbxItemTables) {
    _skipUntypedItems = skipUntypedItems;
    _usePdbxItemTables = usePdbxItemTables;
    std::ofstream log(logFileName, std::ios::out | std::ios::app);
    if (!log.is_open()) {
        throw FileException(
            "Cannot open log file \"" + logFileName + "\" for appending: " + std::strerror(errno),
            "CifFile::DataChecking");
    }

    std::vector<std::string> names;
    dictFile.GetBlockNames(names);
    if (names.size() > 1) {
        log << "WARNING - dictionary has " << names.size() << " datablocks" << std::endl;
    }
    // One preparation (tables, overlays, relations) serves every block.
    CheckDictionary dict(dictFile.GetBlock(dictFile.GetFirstBlockName()));

    int status = 0;
    GetBlockNames(names);
    for (const std::string& name : names) {
        Block& block = GetBlock(name);
        std::ostringstream report;
        try {
            status = _CheckBlock(block, dict, report);
        } catch (...) {
            WriteBlockReport(log, report.str());
            throw;
        }
        WriteBlockReport(log, report.str());
    }

    if (MirtFile::IsStreamEmpty(log)) {
        log.close();
        if (IsEmptyRegularFile(logFileName)) {
            MirtFile::Delete(logFileName);
        }
    }
    return status;
}
