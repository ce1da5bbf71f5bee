#include "platform/local_time.h"

#include <time.h>

namespace tarn {

LocalTime localTimeNow() {
  LocalTime result;
  const time_t seconds = time(nullptr);
  struct tm parts {};
  if (seconds == time_t(-1) || !localtime_r(&seconds, &parts)) return result;
  result.year = parts.tm_year + 1900;
  result.month = parts.tm_mon + 1;
  result.day = parts.tm_mday;
  result.hour = parts.tm_hour;
  result.minute = parts.tm_min;
  result.second = parts.tm_sec;
  return result;
}

}  // namespace tarn
