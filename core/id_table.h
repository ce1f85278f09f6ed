// Values kept by camera type id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// Type ids of real files are small, so those are looked up directly in an array; a file may
// hold any other 32-bit id, which goes to a hash map. Every id starts with `absent`.
template <typename V>
class IdTable {
  public:
    explicit IdTable(V absent) : absent_(absent), direct_(kDirect, absent) {}

    V& operator[](std::int32_t id) {
        if (id >= 0 && static_cast<std::size_t>(id) < kDirect) return direct_[id];
        return other_.try_emplace(id, absent_).first->second;
    }

  private:
    static constexpr std::size_t kDirect = 4096;
    V absent_;
    std::vector<V> direct_;
    std::unordered_map<std::int32_t, V> other_;
};
