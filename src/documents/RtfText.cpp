#include "documents/RtfText.h"

#include "model/AnsiCodec.h"

#include <QByteArray>
#include <vector>

namespace {

constexpr qsizetype kBudgetCheckInterval = 64 * 1024;

bool IsSkippedDestination(QByteArrayView word)
{
    static constexpr const char* kSkipped[] = {"fonttbl",
                                               "colortbl",
                                               "stylesheet",
                                               "info",
                                               "pict",
                                               "object",
                                               "objdata",
                                               "themedata",
                                               "colorschememapping",
                                               "datastore",
                                               "latentstyles",
                                               "listtable",
                                               "listoverridetable",
                                               "rsidtbl",
                                               "generator",
                                               "xmlnstbl",
                                               "fldinst",
                                               "filetbl",
                                               "revtbl",
                                               "bkmkstart",
                                               "bkmkend"};
    for (const char* skipped : kSkipped)
        if (word == QByteArrayView(skipped))
            return true;
    return false;
}

// Characters that a control word stands for; 0 for words that are formatting only.
char16_t CharacterOfWord(QByteArrayView word)
{
    struct Entry {
        const char* word;
        char16_t character;
    };
    static constexpr Entry kCharacters[] = {
        {"par", u'\n'},           {"line", u'\n'},          {"sect", u'\n'},       {"page", u'\n'},
        {"row", u'\n'},           {"tab", u'\t'},           {"cell", u'\t'},       {"emdash", u'\u2014'},
        {"endash", u'\u2013'},    {"bullet", u'\u2022'},    {"lquote", u'\u2018'}, {"rquote", u'\u2019'},
        {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}, {"emspace", u' '},     {"enspace", u' '}};
    for (const Entry& entry : kCharacters)
        if (word == QByteArrayView(entry.word))
            return entry.character;
    return 0;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct GroupState {
    bool skip = false;
    int unicodeSkip = 1; // \ucN: fallback characters after each \uN
};

class TRtfReader {
public:
    TRtfReader(QByteArrayView bytes, QString& text) : m_bytes(bytes), m_text(text) {}

    bool run(TExtractionBudget& budget, QString& error)
    {
        m_groups.push_back({});
        qsizetype nextCheck = 0;
        while (m_pos < m_bytes.size()) {
            if (m_pos >= nextCheck) {
                if (const QString reason = budget.interruption(); !reason.isEmpty()) {
                    error = reason;
                    return false;
                }
                nextCheck = m_pos + kBudgetCheckInterval;
            }
            const char c = m_bytes[m_pos++];
            if (c == '{') {
                flushAnsi();
                if (m_groups.size() > kMaxRtfDepth) {
                    error = QStringLiteral("its groups are nested more than %1 deep").arg(kMaxRtfDepth);
                    return false;
                }
                m_groups.push_back(m_groups.back());
            } else if (c == '}') {
                flushAnsi();
                if (m_groups.size() > 1)
                    m_groups.pop_back();
            } else if (c == '\\') {
                control();
            } else if (c != '\r' && c != '\n') {
                character(c);
            }
        }
        flushAnsi();
        return true;
    }

private:
    GroupState& state() { return m_groups.back(); }

    // One character of text (or of a \uN fallback, which is dropped).
    void character(char c)
    {
        if (m_fallbackLeft > 0) {
            --m_fallbackLeft;
            return;
        }
        if (!state().skip)
            m_ansi += c;
    }

    void appendUnit(char16_t unit)
    {
        flushAnsi();
        if (!state().skip)
            m_text += QChar(unit);
    }

    void flushAnsi()
    {
        if (!m_ansi.isEmpty()) {
            m_text += FromAnsi(m_ansi);
            m_ansi.clear();
        }
    }

    void control()
    {
        if (m_pos >= m_bytes.size())
            return;
        const char c = m_bytes[m_pos];
        if (!IsLetter(c)) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_bytes.size() && IsLetter(m_bytes[m_pos]))
            ++m_pos;
        const QByteArrayView word = m_bytes.sliced(start, m_pos - start);
        bool hasParameter = false;
        bool negative = false;
        int64_t parameter = 0;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_bytes.size() && m_bytes[m_pos] >= '0' && m_bytes[m_pos] <= '9') {
            if (parameter < 100000000)
                parameter = parameter * 10 + (m_bytes[m_pos] - '0');
            hasParameter = true;
            ++m_pos;
        }
        if (negative)
            parameter = -parameter;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == ' ')
            ++m_pos;
        controlWord(word, hasParameter, parameter);
    }

    void symbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(c);
            break;
        case '~':
            appendUnit(u'\u00A0');
            break;
        case '_':
            appendUnit(u'-');
            break;
        case '*':
            state().skip = true; // an ignorable destination this reader does not know
            break;
        case '\r':
        case '\n':
            appendUnit(u'\n');
            break;
        case '\'': {
            if (m_pos + 2 > m_bytes.size()) {
                m_pos = m_bytes.size();
                return;
            }
            const int high = HexValue(m_bytes[m_pos]);
            const int low = HexValue(m_bytes[m_pos + 1]);
            m_pos += 2;
            if (high >= 0 && low >= 0)
                character(static_cast<char>(high * 16 + low));
            break;
        }
        default:
            break; // \- (optional hyphen), \| and the like carry no text
        }
    }

    void controlWord(QByteArrayView word, bool hasParameter, int64_t parameter)
    {
        if (IsSkippedDestination(word)) {
            state().skip = true;
        } else if (word == "bin" && hasParameter) {
            m_pos = std::min(m_bytes.size(), m_pos + static_cast<qsizetype>(std::max<int64_t>(parameter, 0)));
        } else if (word == "uc" && hasParameter) {
            state().unicodeSkip = static_cast<int>(std::clamp<int64_t>(parameter, 0, 16));
        } else if (word == "u" && hasParameter) {
            appendUnit(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter));
            m_fallbackLeft = state().unicodeSkip;
            return;
        } else if (const char16_t character = CharacterOfWord(word)) {
            appendUnit(character);
        }
        m_fallbackLeft = 0;
    }

    QByteArrayView m_bytes;
    QString& m_text;
    QByteArray m_ansi;
    std::vector<GroupState> m_groups;
    qsizetype m_pos = 0;
    int m_fallbackLeft = 0;
};

} // namespace

bool ExtractRtfText(QByteArrayView bytes, TExtractionBudget& budget, QString& text, QString& error)
{
    return TRtfReader(bytes, text).run(budget, error);
}
