// The host's BaseSelect: a set of element indices kept as a bitset, so that
// IsSelected (asked per point in displacement loops) is one word lookup.
#pragma once

#include <cstdint>
#include <vector>

#include "hostapi/objects.h"

namespace qhost {

class SelectSet final : public BaseSelect
{
public:
  SelectSet() = default;
  ~SelectSet() override = default;

  Int32 GetCount() const override { return count_; }
  // Negative indices are refused (false) and never selected.
  Bool Select(Int32 index) override;
  Bool Deselect(Int32 index) override;
  void DeselectAll() override;
  Bool IsSelected(Int32 index) const override
  {
    if (index < 0)
      return false;
    const size_t word = size_t(index) >> 6;
    return word < words_.size() && ((words_[word] >> (unsigned(index) & 63u)) & 1u) != 0;
  }
  // Replaces dest's content with this set; false when dest is null.
  Bool CopyTo(BaseSelect* dest) const override;
  // The nth selected index in ascending order, -1 when nth is out of range.
  Int32 GetSelectedIndex(Int32 nth) const override;

  // Every selected index in ascending order.
  std::vector<Int32> ToIndices() const;
  void Assign(const std::vector<Int32>& indices);

private:
  std::vector<std::uint64_t> words_;
  Int32 count_ = 0;
};

} // namespace qhost
