// Writes a network file with random parameters, for tests and experiments with
// the file format and the inference code.
//
//   write_random_networks SEED MAGNITUDE [OUTPUT]
//
// Every weight and bias of the fourteen networks is drawn uniformly from
// −MAGNITUDE..MAGNITUDE (0..32767) by a generator seeded with SEED, so the same
// arguments always give the same file. OUTPUT defaults to "NeuralNets.tnn" in
// the current folder; a folder as OUTPUT receives a "NeuralNets.tnn".
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "eval/nn/network_set.h"
#include "eval/nn/random_parameters.h"

namespace {

bool parseNumber(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
  long long seed = 0, magnitude = 0;
  if (argc < 3 || argc > 4 || !parseNumber(argv[1], 0, 0x7FFFFFFFFFFFFFFFLL, seed) ||
      !parseNumber(argv[2], 0, 32767, magnitude)) {
    std::fprintf(stderr, "usage: %s SEED MAGNITUDE [OUTPUT]\n  SEED >= 0, MAGNITUDE 0..32767\n", argv[0]);
    return 2;
  }
  std::string output = argc == 4 ? argv[3] : tarn::nn::NetworkFileName;
  std::error_code ignored;
  if (std::filesystem::is_directory(output, ignored)) output += std::string("/") + tarn::nn::NetworkFileName;

  tarn::nn::NetworkSet set;
  tarn::nn::fillRandomParameters(set, uint64_t(seed), int(magnitude));
  if (!tarn::nn::writeNetworks(set, output)) {
    std::fprintf(stderr, "cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("%s: %d networks, seed %lld, magnitude %lld\n", output.c_str(), tarn::nn::NetworkRecordCount, seed,
              magnitude);
  return 0;
}
