// The COM port list's records: their texts, order and duplicates.
#include "core/platform/com_ports.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const std::vector<CPortRecord> &list) {
  std::vector<std::string> names;
  for (const auto &r : list)
    names.push_back(r.name);
  return names;
}

TEST(PortRecords, DecimalText) {
  EXPECT_TRUE(IsDecimalText("3", false));
  EXPECT_TRUE(IsDecimalText("012", false));
  EXPECT_FALSE(IsDecimalText("", false));
  EXPECT_FALSE(IsDecimalText("", true));
  EXPECT_FALSE(IsDecimalText("3:", false));
  EXPECT_TRUE(IsDecimalText("3:", true));
  EXPECT_FALSE(IsDecimalText("x", true));
  EXPECT_FALSE(IsDecimalText("3 ", true));
  EXPECT_FALSE(IsDecimalText("-3", false));
}

TEST(PortRecords, DeviceNameGetsThePortAppendedUnlessItNamesIt) {
  EXPECT_EQ(MakeDeviceRecord(3, "USB Serial Port (COM3)", "/dev/ttyUSB0").display, "USB Serial Port (COM3)");
  EXPECT_EQ(MakeDeviceRecord(3, "USB Serial Port", "/dev/ttyUSB0").display, "USB Serial Port (COM3)");
  EXPECT_EQ(MakeDeviceRecord(3, "", "/dev/ttyUSB0").display, " (COM3)");
  EXPECT_EQ(MakeDeviceRecord(3, "Adapter on COM30", "/dev/ttyUSB0").display, "Adapter on COM30");
  EXPECT_EQ(MakeDeviceRecord(3, "Adapter on com3", "/dev/ttyUSB0").display, "Adapter on com3 (COM3)");
  CPortRecord r = MakeDeviceRecord(12, "x", "/dev/ttyACM0");
  EXPECT_EQ(r.name, "COM12");
  EXPECT_EQ(r.device, "/dev/ttyACM0");
}

TEST(PortRecords, MapRecordShowsTheDevicePathAndNumber) {
  CPortRecord r = MakeMapRecord(7, "/dev/pts/4");
  EXPECT_EQ(r.name, "COM7");
  EXPECT_EQ(r.display, "/dev/pts/4 (COM7)");
  EXPECT_EQ(PortNumber(r), 7);
}

TEST(PortRecords, NumbersSortNumerically) {
  std::vector<CPortRecord> list = {MakeMapRecord(10, "a"), MakeMapRecord(9, "b"), MakeMapRecord(2, "c"),
                                   MakeMapRecord(1, "d")};
  MergePortRecords(list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2", "COM9", "COM10"}));
}

TEST(PortRecords, FirstRecordOfAPortWins) {
  std::vector<CPortRecord> list = {MakeDeviceRecord(3, "FTDI", "/dev/ttyUSB0"),
                                   MakeDeviceRecord(1, "x", "/dev/ttyS0"),
                                   MakeMapRecord(3, "/dev/serial/by-id/usb-FTDI"),
                                   MakeMapRecord(5, "/dev/pts/2"), MakeMapRecord(3, "/dev/other")};
  MergePortRecords(list);
  ASSERT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM3", "COM5"}));
  EXPECT_EQ(list[1].display, "FTDI (COM3)");
  EXPECT_EQ(list[2].display, "/dev/pts/2 (COM5)");
}

TEST(PortRecords, EmptyListStaysEmpty) {
  std::vector<CPortRecord> list;
  MergePortRecords(list);
  EXPECT_TRUE(list.empty());
}

} // namespace
