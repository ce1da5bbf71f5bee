// Stands in for libFuzzer where it is not available: replays every seed of the
// corpus folder, then feeds a fixed number of mutated inputs (a deterministic
// generator, so a failure reproduces). Usage: fuzz_NAME CORPUS_DIR [ROUNDS]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

uint64_t state = 0x9E3779B97F4A7C15ULL;
uint64_t next() {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return state * 2685821657736338717ULL;
}

std::vector<uint8_t> mutate(std::vector<uint8_t> input, const std::vector<std::vector<uint8_t>>& seeds) {
  static const char* const Tokens[] = {" ", "/", "-", "=", "\n", "\r\n", "0", "9", "255", "256", "99999999999",
                                       "{", "}", "(", ")", "[", "]", "$", ";", "\"", "x", "O-O", "e8=Q", "moves ",
                                       "fen ", "value ", "name ", "K", "k", "P", "p", "\t", "\0"};
  const int edits = 1 + int(next() % 8);
  for (int e = 0; e < edits; ++e) {
    const size_t pos = input.empty() ? 0 : size_t(next() % (input.size() + 1));
    switch (next() % 6) {
      case 0:  // flip a byte
        if (!input.empty()) input[pos % input.size()] ^= uint8_t(1 << (next() % 8));
        break;
      case 1:  // random byte
        input.insert(input.begin() + long(pos), uint8_t(next()));
        break;
      case 2:  // delete a run
        if (!input.empty()) {
          const size_t at = pos % input.size();
          input.erase(input.begin() + long(at), input.begin() + long(std::min(input.size(), at + 1 + next() % 16)));
        }
        break;
      case 3: {  // insert a token
        const std::string t = Tokens[next() % (sizeof(Tokens) / sizeof(Tokens[0]))];
        input.insert(input.begin() + long(pos), t.begin(), t.end());
        break;
      }
      case 4: {  // splice a piece of another seed
        if (seeds.empty()) break;
        const auto& other = seeds[next() % seeds.size()];
        if (other.empty()) break;
        const size_t from = next() % other.size();
        const size_t len = std::min(other.size() - from, size_t(1 + next() % 64));
        input.insert(input.begin() + long(pos), other.begin() + long(from), other.begin() + long(from + len));
        break;
      }
      default:  // duplicate a run
        if (!input.empty()) {
          const size_t at = pos % input.size();
          const size_t len = std::min(input.size() - at, size_t(1 + next() % 32));
          std::vector<uint8_t> run(input.begin() + long(at), input.begin() + long(at + len));
          input.insert(input.begin() + long(at), run.begin(), run.end());
        }
        break;
    }
  }
  if (input.size() > 1 << 16) input.resize(1 << 16);
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> seeds;
  if (argc > 1 && std::filesystem::is_directory(argv[1]))
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
      std::ifstream in(entry.path(), std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  if (seeds.empty()) seeds.push_back({});
  const long rounds = argc > 2 ? std::atol(argv[2]) : 10000;

  for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
  for (long r = 0; r < rounds; ++r) {
    const std::vector<uint8_t> input = mutate(seeds[size_t(next() % seeds.size())], seeds);
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("%zu seeds and %ld mutated inputs passed\n", seeds.size(), rounds);
  return 0;
}
