#pragma once
// A small JSON value with a strict reader and a stable writer. Strings hold
// UTF-8 in which unpaired surrogates may appear in their three-byte form;
// the writer escapes those as \uXXXX so any UTF-16 text survives a round trip.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TJson {
public:
  enum Kind { Null, Bool, Int, Float, String, Array, Object };

  TJson() = default;
  static TJson MakeInt(int64_t v) { TJson j; j.K = Int; j.I = v; return j; }
  static TJson MakeString(std::string v) { TJson j; j.K = String; j.S = std::move(v); return j; }
  static TJson MakeArray() { TJson j; j.K = Array; return j; }
  static TJson MakeObject() { TJson j; j.K = Object; return j; }

  TJson& Add(std::string key, TJson v);  // object member, in insertion order
  void Push(TJson v) { A.push_back(std::move(v)); }
  const TJson* Get(std::string_view key) const;

  Kind K = Null;
  bool B = false;
  int64_t I = 0;
  double F = 0;
  std::string S;
  std::vector<TJson> A;
  std::vector<std::pair<std::string, TJson>> O;
};

bool ParseJson(std::string_view text, TJson& out, std::string& error);
std::string WriteJson(const TJson& value);
