#pragma once

#include <cstddef>

#include "text/text.h"

namespace quillmere {

// Makes room in a growing response body for `needed` bytes in all, keeping its contents.
// Small capacity at least doubles; a large one is reserved up to `limit`, the most the body
// may hold, at once. A large new buffer asks the kernel for huge pages before it is first
// touched: filling tens of megabytes of fresh 4 KiB pages costs far more in page faults than
// copying the bytes does.
void ReserveBodyCapacity(Bytes& body, size_t needed, size_t limit);

}  // namespace quillmere
