#include "platform/DnsMessage.h"

#include <arpa/inet.h>

namespace Dns {

namespace {

constexpr int kHeaderSize = 12;
constexpr int kMaxLabelLength = 63;

void AppendUint16(QByteArray& out, uint16_t value)
{
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}

// Dotted name to labels; an empty label (two dots, a label over 63 bytes) cannot
// be encoded and gives false.
bool AppendName(QByteArray& out, const QString& name)
{
    QString trimmed = name;
    if (trimmed.endsWith(u'.'))
        trimmed.chop(1);
    if (!trimmed.isEmpty()) {
        for (const QString& label : trimmed.split(u'.')) {
            const QByteArray bytes = label.toUtf8();
            if (bytes.isEmpty() || bytes.size() > kMaxLabelLength)
                return false;
            out.append(static_cast<char>(bytes.size()));
            out.append(bytes);
        }
    }
    out.append('\0');
    return true;
}

// Reads from a packet; every read checks the end first.
class Reader {
public:
    explicit Reader(const QByteArray& packet)
        : m_data(reinterpret_cast<const unsigned char*>(packet.constData())), m_size(packet.size())
    {
    }

    int position() const { return m_position; }
    bool readUint16(uint16_t& value) { return readUint16At(m_position, value) && advance(2); }
    bool readUint32(uint32_t& value)
    {
        uint16_t high = 0;
        uint16_t low = 0;
        if (!readUint16(high) || !readUint16(low))
            return false;
        value = uint32_t{high} << 16 | low;
        return true;
    }
    bool advance(int count)
    {
        if (count < 0 || count > m_size - m_position)
            return false;
        m_position += count;
        return true;
    }
    const unsigned char* at(int offset) const { return m_data + offset; }
    bool has(int offset, int count) const { return offset >= 0 && count >= 0 && count <= m_size - offset; }

    // A possibly compressed name starting at the current position.
    bool readName(QString& name)
    {
        int end = -1;
        if (!readNameAt(m_position, name, end))
            return false;
        m_position = end;
        return true;
    }
    // A name at offset; end receives the offset after the name's bytes in place
    // (after the first pointer when the name is compressed).
    bool readNameAt(int offset, QString& name, int& end) const
    {
        QByteArray text;
        int length = 0;
        int pointers = 0;
        end = -1;
        for (;;) {
            if (!has(offset, 1))
                return false;
            const unsigned char size = m_data[offset];
            if ((size & 0xC0) == 0xC0) {
                uint16_t pointer = 0;
                if (!readUint16At(offset, pointer) || ++pointers > kMaxNamePointers)
                    return false;
                if (end < 0)
                    end = offset + 2;
                offset = pointer & 0x3FFF;
                continue;
            }
            if ((size & 0xC0) != 0) // the reserved label types 01 and 10
                return false;
            if (size == 0) {
                if (end < 0)
                    end = offset + 1;
                break;
            }
            if (!has(offset + 1, size))
                return false;
            length += size + 1;
            if (length > kMaxNameLength)
                return false;
            if (!text.isEmpty())
                text.append('.');
            text.append(reinterpret_cast<const char*>(m_data + offset + 1), size);
            offset += 1 + size;
        }
        name = QString::fromUtf8(text);
        return true;
    }

private:
    bool readUint16At(int offset, uint16_t& value) const
    {
        if (!has(offset, 2))
            return false;
        value = static_cast<uint16_t>(m_data[offset] << 8 | m_data[offset + 1]);
        return true;
    }

    const unsigned char* m_data;
    int m_size;
    int m_position = 0;
};

bool ReadRecordData(Reader& reader, int dataEnd, Record& record)
{
    const int start = reader.position();
    const int length = dataEnd - start;
    int nameEnd = 0;
    switch (record.type) {
    case TypePtr:
        return reader.readNameAt(start, record.target, nameEnd) && nameEnd <= dataEnd;
    case TypeSrv: {
        if (length < 7)
            return false;
        const unsigned char* bytes = reader.at(start);
        record.priority = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
        record.weight = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
        record.port = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
        return reader.readNameAt(start + 6, record.target, nameEnd) && nameEnd <= dataEnd;
    }
    case TypeTxt:
        for (int offset = start; offset < dataEnd;) {
            const int size = *reader.at(offset);
            if (size > dataEnd - offset - 1)
                return false;
            if (size > 0)
                record.texts.append(QByteArray(reinterpret_cast<const char*>(reader.at(offset + 1)), size));
            offset += 1 + size;
        }
        return true;
    case TypeA:
    case TypeAaaa: {
        const int family = record.type == TypeA ? AF_INET : AF_INET6;
        if (length != (record.type == TypeA ? 4 : 16))
            return false;
        char text[INET6_ADDRSTRLEN] = {};
        if (!inet_ntop(family, reader.at(start), text, sizeof text))
            return false;
        record.address = QString::fromLatin1(text);
        return true;
    }
    default:
        return true;
    }
}

} // namespace

QByteArray BuildQuery(const std::vector<Question>& questions, uint16_t id)
{
    QByteArray out;
    AppendUint16(out, id);
    AppendUint16(out, 0); // a standard query
    AppendUint16(out, static_cast<uint16_t>(questions.size()));
    AppendUint16(out, 0);
    AppendUint16(out, 0);
    AppendUint16(out, 0);
    for (const Question& question : questions) {
        if (!AppendName(out, question.name))
            return {};
        AppendUint16(out, question.type);
        AppendUint16(out, kClassIn | (question.unicastResponse ? kClassTopBit : 0));
    }
    return out;
}

QByteArray BuildQuery(const QString& name, uint16_t type, bool unicastResponse, uint16_t id)
{
    return BuildQuery(std::vector<Question>{{name, type, unicastResponse}}, id);
}

std::optional<Message> ParseMessage(const QByteArray& packet)
{
    if (packet.size() < kHeaderSize || packet.size() > kMaxMessageSize)
        return std::nullopt;
    Reader reader(packet);
    Message message;
    uint16_t counts[4] = {};
    if (!reader.readUint16(message.id) || !reader.readUint16(message.flags))
        return std::nullopt;
    for (uint16_t& count : counts) {
        if (!reader.readUint16(count))
            return std::nullopt;
    }
    for (int i = 0; i < counts[0]; ++i) {
        Question question;
        uint16_t questionClass = 0;
        if (!reader.readName(question.name) || !reader.readUint16(question.type) ||
            !reader.readUint16(questionClass))
            return std::nullopt;
        question.unicastResponse = (questionClass & kClassTopBit) != 0;
        message.questions.push_back(std::move(question));
    }
    const int recordCount = counts[1] + counts[2] + counts[3];
    for (int i = 0; i < recordCount; ++i) {
        Record record;
        uint16_t dataLength = 0;
        if (!reader.readName(record.name) || !reader.readUint16(record.type) ||
            !reader.readUint16(record.recordClass) || !reader.readUint32(record.ttl) ||
            !reader.readUint16(dataLength))
            return std::nullopt;
        record.recordClass &= static_cast<uint16_t>(~kClassTopBit);
        const int dataEnd = reader.position() + dataLength;
        if (!reader.has(reader.position(), dataLength) || !ReadRecordData(reader, dataEnd, record))
            return std::nullopt;
        reader.advance(dataLength);
        message.records.push_back(std::move(record));
    }
    return message;
}

bool SameName(const QString& a, const QString& b)
{
    auto bare = [](const QString& name) { return name.endsWith(u'.') ? name.chopped(1) : name; };
    return bare(a).compare(bare(b), Qt::CaseInsensitive) == 0;
}

} // namespace Dns
