// WildcardMatch against a plain backtracking matcher written from the rules,
// on short texts and patterns (the reference is exponential on long ones).
#include "FuzzSupport.h"

#include "search/Search.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using namespace pagelore;

namespace {

struct Element {
    enum Kind { Lit, Any, Digit, Star, Set };
    Element(Kind k, char32_t ch = 0) : kind(k), c(ch) {}
    Kind kind;
    char32_t c;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

// Parses by the rules; nullopt for a pattern that is not well formed.
std::optional<std::vector<Element>> parse(const std::u32string &p)
{
    std::vector<Element> out;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] != U'[') {
            const Element::Kind k = p[i] == U'?'   ? Element::Any
                                    : p[i] == U'*' ? Element::Star
                                    : p[i] == U'#' ? Element::Digit
                                                   : Element::Lit;
            out.emplace_back(k, p[i]);
            continue;
        }
        const size_t close = p.find(U']', i + 1);
        if (close == std::u32string::npos)
            return std::nullopt;
        const std::u32string body = p.substr(i + 1, close - i - 1);
        i = close;
        if (body.empty())
            continue; // the empty list: the empty run
        Element e(Element::Set);
        size_t k = body.size() > 1 && body[0] == U'!' ? 1 : 0;
        e.negated = k == 1;
        for (const size_t first = k; k < body.size(); ++k) {
            const bool dashFirst = body[k] == U'-' && k == first;
            if (!dashFirst && k + 2 < body.size() && body[k + 1] == U'-') {
                if (body[k] > body[k + 2])
                    return std::nullopt;
                e.ranges.push_back({body[k], body[k + 2]});
                k += 2;
            } else {
                e.ranges.push_back({body[k], body[k]});
            }
        }
        out.push_back(e);
    }
    return out;
}

bool one(const Element &e, char32_t c)
{
    if (e.kind == Element::Set) {
        bool in = false;
        for (const auto &r : e.ranges)
            in = in || (c >= r.first && c <= r.second);
        return in != e.negated;
    }
    return e.kind == Element::Any || (e.kind == Element::Digit && c >= U'0' && c <= U'9')
           || (e.kind == Element::Lit && e.c == c);
}

bool match(const std::vector<Element> &p, size_t pi, const std::u32string &s, size_t si)
{
    if (pi == p.size())
        return si == s.size();
    if (p[pi].kind == Element::Star) {
        for (size_t k = si; k <= s.size(); ++k)
            if (match(p, pi + 1, s, k))
                return true;
        return false;
    }
    return si < s.size() && one(p[pi], s[si]) && match(p, pi + 1, s, si + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [textBytes, patternBytes] = splitInput(data, size);
    const QString text = QString::fromUtf8(textBytes);
    const std::u32string t = text.toStdU32String();
    const std::u32string p = QString::fromUtf8(patternBytes).toStdU32String();
    const bool got = WildcardMatch(text, QString::fromUtf8(patternBytes));
    // The reference is exponential in the number of stars; compare only where
    // it finishes quickly.
    if (t.size() <= 24 && p.size() <= 24 && std::count(p.begin(), p.end(), U'*') <= 4) {
        const auto parsed = parse(p);
        FUZZ_CHECK(got == (parsed && match(*parsed, 0, t, 0)));
    }
    // A text always matches itself when it has no pattern characters.
    if (std::none_of(t.begin(), t.end(),
                     [](char32_t c) { return c == U'?' || c == U'*' || c == U'#' || c == U'['; }))
        FUZZ_CHECK(WildcardMatch(text, text));
    return 0;
}
