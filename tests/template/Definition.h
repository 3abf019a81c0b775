// Test helpers: definition texts are written in UTF-8 in the tests and read as the Shift-JIS files
// the player reads.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "Sjis.h"
#include "base/VStream.h"
#include "template/OFTPool.h"

// Reads the text (UTF-8, converted to Shift-JIS) into the pool.
inline void ReadText(OFTPool& pool, const char* utf8) {
  std::string sjis = Sj(utf8);
  VROMStream stream(sjis.data(), static_cast<int64_t>(sjis.size()));
  if (!sjis.empty()) pool.ReadDefinition(stream);
}

// Reads raw bytes into the pool.
inline void ReadBytes(OFTPool& pool, const std::string& bytes) {
  VROMStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  if (!bytes.empty()) pool.ReadDefinition(stream);
}

inline std::string FileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
