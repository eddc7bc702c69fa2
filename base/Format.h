#pragma once
// Formatting of format strings that come from data files (language texts).
// Only the conversions d i u x X c s f e g and %% are understood, with flags,
// width and precision written as digits. Each conversion takes the next
// argument in order; a conversion of another kind, one whose argument has the
// wrong type, or one without an argument is copied literally. Nothing from
// the data ever reaches printf as a format.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TZmFormatArg {
public:
  enum Kind { Int, Float, Text };
  TZmFormatArg(int v) : K(Int), I(v) {}
  TZmFormatArg(long v) : K(Int), I(v) {}
  TZmFormatArg(long long v) : K(Int), I(v) {}
  TZmFormatArg(unsigned v) : K(Int), I(v) {}
  TZmFormatArg(unsigned long v) : K(Int), I(static_cast<int64_t>(v)) {}
  TZmFormatArg(unsigned long long v) : K(Int), I(static_cast<int64_t>(v)) {}
  TZmFormatArg(double v) : K(Float), F(v) {}
  TZmFormatArg(const char* v) : K(Text), S(v ? v : "") {}
  TZmFormatArg(std::string v) : K(Text), S(std::move(v)) {}
  TZmFormatArg(std::string_view v) : K(Text), S(v) {}

  Kind K;
  int64_t I = 0;
  double F = 0;
  std::string S;
};

std::string SafeFormat(std::string_view fmt, std::initializer_list<TZmFormatArg> args);
std::string SafeFormat(std::string_view fmt, const std::vector<TZmFormatArg>& args);

// The conversion letters of a format in order ("%d of %s" -> "ds"), for
// checking data files against what their callers pass.
std::string FormatConversions(std::string_view fmt);
