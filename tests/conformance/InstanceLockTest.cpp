// The lock that lets one setup program run at a time: one holder per name,
// free again once the holder is gone.
#include <gtest/gtest.h>

#include <memory>

#include "TestMachine.h"
#include "platform/InstanceLock.h"

namespace {

using platform::InstanceLock;

// A name of the test's own, so a setup program running meanwhile is not disturbed.
std::string TestName(const TestMachine& machine) {
  return "Orlenta.Vexorin.Test." + machine.Key().substr(machine.Key().rfind('\\') + 1);
}

}  // namespace

TEST(InstanceLockTest, OneHolderPerNameUntilItIsGone) {
  TestMachine machine;
  const std::string name = TestName(machine);
  auto first = std::make_unique<InstanceLock>(name);
  ASSERT_EQ(first->GetStatus(), InstanceLock::Status::Held) << first->FailedCall() << " " << first->ErrorCode();
  {
    const InstanceLock second(name);
    EXPECT_EQ(second.GetStatus(), InstanceLock::Status::HeldElsewhere);
    const InstanceLock other(name + ".Other");
    EXPECT_EQ(other.GetStatus(), InstanceLock::Status::Held);
  }
  // A lock that was refused takes nothing with it: the first still holds.
  EXPECT_EQ(InstanceLock(name).GetStatus(), InstanceLock::Status::HeldElsewhere);
  first.reset();
  EXPECT_EQ(InstanceLock(name).GetStatus(), InstanceLock::Status::Held);
}
