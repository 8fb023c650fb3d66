// The record each pixel function of the catalogue gets at its dialog's defaults (the values a
// dialog starts with, which are also what the repeat uses before any OK), as named 32-bit cells,
// for running a filter "as is" with no dialog: the filter lab and the tests. The values come
// from the dialogs' own remembered-value defaults through the dialogs' own record conversions,
// so the two cannot drift apart. No widget is made.
//
// Cells are laid out little-endian as the record, except for three kinds of record that hold
// more than cells:
//   - a complex record (custom kernel, lighting): data0..data7, then the block's cells;
//   - the floor: the 63 bytes of its parameters (the last cell padded with 0); the two textures
//     are the caller's;
//   - the gradient map: cell 0 = reverse (bit 0) and protect (bit 8), then the colour stops as
//     0xAARRGGBB (black to white: the dialog takes the current gradient, which starts so).
// Functions without a record have no cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a default that depends on the layer is made from.
struct SFilterDefaultsFor
{
    int32_t width = 256, height = 256; // the effect rectangle's size (scale: 100 % of it)
    bool protect = false;              // the layer protects its transparency
    uint32_t seed = 1;                 // for the filters that take the time as their seed
};

struct SFilterCell
{
    std::string name; // what the cell holds; packed bytes are named b0..b3, halves w0, w1
    uint32_t value;
};

// The cells of the named pixel function's record at its defaults; empty for a function without
// a record or a name outside the catalogue.
std::vector<SFilterCell> filterDefaultCells(std::string_view function,
                                            const SFilterDefaultsFor &at = {});
// The values alone.
std::vector<uint32_t> filterDefaultValues(std::string_view function,
                                          const SFilterDefaultsFor &at = {});
