#pragma once

#include <cstddef>

#include "text/text.h"

namespace quillmere {

// Makes room in a growing response body for `needed` bytes in all, keeping its contents.
// Capacity at least doubles, and a large new buffer asks the kernel for huge pages before it
// is first touched: filling tens of megabytes of fresh 4 KiB pages costs far more in page
// faults than copying the bytes does.
void ReserveBodyCapacity(Bytes& body, size_t needed);

}  // namespace quillmere
