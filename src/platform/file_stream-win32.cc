#include "platform/file_stream.h"

void OpenFileStream(std::ofstream& stream, const std::string& path, std::ios::openmode mode) {
  stream.open(path, mode);
}
