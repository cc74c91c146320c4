// Typed page numbers, image numbers and dates: any text converts or is
// refused, and what converts spells the same value again.
#include "FuzzSupport.h"

#include "storage/TypedInput.h"

using namespace pagelore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto page = TypedInput::toInt16(text))
        FUZZ_CHECK(TypedInput::toInt16(QString::number(*page)) == page);
    if (const auto image = TypedInput::toUInt8(text))
        FUZZ_CHECK(TypedInput::toUInt8(QString::number(*image)) == image);
    if (const auto date = TypedInput::toDate(text)) {
        FUZZ_CHECK(date->date().isValid());
        FUZZ_CHECK(date->secondsOfDay() >= 0 && date->secondsOfDay() < 86400);
        // The file literal of the value reads back as the same value.
        const auto back = DateValue::fromLiteral(date->toLiteral());
        FUZZ_CHECK(back && *back == *date);
    }
    const QByteArray raw(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto literal = DateValue::fromLiteral(raw)) {
        const auto back = DateValue::fromLiteral(literal->toLiteral());
        FUZZ_CHECK(back && *back == *literal);
    }
    return 0;
}
