#include "platform/apartment.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillmere::platform {
namespace {

TEST(ApartmentTest, CallsCountUpAndDown) {
  const int before = ApartmentDepth();
  CoInitialize();
  CoInitialize();
  EXPECT_EQ(ApartmentDepth(), before + 2);
  CoUninitialize();
  EXPECT_EQ(ApartmentDepth(), before + 1);
  CoUninitialize();
  EXPECT_EQ(ApartmentDepth(), before);
}

TEST(ApartmentTest, NestedScopesBalance) {
  const int before = ApartmentDepth();
  {
    ApartmentScope outer;
    EXPECT_EQ(ApartmentDepth(), before + 1);
    {
      ApartmentScope inner;
      EXPECT_EQ(ApartmentDepth(), before + 2);
    }
    EXPECT_EQ(ApartmentDepth(), before + 1);
  }
  EXPECT_EQ(ApartmentDepth(), before);
}

TEST(ApartmentTest, CounterBelongsToItsThread) {
  ApartmentScope scope;
  int otherThreadDepth = -1;
  std::thread([&otherThreadDepth] { otherThreadDepth = ApartmentDepth(); }).join();
  EXPECT_EQ(otherThreadDepth, 0);
}

}  // namespace
}  // namespace quillmere::platform
