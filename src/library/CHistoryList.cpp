// CHistoryList: adding, stepping back and forward, enumerating and the capacity.
#include "library/CHistoryList.h"

#include "platform/RuntimeError.h"
#include "platform/UiService.h"

namespace vellumo {

bool CHistoryList::BackEnabled() const {
    return !items_.empty() && current_ > 0;
}

bool CHistoryList::ForwardEnabled() const {
    return !items_.empty() && current_ + 1 < items_.size();
}

std::any CHistoryList::CurrentItem() const {
    if (items_.empty())
        return {};
    return items_[current_];
}

void CHistoryList::SetMaxItems(int32_t value) {
    try {
        if (value < 1)
            throw RuntimeError(err::kSubscriptOutOfRange);
        maxItems_ = value;
        const auto capacity = static_cast<size_t>(value);
        if (items_.size() > capacity) {
            const size_t surplus = items_.size() - capacity;
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(surplus));
            current_ = current_ >= surplus ? current_ - surplus : 0;
        }
    } catch (...) {
        ui::ShowErrorBox("MaxItems", CurrentRuntimeError());
    }
}

void CHistoryList::add(std::any varItem) {
    try {
        if (!items_.empty())
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, items_.end());
        while (!items_.empty() && items_.size() >= static_cast<size_t>(maxItems_))
            items_.pop_front();
        items_.push_back(std::move(varItem));
        current_ = items_.size() - 1;
    } catch (...) {
        ui::ShowErrorBox("Add", CurrentRuntimeError());
    }
}

std::any CHistoryList::Back(int32_t lngPlaces) {
    try {
        if (!BackEnabled())
            return {};
        if (lngPlaces >= 0 && static_cast<size_t>(lngPlaces) <= current_)
            current_ -= static_cast<size_t>(lngPlaces);
        return items_[current_];
    } catch (...) {
        ui::ShowErrorBox("Back", CurrentRuntimeError());
        return {};
    }
}

std::any CHistoryList::Forward(int32_t lngPlaces) {
    try {
        if (!ForwardEnabled())
            return {};
        const size_t newer = items_.size() - 1 - current_;
        if (lngPlaces >= 0 && static_cast<size_t>(lngPlaces) <= newer)
            current_ += static_cast<size_t>(lngPlaces);
        return items_[current_];
    } catch (...) {
        ui::ShowErrorBox("Forward", CurrentRuntimeError());
        return {};
    }
}

void CHistoryList::EnumerateBack(std::vector<std::any>& avarItems) const {
    try {
        if (!BackEnabled())
            return;
        std::vector<std::any> older;
        older.reserve(current_);
        for (size_t i = current_; i > 0; --i)
            older.push_back(items_[i - 1]);
        avarItems = std::move(older);
    } catch (...) {
        ui::ShowErrorBox("EnumerateBack", CurrentRuntimeError());
    }
}

void CHistoryList::EnumerateForward(std::vector<std::any>& avarItems) const {
    try {
        if (!ForwardEnabled())
            return;
        std::vector<std::any> newer(items_.begin() + static_cast<std::ptrdiff_t>(current_) + 1,
                                    items_.end());
        avarItems = std::move(newer);
    } catch (...) {
        ui::ShowErrorBox("EnumerateForward", CurrentRuntimeError());
    }
}

} // namespace vellumo
