// WildcardMatch against a plain backtracking matcher written from the rules,
// on short texts and patterns (the reference is exponential on long ones).
#include "FuzzSupport.h"

#include "search/Search.h"

#include <QRegularExpression>

#include <optional>
#include <string>
#include <vector>

using namespace pagelore;

namespace {

struct Element {
    enum Kind { Lit, Any, Digit, Star, Set };
    Element(Kind k, char32_t ch = 0) : kind(k), c(ch) {}
    Kind kind;
    char32_t c = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

// Parses by the rules; nullopt for a pattern that is not well formed.
std::optional<std::vector<Element>> parse(const std::u32string &p)
{
    std::vector<Element> out;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == U'?') {
            out.emplace_back(Element::Any);
        } else if (p[i] == U'*') {
            out.emplace_back(Element::Star);
        } else if (p[i] == U'#') {
            out.emplace_back(Element::Digit);
        } else if (p[i] == U'[') {
            const size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos)
                return std::nullopt;
            std::u32string body = p.substr(i + 1, close - i - 1);
            i = close;
            if (body.empty())
                continue;  // the empty list: the empty run
            Element e(Element::Set);
            size_t k = 0;
            if (body.size() > 1 && body[0] == U'!') {
                e.negated = true;
                k = 1;
            }
            const size_t first = k;
            for (; k < body.size(); ++k) {
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
        } else {
            out.emplace_back(Element::Lit, p[i]);
        }
    }
    return out;
}

bool one(const Element &e, char32_t c)
{
    switch (e.kind) {
    case Element::Lit:
        return e.c == c;
    case Element::Any:
        return true;
    case Element::Digit:
        return c >= U'0' && c <= U'9';
    case Element::Set: {
        bool in = false;
        for (const auto &r : e.ranges)
            in = in || (c >= r.first && c <= r.second);
        return in != e.negated;
    }
    case Element::Star:
        break;
    }
    return false;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [textBytes, patternBytes] = splitInput(data, size);
    const QString text = QString::fromUtf8(textBytes);
    const QString pattern = QString::fromUtf8(patternBytes);
    const bool got = WildcardMatch(text, pattern);
    const std::u32string t = text.toStdU32String();
    const std::u32string p = pattern.toStdU32String();
    // The reference is exponential in the number of stars; compare only where
    // it finishes quickly.
    size_t stars = 0;
    for (char32_t c : p)
        stars += c == U'*';
    if (t.size() <= 24 && p.size() <= 24 && stars <= 4) {
        const auto parsed = parse(p);
        const bool expected = parsed && match(*parsed, 0, t, 0);
        FUZZ_CHECK(got == expected);
    }
    // A text always matches itself when it has no pattern characters.
    if (!text.contains(QRegularExpression(QStringLiteral("[?*#\\[]"))))
        FUZZ_CHECK(WildcardMatch(text, text));
    return 0;
}
