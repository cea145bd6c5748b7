#include "foundation/MirtFile.h"

#include <cstdio>

#include "foundation/Exceptions.h"

namespace {

const std::string PathSeparator = "/";

}  // namespace

void MirtFile::Delete(const std::string& fileName) {
    // A name with an embedded NUL would remove some other, shorter-named file.
    if (fileName.find('\0') != std::string::npos || std::remove(fileName.c_str()) != 0) {
        throw NotFoundException("File \"" + fileName + "\" not found", "MirtFile::Delete");
    }
}

bool MirtFile::IsStreamEmpty(std::ostream& out) {
    out.seekp(0, std::ios_base::end);
    return out.tellp() == std::streampos(0);
}

void MirtFile::GetBaseName(std::string& baseName, const std::string& path) {
    baseName.clear();
    if (path.empty()) {
        return;
    }
    const std::string::size_type separator = path.rfind(PathSeparator);
    if (separator == std::string::npos) {
        baseName = path;
    } else {
        baseName.assign(path, separator + PathSeparator.size(), std::string::npos);
    }
}
