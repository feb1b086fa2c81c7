// Tests of CHistoryList: adding, stepping, enumerating, the capacity and object items.
#include "library/CHistoryList.h"
#include "support/TestEnvironment.h"

#include <memory>
#include <string>

namespace vellumo::test {
namespace {

std::string Text(const std::any& item) {
    return item.has_value() ? std::any_cast<std::string>(item) : std::string("<empty>");
}

std::vector<std::string> Texts(const std::vector<std::any>& items) {
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back(Text(item));
    return texts;
}

class CHistoryListTest : public IsolatedTest {
protected:
    void AddAll(std::initializer_list<const char*> items) {
        for (const char* item : items)
            list_.add(std::string(item));
    }
    CHistoryList list_;
};

TEST_F(CHistoryListTest, FreshListIsEmpty) {
    EXPECT_EQ(list_.MaxItems(), 100);
    EXPECT_FALSE(list_.CurrentItem().has_value());
    EXPECT_FALSE(list_.BackEnabled());
    EXPECT_FALSE(list_.ForwardEnabled());
    EXPECT_FALSE(list_.Back(1).has_value());
    EXPECT_FALSE(list_.Forward(1).has_value());
    std::vector<std::any> items = {std::string("untouched")};
    list_.EnumerateBack(items);
    list_.EnumerateForward(items);
    EXPECT_EQ(Texts(items), std::vector<std::string>{"untouched"});
}

TEST_F(CHistoryListTest, StepBackThenAddDiscardsTheItemsAhead) {
    AddAll({"A", "B", "X"});
    EXPECT_EQ(Text(list_.CurrentItem()), "X");
    EXPECT_TRUE(list_.BackEnabled());
    EXPECT_FALSE(list_.ForwardEnabled());
    EXPECT_EQ(Text(list_.Back(1)), "B");
    std::vector<std::any> items;
    list_.EnumerateForward(items);
    EXPECT_EQ(Texts(items), std::vector<std::string>{"X"});
    list_.EnumerateBack(items);
    EXPECT_EQ(Texts(items), std::vector<std::string>{"A"});

    list_.add(std::string("Y"));
    EXPECT_EQ(Text(list_.CurrentItem()), "Y");
    EXPECT_FALSE(list_.ForwardEnabled());
    list_.EnumerateBack(items);
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"B", "A"}));
    list_.EnumerateForward(items);
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"B", "A"})); // left as it was
}

TEST_F(CHistoryListTest, StepsThatAreTooLongOrNegativeDoNotMove) {
    AddAll({"A", "B", "X"});
    EXPECT_EQ(Text(list_.Back(5)), "X");
    EXPECT_EQ(Text(list_.Back(-1)), "X");
    EXPECT_EQ(Text(list_.Back(0)), "X");
    EXPECT_EQ(Text(list_.Back(2)), "A");
    EXPECT_FALSE(list_.BackEnabled());
    EXPECT_FALSE(list_.Back(1).has_value());
    EXPECT_EQ(Text(list_.CurrentItem()), "A");
    EXPECT_EQ(Text(list_.Forward(3)), "A");
    EXPECT_EQ(Text(list_.Forward(-2)), "A");
    EXPECT_EQ(Text(list_.Forward(2)), "X");
    EXPECT_FALSE(list_.Forward(1).has_value());
}

TEST_F(CHistoryListTest, CapacityDiscardsTheOldest) {
    list_.SetMaxItems(3);
    AddAll({"A", "B", "X", "Y"});
    std::vector<std::any> items;
    list_.EnumerateBack(items);
    EXPECT_EQ(Texts(items), (std::vector<std::string>{"X", "B"}));

    // A smaller capacity discards the oldest surplus; a current item among them gives way.
    AddAll({"Z"}); // X, Y, Z
    list_.Back(2); // current X
    list_.SetMaxItems(1);
    EXPECT_EQ(Text(list_.CurrentItem()), "Z");
    EXPECT_FALSE(list_.BackEnabled());
    EXPECT_FALSE(list_.ForwardEnabled());
    EXPECT_TRUE(ui_.boxes.empty());

    list_.SetMaxItems(0);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].title, "MaxItems");
    EXPECT_EQ(ui_.boxes[0].text, "Error: 9. Subscript out of range");
    EXPECT_EQ(list_.MaxItems(), 1);
}

TEST_F(CHistoryListTest, ObjectItemsAreTheSameObject) {
    auto page = std::make_shared<std::string>("page");
    list_.add(page);
    list_.add(42);
    list_.Back(1);
    const auto back = std::any_cast<std::shared_ptr<std::string>>(list_.CurrentItem());
    EXPECT_EQ(back.get(), page.get());
    EXPECT_EQ(std::any_cast<int>(list_.Forward(1)), 42);
}

} // namespace
} // namespace vellumo::test
