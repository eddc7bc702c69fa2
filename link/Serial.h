#pragma once
// The serial port: termios I/O on the device named by the port name, ports
// listed through libserialport. Reads never wait: callers poll and take what
// has arrived.
#include <cstdint>
#include <string>
#include <vector>

struct TZmLineSettings {
  int32_t BaudRate = 9600;
  int32_t DataBits = 8;  // 5..8
  int32_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int32_t StopBits = 1;  // 1 or 2
};

class TZmSerial {
public:
  TZmSerial() = default;
  TZmSerial(const TZmSerial&) = delete;
  TZmSerial& operator=(const TZmSerial&) = delete;
  ~TZmSerial();

  // Opens the port for exclusive use, applies the settings and discards
  // anything pending. False (port closed) when it cannot be opened or set up.
  bool Open();
  bool Close();
  bool IsOpen() const { return Fd >= 0; }
  // Bytes waiting; 0 when closed or on error.
  int32_t Available() const;
  // min(max, Available) bytes, without waiting.
  int32_t Read(uint8_t* buffer, int32_t max);
  // Bytes accepted by the driver; 0 when closed or on error.
  int32_t Write(const uint8_t* buffer, int32_t length);
  // Stores the settings and applies them; opens the port when it is closed.
  // The codes are the panel's: data bits 0..3 for 5..8, parity 0..4, stop 0 (one) or 1 (two).
  bool Reconfigure(int32_t baud, int32_t dataBitsCode, int32_t parityCode, int32_t stopBitsCode);

  std::string PortName = "COM1";
  TZmLineSettings Settings;

private:
  bool Apply();
  int Fd = -1;
};

// Entries "name - (description)" or "name", sorted, without duplicates;
// `first` (when not empty) heads the list.
std::vector<std::string> ListPorts(const std::string& first);
// The bare port name of a list entry.
std::string PortNameOf(const std::string& entry);
// The entry whose port name equals that of `text`, else `text`.
std::string FindEntry(const std::vector<std::string>& list, const std::string& text);
