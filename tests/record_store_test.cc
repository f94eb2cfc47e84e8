#include "convert/record_store.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

struct Row {
  std::string list_id;
};

// A blank mode makes a fresh store every time; "Preserve" keeps the rows that
// remain; "Empty" releases every row; any other mode (they compare exactly)
// changes nothing.
TEST(RecordStoreTest, EachModeSizesTheStoreAsItSays) {
  RecordStore<Row> store;
  store.Size(3, "");
  ASSERT_EQ(store.size(), 3u);
  store.at(1).list_id = "A";
  store.Size(3, "  ");
  EXPECT_EQ(store.at(1).list_id, "");

  store.at(1).list_id = "A";
  store.at(3).list_id = "C";
  store.Size(2, "Preserve");
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.at(1).list_id, "A");
  store.Size(4, "Preserve");
  EXPECT_EQ(store.at(1).list_id, "A");
  EXPECT_EQ(store.at(3).list_id, "");
  EXPECT_THROW(store.at(5), std::out_of_range);
  EXPECT_THROW(store.at(0), std::out_of_range);

  store.Size(9, "preserve");
  EXPECT_EQ(store.size(), 4u);
  EXPECT_EQ(store.at(1).list_id, "A");
  store.Size(5, "Empty");
  EXPECT_TRUE(store.empty());
}

}  // namespace
}  // namespace vantrel
