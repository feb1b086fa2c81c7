// CHistoryList: a bounded back-and-forward history of items with a current position, the way a
// browser keeps visited pages.
#pragma once

#include <any>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace vellumo {

// Items are std::any values: an empty std::any is the empty variant. An object is added as a
// std::shared_ptr, so reading it back gives the same object; every other value is copied.
//
// Errors: the members catch their own failures, show the error box titled "MaxItems", "Add",
// "Back", "Forward", "EnumerateBack" or "EnumerateForward" through ui::Ui() and return normally
// (a variant result is then empty).
class CHistoryList {
public:
    // True when an older item exists before the current one.
    [[nodiscard]] bool BackEnabled() const;
    // The current item; empty while the list is empty.
    [[nodiscard]] std::any CurrentItem() const;
    // True when a newer item exists after the current one.
    [[nodiscard]] bool ForwardEnabled() const;

    // Capacity, 100 at creation.
    [[nodiscard]] int32_t MaxItems() const { return maxItems_; }
    // Stores the new capacity. When fewer items than stored are allowed, the oldest surplus items
    // are discarded, as add discards them; a current item among them gives way to the oldest
    // item kept. A capacity below 1 is refused: error box (9, Subscript out of range), nothing
    // changes.
    void SetMaxItems(int32_t value);

    // Discards every item newer than the current one, then the oldest item while the list is
    // full, and appends the item as the current one.
    void add(std::any varItem);

    // Steps back `lngPlaces` items and returns the current item. With no older item: the empty
    // variant, nothing moves. A step longer than the older items, or a negative one, does not
    // move (it does not clamp) and returns the current item; a step of 0 returns it too.
    std::any Back(int32_t lngPlaces);
    // The mirror image of Back.
    std::any Forward(int32_t lngPlaces);

    // Fills the array with the items older than the current one, nearest first (entry 0 is the
    // item just before the current one). With no older item the array is left as it was.
    void EnumerateBack(std::vector<std::any>& avarItems) const;
    // Fills the array with the items newer than the current one, nearest first. With no newer
    // item the array is left as it was.
    void EnumerateForward(std::vector<std::any>& avarItems) const;

private:
    static constexpr int32_t kDefaultMaxItems = 100;

    std::deque<std::any> items_; // oldest first
    size_t current_ = 0;         // index of the current item while items_ is not empty
    int32_t maxItems_ = kDefaultMaxItems;
};

} // namespace vellumo
