#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "newfile/dialog_init_data.h"

namespace {

using qlry::ParseDialogInitData;

// One record as a resource compiler lays it out.
void AddRecord(std::vector<unsigned char>& data, uint16_t id, uint16_t message, const std::string& bytes,
               uint32_t count) {
    for (unsigned value : {unsigned{id}, unsigned{message}}) {
        data.push_back(static_cast<unsigned char>(value & 0xFF));
        data.push_back(static_cast<unsigned char>(value >> 8));
    }
    for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<unsigned char>(count >> shift));
    data.insert(data.end(), bytes.begin(), bytes.end());
}

void AddString(std::vector<unsigned char>& data, uint16_t id, const std::string& text) {
    const std::string bytes = text + '\0';
    AddRecord(data, id, qlry::kInitComboAddString, bytes, static_cast<uint32_t>(bytes.size()));
}

void End(std::vector<unsigned char>& data) { data.insert(data.end(), {0, 0}); }

TEST(DialogInitData, ReadsTheRecordsInOrder) {
    std::vector<unsigned char> data;
    AddString(data, 1056, ".txt");
    AddString(data, 1056, ".html");
    AddRecord(data, 0x1234, 0x0401, "xy", 2);
    End(data);
    const auto records = ParseDialogInitData(data.data(), data.size());
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 3u);
    EXPECT_EQ((*records)[0].controlId, 1056);
    EXPECT_EQ((*records)[0].message, 0x0403);
    EXPECT_EQ((*records)[0].Text(), ".txt");
    EXPECT_EQ((*records)[1].Text(), ".html");
    EXPECT_EQ((*records)[2].controlId, 0x1234);
    EXPECT_EQ((*records)[2].message, 0x0401);
    EXPECT_EQ((*records)[2].bytes, "xy");
}

TEST(DialogInitData, StopsAtTheZeroIdAndIgnoresWhatFollows) {
    std::vector<unsigned char> data;
    AddString(data, 1056, ".c");
    End(data);
    data.insert(data.end(), {0xFF, 0xFF, 0xFF});
    const auto records = ParseDialogInitData(data.data(), data.size());
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 1u);
}

TEST(DialogInitData, AcceptsDataEndingRightAfterARecord) {
    std::vector<unsigned char> data;
    AddString(data, 1056, ".h");
    const auto records = ParseDialogInitData(data.data(), data.size());
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 1u);
    const auto none = ParseDialogInitData(data.data(), 0);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(DialogInitData, RefusesARecordThatRunsPastTheEnd) {
    std::vector<unsigned char> data;
    AddString(data, 1056, ".log");
    // Every cut inside the record's header or bytes is refused.
    for (size_t cut = 3; cut < data.size(); ++cut) {
        EXPECT_FALSE(ParseDialogInitData(data.data(), cut)) << "cut at " << cut;
    }
    std::vector<unsigned char> huge;
    AddRecord(huge, 1056, 0x0403, "abc", 0xFFFFFFFFu);
    EXPECT_FALSE(ParseDialogInitData(huge.data(), huge.size()));
}

TEST(DialogInitData, TextEndsAtTheFirstNul) {
    qlry::DialogInitRecord record;
    record.bytes = std::string(".xml\0junk", 9);
    EXPECT_EQ(record.Text(), ".xml");
    record.bytes = "nonul";
    EXPECT_EQ(record.Text(), "nonul");
}

}  // namespace
