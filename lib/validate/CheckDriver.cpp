// CifFile: the entry points of validation, which run the checks of each
// block in order and write the report.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/Exceptions.h"
#include "foundation/MirtFile.h"
#include "validate/CheckDictionary.h"

namespace {

// Passes every character on to another stream buffer, unbuffered, and
// counts them; a flush flushes the target. The first write or flush the
// target refuses is kept with its errno, since the stream that wrote it may
// be one a check made and dropped.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::streambuf* target) : _target(target) {}

    std::streamsize Count() const { return _count; }
    bool Failed() const { return _failed; }
    int Error() const { return _error; }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        ++_count;
        if (_target == nullptr) {
            return c;
        }
        const int_type written = _target->sputc(traits_type::to_char_type(c));
        if (traits_type::eq_int_type(written, traits_type::eof())) {
            _Fail();
        }
        return written;
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        _count += n;
        if (_target == nullptr) {
            return n;
        }
        const std::streamsize written = _target->sputn(s, n);
        if (written != n) {
            _Fail();
        }
        return written;
    }

    int sync() override {
        if (_target == nullptr) {
            return 0;
        }
        const int synced = _target->pubsync();
        if (synced == -1) {
            _Fail();
        }
        return synced;
    }

private:
    void _Fail() {
        if (!_failed) {
            _failed = true;
            _error = errno;
        }
    }

    std::streambuf* _target;
    std::streamsize _count = 0;
    bool _failed = false;
    int _error = 0;
};

// What is written goes to `out` and is counted.
class CountingStream : public std::ostream {
public:
    explicit CountingStream(std::ostream& out) : std::ostream(nullptr), _buffer(out.rdbuf()) {
        rdbuf(&_buffer);
    }

    std::streamsize Count() const { return _buffer.Count(); }
    bool IsEmpty() const { return _buffer.Count() == 0; }
    bool Failed() const { return _buffer.Failed(); }
    int Error() const { return _buffer.Error(); }

private:
    CountingBuffer _buffer;
};

// A finding that does not reach the log is an error, never a silent loss.
void CheckWritten(const CountingStream& report, const std::string& logFileName) {
    if (report.Failed()) {
        throw FileException(
            "Cannot write log file \"" + logFileName + "\": " + std::strerror(report.Error()),
            "CifFile::DataChecking");
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
    // The dictionary is prepared by the step that first needs it, so that a
    // dictionary failure comes after what the earlier steps reported.
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
    // Every write to the log passes here, so that one check after each
    // block sees a failure of any of them.
    CountingStream report(log);

    std::vector<std::string> names;
    dictFile.GetBlockNames(names);
    if (names.size() > 1) {
        report << "WARNING - dictionary has " << names.size() << " datablocks" << std::endl;
        CheckWritten(report, logFileName);
    }
    // One preparation (tables, overlays, relations) serves every block.
    CheckDictionary dict(dictFile.GetBlock(dictFile.GetFirstBlockName()));

    // Each block's findings go to the log as they are found, so a large
    // report is never held whole; an empty line ends a block that has any.
    int status = 0;
    GetBlockNames(names);
    for (const std::string& name : names) {
        Block& block = GetBlock(name);
        const std::streamsize before = report.Count();
        try {
            status = _CheckBlock(block, dict, report);
        } catch (...) {
            // The check's exception is the one that passes on.
            if (report.Count() != before) {
                report << std::endl;
            }
            throw;
        }
        if (report.Count() != before) {
            report << std::endl;
        }
        CheckWritten(report, logFileName);
    }

    if (MirtFile::IsStreamEmpty(log)) {
        log.close();
        if (IsEmptyRegularFile(logFileName)) {
            MirtFile::Delete(logFileName);
        }
    }
    return status;
}
