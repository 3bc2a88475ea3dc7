#pragma once

namespace kestrane {

// An open drawer's width, and the least distance it keeps from the screen's top and bottom.
constexpr double drawerWidth = 214;
constexpr double drawerScreenMargin = 16;
// A drawer lists up to this many rows, this far apart.
constexpr int drawerVisibleRows = 6;
constexpr double drawerRowPitch = 46;

// The resting swell of a pocket holding n items.
double heft(int itemCount);

// How full a pocket of n items looks, 0 to 1: a fuller pocket hangs lower.
double pocketFill(int itemCount);

// How far a bulge of the given amplitude spreads along the edge, as a factor of its
// resting spread: bigger bulges spread further.
double bulgeSpread(double amplitude);

// The height a drawer listing n items settles at.
double drawerHeight(int itemCount);

} // namespace kestrane
