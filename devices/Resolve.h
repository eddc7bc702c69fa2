#pragma once
// Resolving an address text of a binding: station, rule and register number.
#include <cstdint>
#include <string>
#include <string_view>

class TZmController;
class TZmDevices;
class TZmRegRule;
class TZmStation;

struct TZmResolved {
  bool Ok = false;
  std::string Error;                // why the address is not valid
  const TZmStation* Station = nullptr;
  TZmRegRule* Rule = nullptr;
  int32_t Value = 0;                // register number
  int32_t Count = 0;                // registers of the rule's kind
  int32_t Bit = -1;                 // bit of a word register reached through the ".bit" form
  bool Internal = false;            // the panel's own memory (station 255)
  uint32_t Reference = 0;           // fixed register reference of internal addresses
  int64_t ProtocolAddress = 0;      // what the frame builders send
  int64_t ProtocolCount = 0;
};

// Tries the controller's rules in order; then "rest.bit" as a bit of a word
// register when bits are accepted.
TZmResolved MatchController(TZmController& controller, std::string_view address, int32_t dataType, int32_t count,
                            int32_t acceptedKinds);

// The full resolution of a project address ("2:D100", "D100.5", "LW3").
// regCnt is the panel model's number of internal registers: an internal
// address whose words reach past them is refused.
TZmResolved ResolveAddress(const TZmDevices& devices, std::string_view address, int32_t dataType, int32_t count,
                           int32_t acceptedKinds, int32_t regCnt);

// Words of internal register memory that `count` values of `dataType` occupy.
int64_t InternalWords(int32_t dataType, int32_t count);
