// The code page 932 decoder and encoder: decoding arbitrary bytes succeeds or
// names an offset inside them; what decodes encodes again, and the round trip
// decode-encode-decode is stable. Arbitrary text encodes or names a character.
#include "FuzzSupport.h"

#include "platform/Cp932.h"

using namespace pagelore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Cp932::DecodeResult decoded = Cp932::decode(bytes);
    if (decoded.ok) {
        const Cp932::EncodeResult encoded = Cp932::encode(decoded.text);
        FUZZ_CHECK(encoded.ok);
        const Cp932::DecodeResult again = Cp932::decode(encoded.bytes);
        FUZZ_CHECK(again.ok && again.text == decoded.text);
        FUZZ_CHECK(Cp932::encode(again.text).bytes == encoded.bytes);
    } else {
        FUZZ_CHECK(decoded.errorOffset >= 0 && decoded.errorOffset < bytes.size());
    }
    const QString text = QString::fromUtf8(bytes);
    const Cp932::EncodeResult fromText = Cp932::encode(text);
    if (fromText.ok) {
        const Cp932::DecodeResult back = Cp932::decode(fromText.bytes);
        FUZZ_CHECK(back.ok && back.text == text);
    } else {
        FUZZ_CHECK(fromText.errorIndex >= 0 && fromText.errorIndex < text.size());
    }
    return 0;
}
