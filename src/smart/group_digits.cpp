#include "smart/group_digits.h"

namespace zv::smart {

std::string GroupDigits(const std::string& text, const std::string& separator) {
    if (text.size() <= 3) return text;
    // The sign is not a digit: counting it would put a separator right after it ("-,123").
    const size_t signLength = (text[0] == '-') ? 1 : 0;
    const std::string digits = text.substr(signLength);
    const size_t length = digits.size();
    const size_t head = (length - 1) % 3 + 1;
    std::string out = text.substr(0, signLength) + digits.substr(0, head);
    for (size_t i = head; i < length; i += 3) out += separator + digits.substr(i, 3);
    return out;
}

}  // namespace zv::smart
