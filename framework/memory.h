#pragma once

namespace fw {

// Hands the memory that the program has freed back to the system, where the allocator would keep it
// for later use: after a large list is emptied, say.
void ReturnFreedMemory();

} // namespace fw
