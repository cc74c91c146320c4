#include "BlockScan.h"

#include "platform/Cp932Canonical.h"

#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define PAGELORE_X86 1
#endif

namespace pagelore::scan {

StructureIndex::StructureIndex()
    : quotes(new std::uint32_t[kMaxBlocks * 64 + 16]), wrong(new std::uint32_t[kMaxBlocks * 64]),
      patterns(new std::uint32_t[kMaxBlocks * 64]), unsure(new std::uint32_t[kMaxBlocks * 64 + 8])
{
}

void StructureIndex::clear()
{
    blocks = quoteCount = wrongCount = patternCount = unsureCount = 0;
    leadCarry = insideCarry = 0;
}

namespace {

// What a kernel finds in a block before character boundaries are known.
struct RawMasks {
    std::uint64_t quote = 0;
    std::uint64_t leadRange = 0;  // 0x81-0x9F, 0xE0-0xFC: a lead byte unless it is a trail
    std::uint64_t open = 0;       // in the lead range and not vouched for as a pair with the next byte,
                                  // or no character by itself (0x80, 0xA0, 0xFD-0xFF)
    std::uint64_t pattern = 0;    // ? * # [
    std::uint64_t parity = 0;     // bit i: an odd number of quotes at or before byte i
};

// The index's lists and carries while a kernel runs, in registers rather
// than behind the index (whose counts the list stores could overwrite, as
// far as the compiler knows).
struct Sink {
    std::uint32_t *quotes, *unsure, *patterns;
    std::uint64_t leadCarry, insideCarry;
    std::uint32_t offset;

    explicit Sink(StructureIndex &ix)
        : quotes(ix.quotes.get() + ix.quoteCount), unsure(ix.unsure.get() + ix.unsureCount),
          patterns(ix.patterns.get() + ix.patternCount), leadCarry(ix.leadCarry), insideCarry(ix.insideCarry),
          offset(std::uint32_t(ix.blocks) * 64)
    {
    }

    void store(StructureIndex &ix) const
    {
        ix.quoteCount = int(quotes - ix.quotes.get());
        ix.unsureCount = int(unsure - ix.unsure.get());
        ix.patternCount = int(patterns - ix.patterns.get());
        ix.blocks = int(offset / 64);
        ix.leadCarry = leadCarry;
        ix.insideCarry = insideCarry;
    }
};

// Appends the places of the bits, the first `kAtOnce` of them without a
// branch each (written whether there or not, and counted).
template <int kAtOnce, bool kHardwareCount>
inline std::uint32_t *flatten(std::uint32_t *out, std::uint64_t bits, std::uint32_t offset)
{
    int n = 0;
    if constexpr (kHardwareCount)
        n = __builtin_popcountll(bits);
    for (int j = 0; j < kAtOnce; ++j) {
        out[j] = offset + std::uint32_t(__builtin_ctzll(bits | (std::uint64_t(1) << 63)));
        if constexpr (!kHardwareCount)
            n += bits != 0;
        bits &= bits - 1;
    }
    if (bits) {
        std::uint32_t *more = out + kAtOnce;
        for (; bits; bits &= bits - 1)
            *more++ = offset + std::uint32_t(__builtin_ctzll(bits));
        if constexpr (!kHardwareCount)
            n = int(more - out);
    }
    return out + n;
}

inline std::uint64_t prefixXor(std::uint64_t x)
{
    for (int shift = 1; shift < 64; shift *= 2)
        x ^= x << shift;
    return x;
}

// Finds the lead bytes and adds the block to the index. A run of bytes in the
// lead range pairs off from its start (each lead byte takes the next byte as
// its trail, whatever that is), so the lead bytes of a run that starts at an
// even position are its even bytes and those of a run that starts at an odd
// one its odd bytes. Adding a run's first bit to the run clears it, which
// picks out the runs that start at an even position. A trail byte is never
// open (its lead's pair is what counts), nor is a pattern character. A
// pattern character counts inside a text only, from a quote to the next (a
// number sign also marks a date).
template <bool kHardwareCount> inline void addBlock(Sink &s, const RawMasks &r)
{
    constexpr std::uint64_t kEven = 0x5555555555555555;
    const std::uint64_t range = r.leadRange & ~s.leadCarry;
    const std::uint64_t starts = range & ~(range << 1);
    const std::uint64_t evenRuns = range & ~(range + (starts & kEven));
    const std::uint64_t leads = (evenRuns & kEven) | (range & ~evenRuns & ~kEven);
    const std::uint64_t trails = (leads << 1) | s.leadCarry;
    s.leadCarry = leads >> 63;
    const std::uint64_t inside = r.parity ^ s.insideCarry;
    s.insideCarry = std::uint64_t(std::int64_t(inside) >> 63);

    // A third of the blocks of an article file hold more than eight quotes,
    // hardly any more than twelve.
    s.quotes = flatten<12, kHardwareCount>(s.quotes, r.quote, s.offset);
    s.unsure = flatten<2, kHardwareCount>(s.unsure, r.open & ~trails, s.offset);
    for (std::uint64_t p = r.pattern & ~trails & inside; p; p &= p - 1)
        *s.patterns++ = s.offset + std::uint32_t(__builtin_ctzll(p));
    s.offset += 64;
}

enum : std::uint8_t { kQuote = 1, kLeadRange = 2, kBad = 4, kPattern = 8 };

constexpr bool isTrailByte(int t)
{
    return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
}

// The lead bytes whose every trail byte makes a canonical character: the
// kanji rows but the first, the last and the one between the two levels, the
// user-defined rows 0xF0-0xF9 and the IBM row 0xFB.
constexpr bool isPlainRow(int b)
{
    return (b >= 0x89 && b <= 0x97) || (b >= 0x99 && b <= 0x9F) || (b >= 0xE0 && b <= 0xE9)
           || (b >= 0xF0 && b <= 0xF9) || b == 0xFB;
}

// The rows of punctuation, kana and Latin letters (lead bytes 0x81-0x83)
// are canonical throughout in these sixteen-trail columns (trail >> 4, but
// for 0x7F, which is no trail byte); the AVX2 kernel takes them whole and
// leaves the other columns to a lookup.
constexpr bool isPlainColumn(int lead, int column)
{
    switch (lead) {
    case 0x81:
        return column >= 4 && column <= 9;
    case 0x82:
        return column == 6 || (column >= 0xA && column <= 0xE);
    case 0x83:
        return (column >= 4 && column <= 8) || column == 0xA || column == 0xC;
    }
    return false;
}

struct KernelTables {
    std::array<std::uint8_t, 256> classes{};
    // Bit (lead << 8 | trail) for a canonical pair: 8 KB, which stays in the
    // first-level cache between the few lookups a block needs.
    std::array<std::uint64_t, 1024> canonicalPairs{};
    bool vectorSetsHold = false;  // what the vector kernels know by heart agrees with the code page
};

KernelTables buildTables()
{
    KernelTables k;
    const Cp932::CanonicalTables &t = Cp932::canonicalTables();
    for (int code = 0; code < 65536; ++code)
        if (t.pair[code] == Cp932::CanonicalTables::PairCanonical)
            k.canonicalPairs[code >> 6] |= std::uint64_t(1) << (code & 63);
    const auto canonical = [&t](int lead, int trail) {
        return t.pair[lead << 8 | trail] == Cp932::CanonicalTables::PairCanonical;
    };
    bool hold = true;
    for (int b = 0; b < 256; ++b) {
        std::uint8_t c = 0;
        if (b == '"')
            c |= kQuote;
        if (b == '?' || b == '*' || b == '#' || b == '[')
            c |= kPattern;
        if (t.first[b] == Cp932::CanonicalTables::Lead)
            c |= kLeadRange;
        else if (t.first[b] != Cp932::CanonicalTables::Single)
            c |= kBad;
        k.classes[b] = c;
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const bool bad = b == 0x80 || b == 0xA0 || b >= 0xFD;
        hold = hold && lead == bool(c & kLeadRange) && bad == bool(c & kBad);
        for (int trail = 0; trail < 256; ++trail) {
            if (isPlainRow(b))
                hold = hold && canonical(b, trail) == isTrailByte(trail);
            if (isPlainColumn(b, trail >> 4) && trail != 0x7F)
                hold = hold && canonical(b, trail);
        }
    }
    k.vectorSetsHold = hold;
    return k;
}

const KernelTables &tables()
{
    static const KernelTables t = buildTables();
    return t;
}

// One byte at a time, from the tables alone; every lead byte is looked up.
void indexPortable(const unsigned char *p, int count, StructureIndex &ix)
{
    const KernelTables &k = tables();
    Sink sink(ix);
    for (int block = 0; block < count; ++block, p += 64) {
        RawMasks r;
        for (int i = 0; i < 64; i += 8) {
            // Eight classes side by side, then one bit of each gathered into a byte.
            std::uint64_t w = 0;
            for (int j = 0; j < 8; ++j)
                w |= std::uint64_t(k.classes[p[i + j]]) << (8 * j);
            const auto gather = [w](int bit) {
                return (((w >> bit) & 0x0101010101010101) * 0x0102040810204080) >> 56;
            };
            r.quote |= gather(0) << i;
            r.leadRange |= gather(1) << i;
            r.open |= (gather(1) | gather(2)) << i;
            r.pattern |= gather(3) << i;
        }
        r.parity = prefixXor(r.quote);
        addBlock<false>(sink, r);
    }
    sink.store(ix);
}

#if PAGELORE_X86

std::uint64_t sse2Mask(__m128i m, int shift)
{
    return std::uint64_t(std::uint32_t(_mm_movemask_epi8(m))) << shift;
}

// Sixteen bytes at a time with the instructions every x86-64 processor has:
// comparisons only, so the rows outside the plain ones are looked up.
void indexSse2(const unsigned char *p, int count, StructureIndex &ix)
{
    const __m128i flip = _mm_set1_epi8(char(0x80));
    // Signed comparisons after flipping the top bit: `v` from `lo` on, and
    // within [lo, hi], unsigned.
    const auto from = [flip](__m128i v, int lo) {
        return _mm_cmpgt_epi8(_mm_xor_si128(v, flip), _mm_set1_epi8(char((lo - 1) ^ 0x80)));
    };
    const auto within = [flip, from](__m128i v, int lo, int hi) {
        return _mm_and_si128(from(v, lo),
                             _mm_cmpgt_epi8(_mm_set1_epi8(char((hi + 1) ^ 0x80)), _mm_xor_si128(v, flip)));
    };
    Sink sink(ix);
    for (int block = 0; block < count; ++block, p += 64) {
        RawMasks r;
        for (int i = 0; i < 64; i += 16) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + 1));
            const auto eq = [b](char c) { return _mm_cmpeq_epi8(b, _mm_set1_epi8(c)); };
            const __m128i range = _mm_or_si128(within(b, 0x81, 0x9F), within(b, 0xE0, 0xFC));
            const __m128i bad = _mm_or_si128(_mm_or_si128(eq(char(0x80)), eq(char(0xA0))), from(b, 0xFD));
            const __m128i plain =
                _mm_or_si128(_mm_or_si128(_mm_or_si128(within(b, 0x89, 0x97), within(b, 0x99, 0x9F)),
                                          _mm_or_si128(within(b, 0xE0, 0xE9), within(b, 0xF0, 0xF9))),
                             eq(char(0xFB)));
            const __m128i trail = _mm_andnot_si128(_mm_cmpeq_epi8(t, _mm_set1_epi8(0x7F)), within(t, 0x40, 0xFC));
            r.quote |= sse2Mask(eq('"'), i);
            r.leadRange |= sse2Mask(range, i);
            r.open |= sse2Mask(_mm_or_si128(_mm_andnot_si128(_mm_and_si128(plain, trail), range), bad), i);
            r.pattern |= sse2Mask(_mm_or_si128(_mm_or_si128(eq('?'), eq('*')), _mm_or_si128(eq('#'), eq('['))), i);
        }
        r.parity = prefixXor(r.quote);
        addBlock<false>(sink, r);
    }
    sink.store(ix);
}

// Tables for the AVX2 kernel. Each byte class is a set of high halves
// (byte >> 4) times a set of low halves (byte & 15), so one lookup by each
// half and an AND give a bit per class.
//
// Of a byte as a lead byte: bits 0-3 a plain row (0x89-0x8F; 0x90-0x97,
// 0x99-0x9F; 0xE0-0xE9, 0xF0-0xF9; 0xFB), bits 4-7 the lead range
// (0x81-0x8F, 0x90-0x9F, 0xE0-0xEF, 0xF0-0xFC).
constexpr std::array<std::uint8_t, 16> kLeadHigh = {0, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x22, 0, 0, 0, 0, 0x44, 0x8C};
constexpr std::array<std::uint8_t, 16> kLeadLow = {0xE6, 0xF6, 0xF6, 0xF6, 0xF6, 0xF6, 0xF6, 0xF6,
                                                   0xF4, 0xF7, 0xF3, 0xFB, 0xF3, 0x73, 0x73, 0x73};
// Of a byte by itself: bits 0-2 a pattern character (# *, ?, [), bits 3-6
// the lead bytes 0x81, 0x82, 0x83, and 0x81 or 0x83, bit 7 no character (0x80,
// 0xA0; 0xFD-0xFF are compared).
constexpr std::array<std::uint8_t, 16> kSingleHigh = {0,    0, 0x01, 0x02, 0, 0x04, 0, 0,
                                                      0xF8, 0, 0x80, 0,    0, 0,    0, 0};
constexpr std::array<std::uint8_t, 16> kSingleLow = {0x80, 0x48, 0x10, 0x61, 0, 0, 0, 0,
                                                     0,    0,    0x01, 0x04, 0, 0, 0, 0x02};
// Of a byte as a trail: bits 0-2 a trail byte (0x40-0x6F 0x80-0xEF,
// 0x70-0x7E, 0xF0-0xFC); bits 3-6 the plain columns of the rows 0x81, 0x82,
// 0x83, and 0x70-0x7E of 0x81 and 0x83.
constexpr std::array<std::uint8_t, 16> kTrailHigh = {0,    0,    0,    0,    0x29, 0x29, 0x39, 0x42,
                                                     0x29, 0x09, 0x31, 0x11, 0x31, 0x11, 0x11, 0x04};
constexpr std::array<std::uint8_t, 16> kTrailLow = {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F,
                                                    0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7B, 0x7B, 0x39};

#define PAGELORE_AVX2_TARGET __attribute__((target("avx2,bmi,popcnt,pclmul")))
// GCC would gather the eight places of a block into vector registers before
// storing them, which costs more than storing them one by one.
#if defined(__GNUC__) && !defined(__clang__)
#define PAGELORE_STORE_BY_ONE __attribute__((optimize("no-tree-slp-vectorize")))
#else
#define PAGELORE_STORE_BY_ONE
#endif

PAGELORE_AVX2_TARGET inline __m256i avx2Table(const std::array<std::uint8_t, 16> &a)
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(a.data())));
}

PAGELORE_AVX2_TARGET __attribute__((always_inline)) inline std::uint64_t clmulPrefixXor(std::uint64_t x)
{
    const __m128i all = _mm_set1_epi8(char(0xFF));
    return std::uint64_t(_mm_cvtsi128_si64(_mm_clmulepi64_si128(_mm_cvtsi64_si128(std::int64_t(x)), all, 0)));
}

// Thirty-two bytes at a time.
PAGELORE_AVX2_TARGET PAGELORE_STORE_BY_ONE void indexAvx2(const unsigned char *p, int count, StructureIndex &ix)
{
    const __m256i leadHigh = avx2Table(kLeadHigh), leadLow = avx2Table(kLeadLow);
    const __m256i singleHigh = avx2Table(kSingleHigh), singleLow = avx2Table(kSingleLow);
    const __m256i trailHigh = avx2Table(kTrailHigh), trailLow = avx2Table(kTrailLow);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low3 = _mm256_set1_epi8(0x07);
    // The masks of 32 bytes: quote, not in the lead range, open, pattern.
    struct Half {
        std::uint32_t quote, notRange, open, pattern;
    };
    const auto half = [&](const unsigned char *at) PAGELORE_AVX2_TARGET {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 1));
        const __m256i bHigh = _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble);
        const __m256i tHigh = _mm256_and_si256(_mm256_srli_epi16(t, 4), nibble);
        const __m256i lead = _mm256_and_si256(_mm256_shuffle_epi8(leadHigh, bHigh),
                                              _mm256_shuffle_epi8(leadLow, _mm256_and_si256(b, nibble)));
        const __m256i single = _mm256_and_si256(_mm256_shuffle_epi8(singleHigh, bHigh),
                                                _mm256_shuffle_epi8(singleLow, _mm256_and_si256(b, nibble)));
        const __m256i trail = _mm256_and_si256(_mm256_shuffle_epi8(trailHigh, tHigh),
                                               _mm256_shuffle_epi8(trailLow, _mm256_and_si256(t, nibble)));
        const __m256i zero = _mm256_setzero_si256();
        const __m256i notRange = _mm256_cmpeq_epi8(_mm256_min_epu8(lead, nibble), lead);
        const __m256i plain = _mm256_and_si256(_mm256_cmpgt_epi8(_mm256_and_si256(lead, nibble), zero),
                                               _mm256_cmpgt_epi8(_mm256_and_si256(trail, low3), zero));
        const __m256i notColumn =
            _mm256_cmpeq_epi8(_mm256_and_si256(_mm256_and_si256(single, trail), _mm256_set1_epi8(0x78)), zero);
        const __m256i open = _mm256_or_si256(
            _mm256_or_si256(_mm256_andnot_si256(notRange, _mm256_andnot_si256(plain, notColumn)), single),
            _mm256_cmpeq_epi8(_mm256_max_epu8(b, _mm256_set1_epi8(char(0xFD))), b));
        return Half{std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, _mm256_set1_epi8('"')))),
                    std::uint32_t(_mm256_movemask_epi8(notRange)), std::uint32_t(_mm256_movemask_epi8(open)),
                    ~std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(single, low3), zero)))};
    };
    const auto join = [](std::uint32_t low, std::uint32_t high) {
        return std::uint64_t(low) | std::uint64_t(high) << 32;
    };
    Sink sink(ix);
    for (int block = 0; block < count; ++block, p += 64) {
        const Half low = half(p), high = half(p + 32);
        RawMasks r;
        r.quote = join(low.quote, high.quote);
        r.leadRange = ~join(low.notRange, high.notRange);
        r.open = join(low.open, high.open);
        r.pattern = join(low.pattern, high.pattern);
        r.parity = clmulPrefixXor(r.quote);
        addBlock<true>(sink, r);
    }
    sink.store(ix);
}

#endif

using Kernel = void (*)(const unsigned char *, int, StructureIndex &);

bool available(ScanKernel kernel)
{
    switch (kernel) {
    case ScanKernel::Portable:
        return true;
#if PAGELORE_X86
    case ScanKernel::Sse2:
        return tables().vectorSetsHold;
    case ScanKernel::Avx2:
        return tables().vectorSetsHold && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi")
               && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("pclmul");
#else
    case ScanKernel::Sse2:
    case ScanKernel::Avx2:
        return false;
#endif
    }
    return false;
}

Kernel kernelOf(ScanKernel kernel)
{
    switch (kernel) {
#if PAGELORE_X86
    case ScanKernel::Sse2:
        return indexSse2;
    case ScanKernel::Avx2:
        return indexAvx2;
#endif
    default:
        return indexPortable;
    }
}

struct Selected {
    ScanKernel kernel;
    Kernel run;
};

Selected &selected()
{
    static Selected s = [] {
        const char *wanted = std::getenv("PAGELORE_SCAN_KERNEL");
        ScanKernel k = available(ScanKernel::Avx2)   ? ScanKernel::Avx2
                       : available(ScanKernel::Sse2) ? ScanKernel::Sse2
                                                     : ScanKernel::Portable;
        for (ScanKernel w : {ScanKernel::Portable, ScanKernel::Sse2, ScanKernel::Avx2})
            if (wanted && std::strcmp(wanted, scanKernelName(w)) == 0 && available(w))
                k = w;
        return Selected{k, kernelOf(k)};
    }();
    return s;
}

}  // namespace

void indexBlocks(const unsigned char *stretch, int count, StructureIndex &index)
{
    selected().run(stretch + 64 * index.blocks, count, index);
    // The pairs the kernel could not vouch for, and what is no character.
    const KernelTables &k = tables();
    for (int i = 0; i < index.unsureCount; ++i) {
        const std::uint32_t at = index.unsure[i];
        const unsigned char *const x = stretch + at;
        const unsigned code = x[0] << 8 | x[1];
        if (!(k.classes[x[0]] & kLeadRange) || !(k.canonicalPairs[code >> 6] >> (code & 63) & 1))
            index.wrong[index.wrongCount++] = at;
    }
    index.unsureCount = 0;
}

ScanKernel scanKernel()
{
    return selected().kernel;
}

bool setScanKernel(ScanKernel kernel)
{
    if (!available(kernel))
        return false;
    selected() = Selected{kernel, kernelOf(kernel)};
    return true;
}

const char *scanKernelName(ScanKernel kernel)
{
    switch (kernel) {
    case ScanKernel::Portable:
        return "portable";
    case ScanKernel::Sse2:
        return "sse2";
    case ScanKernel::Avx2:
        return "avx2";
    }
    return "";
}

}  // namespace pagelore::scan
