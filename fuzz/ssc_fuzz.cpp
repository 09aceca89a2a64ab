// fuzz/ssc_fuzz.cpp: any bytes as an .ssc song file, read and rescaled.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/rescale_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check_rescale(std::string_view(reinterpret_cast<const char*>(data), size), read_ssc_fields);
  return 0;
}
