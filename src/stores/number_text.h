// Numbers in one-line stores: read from the start of a value, written with a leading blank.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

enum class NumberForm { WholeDigits, Decimal };

namespace NumberText {

// The leading number of `text`: blanks are skipped, an optional sign, then digits (and for
// NumberForm::Decimal a "." and further digits) up to the first other character.
// A value with no leading number reads as 0.
double leadingNumber(QStringView text, NumberForm form);

// The number as a 16-bit whole number, or nothing when it does not fit.
std::optional<qint16> toInt16(double value);

// A blank before a non-negative number, "-" before a negative one; the shortest decimal form,
// never with an exponent, with "." as the point and no zero before the point below 1 (" 1",
// " .15", "-.5", " 100000").
QString format(double value);

}  // namespace NumberText
