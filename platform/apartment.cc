#include "platform/apartment.h"

namespace quillmere::platform {
namespace {
thread_local int depth = 0;
}

void CoInitialize() { ++depth; }
void CoUninitialize() { --depth; }
int ApartmentDepth() { return depth; }

}  // namespace quillmere::platform
