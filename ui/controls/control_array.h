// Controls of one kind and one name, indexed by their own numbers (which need not be contiguous): the
// array owns the objects, their windows stay with their parents.
#pragma once
#include "ui/controls/control.h"

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace tsln {

// Raises the AppError (340) for an index the array does not have.
[[noreturn]] void RaiseNoSuchElement(int index);
// Raises the AppError (360) for an index the array has already.
[[noreturn]] void RaiseAlreadyLoaded(int index);

template <typename T>
class ControlArray {
    static_assert(std::is_base_of<Control, T>::value, "a control array holds controls");

public:
    explicit ControlArray(std::string name) : name_(std::move(name)) {}
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;

    // Makes the element `index` from the control's own arguments and names it after the array.
    template <typename... Args>
    T& Add(int index, Args&&... args) {
        if (Exists(index)) RaiseAlreadyLoaded(index);
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        control->SetName(name_, index);
        T& added = *control;
        items_.emplace(index, std::move(control));
        return added;
    }

    T& operator()(int index) const {
        auto found = items_.find(index);
        if (found == items_.end()) RaiseNoSuchElement(index);
        return *found->second;
    }
    bool Exists(int index) const { return items_.count(index) != 0; }
    size_t Count() const { return items_.size(); }
    const std::string& Name() const { return name_; }

    // Calls visit(index, control) for every element, in index order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const auto& item : items_)
            visit(item.first, *item.second);
    }

    // Sets one event of every element present to `handler`, which receives the element's index first:
    // Bind(&CheckBox::Click, [this](int index) { chkProgram_Click(index); }).
    template <typename Owner, typename... Params, typename Handler>
    void Bind(std::function<void(Params...)> Owner::*event, Handler handler) {
        static_assert(std::is_base_of<Owner, T>::value, "an event of the array's controls");
        for (auto& item : items_) {
            const int index = item.first;
            static_cast<Owner&>(*item.second).*
                event = [handler, index](Params... params) { handler(index, params...); };
        }
    }

private:
    std::string name_;
    std::map<int, std::unique_ptr<T>> items_;
};

} // namespace tsln
