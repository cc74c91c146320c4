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
// year/month/day with a four-digit year, optionally followed by a space and
// hour:minute or hour:minute:second.
std::optional<DateValue> toDate(const QString &text);

}  // namespace TypedInput
}  // namespace pagelore
