#ifndef TESRA_TOOL_IO_FILETEXT_H
#define TESRA_TOOL_IO_FILETEXT_H

#include <string>

// Reads the whole file as bytes. Returns false when it is missing, a
// directory, or cannot be opened or read.
bool read_file_text(const std::string& path, std::string& content);

// A file being replaced by `path`'s new content: the text goes to a temporary
// file in the same directory, which replaces `path` by rename only in commit(),
// once it is complete and synced to the disk. So a failure, a full disk or a
// signal never leaves a partly written file at `path`, and `path` may be the
// file the content was read from. Until commit() succeeds the temporary file
// is the object's; the destructor removes it and `path` stays as it was.
// An existing file keeps its permission bits; a new one gets 0666 less the
// umask. A symbolic link is followed and its target replaced; a device or a
// pipe (/dev/null, a named pipe) is opened at once and written in place.
// Failures throw std::runtime_error naming the path and the cause.
class FileReplacement {
public:
    // Makes and opens the temporary file (or opens the device or pipe).
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Writes the content, syncs it and renames the temporary file to `path`.
    // Once only.
    void commit(const std::string& content);

private:
    std::string _path;  // the file replaced, symbolic links followed
    std::string _temp;  // empty when writing in place or once committed
    int _fd = -1;
};

// Makes `path` hold exactly `content` through a FileReplacement.
void replace_file_text(const std::string& path, const std::string& content);

#endif
