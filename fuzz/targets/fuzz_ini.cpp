// The INI reader: every read function on the parsed file, then a write and a
// second parse of what the writer gives, which must read the value back.
#include "FuzzInput.h"
#include "files/IniFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = WriteFuzzInputFile(data, size);
    ReadExpectingErrors([&] {
        TIniFile ini(path);
        const QString section = QStringLiteral("Options");
        (void)ini.SectionExists(section);
        const QString text = ini.ReadString(section, QStringLiteral("Key"), QString());
        (void)ini.ReadInteger(section, QStringLiteral("Key"), 7);
        (void)ini.ReadBool(section, QStringLiteral("Key"), true);
        (void)ini.ReadDate(section, QStringLiteral("Key"), 1.0);
        // A written value reads back exactly, whatever the file held before.
        ini.WriteString(section, QStringLiteral("Written"), text);
        const QByteArray written = ini.ToBytes();
        const QString again = WriteFuzzInputFile(reinterpret_cast<const uint8_t*>(written.constData()),
                                                 static_cast<size_t>(written.size()));
        TIniFile reread(again);
        QString expected = text;
        expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (reread.ReadString(section, QStringLiteral("Written"), QString()) != expected)
            std::abort();
    });
    (void)DecodeIniValue(QString::fromUtf8(FuzzBytes(data, size)));
    return 0;
}
