#pragma once

namespace vemora {

template <class A, class B>
struct dxValue2 {
    dxValue2() = default;
    dxValue2(const A& a, const B& b) : first(a), second(b) {}
    bool operator==(const dxValue2& o) const { return first == o.first && second == o.second; }
    bool operator!=(const dxValue2& o) const { return !(*this == o); }

    A first{};
    B second{};
};

} // namespace vemora
