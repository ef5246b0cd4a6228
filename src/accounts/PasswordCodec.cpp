#include "accounts/PasswordCodec.h"

#include "model/AnsiCodec.h"

#include <QByteArray>
#include <array>

namespace {

constexpr int kPad = 64;
constexpr int kSkip = -1;

// Six-bit value of each Base64 character, kPad for "=", kSkip for everything else.
int SextetOf(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    if (c == u'=')
        return kPad;
    return kSkip;
}

// Appends the bytes of one group of two to four sextets (kPad allowed at the end).
void DecodeGroup(const std::array<int, 4>& group, int length, QByteArray& bytes)
{
    if (length < 2 || group[0] == kPad || group[1] == kPad)
        return;
    bytes.append(static_cast<char>((group[0] << 2) | (group[1] >> 4)));
    if (length < 3 || group[2] == kPad)
        return;
    bytes.append(static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2)));
    if (length < 4 || group[3] == kPad)
        return;
    bytes.append(static_cast<char>(((group[2] & 0x03) << 6) | group[3]));
}

} // namespace

QString EncodePassword(const QString& password)
{
    return QString::fromLatin1(ToAnsi(password).toBase64());
}

QString DecodePassword(const QString& stored)
{
    QByteArray bytes;
    std::array<int, 4> group{};
    int length = 0;
    for (const QChar ch : stored) {
        const int sextet = SextetOf(ch);
        if (sextet == kSkip)
            continue;
        group[length++] = sextet;
        if (length == 4) {
            DecodeGroup(group, length, bytes);
            length = 0;
        }
    }
    DecodeGroup(group, length, bytes);
    return FromAnsi(bytes);
}
