// Helpers shared by the block-file and cache tests: raw file bytes read past the engine (its
// files hold exclusive locks), and block images with recognisable contents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> RawBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The bytes of block n of a block file with block size b, as stored on disk (empty when the file
// does not reach it).
inline std::vector<uint8_t> RawBlock(const std::string& path, uint32_t n, int32_t b) {
  std::vector<uint8_t> all = RawBytes(path);
  size_t at = 512 + static_cast<size_t>(n) * b;
  if (all.size() < at + b) return {};
  return std::vector<uint8_t>(all.begin() + at, all.begin() + at + b);
}

// A block image whose every byte depends on the block number and a version.
inline void FillPattern(uint8_t* image, int32_t size, uint32_t block, uint8_t version) {
  for (int32_t i = 0; i < size; ++i) {
    image[i] = static_cast<uint8_t>(block * 31 + i * 7 + version);
  }
}

inline bool HasPattern(const std::vector<uint8_t>& image, uint32_t block, uint8_t version) {
  if (image.empty()) return false;
  for (size_t i = 0; i < image.size(); ++i) {
    if (image[i] != static_cast<uint8_t>(block * 31 + i * 7 + version)) return false;
  }
  return true;
}
