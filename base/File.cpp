#include "base/File.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "base/Utf.h"

bool FileExists(const std::string& path)
{
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error, size_t maxBytes)
{
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = path + ": not a regular file";
    ::close(fd);
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    error = path + ": file too large";
    ::close(fd);
    return false;
  }
  out.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got != out.size()) {
    error = path + ": read error";
    out.clear();
    return false;
  }
  return true;
}

bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes, std::string& error)
{
  std::string tmpl = path + ".tmp-XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(name.data());
    error = path + ": " + std::strerror(err);
    return false;
  };
  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat st {};
  mode_t mode;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) return fail(errno);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errno);
    if (n == 0) return fail(ENOSPC);
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(name.data());
    error = path + ": " + std::strerror(err);
    return false;
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(name.data());
    error = path + ": " + std::strerror(err);
    return false;
  }
  return true;
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension)
{
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() > extension.size() && EqualsNoCase(name.substr(name.size() - extension.size()), extension) &&
        it->is_regular_file(ec))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int c = CompareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  for (auto& n : names) n = (fs::path(folder) / n).string();
  return names;
}
