// The four live values and how one polling cycle reads them: the poller
// runs the cycle over and over for the window, `vela-cli monitor` prints it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class CCommInterface;

struct LiveItem {
  // The item command that selects the value; a "D\r" then reads it.
  const char *command;
  // The function block whose panel shows it.
  int block;
};

// Input value, input %, output %, output value: the polling order, and the
// index by which the poller publishes each.
inline constexpr int kLiveCount = 4;
inline constexpr LiveItem kLiveItems[kLiveCount] = {{"I04\r", 1}, {"I05\r", 2}, {"I03\r", 3}, {"I02\r", 4}};

// How long each exchange of a cycle waits for its reply.
inline constexpr unsigned kLiveReplyTimeoutMs = 1000;

// One live value as its reply gave it.
struct LiveReading {
  // The reply without its first character (the instrument's D, not looked
  // at) and without the blanks in front.
  std::string text;
  // The number the text starts with; 0.0 when there is none.
  double value = 0.0;
  // The one number of a reply that is a D and that number alone (blanks
  // around it aside), as written; empty for any other reply. Where a
  // value is kept as text, a reply with anything more is not a value.
  std::string number;
};

LiveReading ReadLiveReply(const std::string &reply);

// A number read like "%lf" with a '.' decimal point whatever the user's
// locale; 0.0 unless exactly one number was read (and for infinities and NaN).
double ReadLiveNumber(std::string_view text);

// One cycle: "G01\r" (its reply is not looked at), then each live item and
// its "D\r". Each value is handed over as soon as it is read, so when the
// line fails part-way the values read before the failure are taken and the
// rest keep what they had. Throws the link's failure. Returns the message id
// of the first reply the instrument would not have sent so: 301 for the
// group's, 302 for an item's, 303 for a read's; 0 when all were well formed.
int PollLiveValues(CCommInterface &comm, unsigned timeoutMs,
                    const std::function<void(int index, const LiveReading &reading)> &take);
