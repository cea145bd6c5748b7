#include "cif/ShownValue.h"

std::string ShownValue(std::string_view text) {
    const std::size_t kMax = 40;
    std::string shown = "\"";
    if (text.size() <= kMax) {
        shown.append(text.data(), text.size());
    } else {
        shown.append(text.data(), kMax);
        shown += "...";
    }
    shown += "\"";
    return shown;
}
