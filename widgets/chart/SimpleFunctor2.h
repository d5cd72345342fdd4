#pragma once
// A copyable callable of two arguments. The chart keeps its own copy of the post-draw callback a
// host hands over, so the host's object may go out of scope after installing it.

#include <functional>
#include <utility>

template <class A1, class A2>
class SimpleFunctor2 {
public:
    SimpleFunctor2() = default;
    template <class F>
    explicit SimpleFunctor2(F f) : f_(std::move(f))
    {
    }
    // A member function of an object that outlives the functor.
    template <class T>
    SimpleFunctor2(T* object, void (T::*member)(A1, A2))
        : f_([object, member](A1 a1, A2 a2) { (object->*member)(std::forward<A1>(a1), std::forward<A2>(a2)); })
    {
    }

    explicit operator bool() const { return static_cast<bool>(f_); }
    void operator()(A1 a1, A2 a2) const
    {
        if (f_) f_(std::forward<A1>(a1), std::forward<A2>(a2));
    }

private:
    std::function<void(A1, A2)> f_;
};
