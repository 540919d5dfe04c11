// How single values are stored in dBase records: numbers as text (N, F),
// the binary numbers of level-7 and Visual FoxPro tables, logicals and
// level-7 time stamps. Works on the raw bytes of one field.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pasahorario::dbf {

// A number read from its stored text.
struct StoredNumber {
  enum Status { kBlank, kValue, kInvalid } status = kBlank;
  double value = 0;
};

// Reads a numeric field's text. Blanks, NULs and a fill of '*' (the empty
// value of some writers) read as kBlank; a sign, a ',' as decimal point and
// an exponent are accepted; anything else is kInvalid.
StoredNumber ParseNumberText(std::string_view stored);

// `value` with `decimals` decimals, right-aligned in `width` bytes, into
// `out` (resized to `width`). False, leaving `out` unspecified, when it is
// not finite or does not fit: digits are never dropped.
bool FormatNumber(double value, int width, int decimals, std::string& out);
bool FormatInteger(int64_t value, int width, int decimals, std::string& out);

// Level-7 long (types I and +): 4 bytes big-endian with the sign bit
// flipped. Nothing when all bytes are zero (the empty value), which is why
// the smallest value stored is kLevel7LongMin.
constexpr int32_t kLevel7LongMin = -2147483647;
std::optional<int32_t> DecodeLevel7Long(const char* p);
void EncodeLevel7Long(int32_t value, char* p);  // Requires: value >= kLevel7LongMin

// Level-7 double (type O): 8 bytes big-endian, the sign bit set for values
// from 0 up, every bit inverted below 0. Nothing when all bytes are zero.
std::optional<double> DecodeLevel7Double(const char* p);
void EncodeLevel7Double(double value, char* p);

// Level-7 time stamp (type @) as "YYYY-MM-DD HH:MM:SS": a big-endian double
// of milliseconds counted from day 1 = 0001-01-01, stored plain or in the
// type O form (the positive reading is taken). Nothing when empty or out of
// the years 1 to 9999.
std::optional<std::string> DecodeLevel7Timestamp(const char* p);

// Visual FoxPro binary values, little-endian: I (int32), B (double), Y
// (currency: int64 in ten-thousandths).
int32_t DecodeLittleEndianLong(const char* p);
double DecodeLittleEndianDouble(const char* p);
double DecodeCurrency(const char* p);

// A stored logical: T t Y y are true, F f N n false, anything else ('?',
// blank) is not set.
std::optional<bool> ParseLogical(char stored);

// `value` in decimal, shortest form that reads back the same.
std::string NumberText(double value);

}  // namespace pasahorario::dbf
