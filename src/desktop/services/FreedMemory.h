#pragma once

namespace kestrane {

// Hands the memory the program has freed back to the system. The allocator keeps what
// large pictures (backdrops, blurred copies, the whole-screen window's buffer) leave behind
// once it has raised its threshold for mapping them on their own, so closing a view would
// otherwise leave the program holding its largest footprint all day.
void returnFreedMemory();

} // namespace kestrane
