// WildcardMatch against a plain backtracking matcher written from the rules,
// on short texts and patterns (the reference is exponential on long ones).
#include "FuzzSupport.h"

#include "search/Search.h"

#include <algorithm>
#include <string>

using namespace pagelore;

namespace {

// Whether s from si fits p from pi. A list never closed or a descending range
// fails every way through it, so that such a pattern matches nothing.
bool reference(const std::u32string &p, size_t pi, const std::u32string &s, size_t si)
{
    if (pi == p.size())
        return si == s.size();
    if (p[pi] == U'*')
        return reference(p, pi + 1, s, si) || (si < s.size() && reference(p, pi, s, si + 1));
    if (p[pi] != U'[') {
        const bool fits =
            si < s.size() && (p[pi] == U'?' || (p[pi] == U'#' ? s[si] >= U'0' && s[si] <= U'9' : s[si] == p[pi]));
        return fits && reference(p, pi + 1, s, si + 1);
    }
    const size_t close = p.find(U']', pi + 1);
    if (close == std::u32string::npos)
        return false;
    if (close == pi + 1) // the empty list: the empty run
        return reference(p, close + 1, s, si);
    const bool negated = p[pi + 1] == U'!' && close > pi + 2;
    bool in = false;
    for (size_t k = pi + 1 + negated; k < close; ++k) {
        const bool range = p[k + 1] == U'-' && k + 2 < close && !(p[k] == U'-' && k == pi + 1 + negated);
        const char32_t last = range ? p[k + 2] : p[k];
        if (last < p[k])
            return false;
        in = in || (si < s.size() && s[si] >= p[k] && s[si] <= last);
        k += range ? 2 : 0;
    }
    return si < s.size() && in != negated && reference(p, close + 1, s, si + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [textBytes, patternBytes] = splitInput(data, size);
    const QString text = QString::fromUtf8(textBytes), pattern = QString::fromUtf8(patternBytes);
    const std::u32string t = text.toStdU32String(), p = pattern.toStdU32String();
    const bool got = WildcardMatch(text, pattern);
    if (t.size() <= 24 && p.size() <= 24 && std::count(p.begin(), p.end(), U'*') <= 4)
        FUZZ_CHECK(got == reference(p, 0, t, 0));
    // A text always matches itself when it has no pattern characters.
    if (std::none_of(t.begin(), t.end(),
                     [](char32_t c) { return c == U'?' || c == U'*' || c == U'#' || c == U'['; }))
        FUZZ_CHECK(WildcardMatch(text, text));
    return 0;
}
