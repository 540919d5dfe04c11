#include "worktables/field_value.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace pasahorario::dbf {
namespace {

uint64_t BigEndian64(const char* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

void PutBigEndian64(uint64_t v, char* p) {
  for (int i = 7; i >= 0; --i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

uint64_t LittleEndian64(const char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

constexpr uint64_t kSign64 = uint64_t{1} << 63;

// Right-aligns `digits` in `width` bytes; false when it does not fit.
bool Place(std::string_view digits, int width, std::string& out) {
  if (digits.size() > static_cast<size_t>(width)) return false;
  out.assign(static_cast<size_t>(width) - digits.size(), ' ');
  out.append(digits);
  return true;
}

// "-0.00" and "-0" become "0.00" and "0".
std::string_view WithoutNegativeZero(std::string_view digits) {
  if (digits.starts_with('-') && digits.find_first_of("123456789") == std::string_view::npos) {
    digits.remove_prefix(1);
  }
  return digits;
}

}  // namespace

StoredNumber ParseNumberText(std::string_view stored) {
  const auto fill = [](char c) { return c == ' ' || c == '\0'; };
  while (!stored.empty() && fill(stored.front())) stored.remove_prefix(1);
  while (!stored.empty() && fill(stored.back())) stored.remove_suffix(1);
  if (stored.empty() || stored == "." ||
      stored.find_first_not_of('*') == std::string_view::npos) {
    return {StoredNumber::kBlank, 0};
  }
  std::string text(stored.starts_with('+') ? stored.substr(1) : stored);
  if (text.find(',') != std::string::npos && text.find('.') == std::string::npos) {
    text[text.find(',')] = '.';
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return {StoredNumber::kInvalid, 0};
  }
  return {StoredNumber::kValue, value};
}

bool FormatNumber(double value, int width, int decimals, std::string& out) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 64 || std::fabs(value) >= 1e100) {
    return false;
  }
  char buffer[200];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return false;
  return Place(WithoutNegativeZero(std::string_view(buffer, end - buffer)), width, out);
}

bool FormatInteger(int64_t value, int width, int decimals, std::string& out) {
  if (decimals < 0 || decimals > 64) return false;
  char buffer[100];
  auto [end, ec] = std::to_chars(buffer, buffer + 30, value);
  if (decimals > 0) {
    *end++ = '.';
    end = std::fill_n(end, decimals, '0');
  }
  return Place(std::string_view(buffer, end - buffer), width, out);
}

std::optional<int32_t> DecodeLevel7Long(const char* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  if (v == 0) return std::nullopt;
  return static_cast<int32_t>(v ^ 0x80000000u);
}

void EncodeLevel7Long(int32_t value, char* p) {
  uint32_t v = static_cast<uint32_t>(value) ^ 0x80000000u;
  for (int i = 3; i >= 0; --i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

std::optional<double> DecodeLevel7Double(const char* p) {
  uint64_t v = BigEndian64(p);
  if (v == 0) return std::nullopt;
  v = (v & kSign64) ? v ^ kSign64 : ~v;
  return std::bit_cast<double>(v);
}

void EncodeLevel7Double(double value, char* p) {
  uint64_t v = std::bit_cast<uint64_t>(value);
  v = (v & kSign64) ? ~v : v | kSign64;
  PutBigEndian64(v, p);
}

std::optional<std::string> DecodeLevel7Timestamp(const char* p) {
  uint64_t v = BigEndian64(p);
  if (v == 0) return std::nullopt;
  if (v & kSign64) v ^= kSign64;  // the sortable form of a positive value
  const double ms = std::bit_cast<double>(v);
  constexpr double kMsPerDay = 86400000.0;
  // Day 1 is 0001-01-01; 3652059 is 9999-12-31.
  if (!std::isfinite(ms) || ms < kMsPerDay || ms >= 3652060 * kMsPerDay) return std::nullopt;
  const auto total = static_cast<int64_t>(std::floor(ms / 1000 + 0.0005));
  const int64_t day = total / 86400, seconds = total % 86400;
  // Civil date from days since 1970-01-01 (H. Hinnant's algorithm).
  const int64_t z = day - 1 - 719162 + 719468;
  const int64_t era = z / 146097, doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(y),
                static_cast<int>(m), static_cast<int>(d), static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return std::string(text);
}

int32_t DecodeLittleEndianLong(const char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<int32_t>(v);
}

double DecodeLittleEndianDouble(const char* p) { return std::bit_cast<double>(LittleEndian64(p)); }

double DecodeCurrency(const char* p) {
  return static_cast<double>(static_cast<int64_t>(LittleEndian64(p))) / 10000.0;
}

std::optional<bool> ParseLogical(char stored) {
  switch (stored) {
    case 'T': case 't': case 'Y': case 'y': return true;
    case 'F': case 'f': case 'N': case 'n': return false;
    default: return std::nullopt;
  }
}

std::string NumberText(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "";
  return std::string(WithoutNegativeZero(std::string_view(buffer, end - buffer)));
}

}  // namespace pasahorario::dbf
