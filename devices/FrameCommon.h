#pragma once
// What the frame builders of all families share: the grouping of registers
// into runs, map words, and the filling of frame templates with numbers that
// must fit their fields. Used only inside devices/Frame*.cpp.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/Format.h"
#include "devices/FrameBuilders.h"

class TZmProtocol;

namespace frames {

// A run of registers of one rule Index with contiguous protocol addresses.
struct Run {
  int32_t Index = 0;
  int64_t A = 0;  // first protocol address
  uint32_t R = 0; // low 24 bits of the first register's reference
  int64_t L = 0;  // length in protocol units (the sum of the rules' Base)
  const TZmRegItem* First = nullptr;
  const TZmRegRule* Last = nullptr;  // rule of the run's last register
};

// Run limit of a family for a rule Index; 1 reads one register per request.
using Limit = std::function<int64_t(int32_t index)>;
std::vector<Run> Runs(const std::vector<TZmRegItem>& regs, const Limit& limit);
// Every register a request of its own (families that do not group).
std::vector<Run> Singles(const std::vector<TZmRegItem>& regs);

inline uint32_t Dest(uint32_t tag, uint32_t ref) { return (tag << 24) | (ref & 0xFFFFFF); }
inline uint32_t CountWord(int64_t n) { return 0xF0000000u + static_cast<uint32_t>(n & 0xFFFFFF); }
inline uint32_t SumWord(int32_t kind) { return 0xF1000000u + static_cast<uint32_t>(kind); }
inline uint32_t Place(uint32_t tag, int64_t position) { return (tag << 24) | static_cast<uint32_t>(position & 0xFFFFFF); }

// Frame text filled through the safe formatter. Every number must fit the
// width of its conversion (and be non-negative), every %Ns text its N
// characters; otherwise nothing is appended and Fault says which number.
class Text {
public:
  bool Put(std::string_view tmpl, std::initializer_list<TZmFormatArg> args);
  void Raw(std::string_view s) { S += s; }
  void Fill(size_t n, char c) { S.append(n, c); }
  size_t Size() const { return S.size(); }
  std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(S.begin(), S.end()); }
  bool Ok() const { return Fault.Kind == TZmFrameFault::None; }

  std::string S;
  TZmFrameFault Fault;
};

// Where a read builder puts its requests and its refusals.
struct ReadOut {
  const TZmProtocol& Protocol;
  const TZmStation& Station;
  std::vector<TZmDeviceLinkItem>& Link;
  std::vector<TZmFrameFault>* Faults;

  uint32_t StationNum() const;
  uint32_t ControllerUID() const;
  void Emit(std::vector<uint8_t> frame, std::vector<uint32_t> map);
  // The run's registers lie in no area the family defines.
  void NoArea(const Run& run);
  // A number of the run's request did not fit its field.
  void Refuse(const Run& run, TZmFrameFault fault);
};

// Station number of a write, and the write's register count (at least 1).
uint32_t StationOf(const TZmWriteTarget& t);
inline int64_t CountOf(const TZmWriteTarget& t) { return t.Count > 0 ? t.Count : 1; }
int32_t IndexOf(const TZmWriteTarget& t);
// Records a refused write frame: the frame and map stay empty.
void RefuseWrite(const TZmWriteTarget& t, TZmWriteFrame& out, TZmFrameFault fault);

// The families, one entry pair each (read builder, write builder).
void ModbusAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool ModbusAsciiWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void ModbusRtuRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool ModbusRtuWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void AreaAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool AreaAsciiWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void PercentRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool PercentWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void TextCommandRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool TextCommandWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void StxTableRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool StxTableWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void StxDecimalRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool StxDecimalWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void ShortAsciiRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool ShortAsciiWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void AtSignRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool AtSignWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void StxLetterRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool StxLetterWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
// The binary families refuse a write they cannot frame (false, with a NoWrite fault).
void Header163Read(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool Header163Write(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void Header9023Read(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool Header9023Write(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void Header7533Read(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool Header7533Write(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);
void AreaCodeRead(ReadOut& out, const std::vector<TZmRegItem>& regs);
bool AreaCodeWrite(uint32_t uid, const TZmWriteTarget& t, TZmWriteFrame& out);

}  // namespace frames
