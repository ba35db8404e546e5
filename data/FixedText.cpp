// SPDX-License-Identifier: MIT
#include "data/FixedText.h"

#include <cstring>

namespace {
bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Bytes in the sequence a lead byte opens, or 0 for a byte that opens none.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Where the multi-byte sequence that the cut would split starts, or `cut` when
// it splits none. Bytes that form no complete UTF-8 sequence (8-bit text) are
// cut at the limit.
std::size_t startOfSplitSequence(const unsigned char *text, std::size_t length, std::size_t cut)
{
    if (!isContinuation(text[cut]))
        return cut;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && isContinuation(text[lead - 1]))
        --lead;
    if (lead == 0)
        return cut;
    --lead;
    const std::size_t end = lead + sequenceLength(text[lead]);
    if (end <= cut || end > length)
        return cut;
    for (std::size_t i = cut; i < end; ++i)
        if (!isContinuation(text[i]))
            return cut;
    return lead;
}
} // namespace

std::size_t Utf8PrefixLength(const char *text, std::size_t length, std::size_t maxBytes)
{
    if (length <= maxBytes)
        return length;
    return startOfSplitSequence(reinterpret_cast<const unsigned char *>(text), length, maxBytes);
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
