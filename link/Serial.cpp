#include "link/Serial.h"

#include <fcntl.h>
#include <libserialport.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/Utf.h"

namespace {

speed_t SpeedOf(int32_t baud)
{
  struct Pair {
    int32_t baud;
    speed_t speed;
  };
  static const Pair table[] = {{1200, B1200},   {2400, B2400},     {4800, B4800},     {9600, B9600},
                               {19200, B19200}, {38400, B38400},   {57600, B57600},   {115200, B115200},
                               {230400, B230400}, {460800, B460800}, {921600, B921600}};
  for (const Pair& p : table)
    if (p.baud == baud) return p.speed;
  return B0;
}

}  // namespace

TZmSerial::~TZmSerial() { Close(); }

bool TZmSerial::Apply()
{
  termios t{};
  if (tcgetattr(Fd, &t) != 0) return false;
  cfmakeraw(&t);
  speed_t speed = SpeedOf(Settings.BaudRate);
  if (speed == B0) return false;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= sizes[std::clamp(Settings.DataBits, 5, 8) - 5] | CLOCAL | CREAD;
  switch (Settings.Parity) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (Settings.StopBits == 2) t.c_cflag |= CSTOPB;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;  // reads never wait
  t.c_cc[VTIME] = 0;
  if (tcsetattr(Fd, TCSANOW, &t) != 0) return false;
  // DTR and RTS held inactive, as the panel link expects.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(Fd, TIOCMBIC, &lines);
  return true;
}

bool TZmSerial::Open()
{
  if (IsOpen()) return true;
  Fd = ::open(PortName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) return false;
  // Exclusive use: a second opener (in this or another program) is refused.
  if (flock(Fd, LOCK_EX | LOCK_NB) != 0 || !isatty(Fd) || !Apply()) {
    ::close(Fd);
    Fd = -1;
    return false;
  }
  tcflush(Fd, TCIOFLUSH);
  return true;
}

bool TZmSerial::Close()
{
  if (!IsOpen()) return false;
  int fd = Fd;
  Fd = -1;
  return ::close(fd) == 0;
}

int32_t TZmSerial::Available() const
{
  if (!IsOpen()) return 0;
  int n = 0;
  if (ioctl(Fd, FIONREAD, &n) != 0 || n < 0) return 0;
  return n;
}

int32_t TZmSerial::Read(uint8_t* buffer, int32_t max)
{
  if (!IsOpen() || !buffer || max <= 0) return 0;
  int32_t want = std::min(max, Available());
  if (want <= 0) return 0;
  ssize_t n = ::read(Fd, buffer, static_cast<size_t>(want));
  return n > 0 ? static_cast<int32_t>(n) : 0;
}

int32_t TZmSerial::Write(const uint8_t* buffer, int32_t length)
{
  if (!IsOpen() || !buffer || length <= 0) return 0;
  ssize_t n = ::write(Fd, buffer, static_cast<size_t>(length));
  return n > 0 ? static_cast<int32_t>(n) : 0;
}

bool TZmSerial::Reconfigure(int32_t baud, int32_t dataBitsCode, int32_t parityCode, int32_t stopBitsCode)
{
  Settings.BaudRate = baud;
  Settings.DataBits = 5 + std::clamp(dataBitsCode, 0, 3);
  Settings.Parity = std::clamp(parityCode, 0, 4);
  Settings.StopBits = stopBitsCode == 1 ? 2 : 1;
  if (!IsOpen()) return Open();
  return Apply();
}

std::vector<std::string> ListPorts(const std::string& first)
{
  std::vector<std::string> entries;
  sp_port** ports = nullptr;
  if (sp_list_ports(&ports) == SP_OK && ports) {
    for (int i = 0; ports[i]; ++i) {
      const char* name = sp_get_port_name(ports[i]);
      if (!name || !*name) continue;
      const char* desc = sp_get_port_description(ports[i]);
      // A description that only repeats the device name says nothing.
      std::string n = name, d = desc ? desc : "";
      bool useful = !d.empty() && d != n && d != n.substr(n.find_last_of('/') + 1);
      std::string entry = useful ? n + " - (" + d + ")" : n;
      if (std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.push_back(entry);
    }
    sp_free_port_list(ports);
  }
  std::sort(entries.begin(), entries.end());
  if (!first.empty()) entries.insert(entries.begin(), first);
  return entries;
}

std::string PortNameOf(const std::string& entry)
{
  if (entry.size() > 3 && EqualsNoCase(entry.substr(0, 3), "COM")) {
    size_t cut = entry.find_first_of(" -");
    return entry.substr(0, cut);
  }
  // Device paths may hold dashes themselves: only the description part goes.
  size_t cut = entry.find(" - (");
  return cut == std::string::npos ? entry : entry.substr(0, cut);
}

std::string FindEntry(const std::vector<std::string>& list, const std::string& text)
{
  std::string name = PortNameOf(text);
  for (const std::string& e : list)
    if (PortNameOf(e) == name) return e;
  return text;
}
