// The local calendar time, for the date and time tags of saved games.
#pragma once

namespace tarn {

struct LocalTime {
  int year = 0;    // full year, e.g. 2024
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..60
};

// Now, in the local time zone; all fields 0 when the time cannot be read.
LocalTime localTimeNow();

}  // namespace tarn
