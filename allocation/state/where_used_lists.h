// The where-used lists: for each named measure, input measure, base and
// pool, which bases or pools use it. Each list holds the key code + "<" for
// the item and code + ">" for each user, so that a sorted list has an item's
// users right after the item.
#ifndef KORAV_ALLOCATION_STATE_WHERE_USED_LISTS_H_
#define KORAV_ALLOCATION_STATE_WHERE_USED_LISTS_H_

#include "common/sorted_list.h"

namespace korav {

struct WhereUsedLists {
  stTsortObj named_by_base{stTsortObj::Growth::kSizedOnce};
  stTsortObj named_by_pool{stTsortObj::Growth::kSizedOnce};
  stTsortObj input_by_base{stTsortObj::Growth::kSizedOnce};
  stTsortObj input_by_pool{stTsortObj::Growth::kSizedOnce};
  stTsortObj base_by_pool{stTsortObj::Growth::kSizedOnce};
  stTsortObj pool_by_pool{stTsortObj::Growth::kSizedOnce};
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_WHERE_USED_LISTS_H_
