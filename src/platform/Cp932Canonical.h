#pragma once

#include <array>
#include <cstdint>

namespace pagelore::Cp932 {

// Byte-level comparison of stored texts. A character's bytes are canonical
// when decode() accepts them and encode() gives the very same bytes back;
// texts made only of canonical characters are equal exactly when their bytes
// are, which lets a reader compare without decoding. The duplicate rows
// (lead bytes 0x87, 0xED, 0xEE, 0xFA-0xFC) hold characters that are not
// canonical in one of their spellings.
struct CanonicalTables {
    enum : std::uint8_t { Invalid = 0, Single = 1, Lead = 2 };
    enum : std::uint8_t { PairInvalid = 0, PairCanonical = 1, PairOtherSpelling = 2 };
    std::array<std::uint8_t, 256> first{};     // by a character's first byte
    std::array<std::uint8_t, 65536> pair{};    // by lead << 8 | trail
};

// Built once, from the converter itself, on first use.
const CanonicalTables &canonicalTables();

}  // namespace pagelore::Cp932
