#include "stores/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

double NumberText::leadingNumber(QStringView text, NumberForm form) {
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    std::string number;
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) {
        number += static_cast<char>(text[pos].unicode());
        ++pos;
    }
    bool point = false;
    bool digits = false;
    for (; pos < text.size(); ++pos) {
        const char16_t ch = text[pos].unicode();
        if (ch >= u'0' && ch <= u'9') {
            digits = true;
        } else if (ch == u'.' && form == NumberForm::Decimal && !point) {
            point = true;
        } else {
            break;
        }
        number += static_cast<char>(ch);
    }
    if (!digits)
        return 0.0;
    if (number.front() == '+')
        number.erase(0, 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        return number.front() == '-' ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    }
    return value;
}

std::optional<qint16> NumberText::toInt16(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);  // round half to even, as the classic CInt
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(rounded);
}

QString NumberText::format(double value) {
    // Fixed notation, the shortest that reads back as the value: 100000 stays "100000" where the
    // plain shortest form would give "1e+05". The largest double takes 309 digits.
    char buffer[512];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    std::string digits(buffer, error == std::errc() ? end : buffer);
    if (digits.rfind("0.", 0) == 0)
        digits.erase(0, 1);
    const char sign = std::signbit(value) && value != 0.0 ? '-' : ' ';
    return QString::fromLatin1(sign + digits);
}
