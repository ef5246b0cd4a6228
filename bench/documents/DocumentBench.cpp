// Driver of bench/documents/run.sh.
//   kestrova-document-bench generate DIR DOCX PDF   writes DOCX .docx and PDF .pdf files
//   kestrova-document-bench search TERM FILE...     the document test on each file, as the
//       share walk runs it; prints the number of files whose text holds TERM
#include "engine/DocumentContentTest.h"
#include "platform/LocalFileSource.h"
#include "support/DocumentSamples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

using namespace DocumentSamples;

// A few kilobytes of ordinary prose; every tenth document also holds the term (in
// its body for the unzip pipeline, which reads document.xml only).
Terms DocumentTerms(int index)
{
    Terms terms;
    QString body;
    for (int sentence = 0; sentence < 40; ++sentence)
        body += QStringLiteral("Quarterly figures for region %1 were reviewed by the committee on item %2. ")
                    .arg(index % 17)
                    .arg(sentence);
    if (index % 10 == 0)
        body += QStringLiteral("The benchneedle is here.");
    terms.Body = body;
    return terms;
}

// A PDF page holds one line per term, so its text stays short enough for the page.
Terms PdfTerms(int index)
{
    Terms terms;
    terms.Body = QStringLiteral("Quarterly figures for region %1 were reviewed.").arg(index % 17);
    if (index % 10 == 0)
        terms.Header = QStringLiteral("The benchneedle is here.");
    return terms;
}

bool Save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int Generate(const QString& dir, int docxCount, int pdfCount)
{
    QDir().mkpath(dir);
    for (int i = 0; i < docxCount; ++i)
        if (!Save(QStringLiteral("%1/doc-%2.docx").arg(dir).arg(i, 4, 10, QLatin1Char('0')),
                  docx(DocumentTerms(i))))
            return 1;
    for (int i = 0; i < pdfCount; ++i)
        if (!Save(QStringLiteral("%1/paper-%2.pdf").arg(dir).arg(i, 4, 10, QLatin1Char('0')),
                  pdf(PdfTerms(i), 4)))
            return 1;
    return 0;
}

int Search(const QString& term, const QStringList& files)
{
    TThreadConfig config;
    config.EnableTextSearch = true;
    config.SearchInsideDocuments = true;
    config.SearchText = term;
    TDocumentLog log([](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    int matches = 0;
    for (const QString& path : files) {
        auto source = LocalFileSource::open(path);
        if (!source)
            return 1;
        const TDocumentVerdict verdict = TestDocumentContent(*source.value(), path, config, {}, log);
        matches += verdict.Outcome == TDocumentOutcome::Matched;
    }
    std::printf("%d\n", matches);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"generate")
        return Generate(args[2], args[3].toInt(), args[4].toInt());
    if (args.size() >= 4 && args[1] == u"search")
        return Search(args[2], args.mid(3));
    std::fprintf(stderr, "usage: kestrova-document-bench generate DIR DOCX PDF | search TERM FILE...\n");
    return 2;
}
