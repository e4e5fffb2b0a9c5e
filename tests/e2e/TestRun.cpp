// What every run of the suites that drive the program shares: the pointer
// parked before the first test, and a screenshot at each test's first failure.
#include <gtest/gtest.h>

#include <string>

#include "Desktop.h"

namespace e2e {
namespace {

// Before any test: the pointer away from every window (see ParkPointer).
class PointerParking : public ::testing::Environment {
 public:
  void SetUp() override { ParkPointer(); }
};
[[maybe_unused]] ::testing::Environment* const kPointerParking =
    ::testing::AddGlobalTestEnvironment(new PointerParking);

// A failing test leaves a picture of the screen as it was at its first
// failure, named after the test, in e2e-shots.
class ShotOnFailure : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string("failed-") + test.test_suite_name() + "." + test.name();
    for (char& c : name_) c = c == '/' ? '-' : c;  // parameterised names
    taken_ = false;
  }
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (taken_ || !result.failed()) return;
    taken_ = true;
    SaveScreenshot(std::wstring(name_.begin(), name_.end()));
  }
  std::string name_;
  bool taken_ = false;
};
[[maybe_unused]] const bool kShotOnFailure = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ShotOnFailure);
  return true;
}();

}  // namespace
}  // namespace e2e
