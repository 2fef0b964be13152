// The name builder never crashes, and every new name is prefix + number + extension, the number
// being start + k (wrapping at 32 bits) padded to the start text's width.
#include "rename/NameBuilder.h"
#include "text/ShiftJisWidth.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string_view NextField(std::string_view& input) {
    const std::size_t end = input.find('\0');
    const std::string_view field = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int lowerExt = int(data[0] % 3); // 0, 1 and a value that is neither
    const std::uint32_t k = data[1];
    std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string_view start = NextField(input);
    const std::string prefix(NextField(input));
    const std::string_view oldName = NextField(input);

    const quorvel::NameBuilder names(prefix, start, lowerExt);
    const std::string result = names.NewName(oldName, k);

    std::string extension = quorvel::ExtensionOf(oldName);
    if (lowerExt == 1)
        quorvel::LowerAsciiLetters(extension);
    const std::int32_t number = std::int32_t(std::uint32_t(quorvel::ParseStartNumber(start)) + k);
    const std::size_t width = quorvel::ShiftJisWidth(start);
    std::string digits;
    if (width < 200) {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, "%0*d", int(width), number);
        digits = buffer;
    } else {
        digits = quorvel::FormatSequenceNumber(number, width);
    }
    if (result != prefix + digits + extension)
        std::abort();
    return 0;
}
