#pragma once

#include "DateValue.h"

#include <QString>

#include <optional>

namespace pagelore {

// Conversions of text typed into the screens, done when a record is written
// or a search starts. Surrounding spaces are ignored and full-width digits,
// signs, slashes and colons count as their half-width forms; anything else
// that is not plainly a number or a date is refused rather than guessed at.
namespace TypedInput {

std::optional<qint16> toInt16(const QString &text);
std::optional<quint8> toUInt8(const QString &text);

// Why a date text did not convert: not written as a date at all, or written
// as one that the calendar or the clock does not have (2024/2/30, 25:00).
enum class DateError { WrongForm, NoSuchDate };
// year/month/day with a four-digit year, optionally followed by a space and
// hour:minute or hour:minute:second.
std::optional<DateValue> toDate(const QString &text, DateError *error = nullptr);

// Text as typed, with the marks that input methods on this platform spell by
// other code points (WAVE DASH U+301C, MINUS SIGN U+2212, ...) changed to the
// ones code page 932 has (U+FF5E, U+FF0D, ...), so that what is stored and
// what is searched agree. Applied wherever typed text enters the program.
QString mapTypedText(QString text);

}  // namespace TypedInput
}  // namespace pagelore
