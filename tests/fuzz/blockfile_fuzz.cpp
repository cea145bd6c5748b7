// Arbitrary bytes as a block file: read-only, every item is read or refused,
// nothing crashes or allocates without bound; then opened for update,
// changed, closed and read back: what the library writes always reads back;
// and opened for update only to append: what read before reads the same, the
// file grows by little more than the appended items, and a refused file is
// left untouched.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundation/Serializer.h"

namespace {

// The first items with all four readers (exceptions are slow), all by PrintData.
void ReadEverything(Serializer& ser) {
    for (UInt32 i = 0; i < std::min<UInt32>(ser.GetNumIndices(), 32); ++i) {
        std::string text;
        std::vector<std::string> texts;
        std::vector<UInt32> words;
        Tolerate([&] { (void)ser.ReadUInt32(i); });
        Tolerate([&] { ser.ReadUInt32s(words, i); });
        Tolerate([&] { ser.ReadString(text, i); });
        Tolerate([&] { ser.ReadStrings(texts, i); });
    }
    Tolerate([&] { ser.PrintData(); });
}

// What each of the first items reads as, tagged with its reader; "" when no
// reader takes it.
std::vector<std::string> Readings(Serializer& ser) {
    std::vector<std::string> readings(std::min<UInt32>(ser.GetNumIndices(), 128));
    for (UInt32 i = 0; i < readings.size(); ++i) {
        std::string& reading = readings[i];
        std::string text;
        std::vector<std::string> texts;
        std::vector<UInt32> words;
        if (Tolerate([&] { ser.ReadString(text, i); })) {
            reading = "s" + text;
        } else if (Tolerate([&] { ser.ReadStrings(texts, i); })) {
            reading = "S";
            for (const auto& t : texts) reading += std::to_string(t.size()) + ":" + t;
        } else if (Tolerate([&] { ser.ReadUInt32s(words, i); })) {
            reading = "N";
            for (const UInt32 w : words) reading += std::to_string(w) + ",";
        } else {
            Tolerate([&] { reading = "n" + std::to_string(ser.ReadUInt32(i)); });
        }
    }
    return readings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFiles files("blockfile");
    Store(files.first, data, size);
    std::vector<std::string> before;
    Tolerate([&] {
        Serializer ser(files.first, READ_MODE);
        ReadEverything(ser);
        before = Readings(ser);
    });

    // Update: change what can be changed, then append one item last, which
    // must read back whatever the rest of the file holds.
    Store(files.second, data, size);
    const std::string marker = "appended by the fuzzer";
    const bool appended = Tolerate([&] {
        Serializer ser(files.second, UPDATE_MODE);
        const UInt32 count = ser.GetNumIndices();
        if (count > 0) {
            Tolerate([&] { ser.UpdateString("x", 0); });
            Tolerate([&] { ser.UpdateUInt32s({1, 2, 3, 4, 5}, count - 1); });
            Tolerate([&] { ser.Delete(count / 2); });
        }
        ReadEverything(ser);
        ser.WriteString(marker);
    });
    if (appended) {
        Serializer ser(files.second, READ_MODE);
        std::string text;
        if (ser.GetNumIndices() == 0 ||
            (ser.ReadString(text, ser.GetNumIndices() - 1), text) != marker)
            std::abort();
        ReadEverything(ser);
    }

    // Append only, a short item and one that spans a block.
    Store(files.second, data, size);
    const std::string tail(9000, 't');
    bool opened = false, added = false;
    Tolerate([&] {
        Serializer ser(files.second, UPDATE_MODE);
        opened = true;
        ser.WriteString(marker);
        ser.WriteString(tail);
        added = true;
    });
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!opened && ReadFile(files.second) != bytes)
        std::abort();
    if (std::filesystem::file_size(files.second) > size + marker.size() + tail.size() + 4 * BLKSIZE)
        std::abort();
    if (opened) {
        Serializer ser(files.second, READ_MODE);
        const std::vector<std::string> after = Readings(ser);
        for (std::size_t i = 0; i < before.size(); ++i)
            if (!before[i].empty() && (i >= after.size() || after[i] != before[i]))
                std::abort();
        const UInt32 count = ser.GetNumIndices();
        std::string text, text2;
        if (added && (count < 2 || (ser.ReadString(text, count - 2), text) != marker ||
                      (ser.ReadString(text2, count - 1), text2) != tail))
            std::abort();
    }
    return 0;
}
