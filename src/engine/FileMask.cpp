#include "engine/FileMask.h"

namespace {

constexpr char16_t kDottedCapitalI = 0x0130;

qsizetype CharWidthAt(const QString& text, qsizetype pos)
{
    return text.at(pos).isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate() ? 2
                                                                                                        : 1;
}

} // namespace

QString UpperCaseFileName(const QString& text, const QLocale& locale)
{
    QString upper = locale.toUpper(text);
    if (upper.size() != text.size()) {
        // Some character changed length: map one character at a time.
        upper.clear();
        upper.reserve(text.size());
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype width = CharWidthAt(text, pos);
            const QString original = text.mid(pos, width);
            const QString mapped = locale.toUpper(original);
            upper += mapped.size() == width ? mapped : original;
            pos += width;
        }
    }
    upper.replace(QChar(kDottedCapitalI), QChar(u'I'));
    return upper;
}

TFileMask::TFileMask(const QString& mask, const QLocale& locale)
    : TMask(UpperCaseFileName(mask, locale), mask), m_locale(locale)
{
}

bool TFileMask::Matches(const QString& name) const
{
    return TMask::Matches(UpperCaseFileName(name, m_locale));
}

TAccountMask::TAccountMask(const QString& computer, const QString& userName, const QString& password)
    : TMask(computer), UserName(userName), Password(password)
{
}
