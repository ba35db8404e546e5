// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Whether a code point could drive a terminal or reorder the text around it: C0
// and C1 controls, DEL, format characters (bidi overrides, tag characters) and
// line and paragraph separators. Judged per code point, so that a character
// beyond the Basic Multilingual Plane is judged whole.
bool IsControlOrFormat(char32_t codePoint);

// The text with every such code point written as \uXXXX or \UXXXXXXXX, as the
// debug stream quotes strings: for log lines that show a product's texts.
QString EscapedForLog(const QString &text);

// The text with every such code point replaced by U+FFFD.
QString ReplacedControls(const QString &text);
