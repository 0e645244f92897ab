#include "ui/window_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace sb {

bool isLightweight(ControlKind kind) { return kind == ControlKind::Image || kind == ControlKind::Label; }

namespace {
std::string makeKey(const std::string& name, int index) {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}
}  // namespace

std::string Control::key() const { return makeKey(name, index); }

WindowModel::WindowModel(std::string name) : name_(std::move(name)) {}

Control& WindowModel::add(Control control) {
    const int i = static_cast<int>(controls_.size());
    byKey_[control.key()] = i;
    controls_.push_back(std::move(control));
    stacking_.push_back(i);
    touch();
    return controls_.back();
}

int WindowModel::indexOf(const std::string& name, int index) const {
    auto it = byKey_.find(makeKey(name, index));
    return it == byKey_.end() ? -1 : it->second;
}

bool WindowModel::has(const std::string& name, int index) const { return indexOf(name, index) >= 0; }

Control& WindowModel::edit(const std::string& name, int index) {
    const Control& found = control(name, index);
    touch();
    return controls_[static_cast<std::size_t>(&found - controls_.data())];
}

const Control& WindowModel::control(const std::string& name, int index) const {
    const int i = indexOf(name, index);
    if (i < 0) {
        std::fprintf(stderr, "window %s has no control %s\n", name_.c_str(), makeKey(name, index).c_str());
        std::abort();
    }
    return controls_[static_cast<std::size_t>(i)];
}

void WindowModel::bringToFront(const std::string& name, int index) {
    const int i = indexOf(name, index);
    if (i < 0) return;
    stacking_.erase(std::find(stacking_.begin(), stacking_.end(), i));
    stacking_.push_back(i);
    touch();
}

void WindowModel::sendToBack(const std::string& name, int index) {
    const int i = indexOf(name, index);
    if (i < 0) return;
    stacking_.erase(std::find(stacking_.begin(), stacking_.end(), i));
    stacking_.insert(stacking_.begin(), i);
    touch();
}

std::vector<int> WindowModel::paintOrder() const {
    std::vector<int> order;
    order.reserve(stacking_.size());
    for (int i : stacking_) {
        if (isLightweight(controls_[static_cast<std::size_t>(i)].kind)) order.push_back(i);
    }
    for (int i : stacking_) {
        if (!isLightweight(controls_[static_cast<std::size_t>(i)].kind)) order.push_back(i);
    }
    return order;
}

bool WindowModel::isAbove(const std::string& aName, int aIndex, const std::string& bName, int bIndex) const {
    const int a = indexOf(aName, aIndex);
    const int b = indexOf(bName, bIndex);
    const auto order = paintOrder();
    const auto pa = std::find(order.begin(), order.end(), a);
    const auto pb = std::find(order.begin(), order.end(), b);
    return pa != order.end() && pb != order.end() && pa > pb;
}

std::vector<int> WindowModel::tabOrder() const {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
        if (controls_[static_cast<std::size_t>(i)].tabOrder >= 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return controls_[static_cast<std::size_t>(a)].tabOrder < controls_[static_cast<std::size_t>(b)].tabOrder;
    });
    return order;
}

}  // namespace sb
