#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace pagelore::quick {

// Text as the quick search compares it: compatibility forms read as their
// plain ones (NFKC, so half-width kana and full-width letters are the usual
// characters), hiragana as katakana, and letter case folded.
QString fold(QStringView text);

// The same for the bytes of a record that the scanner found in the writer's
// own form, through tables built once from every character of the code
// page. A half-width voiced or semi-voiced mark joins the kana before it, as
// NFKC joins them, so 「ﾃﾞ」 folds to 「デ」 and never contains 「テ」.
class FoldTables {
public:
    static const FoldTables &instance();

    // Room `out` needs for `bytes`: no character folds to more than this
    // many code units per byte.
    static constexpr int kMaxUnitsPerByte = 4;
    // Folds canonical bytes into out (room for kMaxUnitsPerByte per byte);
    // returns the end of what was written.
    char16_t *fold(QByteArrayView bytes, char16_t *out) const;
    // Decodes canonical bytes (one code unit per character); false when a
    // character is not canonical, and the caller converts the text instead.
    bool decode(QByteArrayView bytes, std::vector<char16_t> &out) const;
    // Every canonical character (a byte below 0x100, else lead << 8 | trail)
    // whose bytes a record must hold for its folded text to hold `unit`: the
    // character folds to a text with it, or to one ending in a kana that a
    // voiced mark after it turns into `unit`.
    std::vector<std::uint16_t> spellingsOf(char16_t unit) const;
    // The spellings when every one of them is a character that folds to
    // `unit` alone and no mark makes `unit` from a kana; otherwise none.
    std::optional<std::vector<std::uint16_t>> exactSpellingsOf(char16_t unit) const;
    // Whether a voiced (first) or semi-voiced (second) mark after `unit`
    // joins it into another kana.
    std::pair<bool, bool> joinsMarks(char16_t unit) const;

private:
    FoldTables();
    std::u16string foldOf(std::uint32_t entry) const;
    std::vector<std::uint16_t> m_codes; // every canonical character
    // Per character: the folded unit itself; or, flagged, a voiced mark or
    // the place and length of a longer folded form in m_expansions.
    std::array<std::uint32_t, 256> m_single{};
    std::array<std::uint32_t, 65536> m_pair{};
    std::array<char16_t, 256> m_singleUnit{};
    std::array<char16_t, 65536> m_pairUnit{};
    std::vector<char16_t> m_expansions;
    // Katakana 0x30A0-0x30FF with the voiced (0) or semi-voiced (1) mark.
    std::array<std::array<char16_t, 96>, 2> m_composed{};
};

} // namespace pagelore::quick
