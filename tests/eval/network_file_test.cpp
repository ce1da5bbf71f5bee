// The network file: bit order, the writer's choices, and every way a record can
// be damaged. A damaged network stays unloaded with zero parameters; the others
// load as far as the file can still be followed.
#include "eval/nn/network_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "eval/nn/packed_stream.h"
#include "network_reference.h"
#include "network_test_helpers.h"

namespace tarn::nn::test {
namespace {

using Bytes = std::vector<uint8_t>;

// An encoder of record bodies written from the format description, to build
// files the engine's writer would never produce.
struct BodyBuilder {
  Bytes bytes;
  int bit = 0;

  void u32(uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes.push_back(uint8_t(v >> (8 * k)));
  }
  // Chunks of the value, most significant first, each filling the current byte
  // from its lowest free bit.
  void value(uint32_t v, int width) {
    for (int remaining = width; remaining > 0;) {
      if (bit == 0) bytes.push_back(0);
      const int n = std::min(remaining, 8 - bit);
      bytes.back() = uint8_t(bytes.back() | (((v >> (remaining - n)) & ((1u << n) - 1)) << bit));
      remaining -= n;
      bit = (bit + n) & 7;
    }
  }
  // A whole body for file record k, every layer with this width, offset and raw values.
  static Bytes forNetwork(int k, int width, uint32_t offset, uint32_t (*raw)(uint32_t)) {
    const RefNetwork net = refNetwork(k);
    BodyBuilder b;
    b.u32(uint32_t(net.layers.size()));
    b.u32(uint32_t(net.layers[0].inputs));
    for (const RefLayer& l : net.layers) {
      const uint32_t count = uint32_t(l.outputs) * uint32_t(l.inputs + 1);
      b.u32(count);
      b.u32(uint32_t(width));
      b.u32(offset);
      for (uint32_t i = 0; i < count; ++i) b.value(raw(i), width);
    }
    return b.bytes;
  }
};

Bytes withSize(const Bytes& body) {
  Bytes record(4 + body.size());
  const uint32_t size = uint32_t(body.size());
  for (int k = 0; k < 4; ++k) record[size_t(k)] = uint8_t(size >> (8 * k));
  std::copy(body.begin(), body.end(), record.begin() + 4);
  return record;
}

uint32_t readU32(const Bytes& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

void putU32(Bytes& bytes, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = uint8_t(v >> (8 * k));
}

// A valid file split into its fourteen records (size field included).
struct SplitFile {
  std::vector<Bytes> records;

  explicit SplitFile(const Bytes& file) {
    size_t at = 0;
    while (at + 4 <= file.size()) {
      const size_t end = at + 4 + readU32(file, at);
      records.emplace_back(file.begin() + long(at), file.begin() + long(end));
      at = end;
    }
  }
  Bytes joined() const {
    Bytes out;
    for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
  }
};

// The random networks as a file image, written by the engine's writer.
const Bytes& validFile() {
  static const Bytes bytes = [] {
    NetworkSet source;
    fillRandomParameters(source, 77, 900);
    TempFile file("valid");
    EXPECT_TRUE(writeNetworks(source, file.path()));
    return file.read();
  }();
  return bytes;
}

bool allZero(const NeuralNetBase& net) {
  const int16_t* p = net.parameters();
  if (!std::all_of(p, p + net.totalParameters(), [](int16_t v) { return v == 0; })) return false;
  for (int l = 0; l < net.layerCount(); ++l)
    for (uint32_t j = 0; j < net.layer(l).outputs; ++j)
      if (net.layer(l).biases[j] != 0) return false;
  return true;
}

// Loaded flags of the set as a string of 0 and 1, in file order, with the
// parameters of every unloaded network checked to be zero.
std::string loadedPattern(NetworkSet& set) {
  std::string pattern;
  for (int k = 0; k < NetworkRecordCount; ++k) {
    pattern += set.record(k).loaded() ? '1' : '0';
    if (!set.record(k).loaded()) {
      EXPECT_TRUE(allZero(set.record(k))) << set.record(k).name();
    }
  }
  return pattern;
}

std::string readPattern(const Bytes& file) {
  static NetworkSet* set = new NetworkSet;
  // Start from loaded networks, so that a refused record must really clear them.
  readNetworks(*set, validFile());
  readNetworks(*set, file);
  return loadedPattern(*set);
}

TEST(PackedStream, BitOrderMatchesHandComputedBytes) {
  // 5, 1, 5 in three bits: 101 in bits 0-2, 001 in bits 3-5, then the top two
  // bits of 101 in bits 6-7 (10: bit 7 set) and its last bit in bit 0 of byte 2.
  const Bytes expected = {0x8D, 0x01};
  Bytes written;
  PackedWriter out(written);
  for (uint32_t v : {5u, 1u, 5u}) out.writeBits(v, 3);
  EXPECT_EQ(written, expected);
  PackedReader in(expected.data(), expected.size());
  EXPECT_TRUE(in.hasBits(9));
  EXPECT_FALSE(in.hasBits(17));
  for (uint32_t v : {5u, 1u, 5u}) EXPECT_EQ(in.readBits(3), v);
  EXPECT_EQ(in.bytePosition(), 1u);
  EXPECT_EQ(in.bitIndex(), 1);
  uint32_t field = 0;
  EXPECT_FALSE(in.readU32(field));  // never past the end
}

TEST(NetworkFile, WriterPicksTheSmallestWidthAndReaderRestoresEveryParameter) {
  prepareBoardTables();
  NetworkSet source;
  // Network k gets magnitude 2^k − 1 (the last 32767): widths 1..14 and 16.
  for (int k = 0; k < NetworkRecordCount; ++k)
    fillRandomParameters(source.record(k), uint64_t(k) + 1, k == NetworkRecordCount - 1 ? 32767 : (1 << k) - 1);
  source.record(2).mutableParameters()[5] = -32768;  // |−32768| needs the full 16 bits
  TempFile file("widths");
  ASSERT_TRUE(writeNetworks(source, file.path()));
  const SplitFile split(file.read());
  ASSERT_EQ(split.records.size(), size_t(NetworkRecordCount));
  for (int k = 0; k < NetworkRecordCount; ++k) {
    const Bytes& r = split.records[size_t(k)];
    const RefNetwork ref = refNetwork(k);
    const int16_t* p = source.record(k).parameters();
    size_t at = 12;
    uint64_t start = 0;
    for (size_t l = 0; l < ref.layers.size(); ++l) {
      const uint32_t count = uint32_t(ref.layers[l].outputs) * uint32_t(ref.layers[l].inputs + 1);
      int largest = 0;
      for (uint32_t i = 0; i < count; ++i) largest = std::max(largest, std::abs(int(p[start + i])));
      int width = 16;
      while (width > 1 && largest < (1 << (width - 2))) --width;
      EXPECT_EQ(readU32(r, at), count);
      EXPECT_EQ(readU32(r, at + 4), uint32_t(width)) << "record " << k << " layer " << l;
      EXPECT_EQ(readU32(r, at + 8), 1u << (width - 1));
      // Only the last layer may end inside a byte; the size counts that byte.
      at += 12 + (uint64_t(count) * uint32_t(width) + 7) / 8;
      start = (start + count + 15) / 16 * 16;
    }
    EXPECT_EQ(at, r.size()) << "record " << k;
  }
  NetworkSet loaded;
  ASSERT_EQ(loadNetworkFile(loaded, file.path()), NetworkRecordCount);
  for (int k = 0; k < NetworkRecordCount; ++k) {
    const NeuralNetBase& a = source.record(k);
    const NeuralNetBase& b = loaded.record(k);
    ASSERT_EQ(std::memcmp(a.parameters(), b.parameters(), a.totalParameters() * sizeof(int16_t)), 0) << k;
  }
}

TEST(NetworkFile, HandBuiltRecordsDecodeWithTheirOffset) {
  SplitFile split(validFile());
  // Width 3, offset 4: raw 0..7 give −4..3.
  split.records[0] = withSize(BodyBuilder::forNetwork(0, 3, 4, [](uint32_t i) { return i % 8; }));
  // Width 0 reads nothing and gives −offset everywhere.
  split.records[1] = withSize(BodyBuilder::forNetwork(1, 0, 9, [](uint32_t) { return 0u; }));
  NetworkSet set;
  EXPECT_EQ(readNetworks(set, split.joined()), NetworkRecordCount);
  const NeuralNetBase& first = set.record(0);
  const Layer& last = first.layer(3);  // 17 values, ending inside a byte
  for (uint32_t i = 0; i < last.valueCount(); ++i) EXPECT_EQ(first.parameters()[last.start + i], int(i % 8) - 4);
  EXPECT_EQ(first.parameters()[0], -4);
  EXPECT_EQ(first.layer(0).biases[1], (int(first.layer(0).biasStart + 1 - first.layer(0).start) % 8 - 4) * 512);
  EXPECT_EQ(set.record(1).parameters()[123], -9);
}

TEST(NetworkFile, DamagedRecordsAreRefusedAndTheRestStillLoads) {
  const std::string all(NetworkRecordCount, '1');
  EXPECT_EQ(readPattern(validFile()), all);

  struct Damage {
    const char* what;
    int record;
    void (*apply)(Bytes& record);
    const char* expected;
  } damages[] = {
      {"blobSize 3,000,001 first", 0, [](Bytes& r) { putU32(r, 0, 3'000'001); }, "00000000000000"},
      {"blobSize 3,000,001 later", 5, [](Bytes& r) { putU32(r, 0, 3'000'001); }, "11111000000000"},
      {"layer count", 3, [](Bytes& r) { putU32(r, 4, 5); }, "11101111111111"},
      {"input count", 12, [](Bytes& r) { putU32(r, 8, 704); }, "11111111111101"},
      {"value count", 13, [](Bytes& r) { putU32(r, 12, readU32(r, 12) + 1); }, "11111111111110"},
      {"bit width 17 in a later layer", 4,
       [](Bytes& r) {
         const size_t layer1 = 12 + 12 + (size_t(readU32(r, 12)) * readU32(r, 16) + 7) / 8;
         putU32(r, layer1 + 4, 17);
       },
       "11110111111111"},
      {"packed data past blobSize", 7,
       [](Bytes& r) {
         r.resize(r.size() - 1);
         putU32(r, 0, uint32_t(r.size() - 4));
       },
       "11111110111111"},
      {"header past blobSize", 8,
       [](Bytes& r) {
         r.resize(4 + 12 + 6);  // ends inside the first layer's offset field
         putU32(r, 0, uint32_t(r.size() - 4));
       },
       "11111111011111"},
      {"empty body", 9,
       [](Bytes& r) {
         r.resize(4);
         putU32(r, 0, 0);
       },
       "11111111101111"},
  };
  for (const Damage& d : damages) {
    SplitFile split(validFile());
    d.apply(split.records[size_t(d.record)]);
    EXPECT_EQ(readPattern(split.joined()), d.expected) << d.what;
  }

  // Truncated files: inside a body, inside a size field, and trailing bytes.
  const Bytes& file = validFile();
  const SplitFile split(file);
  size_t sixth = 0;
  for (int k = 0; k < 6; ++k) sixth += split.records[size_t(k)].size();
  EXPECT_EQ(readPattern(Bytes(file.begin(), file.begin() + long(sixth) + 100)), "11111100000000");
  EXPECT_EQ(readPattern(Bytes(file.begin(), file.begin() + long(sixth) + 2)), "11111100000000");
  EXPECT_EQ(readPattern(Bytes(file.begin(), file.end() - 1)), "11111111111110");
  EXPECT_EQ(readPattern(Bytes()), "00000000000000");
  Bytes longer = file;
  longer.insert(longer.end(), {1, 2, 3, 4, 5});
  EXPECT_EQ(readPattern(longer), all);
}

TEST(NetworkFile, FilesOnDiskLoadLikeMemoryAndAMissingFileClearsEverything) {
  prepareBoardTables();
  const Bytes& file = validFile();
  TempFile cut("cut");
  cut.write(Bytes(file.begin(), file.begin() + long(file.size() / 2)));
  NetworkSet set;
  const int fromDisk = loadNetworkFile(set, cut.path());
  EXPECT_EQ(fromDisk, readNetworks(set, Bytes(file.begin(), file.begin() + long(file.size() / 2))));
  EXPECT_GT(fromDisk, 0);
  EXPECT_LT(fromDisk, NetworkRecordCount);

  TempFile whole("whole");
  whole.write(file);
  EXPECT_EQ(loadNetworkFile(set, whole.path()), NetworkRecordCount);
  EXPECT_EQ(loadNetworkFile(set, whole.path() + ".missing"), 0);
  EXPECT_EQ(loadedPattern(set), std::string(NetworkRecordCount, '0'));

  // loadNetworks looks for the file by its name inside the given folder.
  const std::string folder = std::filesystem::temp_directory_path().string() + "/tarn_nn_" + std::to_string(::getpid());
  std::filesystem::create_directories(folder);
  {
    std::ofstream out(folder + "/" + NetworkFileName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  }
  EXPECT_EQ(loadNetworks(folder), NetworkRecordCount);
  std::filesystem::remove_all(folder);
  EXPECT_EQ(loadNetworks(folder), 0);
}

}  // namespace
}  // namespace tarn::nn::test
