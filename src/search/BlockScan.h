#pragma once

#include <cstdint>
#include <memory>

namespace pagelore::scan {

// Where the structure of a stretch of an article file lies, found 64 bytes at
// a time: lists of offsets from the stretch's start, ascending. Character
// boundaries are taken into account (a byte after a lead byte is its trail,
// whatever its value), so a byte that looks like a quote or a pattern
// character inside a two-byte character is none.
struct StructureIndex {
    static constexpr int kMaxBlocks = 256;  // of 64 bytes

    StructureIndex();
    // A new stretch, starting at a character boundary.
    void clear();

    int blocks = 0;                             // indexed so far
    std::unique_ptr<std::uint32_t[]> quotes;    // every double quote
    std::unique_ptr<std::uint32_t[]> wrong;     // every character that is not canonical (Cp932Canonical.h),
                                                // or no character at all
    std::unique_ptr<std::uint32_t[]> patterns;  // every ? * # [ inside a text (from a quote to the next)
    int quoteCount = 0;
    int wrongCount = 0;
    int patternCount = 0;

    // Working state of the kernels.
    std::unique_ptr<std::uint32_t[]> unsure;  // lead bytes to look up, bytes that are no character
    int unsureCount = 0;
    std::uint64_t leadCarry = 0;    // the last byte indexed is a lead byte
    std::uint64_t insideCarry = 0;  // all ones when the last byte indexed is inside a text
};

// Indexes `count` more blocks of the stretch that starts at `stretch`, so
// blocks up to `index.blocks + count` (at most kMaxBlocks); reads one byte
// beyond them.
void indexBlocks(const unsigned char *stretch, int count, StructureIndex &index);

// Which instructions find the structure. Every kernel gives the same lists;
// they differ only in speed.
enum class ScanKernel { Portable, Sse2, Avx2 };

// The fastest kernel this processor runs, unless the environment variable
// PAGELORE_SCAN_KERNEL (portable, sse2, avx2) asked for another at start.
ScanKernel scanKernel();
// For the tests: takes the given kernel; false (nothing changed) when this
// processor or build cannot run it.
bool setScanKernel(ScanKernel kernel);
const char *scanKernelName(ScanKernel kernel);

}  // namespace pagelore::scan
