#include "base/File.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

std::vector<TZmFolderEntry> ListFolder(const std::string& folder)
{
  // Through POSIX calls: the standard library's directory iterator ends the
  // program when an allocation fails inside it.
  std::vector<TZmFolderEntry> entries;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return entries;
  struct Closer {
    DIR* D;
    ~Closer() { ::closedir(D); }
  } closer{d};
  std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (const dirent* e = ::readdir(d)) {
    TZmFolderEntry entry;
    entry.Name = e->d_name;
    if (entry.Name == "." || entry.Name == "..") continue;
    struct stat st {};
    if (::stat((prefix + entry.Name).c_str(), &st) == 0) {  // links followed, as opening them would
      entry.Directory = S_ISDIR(st.st_mode);
      entry.RegularFile = S_ISREG(st.st_mode);
    }
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end(), [](const TZmFolderEntry& a, const TZmFolderEntry& b) {
    int c = CompareNoCase(a.Name, b.Name);
    return c != 0 ? c < 0 : a.Name < b.Name;
  });
  return entries;
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension)
{
  std::vector<std::string> names;
  for (const TZmFolderEntry& e : ListFolder(folder)) {
    const std::string& name = e.Name;
    if (e.RegularFile && name.size() > extension.size() &&
        EqualsNoCase(name.substr(name.size() - extension.size()), extension))
      names.push_back(folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name);
  }
  return names;
}
