#include "eval/nn/network_set.h"

#include <atomic>

#include "eval/nn/chess_net.h"
#include "eval/nn/endgame_sym_nets.h"
#include "eval/nn/network_file.h"

namespace tarn::nn {

NetworkSet::NetworkSet() {
  list_[0] = std::make_unique<PawnKingNet>();
  list_[1] = std::make_unique<OnePieceSymNet>(Rook, false);
  list_[2] = std::make_unique<OnePieceSymNet>(Bishop, true);
  list_[3] = std::make_unique<OnePieceSymNet>(Bishop, false);
  list_[4] = std::make_unique<OnePieceSymNet>(Queen, false);
  list_[5] = std::make_unique<OnePieceSymNet>(Knight, false);
  list_[6] = std::make_unique<DiffPieceSymNet>(Bishop, Knight, 1);
  list_[7] = std::make_unique<DiffPieceSymNet>(Rook, Bishop, 1);
  list_[8] = std::make_unique<DiffPieceSymNet>(Rook, Knight, 1);
  list_[9] = std::make_unique<DiffPieceSymNet>(Queen, Rook, 2);
  list_[10] = std::make_unique<GeneralQueenEndgameSymNet>();
  list_[11] = std::make_unique<GeneralEndgameSymNet>();
  list_[12] = std::make_unique<ChessNet>();
  pawnNet_ = std::make_unique<PawnStructureNet>();

  pawnNet_->buildLayers();
  for (auto& net : list_) net->buildLayers();
}

int NetworkSet::read(NetworkFile& file) {
  for (int k = 0; k < NetworkRecordCount; ++k) record(k).resetParameters();
  for (int k = 0; k < NetworkRecordCount; ++k)
    if (record(k).readWriteFile(file, Direction::Read) == RecordResult::Unreadable) break;
  return loadedCount();
}

bool NetworkSet::write(NetworkFile& file) {
  for (int k = 0; k < NetworkRecordCount; ++k)
    if (record(k).readWriteFile(file, Direction::Write) != RecordResult::Done) return false;
  return true;
}

int NetworkSet::loadedCount() const {
  int count = 0;
  for (int k = 0; k < NetworkRecordCount; ++k) count += record(k).loaded() ? 1 : 0;
  return count;
}

NetworkSet& networks() {
  static NetworkSet set;
  return set;
}

namespace {
std::atomic<bool> listNetworkLoaded{false};
}  // namespace

bool anyListNetworkLoaded() { return listNetworkLoaded.load(std::memory_order_relaxed); }

int loadNetworks(const std::string& folder) {
  const int count = loadNetworkFile(networks(), folder.empty() ? NetworkFileName : folder + "/" + NetworkFileName);
  bool any = false;
  for (int k = 0; k < ListNetworkCount; ++k) any = any || networks().list(k).loaded();
  listNetworkLoaded.store(any, std::memory_order_relaxed);
  return count;
}

int loadNetworkFile(NetworkSet& set, const std::string& path) {
  auto file = NetworkFile::openForReading(path);
  if (!file->isOpen()) {
    for (int k = 0; k < NetworkRecordCount; ++k) set.record(k).resetParameters();
    return 0;
  }
  return set.read(*file);
}

int readNetworks(NetworkSet& set, std::span<const uint8_t> bytes) {
  auto file = NetworkFile::fromMemory(bytes);
  return set.read(*file);
}

bool writeNetworks(NetworkSet& set, const std::string& path) {
  auto file = NetworkFile::openForWriting(path);
  if (!file->isOpen()) return false;
  const bool written = set.write(*file);
  return file->close() && written;
}

}  // namespace tarn::nn
