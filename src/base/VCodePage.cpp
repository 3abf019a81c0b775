#include "base/VCodePage.h"

#include <iconv.h>

#include <cerrno>

#include "base/VSjis.h"

namespace {

// One descriptor per direction and thread; iconv descriptors keep shift state and are not shared.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts input; at a byte that does not convert, appends the replacement and skips `skip(at)`
  // bytes of the input.
  // Converts input until the first byte that does not convert; false there, with its offset.
  bool Exact(std::string_view input, std::string* out, size_t* failedAt) {
    out->clear();
    *failedAt = 0;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out->reserve(input.size() * 3 / 2 + 8);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out->append(buffer, static_cast<size_t>(outPtr - buffer));
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      *failedAt = static_cast<size_t>(in - input.data());
      return false;
    }
    return true;
  }

  template <class Skip>
  std::string Run(std::string_view input, std::string_view replacement, Skip skip) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      out.assign(input);
      return out;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.reserve(input.size() * 3 / 2 + 8);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t r = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut off at the end): replace and step over it.
      out.append(replacement);
      size_t n = skip(reinterpret_cast<const uint8_t*>(in), inLeft);
      in += n;
      inLeft -= n;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string VSjisToUtf8(std::string_view sjis) {
  thread_local Converter converter("UTF-8", "CP932");
  return converter.Run(sjis, "\xEF\xBF\xBD", [](const uint8_t* at, size_t left) -> size_t {
    // A lead byte with a usable trail byte is one unknown character; anything else one byte.
    return (VIsLeadByte(at[0]) && left >= 2 && at[1] >= 0x40) ? 2 : 1;
  });
}

std::string VUtf8ToSjis(std::string_view utf8) {
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Run(utf8, "?", [](const uint8_t* at, size_t left) -> size_t {
    // Step over one UTF-8 sequence (or one stray byte).
    uint8_t b = at[0];
    size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (n > left) n = left;
    for (size_t i = 1; i < n; ++i) {
      if ((at[i] & 0xC0) != 0x80) return i;
    }
    return n;
  });
}

bool VSjisToUtf8Exact(std::string_view sjis, std::string* out, size_t* failedAt) {
  thread_local Converter converter("UTF-8", "CP932");
  return converter.Exact(sjis, out, failedAt);
}

bool VUtf8ToSjisExact(std::string_view utf8, std::string* out, size_t* failedAt) {
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Exact(utf8, out, failedAt);
}
