// A test that starts and ends on a freshly reset emulated machine.
#pragma once

#include "Platform/Posix/TestDesktop.h"

#include <gtest/gtest.h>

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override { plat::test::ResetMachine(); }
    void TearDown() override { plat::test::ResetMachine(); }
};
