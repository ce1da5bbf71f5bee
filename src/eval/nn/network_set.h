// The fourteen networks and their file.
//
// The thirteen evaluation networks form a list whose order is also the selection
// priority (index = the material info's network index); the pawn-structure
// network feeds the general one. All are built with fixed shapes and zero
// parameters when the set is created, then filled from "NeuralNets.tnn": the
// thirteen list networks' records in list order, then the pawn-structure
// network's, with no header.
//
// Reading, record by record:
//   - blobSize above 3,000,000, or a body cut short by the end of the file: that
//     network and every later one stay unloaded. The length field cannot be
//     trusted any more, so neither can the position of the next record.
//   - a body that does not parse (layer count, input count or a value count that
//     differs from the network's, a bit width above 16, or packed data or header
//     fields running past blobSize): that network stays unloaded, and reading
//     goes on with the next record, which starts right after this body.
// A network that is not loaded has zero parameters (every output 0).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "eval/nn/chess_base_net.h"
#include "eval/nn/pawn_structure_net.h"

namespace tarn::nn {

class NetworkFile;

constexpr int ListNetworkCount = 13;
constexpr int NetworkRecordCount = ListNetworkCount + 1;
constexpr int GeneralNetIndex = 12;
constexpr const char* NetworkFileName = "NeuralNets.tnn";

class NetworkSet {
 public:
  NetworkSet();

  ChessBaseNet& list(int index) { return *list_[index]; }
  const ChessBaseNet& list(int index) const { return *list_[index]; }
  PawnStructureNet& pawnNet() { return *pawnNet_; }
  const PawnStructureNet& pawnNet() const { return *pawnNet_; }
  // Networks in file order: the list, then the pawn-structure network.
  ChessBaseNet& record(int k) { return k < ListNetworkCount ? *list_[k] : *pawnNet_; }
  const ChessBaseNet& record(int k) const { return k < ListNetworkCount ? *list_[k] : *pawnNet_; }

  // Reads all records; returns how many networks were loaded. Every network is
  // reset first, so a failed read leaves no stale parameters behind.
  int read(NetworkFile& file);
  // Writes all records; false if any write failed.
  bool write(NetworkFile& file);
  int loadedCount() const;

 private:
  std::unique_ptr<ChessBaseNet> list_[ListNetworkCount];
  std::unique_ptr<PawnStructureNet> pawnNet_;
};

// The process-wide networks, built (with zero parameters) on first use and
// read-only once loading is over.
NetworkSet& networks();

// Loads folder + "/NeuralNets.tnn" (just the name when the folder is empty) into
// the process-wide networks; returns the number loaded, 0..14 (0 without a file).
int loadNetworks(const std::string& folder);

// Whether loadNetworks filled any of the thirteen evaluation networks; without
// one the search keeps no accumulators.
bool anyListNetworkLoaded();

// The same for any set and file path, and for a file image in memory.
int loadNetworkFile(NetworkSet& set, const std::string& path);
int readNetworks(NetworkSet& set, std::span<const uint8_t> bytes);

// Writes the set as a network file; false if the file could not be written.
bool writeNetworks(NetworkSet& set, const std::string& path);

}  // namespace tarn::nn
