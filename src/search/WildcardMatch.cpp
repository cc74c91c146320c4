#include "Search.h"

#include <QVarLengthArray>

#include <string>

namespace pagelore {

namespace {

// One element of a parsed pattern; each matches exactly one character,
// except Star.
struct Token {
    enum class Kind : unsigned char { Literal, Any, Digit, Star, List };
    Kind kind;
    bool negated = false;
    char32_t c = 0;          // Literal
    int rangeBegin = 0;      // List: index into the range table
    int rangeCount = 0;
};

struct Range {
    char32_t first;
    char32_t last;
};

struct ParsedPattern {
    QVarLengthArray<Token, 64> tokens;
    QVarLengthArray<Range, 16> ranges;
};

bool parse(const std::u32string &p, ParsedPattern &out)
{
    const qsizetype n = static_cast<qsizetype>(p.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t c = p[i];
        Token t{Token::Kind::Literal};
        if (c == U'?') {
            t.kind = Token::Kind::Any;
        } else if (c == U'*') {
            if (!out.tokens.isEmpty() && out.tokens.back().kind == Token::Kind::Star)
                continue;  // runs of * mean the same as one
            t.kind = Token::Kind::Star;
        } else if (c == U'#') {
            t.kind = Token::Kind::Digit;
        } else if (c == U'[') {
            qsizetype j = i + 1;
            if (j < n && p[j] == U']') {  // the empty list matches the empty run
                i = j;
                continue;
            }
            t.kind = Token::Kind::List;
            if (j < n && p[j] == U'!' && j + 1 < n && p[j + 1] != U']') {
                t.negated = true;
                ++j;
            }
            t.rangeBegin = static_cast<int>(out.ranges.size());
            const qsizetype start = j;
            bool closed = false;
            for (; j < n; ++j) {
                if (p[j] == U']') {
                    closed = true;
                    break;
                }
                const char32_t first = p[j];
                // a-b is a range unless the - is the list's first or last character
                if (j + 2 < n && p[j + 1] == U'-' && p[j + 2] != U']' && !(first == U'-' && j == start)) {
                    const char32_t last = p[j + 2];
                    if (first > last)
                        return false;
                    out.ranges.append({first, last});
                    j += 2;
                } else {
                    out.ranges.append({first, first});
                }
            }
            if (!closed)
                return false;
            t.rangeCount = static_cast<int>(out.ranges.size()) - t.rangeBegin;
            i = j;
        } else {
            t.c = c;
        }
        out.tokens.append(t);
    }
    return true;
}

bool matchOne(const Token &t, const ParsedPattern &p, char32_t c)
{
    switch (t.kind) {
    case Token::Kind::Literal:
        return t.c == c;
    case Token::Kind::Any:
        return true;
    case Token::Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Token::Kind::List: {
        bool in = false;
        for (int k = t.rangeBegin; k < t.rangeBegin + t.rangeCount && !in; ++k)
            in = c >= p.ranges[k].first && c <= p.ranges[k].last;
        return in != t.negated;
    }
    case Token::Kind::Star:
        break;
    }
    return false;
}

}  // namespace

bool WildcardMatch(QStringView text, QStringView pattern)
{
    ParsedPattern p;
    if (!parse(pattern.toString().toStdU32String(), p))
        return false;
    const std::u32string s = text.toString().toStdU32String();
    const qsizetype n = static_cast<qsizetype>(s.size());
    const qsizetype m = p.tokens.size();

    // Greedy matching with one backtrack point: the latest star. Every token
    // other than a star takes exactly one character, so moving the star's
    // reach forward one character at a time finds a match if there is one,
    // in at most text length times pattern length steps.
    qsizetype si = 0, pi = 0, starPi = -1, starSi = 0;
    while (si < n) {
        if (pi < m && p.tokens[pi].kind == Token::Kind::Star) {
            starPi = pi++;
            starSi = si;
        } else if (pi < m && matchOne(p.tokens[pi], p, s[si])) {
            ++pi;
            ++si;
        } else if (starPi >= 0) {
            pi = starPi + 1;
            si = ++starSi;
        } else {
            return false;
        }
    }
    while (pi < m && p.tokens[pi].kind == Token::Kind::Star)
        ++pi;
    return pi == m;
}

}  // namespace pagelore
