// Gives the heap's free memory back to the system.
#pragma once

namespace rq {

// After a large piece of work is freed (a huge file closed), the allocator keeps the
// room it grew to for later allocations; this hands the free part back.
void GiveBackFreeMemory();

}  // namespace rq
