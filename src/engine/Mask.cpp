#include "engine/Mask.h"

#include "model/Error.h"

#include <bitset>
#include <limits>
#include <utility>

namespace {

// Elements that may carry a preceding '*'.
constexpr int kMaxSkips = 30;

char32_t FoldAscii(char32_t ch)
{
    return ch >= u'a' && ch <= u'z' ? ch - (u'a' - u'A') : ch;
}

// Width in UTF-16 units of the character at `pos`: a well-formed surrogate pair
// is one character of two units, anything else (a lone surrogate too) one unit.
qsizetype CharWidth(const char16_t* text, qsizetype size, qsizetype pos)
{
    return QChar::isHighSurrogate(text[pos]) && pos + 1 < size && QChar::isLowSurrogate(text[pos + 1]) ? 2
                                                                                                       : 1;
}

char32_t CodePointAt(const char16_t* text, qsizetype size, qsizetype pos)
{
    return CharWidth(text, size, pos) == 2 ? QChar::surrogateToUcs4(text[pos], text[pos + 1])
                                           : char32_t(text[pos]);
}

} // namespace

struct TMask::Element {
    enum class Kind : unsigned char { Literal, AnyChar, Set, Pair, End };

    Kind kind = Kind::End;
    bool skipBefore = false;
    bool negated = false;
    char16_t first = 0;  // Literal (folded) and Pair
    char16_t second = 0; // Pair
    // Set members: codes 0-255 in the bit set, wider codes (and whole
    // characters written as surrogate pairs) as ranges.
    std::bitset<256> lowMembers;
    std::vector<std::pair<char32_t, char32_t>> wideMembers;

    bool HasMembers() const { return lowMembers.any() || !wideMembers.empty(); }

    void AddRange(char32_t from, char32_t to)
    {
        for (char32_t ch = from; ch <= to && ch < 256; ++ch)
            lowMembers.set(ch);
        if (to >= 256 && from <= to)
            wideMembers.emplace_back(std::max<char32_t>(from, 256), to);
    }

    bool IsMember(char32_t ch) const
    {
        if (ch < 256)
            return lowMembers.test(ch);
        for (const auto& [from, to] : wideMembers) {
            if (ch >= from && ch <= to)
                return true;
        }
        return false;
    }

    // Units of the name consumed when the element matches at `pos`, or -1.
    qsizetype MatchAt(const char16_t* name, qsizetype size, qsizetype pos) const
    {
        if (kind == Kind::End)
            return pos == size ? 0 : -1;
        if (pos >= size)
            return -1;
        switch (kind) {
        case Kind::Literal:
            return FoldAscii(name[pos]) == first ? 1 : -1;
        case Kind::AnyChar:
            return CharWidth(name, size, pos);
        case Kind::Set:
            return IsMember(FoldAscii(CodePointAt(name, size, pos))) != negated ? CharWidth(name, size, pos)
                                                                                : -1;
        case Kind::Pair:
            return pos + 1 < size && name[pos] == first && name[pos + 1] == second ? 2 : -1;
        case Kind::End:
            break;
        }
        return -1;
    }
};

// Reads the mask text once, left to right, into elements.
class TMask::Compiler {
public:
    Compiler(const QString& pattern, const QString& shownText)
        : m_text(reinterpret_cast<const char16_t*>(pattern.utf16())), m_size(pattern.size()),
          m_shownText(shownText)
    {
    }

    std::vector<Element> Run()
    {
        std::vector<Element> elements;
        while (m_pos < m_size) {
            const char16_t ch = m_text[m_pos];
            if (ch == u'*') {
                m_skipPending = true;
                ++m_pos;
                continue;
            }
            if (ch == u'?') {
                // After a '*' a '?' adds nothing: "*?" means the same as "*".
                if (!m_skipPending) {
                    Element any;
                    any.kind = Element::Kind::AnyChar;
                    elements.push_back(std::move(any));
                }
                ++m_pos;
                continue;
            }
            Element element;
            element.skipBefore = TakePendingSkip();
            if (ch == u'[') {
                ReadSet(element);
            } else if (CharWidth(m_text, m_size, m_pos) == 2) {
                element.kind = Element::Kind::Pair;
                element.first = ch;
                element.second = m_text[m_pos + 1];
                m_pos += 2;
            } else {
                element.kind = Element::Kind::Literal;
                element.first = char16_t(FoldAscii(ch));
                ++m_pos;
            }
            elements.push_back(std::move(element));
        }
        Element end;
        end.kind = Element::Kind::End;
        end.skipBefore = TakePendingSkip();
        elements.push_back(std::move(end));
        return elements;
    }

private:
    // Exact text: users see where their mask goes wrong; the mask tests compare the
    // message with its position.
    [[noreturn]] void Fail(qsizetype pos) const
    {
        RaiseError(
            QStringLiteral("'%1' is an invalid mask at (%2)").arg(m_shownText, QString::number(pos + 1)));
    }

    // Gives the element starting at the current position the pending '*', and
    // counts it against the limit.
    bool TakePendingSkip()
    {
        if (!m_skipPending)
            return false;
        if (++m_skipCount > kMaxSkips)
            Fail(m_pos);
        m_skipPending = false;
        return true;
    }

    // The character at the current position (a surrogate pair as one), a-z folded;
    // advances past it.
    char32_t TakeSetChar()
    {
        const char32_t ch = FoldAscii(CodePointAt(m_text, m_size, m_pos));
        m_pos += CharWidth(m_text, m_size, m_pos);
        return ch;
    }

    // From '[' to past the closing ']'.
    void ReadSet(Element& element)
    {
        element.kind = Element::Kind::Set;
        ++m_pos;
        if (m_pos < m_size && m_text[m_pos] == u'!') {
            element.negated = true;
            ++m_pos;
        }
        bool havePrevious = false;
        char32_t previous = 0;
        for (;;) {
            if (m_pos >= m_size)
                Fail(m_pos); // no closing ']'
            const char16_t ch = m_text[m_pos];
            if (ch == u']')
                break;
            if (ch == u'-') {
                if (!havePrevious)
                    Fail(m_pos);
                ++m_pos;
                if (m_pos >= m_size)
                    Fail(m_pos);
                if (m_text[m_pos] == u']') {
                    // "[a-]": a '-' that ends the set has no upper bound, so it
                    // stands for itself.
                    element.AddRange(u'-', u'-');
                    break;
                }
                const char32_t last = TakeSetChar();
                element.AddRange(previous, last);
                previous = last;
                continue;
            }
            previous = TakeSetChar();
            havePrevious = true;
            element.AddRange(previous, previous);
        }
        if (!element.HasMembers())
            Fail(m_pos); // "[]", "[!]"
        ++m_pos;         // ']'
    }

    const char16_t* m_text;
    qsizetype m_size;
    const QString& m_shownText;
    qsizetype m_pos = 0;
    bool m_skipPending = false;
    int m_skipCount = 0;
};

TMask::TMask(const QString& mask) : TMask(mask, mask) {}

TMask::TMask(const QString& pattern, const QString& shownText)
    : m_elements(Compiler(pattern, shownText).Run())
{
}

TMask::TMask(const TMask& other) = default;
TMask::TMask(TMask&& other) noexcept = default;
TMask& TMask::operator=(const TMask& other) = default;
TMask& TMask::operator=(TMask&& other) noexcept = default;
TMask::~TMask() = default;

// Left to right, each element at the earliest position where it matches. On a
// failure only the latest skip is resumed, one character further on: an earlier
// skip never needs to absorb more, because whatever it would take the latest
// skip can take as well. So the cost stays linear in name length times elements.
bool TMask::Matches(const QString& name) const
{
    constexpr size_t kNoSkip = std::numeric_limits<size_t>::max();
    const auto* text = reinterpret_cast<const char16_t*>(name.utf16());
    const qsizetype size = name.size();
    size_t index = 0;
    qsizetype pos = 0;
    size_t skipIndex = kNoSkip;
    qsizetype skipPos = 0;
    for (;;) {
        const Element& element = m_elements[index];
        if (element.skipBefore) {
            if (element.kind == Element::Kind::End)
                return true; // a trailing '*' takes the rest
            skipIndex = index;
            skipPos = pos;
        }
        const qsizetype width = element.MatchAt(text, size, pos);
        if (width >= 0) {
            if (element.kind == Element::Kind::End)
                return true;
            pos += width;
            ++index;
            continue;
        }
        if (skipIndex == kNoSkip || skipPos >= size)
            return false;
        skipPos += CharWidth(text, size, skipPos);
        pos = skipPos;
        index = skipIndex;
    }
}
