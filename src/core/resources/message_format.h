// Message formatting with inserts, as the message texts use them:
// "%s" (printf style, one text), positional "%1".."%9" and "%1!d!".
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

using MessageArg = std::variant<std::string, long long>;

// Replaces %1..%9 (optionally followed by a !fmt! printf spec such as !d!)
// with the positional arguments, "%%" with '%'. Unknown or missing inserts
// are left as they stand.
std::string FormatMessageText(std::string_view format, const std::vector<MessageArg> &args);

// Replaces the first "%s" with the text; "%%" becomes '%'.
std::string FormatString(std::string_view format, std::string_view text);

// LoadString(id) formatted with positional inserts.
std::string FormatMessageId(int id, const std::vector<MessageArg> &args);
