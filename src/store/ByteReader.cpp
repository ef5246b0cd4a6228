#include "store/ByteReader.h"

#include "model/Error.h"

uint16_t TByteReader::u16(const char* what)
{
    return LoadLE16(take(2, what));
}

uint32_t TByteReader::u32(const char* what)
{
    return LoadLE32(take(4, what));
}

const char* TByteReader::take(size_t count, const char* what)
{
    if (count > remaining())
        throw EKestrovaError(QStringLiteral("%1 is cut short: %2 bytes needed at offset %3, %4 left")
                                 .arg(QLatin1String(what))
                                 .arg(count)
                                 .arg(m_position)
                                 .arg(remaining()));
    const char* at = m_data + m_position;
    m_position += count;
    return at;
}
