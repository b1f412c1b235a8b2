#pragma once
// A small deflate compressor (greedy LZ77 over a 32 KiB window, fixed Huffman
// codes) for the PNG writer. Colorgrammes are mostly runs of a few colours, so
// this shrinks them about a hundredfold without a compression library.

#include <string>
#include <string_view>

// The raw deflate stream (no zlib header or trailer) of the bytes, as one
// final block.
std::string deflateFixed(std::string_view data);
