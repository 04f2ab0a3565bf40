// The order of the train service entries.  Stations and signals write
// approach marks over whatever a cell held, so the entry read last decides a
// cell's mark; stations keep their own order (their slots), and whatever a
// stop mark covers must have been read before that station.
//
// The order is found from its end: an entry may be read last among those
// left when every mark it writes is the one held, or lies on a cell an entry
// read after it decides.  Taking such an entry never stops another from
// being taken, so the search only fails when no order exists.  Among the
// entries that may go last, the one latest in the usual order goes.
#include <algorithm>
#include <queue>
#include <unordered_map>

#include "tool/decompile/recovery.h"

namespace scenario::tool::recovery {
namespace {

class entry_order {
 public:
  entry_order(std::vector<ordered_item>& items, held_scenario& held)
      : items_(items), held_(held), decided_(held.cells.size(), false) {
    link();
  }

  std::vector<service_entry> find() {
    std::vector<size_t> reversed;
    std::vector<bool> placed(items_.size(), false);
    auto by_usual = [this](size_t a, size_t b) { return items_[a].usual < items_[b].usual; };
    std::priority_queue<size_t, std::vector<size_t>, decltype(by_usual)> ready(by_usual);
    for (size_t i = 0; i < items_.size(); ++i)
      if (may_go_last(i)) ready.push(i);
    while (reversed.size() < items_.size()) {
      if (ready.empty()) ready.push(forced(placed));
      const size_t u = ready.top();
      ready.pop();
      if (placed[u] || (later_left_[u] > 0)) continue;
      if (!may_go_last(u) && !forcing_) continue;
      forcing_ = false;
      placed[u] = true;
      reversed.push_back(u);
      for (const auto& [cell, mark] : items_[u].marks) {
        if (decided_[static_cast<size_t>(cell)]) continue;
        decided_[static_cast<size_t>(cell)] = true;
        for (size_t w : writers_[cell])
          if (!placed[w] && may_go_last(w)) ready.push(w);
      }
      for (size_t p : earlier_[u])
        if (--later_left_[p] == 0 && !placed[p] && may_go_last(p)) ready.push(p);
    }
    std::vector<service_entry> order;
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it)
      order.push_back(std::move(items_[*it].entry));
    return order;
  }

 private:
  // Stations in their slots' order; anything on a stop mark's cell before
  // that station.
  void link() {
    const size_t n = items_.size();
    earlier_.assign(n, {});
    later_left_.assign(n, 0);
    std::unordered_map<int64_t, size_t> station_at_stop;
    std::vector<std::pair<int, size_t>> stations;
    for (size_t i = 0; i < n; ++i) {
      for (const auto& [cell, mark] : items_[i].marks) writers_[cell].push_back(i);
      if (items_[i].station == 0) continue;
      stations.push_back({items_[i].station, i});
      if (!items_[i].cells.empty()) station_at_stop[items_[i].cells.front()] = i;
    }
    std::sort(stations.begin(), stations.end());
    for (size_t s = 1; s < stations.size(); ++s) before(stations[s - 1].second, stations[s].second);
    for (size_t i = 0; i < n; ++i) {
      if (items_[i].station != 0) continue;
      for (int64_t cell : items_[i].cells)
        if (auto it = station_at_stop.find(cell); it != station_at_stop.end())
          before(i, it->second);
    }
  }
  void before(size_t first, size_t second) {
    earlier_[second].push_back(first);
    ++later_left_[first];
  }

  bool may_go_last(size_t u) const {
    if (later_left_[u] > 0) return false;
    for (const auto& [cell, mark] : items_[u].marks)
      if (!decided_[static_cast<size_t>(cell)] && held_.at(cell).approach_mark != mark)
        return false;
    return true;
  }

  // No order leaves every mark as held: the entry latest in the usual order
  // among those whose successors are all placed goes last all the same.
  size_t forced(const std::vector<bool>& placed) {
    if (!noted_) {
      held_.notes.push_back(
          "no order of the stations and signals leaves every approach mark "
          "as the segment file holds it");
      noted_ = true;
    }
    size_t best = items_.size();
    for (size_t i = 0; i < items_.size(); ++i)
      if (!placed[i] && later_left_[i] == 0 &&
          (best == items_.size() || items_[i].usual > items_[best].usual))
        best = i;
    forcing_ = true;
    return best;
  }

  std::vector<ordered_item>& items_;
  held_scenario& held_;
  std::vector<bool> decided_;  // cells whose mark an entry already placed decides
  std::unordered_map<int64_t, std::vector<size_t>> writers_;
  std::vector<std::vector<size_t>> earlier_;  // entries that must come before this one
  std::vector<int> later_left_;               // entries still to place after this one
  bool forcing_ = false;
  bool noted_ = false;
};

}  // namespace

std::vector<service_entry> order_entries(std::vector<ordered_item> items, held_scenario& held) {
  return entry_order(items, held).find();
}

}  // namespace scenario::tool::recovery
