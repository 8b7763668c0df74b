#include "platform/file_stream.h"
#include "platform/host/fake_system.h"

void OpenFileStream(std::ofstream& stream, const std::string& path, std::ios::openmode mode) {
  stream.open(fake::HostPath(path), mode);
}
