#ifndef TESRA_FOUNDATION_MIRTFILE_H
#define TESRA_FOUNDATION_MIRTFILE_H

#include <ostream>
#include <string>

// Small file operations shared by the CIF reader and the validation, which
// both delete their log when nothing was written to it. Static members only.
class MirtFile {
public:
    MirtFile() = delete;

    // Removes the file; any failure of remove() (missing, no permission, a
    // directory) throws NotFoundException "File \"<name>\" not found".
    static void Delete(const std::string& fileName);

    // Removes the file only when lstat() finds a regular file of that name: a
    // symbolic link, a device or a directory stays. False when nothing was removed.
    static bool RemoveRegularFile(const std::string& fileName);

    // Writes text as the whole content of the file without following a
    // symbolic link at that name: a regular file (made when missing) is
    // truncated first; a character device or a FIFO with a reader, such as
    // /dev/null, is written to as it is. False when the name is a symbolic
    // link or another kind of file, or the text could not be written in full.
    static bool WriteNoFollow(const std::string& fileName, const std::string& text);

    // Seeks the write position to the end (it stays there) and reports whether
    // that is 0. A stream in a failed state does not move and counts as not empty.
    static bool IsStreamEmpty(std::ostream& out);

    // The part of the path after the last "/" (the whole path when there is
    // none, empty for a path ending in "/").
    static void GetBaseName(std::string& baseName, const std::string& path);
};

#endif  // TESRA_FOUNDATION_MIRTFILE_H
