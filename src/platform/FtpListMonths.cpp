#include "platform/FtpListFields.h"

#include <QString>
#include <string>
#include <unordered_map>

namespace {

// Full month names, January first, as `ls` prints them under the locales FTP
// servers are run with. Abbreviations that are prefixes of these need no entry.
constexpr const char* kFullNames[][12] = {
    {"january", "february", "march", "april", "may", "june", "july", "august", "september", "october",
     "november", "december"},
    {"januar", "februar", "märz", "april", "mai", "juni", "juli", "august", "september", "oktober",
     "november", "dezember"},
    {"január", "február", "március", "április", "május", "június", "július", "augusztus", "szeptember",
     "október", "november", "december"},
    {"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août", "septembre", "octobre",
     "novembre", "décembre"},
    {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre", "octubre",
     "noviembre", "diciembre"},
    {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre", "ottobre",
     "novembre", "dicembre"},
    {"janeiro", "fevereiro", "março", "abril", "maio", "junho", "julho", "agosto", "setembro", "outubro",
     "novembro", "dezembro"},
    {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus", "september", "oktober",
     "november", "december"},
    {"januari", "februari", "mars", "april", "maj", "juni", "juli", "augusti", "september", "oktober",
     "november", "december"},
    {"januar", "februar", "marts", "april", "maj", "juni", "juli", "august", "september", "oktober",
     "november", "december"},
    {"januar", "februar", "mars", "april", "mai", "juni", "juli", "august", "september", "oktober",
     "november", "desember"},
    {"tammikuu", "helmikuu", "maaliskuu", "huhtikuu", "toukokuu", "kesäkuu", "heinäkuu", "elokuu", "syyskuu",
     "lokakuu", "marraskuu", "joulukuu"},
    {"styczeń", "luty", "marzec", "kwiecień", "maj", "czerwiec", "lipiec", "sierpień", "wrzesień",
     "październik", "listopad", "grudzień"},
    {"leden", "únor", "březen", "duben", "květen", "červen", "červenec", "srpen", "září", "říjen", "listopad",
     "prosinec"},
    {"январь", "февраль", "март", "апрель", "май", "июнь", "июль", "август", "сентябрь", "октябрь", "ноябрь",
     "декабрь"},
};

// Abbreviations that are no prefix of their full name, and inflected forms.
constexpr struct {
    const char* name;
    int month;
} kOtherNames[] = {
    // English, first: "mar" also begins the Finnish November.
    {"jan", 1},  {"feb", 2},     {"mar", 3},      {"apr", 4},      {"may", 5},     {"jun", 6},
    {"jul", 7},  {"aug", 8},     {"sep", 9},      {"oct", 10},     {"nov", 11},    {"aout", 8},
    {"aoû", 8},  {"mrz", 3},     {"mär", 3},      {"mrt", 3},      {"maa", 3},     {"sept", 9},
    {"mei", 5},  {"dec", 12},    {"okt", 10},     {"dez", 12},     {"juin", 6},    {"juil", 7},
    {"janv", 1}, {"févr", 2},    {"avr", 4},      {"déc", 12},     {"set", 9},     {"ott", 10},
    {"dic", 12}, {"out", 10},    {"mag", 5},      {"lug", 7},      {"giu", 6},     {"ene", 1},
    {"abr", 4},  {"ago", 8},     {"sty", 1},      {"lut", 2},      {"kwi", 4},     {"cze", 6},
    {"lip", 7},  {"sie", 8},     {"wrz", 9},      {"paź", 10},     {"lis", 11},    {"gru", 12},
    {"мая", 5},  {"января", 1},  {"февраля", 2},  {"марта", 3},    {"апреля", 4},  {"июня", 6},
    {"июля", 7}, {"августа", 8}, {"сентября", 9}, {"октября", 10}, {"ноября", 11}, {"декабря", 12},
};

// Every full name, every listed other form and every prefix of three or more
// letters that belongs to one month only, lower case, in UTF-8.
std::unordered_map<std::string, int> BuildMonthNames()
{
    std::unordered_map<std::string, int> names;
    constexpr int kAmbiguous = -1;
    for (const auto& language : kFullNames) {
        for (int month = 1; month <= 12; ++month) {
            const QString full = QString::fromUtf8(language[month - 1]);
            for (qsizetype length = 3; length < full.size(); ++length) {
                const std::string prefix = full.left(length).toStdString();
                const auto [it, inserted] = names.emplace(prefix, month);
                if (!inserted && it->second != month)
                    it->second = kAmbiguous;
            }
        }
    }
    // Whole names win over another month's prefix ("červen" is June, though it
    // begins "červenec", July).
    for (const auto& language : kFullNames) {
        for (int month = 1; month <= 12; ++month)
            names[language[month - 1]] = month;
    }
    for (const auto& other : kOtherNames)
        names[other.name] = other.month;
    std::erase_if(names, [](const auto& item) { return item.second == kAmbiguous; });
    return names;
}

bool IsAsciiText(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// "1月" (Chinese, Japanese) and "1월" (Korean): the digits before the marker.
bool SplitCjkNumber(std::string_view text, std::string_view marker, std::string_view marker2, int maxValue,
                    int& value)
{
    for (const std::string_view m : {marker, marker2}) {
        if (text.size() > m.size() && text.substr(text.size() - m.size()) == m)
            return ParseSmallNumber(text.substr(0, text.size() - m.size()), 2, value) && value >= 1 &&
                   value <= maxValue;
    }
    return false;
}

} // namespace

int MonthFromName(std::string_view text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ','))
        text.remove_suffix(1);
    if (text.size() < 3 || text.size() > 40)
        return 0;
    int month = 0;
    if (SplitCjkNumber(text, "\xE6\x9C\x88", "\xEC\x9B\x94", 12, month))
        return month;
    if (text[0] >= '0' && text[0] <= '9')
        return 0;
    std::string key;
    if (IsAsciiText(text)) {
        key.reserve(text.size());
        for (char c : text)
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    } else {
        const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
        const QString decoded = QString::fromUtf8(bytes);
        // Invalid UTF-8 decodes with replacement characters: then it is Latin-1.
        key = (decoded.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : decoded)
                  .toLower()
                  .toStdString();
    }
    static const std::unordered_map<std::string, int> kNames = BuildMonthNames();
    const auto it = kNames.find(key);
    return it == kNames.end() ? 0 : it->second;
}

bool ParseDayOfMonth(std::string_view text, int& day)
{
    if (SplitCjkNumber(text, "\xE6\x97\xA5", "\xEC\x9D\xBC", 31, day))
        return true;
    if (!text.empty() && (text.back() == '.' || text.back() == ','))
        text.remove_suffix(1);
    return ParseSmallNumber(text, 2, day) && day >= 1 && day <= 31;
}
