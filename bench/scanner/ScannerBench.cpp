// Driver of the content scanner benchmark (run.sh):
//   kestrova-scanner-bench generate FOLDER MEBIBYTES FILES
//     writes FILES text files of English-like words, MEBIBYTES in all, and plants
//     the bench terms near the end of some of them (kPlantedTerms);
//   kestrova-scanner-bench scan LOGIC ENCODING TEXT FILE...
//     runs the content test on every file and prints how many matched; the
//     environment variable KESTROVA_SCAN_CHUNK_KIB overrides the chunk size.

#include "engine/ContentScanner.h"
#include "platform/LocalFileSource.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Words of ordinary prose; none of them holds a planted term.
constexpr const char* kWords[] = {
    "the",     "of",      "and",      "to",     "in",        "is",     "that",      "it",        "was",
    "for",     "on",      "are",      "as",     "with",      "his",    "they",      "at",        "be",
    "this",    "from",    "have",     "or",     "by",        "one",    "had",       "not",       "but",
    "what",    "all",     "were",     "when",   "we",        "there",  "can",       "an",        "your",
    "which",   "their",   "said",     "if",     "do",        "will",   "each",      "about",     "how",
    "up",      "out",     "them",     "then",   "she",       "many",   "some",      "so",        "these",
    "would",   "other",   "into",     "has",    "more",      "her",    "two",       "like",      "him",
    "see",     "time",    "could",    "no",     "make",      "than",   "first",     "been",      "its",
    "who",     "now",     "people",   "my",     "made",      "over",   "did",       "down",      "only",
    "way",     "find",    "use",      "may",    "water",     "long",   "little",    "very",      "after",
    "words",   "called",  "just",     "where",  "most",      "know",   "get",       "through",   "back",
    "much",    "before",  "go",       "good",   "new",       "write",  "our",       "used",      "me",
    "man",     "too",     "any",      "day",    "same",      "right",  "look",      "think",     "also",
    "around",  "another", "came",     "come",   "work",      "three",  "word",      "must",      "because",
    "does",    "part",    "even",     "place",  "well",      "such",   "here",      "take",      "why",
    "things",  "help",    "put",      "years",  "different", "away",   "again",     "off",       "went",
    "old",     "number",  "great",    "tell",   "men",       "say",    "small",     "every",     "found",
    "still",   "between", "name",     "should", "home",      "big",    "give",      "air",       "line",
    "set",     "own",     "under",    "read",   "last",      "never",  "us",        "left",      "end",
    "along",   "while",   "might",    "next",   "sound",     "below",  "saw",       "something", "thought",
    "both",    "few",     "those",    "always", "looked",    "show",   "large",     "often",     "together",
    "asked",   "house",   "world",    "going",  "want",      "school", "important", "until",     "form",
    "food",    "keep",    "children", "feet",   "land",      "side",   "without",   "boy",       "once",
    "animals", "life",    "enough",   "took",   "sometimes", "four",   "head",      "above",     "kind",
    "began",   "almost",  "live",     "page",
};
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

// Term and the files (index modulo 4) that hold it once, 99% of the way in.
struct PlantedTerm {
    const char* term;
    int fileRemainder;
};
constexpr PlantedTerm kPlantedTerms[] = {{"quicksilver", 0}, {"marmalade", 1}};

uint64_t NextRandom(uint64_t& state)
{
    // xorshift64*: fast, and the same corpus on every run.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 2685821657736338717ULL;
}

QByteArray ProseText(size_t size, uint64_t& state)
{
    QByteArray text;
    text.reserve(static_cast<qsizetype>(size) + 128);
    while (static_cast<size_t>(text.size()) < size) {
        const int wordsInLine = 4 + static_cast<int>(NextRandom(state) % 13);
        for (int i = 0; i < wordsInLine; ++i) {
            if (i > 0)
                text.append(' ');
            text.append(kWords[NextRandom(state) % kWordCount]);
        }
        text.append(".\n");
    }
    text.truncate(static_cast<qsizetype>(size));
    return text;
}

int Generate(const QString& folder, int64_t mebibytes, int files)
{
    const size_t fileSize = static_cast<size_t>((mebibytes << 20) / files);
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int index = 0; index < files; ++index) {
        QByteArray text = ProseText(fileSize, state);
        for (const PlantedTerm& planted : kPlantedTerms) {
            if (index % 4 == planted.fileRemainder)
                text.replace(static_cast<qsizetype>(fileSize / 100 * 99), qstrlen(planted.term),
                             planted.term);
        }
        const QString path = folder + QStringLiteral("/corpus-%1.txt").arg(index, 2, 10, QLatin1Char('0'));
        FILE* out = fopen(QFile::encodeName(path).constData(), "wb");
        const bool written =
            out && fwrite(text.constData(), 1, text.size(), out) == static_cast<size_t>(text.size());
        if (!out || fclose(out) != 0 || !written) {
            fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

int Scan(TTextLogic logic, TTextEncoding encoding, const QString& text, const std::vector<QString>& paths)
{
    const char* chunkKib = getenv("KESTROVA_SCAN_CHUNK_KIB");
    const size_t chunkSize = chunkKib ? static_cast<size_t>(std::atoll(chunkKib)) << 10 : kScanChunkSize;
    int matching = 0;
    for (const QString& path : paths) {
        const auto source = LocalFileSource::open(path);
        if (!source) {
            fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(source.error().message));
            continue;
        }
        if (FileContainsText(*source.value(), text, logic, encoding, chunkSize))
            ++matching;
    }
    printf("%d\n", matching);
    return 0;
}

int Usage()
{
    fprintf(stderr, "usage: kestrova-scanner-bench generate FOLDER MEBIBYTES FILES\n"
                    "       kestrova-scanner-bench scan LOGIC ENCODING TEXT FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 5) {
        const int64_t mebibytes = std::atoll(argv[3]);
        const int files = std::atoi(argv[4]);
        if (mebibytes <= 0 || files <= 0)
            return Usage();
        return Generate(QString::fromLocal8Bit(argv[2]), mebibytes, files);
    }
    if (command == "scan" && argc >= 6) {
        std::vector<QString> paths;
        for (int i = 5; i < argc; ++i)
            paths.push_back(QString::fromLocal8Bit(argv[i]));
        return Scan(ModeFromStored<TTextLogic>(std::atoi(argv[2])),
                    ModeFromStored<TTextEncoding>(std::atoi(argv[3])), QString::fromLocal8Bit(argv[4]),
                    paths);
    }
    return Usage();
}
