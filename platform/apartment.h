#pragma once

namespace quillmere::platform {

// Stand-in for the per-thread COM apartment: a counter of initialisations on the calling
// thread. Every owner of a pattern object or a decoding step takes one pair, so tests can
// check that each path leaves the count where it found it.
void CoInitialize();
void CoUninitialize();
int ApartmentDepth();

// Holds one CoInitialize/CoUninitialize pair for its own lifetime.
class ApartmentScope {
 public:
  ApartmentScope() { CoInitialize(); }
  ~ApartmentScope() { CoUninitialize(); }
  ApartmentScope(const ApartmentScope&) = delete;
  ApartmentScope& operator=(const ApartmentScope&) = delete;
};

}  // namespace quillmere::platform
