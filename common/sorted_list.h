// A list of (code, number) pairs, filled in bulk, sorted once and then searched
// by binary search. The allocation program keeps one per code table (its
// `CodeIndex`); the editor keeps one per data file (its key list).
//
// Keys compare byte by byte as unsigned characters, case-sensitive, and a key
// that is a prefix of another sorts first. Find() on a list that has been
// added to since its last Sort() gives undefined answers.
#ifndef KORAV_COMMON_SORTED_LIST_H_
#define KORAV_COMMON_SORTED_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

struct stTsortRec {
  std::string Key;
  int32_t Number = 0;
};

class stTsortObj {
 public:
  // The two programs grow their lists differently. The allocation program
  // sizes each list once from its pass-1 counts and never grows it while
  // adding; the editor grows by `GrowBy` entries whenever a list is full.
  enum class Growth { kSizedOnce, kGrowing };

  explicit stTsortObj(Growth growth) : growth_(growth) {}

  // Prepares the list for refilling: Count becomes 0. An empty list takes the
  // given capacity. A list that holds entries keeps its storage; in kSizedOnce
  // lists that storage grows to capacity + growBy when it is too small.
  void Init(int32_t capacity, int32_t growBy);

  // Appends (key, number) at position Count + 1 and returns true. A kSizedOnce
  // list that is full stores nothing and returns false.
  bool Add(std::string_view key, int32_t number);

  // Sorts positions 1..Count by key (a Shell sort with gap ratio 5/11).
  // Entries with equal keys may change their relative order.
  void Sort();

  // The Number of the first (lowest-positioned) entry whose key equals `key`,
  // or -1; also -1 for an empty key, even when an empty key was added.
  int32_t Find(std::string_view key) const;

  // The position (1..Count) of that entry, or -1.
  int32_t FindPosition(std::string_view key) const;

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  // Entry at position 1..Count.
  const stTsortRec& Item(int32_t position) const { return items_[static_cast<size_t>(position)]; }

 private:
  void Resize(int32_t capacity);

  Growth growth_;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t grow_by_ = 0;
  std::vector<stTsortRec> items_{1};  // position 0 holds nothing
};

}  // namespace korav

#endif  // KORAV_COMMON_SORTED_LIST_H_
