// SPDX-License-Identifier: MIT
#include "data/PrintableText.h"

#include <QChar>
#include <QList>
#include <QStringView>

namespace {
template <class Replace> QString mapControls(const QString &text, Replace replace)
{
    QString result;
    result.reserve(text.size());
    // Unpaired surrogates come out as U+FFFD.
    for (const char32_t c : text.toUcs4()) {
        if (IsControlOrFormat(c))
            result += replace(c);
        else
            result += QStringView(QChar::fromUcs4(c));
    }
    return result;
}
} // namespace

bool IsControlOrFormat(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString EscapedForLog(const QString &text)
{
    return mapControls(text, [](char32_t c) {
        const bool wide = c > 0xffff;
        return QString(wide ? "\\U" : "\\u") +
               QString::number(uint(c), 16).rightJustified(wide ? 8 : 4, '0').toUpper();
    });
}

QString ReplacedControls(const QString &text)
{
    return mapControls(text, [](char32_t) { return QString(QChar::ReplacementCharacter); });
}
