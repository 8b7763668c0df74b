// The date, time and thread texts of log lines.
#ifndef HVPREREQ_LOG_LOG_TIME_H_
#define HVPREREQ_LOG_LOG_TIME_H_

#include <string>

// The local date, YYYY-MM-DD, from the C library's calendar time and its local-time
// conversion (which follows TZ when it is set).
std::string FormatDate();

// The local time of day, HH:MM:SS:mmm, from the system time in the system's time zone.
std::string FormatTime();

// "date time": the time of day is read first, then the date, so a line written at
// midnight can pair the new day's date with the old day's last time.
std::string FormatDateTime();

// "[ date time ]". Formatted afresh only when the tick count has changed since the last
// call; otherwise the same text again, milliseconds included. Valid until the next call.
const std::string& GetTimestampText();

// "[ thread id ]" of the calling thread, formatted afresh only when the thread changes.
// Valid until the next call.
const std::string& GetThreadIdText();

#endif  // HVPREREQ_LOG_LOG_TIME_H_
