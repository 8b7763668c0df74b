// Opening the log's output stream by a Windows path.
#ifndef HVPREREQ_PLATFORM_FILE_STREAM_H_
#define HVPREREQ_PLATFORM_FILE_STREAM_H_

#include <fstream>
#include <string>

// Opens `stream` on `path`, a narrow path with '\' separators, in `mode`. As with
// std::ofstream::open, success clears the stream's error state and failure marks it failed.
void OpenFileStream(std::ofstream& stream, const std::string& path, std::ios::openmode mode);

#endif  // HVPREREQ_PLATFORM_FILE_STREAM_H_
