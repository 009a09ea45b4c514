#include "optical/inquiry_text.h"

#include "optical/mmc_commands.h"
#include "platform/api/codec.h"

#include <array>

namespace zv::optical {

using namespace zv::win;

std::string ReadInquiryText(platform::Platform& platform, char letter) {
    auto& io = platform.io();
    const HANDLE device = io.CreateFileA(devicePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (device == INVALID_HANDLE_VALUE) return {};
    std::array<uint8_t, 100> response{};
    auto request = makeRequest(OpticalCommand::Inquiry);
    const bool carried = SendPassThrough(platform, device, request, response.data());
    io.CloseHandle(device);
    if (!carried) return {};
    return codec::zeroTerminated(response.data() + 8, response.size() - 8);
}

std::string SanitizeText(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        const auto code = static_cast<unsigned char>(c);
        if ((code >= 1 && code <= 31) || code >= 128) c = ' ';
    }
    return result;
}

std::string trimText(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

namespace {
std::string field(const std::string& text, size_t position, size_t length) {
    return position < text.size() ? text.substr(position, length) : std::string();
}
}  // namespace

IdentificationFields splitIdentification(const std::string& inquiryText) {
    IdentificationFields fields;
    fields.vendor = field(inquiryText, 0, 8);
    fields.productId = field(inquiryText, 8, 16);
    fields.revision = SanitizeText(trimText(field(inquiryText, 24, 4)));
    fields.vendorSpec = trimText(field(inquiryText, 28, 20));
    return fields;
}

}  // namespace zv::optical
