#pragma once

namespace kestrane {

// The resting swell of a pocket holding n items.
double heft(int itemCount);

} // namespace kestrane
