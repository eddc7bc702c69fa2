// The serial port against a real peer: a pseudo-terminal pair made by socat.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "link/Serial.h"

namespace fs = std::filesystem;

namespace {

class PtyPair : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = fs::temp_directory_path() / ("kestrava-pty-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    a = (dir / "a").string();
    b = (dir / "b").string();
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string left = "pty,raw,echo=0,link=" + a, right = "pty,raw,echo=0,link=" + b;
      execlp("socat", "socat", left.c_str(), right.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 500 && !(fs::exists(a) && fs::exists(b)); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(a) && fs::exists(b)) << "socat did not make the pseudo-terminals";
  }
  void TearDown() override
  {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    fs::remove_all(dir);
  }
  // Waits (bounded) until `port` has `n` bytes waiting.
  static bool WaitFor(TZmSerial& port, int32_t n)
  {
    for (int i = 0; i < 300 && port.Available() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return port.Available() >= n;
  }
  fs::path dir;
  std::string a, b;
  pid_t pid = -1;
};

}  // namespace

TEST_F(PtyPair, BytesCrossWithoutWaiting)
{
  TZmSerial left, right;
  left.PortName = a;
  right.PortName = b;
  ASSERT_TRUE(left.Open());
  ASSERT_TRUE(right.Open());
  uint8_t buf[32];
  EXPECT_EQ(right.Read(buf, 32), 0);  // nothing waiting: returns at once
  const uint8_t hello[] = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(left.Write(hello, 5), 5);
  ASSERT_TRUE(WaitFor(right, 5));
  EXPECT_EQ(right.Read(buf, 32), 5);
  EXPECT_EQ(std::string(buf, buf + 5), "hello");
  EXPECT_EQ(right.Available(), 0);
  // Binary bytes pass unchanged both ways, with new line settings too.
  ASSERT_TRUE(right.Reconfigure(115200, 3, 2, 0));
  const uint8_t bin[] = {0x00, 0x0A, 0x0D, 0x11, 0x13, 0xFF};
  EXPECT_EQ(right.Write(bin, 6), 6);
  ASSERT_TRUE(WaitFor(left, 6));
  EXPECT_EQ(left.Read(buf, 3), 3);
  EXPECT_EQ(left.Read(buf + 3, 32), 3);
  EXPECT_EQ(std::vector<uint8_t>(buf, buf + 6), std::vector<uint8_t>(bin, bin + 6));
}

TEST_F(PtyPair, OpenCloseAndFailures)
{
  TZmSerial port;
  port.PortName = a;
  uint8_t byte = 1;
  EXPECT_EQ(port.Available(), 0);  // closed
  EXPECT_EQ(port.Write(&byte, 1), 0);
  EXPECT_EQ(port.Read(&byte, 1), 0);
  EXPECT_FALSE(port.Close());
  EXPECT_TRUE(port.Reconfigure(19200, 3, 0, 1));  // opens a closed port
  EXPECT_TRUE(port.IsOpen());
  TZmSerial second;
  second.PortName = a;
  EXPECT_FALSE(second.Open());  // exclusive
  EXPECT_FALSE(port.Reconfigure(12345, 3, 0, 0));  // no such rate
  EXPECT_TRUE(port.Close());
  TZmSerial missing;
  missing.PortName = (dir / "none").string();
  EXPECT_FALSE(missing.Open());
  TZmSerial notATerminal;
  notATerminal.PortName = "/dev/null";
  EXPECT_FALSE(notATerminal.Open());
}

TEST(PortNames, EntriesAndNames)
{
  struct Case {
    const char* entry;
    const char* name;
  } cases[] = {{"COM3 - (USB serial)", "COM3"}, {"com12 - (Port)", "com12"}, {"COM", "COM"},
               {"/dev/ttyUSB0 - (FT232R USB UART)", "/dev/ttyUSB0"}, {"/dev/serial/by-id/usb-x-if00", "/dev/serial/by-id/usb-x-if00"}};
  for (const auto& c : cases) EXPECT_EQ(PortNameOf(c.entry), c.name) << c.entry;
  std::vector<std::string> list = {"(none)", "/dev/ttyS0 - (Built-in)", "COM3 - (USB)"};
  EXPECT_EQ(FindEntry(list, "COM3"), "COM3 - (USB)");
  EXPECT_EQ(FindEntry(list, "/dev/ttyS0"), "/dev/ttyS0 - (Built-in)");
  EXPECT_EQ(FindEntry(list, "/dev/ttyS9"), "/dev/ttyS9");
  std::vector<std::string> ports = ListPorts("(none)");
  ASSERT_FALSE(ports.empty());
  EXPECT_EQ(ports[0], "(none)");
  EXPECT_TRUE(std::is_sorted(ports.begin() + 1, ports.end()));
}
