// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

// The store keeps its texts in fixed 32-byte, zero-terminated fields.
constexpr std::size_t FixedTextSize = 32;
using FixedText = char[FixedTextSize];

// Length of the longest prefix of text[0..length) that holds at most maxBytes
// bytes and does not end inside a complete UTF-8 multi-byte sequence. Other
// 8-bit bytes are kept up to the limit.
std::size_t Utf8PrefixLength(const char *text, std::size_t length, std::size_t maxBytes);

// Zero-fills the field, then copies at most 31 bytes of the text, never
// splitting a UTF-8 character, so the field always stays terminated.
void WriteFixedText(FixedText &field, const char *text, std::size_t length);
void WriteFixedText(FixedText &field, const char *text);
