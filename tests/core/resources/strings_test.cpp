// The English string table must hold every text the program quotes by
// number, each exactly; a missing or changed one fails here.
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

// Ids and texts as the instrument documentation quotes them. Kept here by
// hand so that an accidental edit of the table shows up as a difference.
const std::map<int, std::string> kExpected = {
    {100, "Configuration File (*.cfg)|*.cfg|All Files (*.*)|*.*||"},
    {201, "Communication error occurred. Try again?"},
    {202, "This function can be executed only at online."},
    {203, "Please input true input value."},
    {204, "Please input measured value of output."},
    {205, "%1 should be a from %2 to %3. "},
    {206, "Communication error occurred."},
    {207, "Load parameter file failed."},
    {208, "Save parameter file failed."},
    {209, "This function can be executed only at offline."},
    {210, "Invalid output value."},
    {211, "Output value"},
    {212, "Filter time constant should be a 0 or a from 0.5 to 30."},
    {213, "This parameter file is not match this model."},
    {214, "The connection device is not supported."},
    {216, "Can't edit parameters because device's SW2-8 is OFF."},
    {300, "Receive command response timeout."},
    {301, "Invalid G-command response."},
    {302, "Invalid I-command response."},
    {303, "Invalid D-command response."},
    {304, "COM port that can be used is not found."},
    {305, "Communication port %s can not be opened."},
    {306, "Communication port can not be change settings."},
    // The reason under 305, where the system says why the port did not open.
    {320, "The port is in use by another program."},
    {321, "Permission denied. Add yourself to the %1 group (sudo usermod -aG %1 $USER), then log out and log in again."},
    {322, "Permission denied. You are in the %1 group, but this login session is not yet: log out and log in again."},
    {323, "Permission denied."},
    {324, "The device is not present."},
    {330, "%1 was sent as %2, but the instrument kept %3."},
    {331, "The instrument holds values outside their ranges. A configuration file saved with them cannot be loaded again until they are corrected:"},
    {332, "%1The instrument holds %2."},
    {1000, "Input type"},          {1001, "Burnout"},
    {1100, "Filter time constant"}, {1101, "Fine zero adjustment X"},
    {1102, "Fine span adjustment"}, {1103, "Fine zero adjustment Y"},
    {1200, "0% input"},            {1201, "100% input"},
    {1300, "Linearization"},       {1301, "Number of points"},
    {1302, "X[%d]"},               {1303, "Y[%d]"},
    {1400, "0% output"},           {1401, "100% output"},
    {1500, "Output type"},         {1501, "Fine zero adjustment"},
    {1502, "Fine span adjustment"}, {1600, "Model"},
    {1601, "Hardware"},            {1602, "Firmware"},
    {1603, "Serial"},              {1604, "Tag No."},
    {1999, "Choose type"},
    {2000, "0: 0 - 50mA DC"},      {2001, "1: -1000 - +1000mV DC"},
    {2002, "2: -10 - +10V DC"},
    {2005, "0: 0 - 10kOhm"},       {2006, "1: 0 - 1.5kOhm"},
    {2007, "2: 0 - 500Ohm"},       {2008, "3: 0 - 300Ohm"},
    {2009, "4: 0 - 150Ohm"},       {2010, "5: 0 - 50Ohm"},
    {2050, "0: 0 - 20mA DC"},      {2051, "1: -2.5V - +2.5V DC"},
    {2052, "2: -10V - +10V DC"},
    {2100, "0: Disable"},          {2101, "1: Enable"},
    {2105, "None"},                {2106, "Downscale"},
    {2107, "Upscale"},
    {3000, "Calibrate Input"},     {3100, "0% Input Calibration"},
    {3101, "100% Input Calibration"}, {3102, "Reset Input Calibration"},
    {3103, "Fine Zero Adjustment"}, {3104, "Fine Span Adjustment"},
    {3105, "Reset Fine Adjustment"}, {3106, "Trend Graph"},
    {3300, "User Table"},          {3400, "0% Output Calibration"},
    {3401, "100% Output Calibration"}, {3402, "Reset Output Calibration"},
    {3500, "Fine Zero Adjustment"}, {3501, "Fine Span Adjustment"},
    {3502, "Reset Fine Adjustment"}, {3503, "Calibrate Output"},
    {3504, "Loop Test Output"},
    {10000, "Input"},              {10001, "Input Value"},
    {10002, "Input %"},            {10003, "Output %"},
    {10004, "Output Value"},       {10005, "Output"},
    {10006, "Device Info"},
    {11003, "mA"},                 {11004, "mV"},
    {11005, "V"},                  {11006, "%"},
    {12000, "Name"},               {12001, "Value"},
    {12002, "Edited Value"},       {12003, "Device Value"},
    {12004, "Function Block"},     {12005, "Parameter Name"},
    {13000, "Connect"},            {13001, "Disconnect"},
    {30000, "Can not open the table file."},
    {30001, "Can not write the table file."},
    {30002, "Invalid the structure of table file."},
    {30003, "Too many number of table in the table file."},
    {30100, "All parameters matching."},
    {30101, "%1!d! parameter(s) not matching."},
    {30110, "Save CSV"},
    {30111, "CSV File (*.csv)|*.csv|All Files (*.*)|*.*||"},
    {30112, "Not Matching"},
    {30113, "Save CSV file failed."},
    {30200, "Uploading now"},      {30201, "Downloading now"},
    {30300, "Connected to %1"},
    {30400, "Save"},
    {30401, "PNG Image (*.png)|*.png|PDF Document (*.pdf)|*.pdf|CSV File (*.csv)|*.csv||"},
    {30402, "Can not save the file %1."},
    {30403, "Can not print the graph."},
    {30500, "The value must not contain a line break."},
    {30501, "Fine span adjustment cannot be calculated: the present reading equals Fine zero adjustment X."},
    {30502, "Fine adjustment cannot be calculated: 0% output equals 100% output."},
    {30600, "The history of this instrument cannot be written (%1). The operation goes on without a record."},
    {30601, "The history database was damaged. It has been kept as %1 and a new one has been started."},
    {30602, "As Found"},
    {30603, "As Left"},
    {30604, "History"},
    {30605, "Model"},
    {30606, "Serial No."},
    {30607, "Tag No."},
    {30608, "Port"},
    {30609, "Time (UTC)"},
    {30610, "Record"},
    {30611, "Done by"},
    {30612, "Block"},
    {30613, "Item"},
    {30614, "Before"},
    {30615, "Sent"},
    {30616, "Read Back"},
    {30617, "Result"},
    {30618, "Message"},
    {30619, "Open"},
    {30620, "Compare"},
    {30621, "Restore"},
    {30622, "Save Journal..."},
    {30623, "Report..."},
    {30624, "Write the record of %2 back to %1?"},
    {30625, "The connected instrument is %1, not %2 of this record. Nothing was written."},
    {30626, "The history holds no as-found and as-left record of this instrument."},
    {30627, "The record file %1 cannot be read or has been changed since it was taken."},
    {30628, "CSV File (*.csv)|*.csv||"},
    {30629, "PDF Document (*.pdf)|*.pdf||"},
    {30630, "Can not save the file %1."},
    {30631, "Commissioning Report"},
    {30632, "Firmware"},
    {30633, "Date"},
    {30634, "Writes between the two records"},
    {30635, "Trend recorded in this connection"},
    {30636, "Page %1 of %2"},
    {30637, "The as-left record could not be read: %1"},
    {30638, "Instruments"},
    {30639, "Records"},
    {30640, "Journal"},
    {30641, "(no serial number; known by its port)"},
    {30642, "Close"},
    {31800, "%1 returns these values of the instrument to their factory state:\n%2\nContinue?"},
    {31801, "%1 takes the present reading %2 as %3 (now %4).\nContinue?"},
    {31802, "%1 done. The instrument now holds:\n%2"},
    {31803, "%1 was not sent: the present reading %2 is outside %3 to %4, the range %5 may take."},
    {31810, "Output fixed by loop test"},
    {31811, "The output is fixed by the loop test. Return it to normal?"},
    {31820, "The parameters in the window have changes that are neither saved to a file nor downloaded. Save them to a file?"},
    {31821, "(not saved)"},
    {31830, "Above range (%1 to %2 %3)"},
    {31831, "Below range (%1 to %2 %3)"},
    {31832, "Not a number: \"%1\""},
    {31840, "Range: %1 to %2 %3"},
    {31841, "Range: 0, or %1 to %2 %3"},
    {31842, "Choices:"},
    {31843, "Default: %1"},
    {31844, "Instrument: %1"},
    {31845, "s"},
    {31870, "%1 meter"},
    {31871, "%1 %2, range %3 to %4 %2"},
    {31872, "Status"},
    {31850, "Connected to %1, %2"},
    {31851, "Disconnected, %1"},
    {31852, "Uploaded from %1, %2"},
    {31853, "Downloaded to %1, %2"},
    {31854, "Download to %1 failed, %2"},
    {31855, "Compared with %1: %2 %3"},
    {31856, "Saved %1, %2"},
    {31857, "Opened %1, %2"},
    {31858, "Opened %1 and downloaded it, %2"},
    {31859, "%1 ended, %2"},
    {31860, "%1 failed, %2"},
    {31861, "%1 | %2 | Serial %3 | Tag %4"},
    {31862, "%1 (Alt+%2)"},
    {31880, "Trend of %1 (%2)"},
    {31881, "Trend of %1"},
    {31882, "Model: %1    Serial No.: %2    Tag No.: %3"},
    {31883, "Start: %1    Duration: %2"},
};

TEST(StringTable, HoldsEveryQuotedTextExactly) {
  const StringTable &t = EnglishStringTable();
  EXPECT_EQ(t.count, kExpected.size());
  for (const auto &[id, text] : kExpected) {
    const char *s = FindString(t, id);
    ASSERT_NE(s, nullptr) << "missing id " << id;
    EXPECT_EQ(text, s) << "id " << id;
  }
  std::set<int> seen;
  for (std::size_t i = 0; i < t.count; ++i)
    EXPECT_TRUE(seen.insert(t.entries[i].id).second) << "duplicate id " << t.entries[i].id;
}

TEST(StringTable, UnknownIdIsEmptyAndForeignTableFallsBack) {
  EXPECT_EQ(LoadString(99999), "");
  const StringEntry partial[] = {{300, "\xe5\xbf\x9c\xe7\xad\x94\xe3\x81\x8c\xe3\x81\x82\xe3\x82\x8a\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93"}};
  StringTable foreign{partial, 1};
  SetCurrentStringTable(&foreign);
  EXPECT_EQ(LoadString(300), partial[0].text);
  EXPECT_EQ(LoadString(301), "Invalid G-command response.");
  SetCurrentStringTable(nullptr);
  EXPECT_EQ(LoadString(300), "Receive command response timeout.");
}

TEST(MessageFormat, PositionalAndPrintfInserts) {
  EXPECT_EQ(FormatMessageId(IDS_RANGE_ERROR, {std::string("0% input"), std::string("0.0000"), std::string("48.0000")}),
            "0% input should be a from 0.0000 to 48.0000. ");
  EXPECT_EQ(FormatMessageId(IDS_N_NOT_MATCHING, {12LL}), "12 parameter(s) not matching.");
  EXPECT_EQ(FormatMessageText("%2-%1-%2", {std::string("a"), std::string("b")}), "b-a-b");
  EXPECT_EQ(FormatMessageText("100%% of %1, %3 stays", {std::string("x")}), "100% of x, %3 stays");
  EXPECT_EQ(FormatString(LoadString(IDS_PORT_OPEN_FAILED), "\\\\.\\COM12"),
            "Communication port \\\\.\\COM12 can not be opened.");
  EXPECT_EQ(FormatString("X[%d] %s", "k"), "X[%d] k");
}

} // namespace
