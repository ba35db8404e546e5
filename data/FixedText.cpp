#include "data/FixedText.h"

#include <cstring>

namespace {
bool isUtf8Continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
} // namespace

std::size_t Utf8PrefixLength(const char *text, std::size_t length, std::size_t maxBytes)
{
    if (length <= maxBytes)
        return length;
    std::size_t cut = maxBytes;
    while (cut > 0 && isUtf8Continuation(static_cast<unsigned char>(text[cut])))
        --cut;
    return cut;
}

void WriteFixedText(FixedText &field, const char *text, std::size_t length)
{
    std::memset(field, 0, FixedTextSize);
    const std::size_t kept = Utf8PrefixLength(text, length, FixedTextSize - 1);
    if (kept > 0)
        std::memcpy(field, text, kept);
}

void WriteFixedText(FixedText &field, const char *text)
{
    WriteFixedText(field, text, std::strlen(text));
}
