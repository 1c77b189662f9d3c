#include "allocation/model/hierarchy.h"

#include <gtest/gtest.h>

namespace korav {
namespace {

TEST(IsWithin, FollowsThePathOfAncestors) {
  ModelTables model;
  ModelTable<TmyDIM>& values = model.dimensions[2].Values;
  values.Size(6);
  // EU (1) > FR (2) > PAR (3); US (4); an unresolved value (5) and its child (6).
  for (int32_t row = 1; row <= 6; ++row) values.Append();
  values[1].Level = 1;
  values[1].Path[1] = 1;
  values[2].Level = 2;
  values[2].Path = {0, 1, 2};
  values[3].Level = 3;
  values[3].Path = {0, 1, 2, 3};
  values[4].Level = 1;
  values[4].Path[1] = 4;
  values[6].ParentIndex = 5;

  EXPECT_TRUE(IsWithin(model, 2, 0, 0));
  EXPECT_TRUE(IsWithin(model, 2, 0, 5));
  EXPECT_TRUE(IsWithin(model, 2, 1, 3));
  EXPECT_TRUE(IsWithin(model, 2, 2, 3));
  EXPECT_TRUE(IsWithin(model, 2, 2, 2));
  EXPECT_FALSE(IsWithin(model, 2, 3, 2));  // an ancestor lies not under its descendant
  EXPECT_FALSE(IsWithin(model, 2, 4, 3));
  EXPECT_FALSE(IsWithin(model, 2, 1, 0));  // no value lies under nothing
  EXPECT_FALSE(IsWithin(model, 2, 1, 5));
  // An unresolved value has no path: it admits itself only.
  EXPECT_TRUE(IsWithin(model, 2, 5, 5));
  EXPECT_FALSE(IsWithin(model, 2, 5, 6));
  EXPECT_FALSE(IsWithin(model, 2, 5, 1));
}

}  // namespace
}  // namespace korav
