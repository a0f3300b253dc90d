#include <gtest/gtest.h>

#include <memory>

#include "machine/machine.h"

namespace kestrel {
namespace {

TEST(MachineTest, StartsAsAZeroed48KVideoGenie) {
    auto m = std::make_unique<Machine>();
    EXPECT_EQ(m->cpu.clockHz, 1774080);
    EXPECT_EQ(m->cpu.PC, 0);
    EXPECT_EQ(m->bus.ramTop(), 0xFFFF);
    EXPECT_EQ(m->bus.activeConfigIndex, 0);
    EXPECT_FALSE(m->bus.isTrs80());
    for (int a = 0; a < 0x10000; ++a) ASSERT_EQ(m->bus.memoryBase()[a], 0) << a;
    for (int p = 0; p < 256; ++p) ASSERT_EQ(m->bus.lastPortOut(static_cast<uint8_t>(p)), 0) << p;
    EXPECT_EQ(m->bus.memRead(0xC000), 0x00);  // 48 KB: nothing hidden
}

TEST(MachineTest, TwoMachinesAreIndependent) {
    auto a = std::make_unique<Machine>();
    auto b = std::make_unique<Machine>();

    a->bus.activeConfigIndex = 3;
    a->bus.setRamTop(0x3FFF);
    a->bus.memWrite(0x8000, 0x12);
    a->bus.memWrite(0x4000, 0x34);
    a->bus.memWrite(0x37E0, 0x01);
    a->bus.portOut(0xFF, 0x0B);
    a->cpu.tstates = 99;
    a->bus.portOut(0x1F, 2);

    EXPECT_EQ(a->bus.memRead(0x8000), 0xFF);
    EXPECT_TRUE(a->video.columns32);
    EXPECT_EQ(a->fdc.driveSelect, 1u);
    EXPECT_EQ(a->sound.beeperLevel, 3 * 4096);

    EXPECT_EQ(b->bus.memRead(0x8000), 0x00);
    EXPECT_EQ(b->bus.memRead(0x4000), 0x00);
    EXPECT_EQ(b->bus.lastPortOut(0xFF), 0);
    EXPECT_EQ(b->bus.lastPortOut(0x1F), 0);
    EXPECT_FALSE(b->video.columns32);
    EXPECT_FALSE(b->bus.redrawPending);
    EXPECT_EQ(b->fdc.driveSelect, 0u);
    EXPECT_EQ(b->sound.beeperLevel, 0);
    EXPECT_EQ(b->cpu.tstates, 0u);

    // Each bus talks to its own devices and its own processor.
    b->bus.memWrite(0x3C00, 0x01);
    EXPECT_TRUE(b->bus.redrawPending);
    EXPECT_EQ(a->bus.memoryBase()[0x3C00], 0);
    b->fdc.driveSelect = 1;
    b->fdc.interruptPending = true;
    b->cpu.intLine = 1;
    a->cpu.intLine = 1;
    EXPECT_EQ(b->bus.memRead(0x37E0), 0x40);
    EXPECT_EQ(b->cpu.intLine, 0u);
    EXPECT_EQ(a->cpu.intLine, 1u);
}

}  // namespace
}  // namespace kestrel
