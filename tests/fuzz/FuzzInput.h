// Reads typed values off a fuzzer's byte string; runs out gracefully by
// answering zeros once the bytes are used up.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Reports the failed condition's line, then lets libFuzzer keep the input.
inline void check(bool condition, int line = __builtin_LINE())
{
    if (condition)
        return;
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}

class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_offset >= m_size; }

    // Little-endian, read in a fixed order whatever the compiler.
    quint8 u8() { return empty() ? 0 : m_data[m_offset++]; }
    quint16 u16()
    {
        const quint16 low = u8();
        return quint16(low | (u8() << 8));
    }
    qint32 i32()
    {
        const quint32 low = u16();
        return qint32(low | (quint32(u16()) << 16));
    }
    bool flag() { return u8() & 1; }

    /// Up to `max` raw bytes, the length taken from the input.
    QByteArray bytes(int max)
    {
        const size_t wanted = size_t(u16()) % size_t(max + 1);
        const size_t n = qMin(wanted, m_size - qMin(m_offset, m_size));
        QByteArray out(reinterpret_cast<const char *>(m_data + m_offset), qsizetype(n));
        m_offset += n;
        return out;
    }
    /// Text decoded as UTF-8 the way Qt decodes a peer's string (bad
    /// sequences become replacement characters; no NUL, which a D-Bus string
    /// cannot hold), sometimes stretched long.
    QString text(int max = 64)
    {
        QString s = QString::fromUtf8(bytes(max));
        s.remove(QChar(0));
        if (!s.isEmpty() && (u8() & 0x1f) == 0)
            s = s.repeated(1 + (u16() % 4096) / qMax<qsizetype>(1, s.size()));
        return s;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_offset = 0;
};
