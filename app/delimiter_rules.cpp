#include "app/delimiter_rules.h"

namespace {

int asciiDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<uint64_t> parseDigits(QStringView digits, int base, uint64_t limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    uint64_t value = 0;
    for (const QChar c : digits) {
        const int digit = asciiDigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<int32_t> parseInteger(const QString& text)
{
    QStringView rest(text);
    while (!rest.isEmpty() && rest.front() == u' ')
        rest = rest.mid(1);
    bool negative = false;
    if (!rest.isEmpty() && (rest.front() == u'-' || rest.front() == u'+')) {
        negative = rest.front() == u'-';
        rest = rest.mid(1);
    }
    std::optional<uint64_t> magnitude;
    if (rest.startsWith(u'$') || rest.startsWith(u'x', Qt::CaseInsensitive))
        magnitude = parseDigits(rest.mid(1), 16, 0xFFFFFFFFu);
    else if (rest.startsWith(u"0x", Qt::CaseInsensitive))
        magnitude = parseDigits(rest.mid(2), 16, 0xFFFFFFFFu);
    else
        magnitude = parseDigits(rest, 10, negative ? 0x80000000u : 0x7FFFFFFFu);
    if (!magnitude)
        return std::nullopt;
    // Hexadecimal digits cover the full 32 bits, so $FFFFFFFF is -1.
    const auto bits = static_cast<uint32_t>(*magnitude);
    return static_cast<int32_t>(negative ? 0u - bits : bits);
}

char delimiterFromCode(const QString& text)
{
    const int32_t code = parseInteger(text).value_or(32);
    return static_cast<char>(static_cast<uint8_t>(code & 0xFF));
}

char delimiterFromChar(const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char(' ')).toLatin1();
    return bytes.at(0);
}
