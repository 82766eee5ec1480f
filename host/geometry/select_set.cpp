#include "host/geometry/select_set.h"

#include <bit>

namespace qhost {

Bool SelectSet::Select(Int32 index)
{
  if (index < 0)
    return false;
  const size_t word = size_t(index) >> 6;
  if (word >= words_.size())
    words_.resize(word + 1, 0);
  const std::uint64_t bit = std::uint64_t{1} << (unsigned(index) & 63u);
  if ((words_[word] & bit) == 0)
  {
    words_[word] |= bit;
    ++count_;
  }
  return true;
}

Bool SelectSet::Deselect(Int32 index)
{
  if (index < 0)
    return false;
  const size_t word = size_t(index) >> 6;
  if (word >= words_.size())
    return true;
  const std::uint64_t bit = std::uint64_t{1} << (unsigned(index) & 63u);
  if ((words_[word] & bit) != 0)
  {
    words_[word] &= ~bit;
    --count_;
  }
  return true;
}

void SelectSet::DeselectAll()
{
  words_.clear();
  count_ = 0;
}

Bool SelectSet::CopyTo(BaseSelect* dest) const
{
  if (!dest)
    return false;
  if (auto* set = dynamic_cast<SelectSet*>(dest))
  {
    set->words_ = words_;
    set->count_ = count_;
    return true;
  }
  dest->DeselectAll();
  for (Int32 i = 0; i < count_; ++i)
    dest->Select(GetSelectedIndex(i));
  return true;
}

Int32 SelectSet::GetSelectedIndex(Int32 nth) const
{
  if (nth < 0 || nth >= count_)
    return -1;
  Int32 remaining = nth;
  for (size_t w = 0; w < words_.size(); ++w)
  {
    std::uint64_t bits = words_[w];
    const Int32 inWord = std::popcount(bits);
    if (remaining >= inWord)
    {
      remaining -= inWord;
      continue;
    }
    // Drop the lowest set bits until the wanted one is the lowest.
    for (Int32 k = 0; k < remaining; ++k)
      bits &= bits - 1;
    return Int32(w * 64 + size_t(std::countr_zero(bits)));
  }
  return -1;
}

std::vector<Int32> SelectSet::ToIndices() const
{
  std::vector<Int32> indices;
  indices.reserve(size_t(count_));
  for (size_t w = 0; w < words_.size(); ++w)
    for (std::uint64_t bits = words_[w]; bits != 0; bits &= bits - 1)
      indices.push_back(Int32(w * 64 + size_t(std::countr_zero(bits))));
  return indices;
}

void SelectSet::Assign(const std::vector<Int32>& indices)
{
  DeselectAll();
  for (Int32 index : indices)
    Select(index);
}

} // namespace qhost
