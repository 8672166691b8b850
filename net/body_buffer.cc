#include "net/body_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace quillmere {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// From this size on the buffer is reserved up to the limit at once.
constexpr size_t kLargeFrom = size_t{256} << 10;

// Advice only: where the kernel has no huge pages to give, nothing changes.
void PreferHugePages(char* data, size_t size) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t begin = (start + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
  const uintptr_t end = (start + size) & ~uintptr_t{kHugePage - 1};
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Faults in the pages that [data, data + size) lies on with one call rather than one page
// fault for each page, which costs far more on a virtual machine. Nothing changes where the
// kernel cannot do this.
void PopulateForWriting(char* data, size_t size) {
  if (size == 0) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

}  // namespace

void ReserveBodyCapacity(Bytes& body, size_t needed, size_t limit) {
  if (needed > body.capacity()) {
    const size_t capacity = std::max(needed, body.capacity() * 2);
    if (capacity < kLargeFrom) {
      body.reserve(capacity);
      return;
    }
    // Once large, the buffer goes straight to the limit: address space is cheap, and pages
    // that are never written are never faulted in, while every step of doubling would copy
    // the whole body into fresh memory again. A fresh, still untouched buffer takes the
    // advice first, then the bytes.
    Bytes larger;
    larger.reserve(std::max(needed, limit));
    PreferHugePages(larger.data(), larger.capacity());
    PopulateForWriting(larger.data(), needed);
    larger.append(body);
    body = std::move(larger);
    return;
  }
  if (body.capacity() >= kLargeFrom)
    PopulateForWriting(body.data() + body.size(), needed - body.size());
}

}  // namespace quillmere
