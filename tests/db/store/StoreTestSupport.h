// Helpers shared by the block-file and cache tests: raw file bytes read past the engine (its
// files hold exclusive locks), and block images with recognisable contents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline std::vector<uint8_t> RawBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteRaw(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The bytes of block n of a block file with block size b, as stored on disk (empty when the file
// does not reach it).
inline std::vector<uint8_t> RawBlock(const std::string& path, uint32_t n, int32_t b) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> block(static_cast<size_t>(b));
  in.seekg(512 + static_cast<std::streamoff>(n) * b);
  if (!in.read(reinterpret_cast<char*>(block.data()), b)) return {};
  return block;
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
