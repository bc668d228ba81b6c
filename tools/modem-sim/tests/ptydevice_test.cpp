// SPDX-License-Identifier: GPL-3.0-or-later
#include "linerate.h"
#include "ptydevice.h"
#include "types.h"
#include "uniquefd.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace modemsim {
namespace {

UniqueFd openSlave(const PtyDevice &device)
{
    return UniqueFd(::open(device.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
}

// The simulator learns the program's rate by reading the slave's settings from the master.
TEST(PtyDevice, MasterReportsTheRateSetOnTheSlave)
{
    const PtyDevice device(38400);
    EXPECT_EQ(device.lineRate(), 38400U);
    const UniqueFd slave = openSlave(device);
    ASSERT_TRUE(slave.valid());
    ASSERT_TRUE(linerate::write(slave.get(), 9600));
    EXPECT_EQ(device.lineRate(), 9600U);
    ASSERT_TRUE(linerate::write(slave.get(), 256000));
    EXPECT_EQ(device.lineRate(), 256000U);
}

TEST(PtyDevice, CustomModemRate)
{
    const PtyDevice device(256000);
    EXPECT_EQ(device.lineRate(), 256000U);
}

TEST(PtyDevice, BytesPassBothWays)
{
    const PtyDevice device(38400);
    const UniqueFd slave = openSlave(device);
    ASSERT_TRUE(slave.valid());
    const Bytes out{0x2B, 0x2B, 0x2B};
    ASSERT_EQ(::write(slave.get(), out.data(), out.size()), 3);
    pollfd fd{device.masterFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 1000), 1);
    Bytes in(16);
    const IoResult result = device.read(in);
    ASSERT_EQ(result.error, 0);
    EXPECT_EQ(result.count, 3U);
    EXPECT_EQ(device.write(Bytes{0x0A, 0xFF}).count, 2U);
}

// Only our own slave descriptor is open; the master must not report a hang-up, or the poll loop
// would spin.
TEST(PtyDevice, NoHangupWhileTheProgramHasTheDeviceClosed)
{
    const PtyDevice device(38400);
    {
        const UniqueFd slave = openSlave(device);
        ASSERT_TRUE(slave.valid());
    }
    pollfd fd{device.masterFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&fd, 1, 50), 0);
}

TEST(PtyDevice, DestroyingTheDeviceHangsUpTheProgram)
{
    UniqueFd slave;
    {
        const PtyDevice device(38400);
        slave = openSlave(device);
        ASSERT_TRUE(slave.valid());
    }
    pollfd fd{slave.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 1000), 1);
    EXPECT_NE(fd.revents & POLLHUP, 0);
    const Bytes byte{0};
    EXPECT_EQ(::write(slave.get(), byte.data(), byte.size()), -1);
    EXPECT_EQ(errno, EIO);
}

} // namespace
} // namespace modemsim
