// Times of day as the time-slot table holds them: "HH:MM" texts, read back
// as a count of minutes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pasahorario {

// The time text of `minutes`: hours (minutes / 60, truncated) and minutes
// (the remainder), each written in decimal after "00" and cut to its last
// two characters, joined by ":". Hours are not brought into 0-23: 1470
// gives "24:30", and from 100 hours on only the last two digits remain.
std::string TimeText(int64_t minutes);

// Characters 1-2 (hours) and 4-5 (minutes) of `text`, as many as there are,
// read by the plain integer conversion (leading blanks allowed). Throws its
// error, naming the characters, when they are not a whole number.
int32_t HourPart(std::string_view text);
int32_t MinutePart(std::string_view text);

// HourPart * 60 + MinutePart.
int64_t MinuteCount(std::string_view text);

}  // namespace pasahorario
